// Reaches up by an include; only an inline function of the header is used, so nothing would
// be missing at link time.
#include "host/window.h"

namespace sample::runtime {

int Width() { return host::Width(); }

}  // namespace sample::runtime

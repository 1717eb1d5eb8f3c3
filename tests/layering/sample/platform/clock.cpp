#include "platform/clock.h"

namespace sample::platform {

int Ticks() { return 500; }

}  // namespace sample::platform

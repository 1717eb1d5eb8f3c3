// The layer below is there to use.
#include "runtime/run.h"

#include "platform/clock.h"

namespace sample::runtime {

int RunTicks() { return platform::Ticks() * 2; }

}  // namespace sample::runtime

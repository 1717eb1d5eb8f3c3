// The host may use every layer below it.
#include "host/window.h"

#include "platform/clock.h"
#include "runtime/run.h"

namespace sample::host {

int Height() { return runtime::RunTicks() / platform::Ticks(); }

}  // namespace sample::host

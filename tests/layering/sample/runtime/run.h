#pragma once

namespace sample::runtime {

int RunTicks();

}  // namespace sample::runtime

#pragma once

namespace sample::platform {

int Ticks();

}  // namespace sample::platform

#pragma once

namespace sample::host {

inline int Width() { return 80; }
int Height();

}  // namespace sample::host

#pragma once
#include <string>

namespace tesma {

// The folder of the running executable (the host program), ending with "/", in code page
// 1251; empty when it cannot be read.
std::string ExecutableFolder();

}  // namespace tesma

#pragma once
// Readable test failure messages for the library's value types.
#include <ostream>

#include "runtime/value.h"

namespace tesma {
inline void PrintTo(const Value& v, std::ostream* os) { *os << DescribeValue(v); }
}  // namespace tesma

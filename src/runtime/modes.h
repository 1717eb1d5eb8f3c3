#pragma once
// The modes in which a host calls the library.
#include <cstdint>

namespace tesma::runtime {

inline constexpr std::int32_t ModeControl = 4;  // checks, total rows and filling
inline constexpr std::int32_t ModeSort = 7;     // sorting of chapter tables
inline constexpr std::int32_t ModePrepare = 8;  // report preparation: nothing of this library runs

}  // namespace tesma::runtime

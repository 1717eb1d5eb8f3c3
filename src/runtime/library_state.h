#pragma once
// What outlives runs. Everything a run needs for itself alone belongs to the run (runtime::Run);
// the few things that must carry over from one run to the next live here, in one object made
// when the library is loaded and gone when it is unloaded.
#include <cstdint>

#include "runtime/row_buffer.h"

namespace tesma::runtime {

// The row and operator counters: the first tick of a run shows the row that the previous run
// reached (0 after loading).
struct Counters {
    std::int32_t RowCounter = 0;
    std::int32_t OperatorCounter = 0;  // shown, never changed by the library
};

struct LibraryState {
    Counters counters;
    // Its slots keep their values between runs (see RowBuffer).
    RowBuffer rowBuffer;
    // The row key handed out last where there was no table to be unique in: the next such key
    // is never the same.
    std::int64_t lastFreeRowKey = -1;
};

// The library's one LibraryState.
LibraryState& Library();

}  // namespace tesma::runtime

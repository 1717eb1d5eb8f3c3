#pragma once
#include <string>

namespace tesma::bench {

// The timings the test suite does not assert (a busy machine slows single runs at random): a run
// without a terminal does not wait for the operator's first chance to stop it, a protocol that
// is a FIFO without a reader fails when the wait for a reader is over, a table another process
// holds fails at once, the demo runs
// in seconds, and the progress line on a terminal costs little beyond the one wait before the
// first run. Each is printed beside its bound, as a ratio of what it is compared with; returns 1
// when one exceeds its bound. `folder` is a report folder the checks may run on and change.
int RunTimingChecks(const std::string& f101, const std::string& library, const std::string& folder,
                    const std::string& scratch);

}  // namespace tesma::bench

#pragma once
// A batch's progress on a terminal: one line on standard error, "12/719 reports done", redrawn
// in place when it changes and wiped before anything else is printed, so that the
// reports' own output and the summary never mix with it. Nothing without a terminal (or with
// TESMA_UI=silent); no escape codes with TERM=dumb or NO_COLOR.
#include <cstddef>
#include <string>

namespace tesma::f101 {

class BatchProgress {
public:
    explicit BatchProgress(std::size_t total);
    ~BatchProgress();
    BatchProgress(const BatchProgress&) = delete;
    BatchProgress& operator=(const BatchProgress&) = delete;

    // Draws the counts (unless the line shows them already).
    void Show(std::size_t done, std::size_t running);
    // Wipes the line (drawn again by the next Show).
    void Wipe();

private:
    bool shown_ = false, plain_ = false;
    std::size_t total_;
    std::size_t width_ = 0;
    std::size_t done_ = 0, running_ = 0;  // what the line shows
    bool enabled_ = false;
};

}  // namespace tesma::f101

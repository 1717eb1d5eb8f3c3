#pragma once
// The operator's stop between the library's runs. While a run shows its window the library takes
// Ctrl-C as its stop button; before and between runs, and while a batch waits for its workers,
// this flag keeps it, so that a command stops at the next run instead of dying half-way through
// its own work. One flag for the process, raised by the signals a StopSignals catches while it
// lives (not those the process was started with ignored); a caught signal also interrupts a
// blocking wait (no restart).
#include <signal.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace tesma::f101 {

class StopSignals {
public:
    explicit StopSignals(std::initializer_list<int> signals = {SIGINT});
    ~StopSignals();  // the handlers from before
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool Asked() const;

private:
    std::vector<std::pair<int, struct sigaction>> previous_;
};

}  // namespace tesma::f101

#include "stop_signals.h"

#include <csignal>

namespace tesma::f101 {

namespace {

volatile std::sig_atomic_t gStopAsked = 0;
// StopSignals alive: an inner one (a check's run session inside a batch worker that lives for
// many reports) keeps a stop already asked for.
int gLiving = 0;

void OnStop(int) { gStopAsked = 1; }

}  // namespace

StopSignals::StopSignals(std::initializer_list<int> signals) {
    if (gLiving++ == 0) gStopAsked = 0;
    struct sigaction sa {};
    sa.sa_handler = OnStop;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;
    for (int s : signals) {
        // A signal the process was started with ignored stays ignored: a script that runs f101
        // in the background keeps the terminal's Ctrl-C from it, and stops it with SIGTERM.
        struct sigaction old {};
        if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(s, &sa, &old);
        previous_.emplace_back(s, old);
    }
}

StopSignals::~StopSignals() {
    --gLiving;
    for (const auto& [s, old] : previous_) ::sigaction(s, &old, nullptr);
}

bool StopSignals::Asked() const { return gStopAsked != 0; }

}  // namespace tesma::f101

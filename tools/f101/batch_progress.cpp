#include "batch_progress.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "tesma/tesmaC.h"

namespace tesma::f101 {

namespace {

bool OnTerminal() {
    const char* ui = std::getenv(TESMA_ENV_UI);
    if (ui && std::strcmp(ui, "silent") == 0) return false;
    if (ui && std::strcmp(ui, "tty") == 0) return true;
    return ::isatty(2) != 0;
}

}  // namespace

BatchProgress::BatchProgress(std::size_t total) : total_(total), enabled_(OnTerminal()) {
    const char* term = std::getenv("TERM");
    plain_ = std::getenv("NO_COLOR") != nullptr || (term && std::strcmp(term, "dumb") == 0);
}

BatchProgress::~BatchProgress() { Wipe(); }

void BatchProgress::Show(std::size_t done, std::size_t running) {
    if (!enabled_ || (shown_ && done == done_ && running == running_)) return;
    std::string line = std::to_string(done) + "/" + std::to_string(total_) + " reports done";
    if (running > 0) line += ", " + std::to_string(running) + " under way";
    const std::size_t width = line.size();
    if (plain_) line.append(width_ > width ? width_ - width : 0, ' ');
    std::cerr << (plain_ ? "\r" : "\r\x1b[K") << line << std::flush;
    width_ = width;
    shown_ = true;
    done_ = done;
    running_ = running;
}

void BatchProgress::Wipe() {
    if (!shown_) return;
    if (plain_)
        std::cerr << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    else
        std::cerr << "\r\x1b[K" << std::flush;
    shown_ = false;
}

}  // namespace tesma::f101

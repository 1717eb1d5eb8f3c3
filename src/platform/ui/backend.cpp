#include "platform/ui/backend.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "platform/text/cp1251.h"
#include "tesma/tesmaC.h"

namespace tesma::ui {

void Backend::ShowModal(WindowHandlers& window) {
    WindowHandlers* outer = window_;
    window_ = &window;
    closeRequested_ = false;
    timerEnabled_ = false;
    struct Restore {
        Backend* b;
        WindowHandlers* outer;
        ~Restore() {
            b->OnModalEnd();
            b->window_ = outer;
            b->timerEnabled_ = false;
        }
    } restore{this, outer};
    OnModalStart();
    window.OnShow();
    window.OnActivate();
    while (!closeRequested_) {
        if (TakeStopClick()) {
            DeliverStop();
            continue;
        }
        if (!timerEnabled_) {
            // Nothing can wake a window without a timer but a click: wait for one.
            Wait(kTickMs);
            continue;
        }
        std::int64_t now = NowMs();
        if (now >= nextTick_)
            DeliverTick();
        else
            Wait(nextTick_ - now);
    }
    window.OnClose();
}

void Backend::ShowError(const std::string& text) {
    if (const char* log = std::getenv(TESMA_ENV_MESSAGES); log && *log) {
        if (FILE* f = std::fopen(log, "a")) {
            std::string line = text::ToUtf8(text);
            for (char& c : line)
                if (c == '\n' || c == '\r') c = ' ';
            std::fprintf(f, "%s\n", line.c_str());
            std::fclose(f);
            // The host that collects the messages shows them itself: no second copy, and no
            // wait for a key that the host's own user would not know to press.
            return;
        }
    }
    ShowMessageBox(text);
}

void Backend::SetTimer(bool enabled) {
    if (enabled && !timerEnabled_) nextTick_ = NowMs() + FirstTickDelay();
    timerEnabled_ = enabled;
}

void Backend::Pump() {
    OnPump();
    if (!window_) return;
    if (TakeStopClick()) DeliverStop();
    if (timerEnabled_ && NowMs() >= nextTick_) DeliverTick();
}

void Backend::Idle(std::int64_t ms) {
    const std::int64_t until = NowMs() + ms;
    for (;;) {
        Pump();
        const std::int64_t now = NowMs();
        if (now >= until) return;
        Wait((timerEnabled_ && nextTick_ < until ? nextTick_ : until) - now);
    }
}

void Backend::DeliverTick() {
    nextTick_ = NowMs() + kTickMs;
    try {
        window_->OnTick();
    } catch (const std::exception& e) {
        ShowError(e.what());
    } catch (...) {
        ShowError("unknown failure");
    }
}

void Backend::DeliverStop() {
    try {
        window_->OnStopClick();
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

namespace {

std::unique_ptr<Backend>& Slot() {
    static std::unique_ptr<Backend> backend;
    return backend;
}

}  // namespace

Backend& CurrentBackend() {
    auto& slot = Slot();
    if (!slot) {
        const char* choice = std::getenv(TESMA_ENV_UI);
        bool tty = choice ? std::strcmp(choice, "tty") == 0 : ::isatty(STDERR_FILENO) == 1;
        slot = tty ? MakeTerminalBackend() : MakeSilentBackend();
    }
    return *slot;
}

void SetBackend(std::unique_ptr<Backend> backend) { Slot() = std::move(backend); }

}  // namespace tesma::ui

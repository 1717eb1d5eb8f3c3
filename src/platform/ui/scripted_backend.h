#pragma once
// For tests: a virtual clock, stop clicks placed before the first tick or at a chosen pump,
// and a record of the message boxes and of what was drawn. Every case runs in milliseconds.
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui/backend.h"

namespace tesma::ui {

class ScriptedBackend final : public Backend {
public:
    // Script.
    bool stopBeforeFirstTick = false;
    std::set<int> stopAtPumps;   // 1-based pump numbers at which a stop click arrives
    std::int64_t msPerPump = 0;  // virtual time each pump takes
    std::int64_t firstTickDelay = kTickMs;

    // Record.
    std::vector<std::string> messageBoxes;
    std::vector<WindowView> drawn;
    int pumps = 0;
    int titleBarRemovals = 0;

    void Draw(const WindowView& view) override { drawn.push_back(view); }
    void RemoveTitleBar() override { ++titleBarRemovals; }
    std::int64_t VirtualNow() const { return now_; }

protected:
    void ShowMessageBox(const std::string& text) override { messageBoxes.push_back(text); }
    std::int64_t NowMs() override { return now_; }
    void Wait(std::int64_t ms) override {
        now_ += ms > 0 ? ms : 1;
        if (now_ > 3600 * 1000) throw std::runtime_error("scripted window never closed");
    }
    bool TakeStopClick() override {
        if (stopBeforeFirstTick) {
            stopBeforeFirstTick = false;
            return true;
        }
        if (pendingStop_) {
            pendingStop_ = false;
            return true;
        }
        return false;
    }
    std::int64_t FirstTickDelay() override { return firstTickDelay; }
    void OnPump() override {
        ++pumps;
        now_ += msPerPump;
        if (stopAtPumps.count(pumps)) pendingStop_ = true;
    }

private:
    std::int64_t now_ = 0;
    bool pendingStop_ = false;
};

}  // namespace tesma::ui

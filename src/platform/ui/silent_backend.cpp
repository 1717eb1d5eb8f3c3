// No terminal: nothing is drawn, message boxes go to standard error and are dismissed at once,
// and the first tick comes without the wait that lets an operator press stop first.
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/text/cp1251.h"
#include "platform/ui/backend.h"

namespace tesma::ui {

namespace {

class SilentBackend final : public Backend {
public:
    void ShowMessageBox(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text::ToUtf8(text).c_str());
        std::fflush(stderr);
    }
    void Draw(const WindowView&) override {}
    bool Draws() const override { return false; }

protected:
    std::int64_t NowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void Wait(std::int64_t ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    bool TakeStopClick() override { return false; }
    std::int64_t FirstTickDelay() override { return 0; }
};

}  // namespace

std::unique_ptr<Backend> MakeSilentBackend() { return std::make_unique<SilentBackend>(); }

}  // namespace tesma::ui

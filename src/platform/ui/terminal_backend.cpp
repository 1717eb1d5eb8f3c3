// A terminal: the window is one line on standard error, redrawn in place; Ctrl-C or Esc is the
// stop button; a message box prints its text and waits for Enter when standard input is a
// terminal.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/text/cp1251.h"
#include "platform/ui/backend.h"

namespace tesma::ui {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) { gInterrupted = 1; }

class TerminalBackend final : public Backend {
public:
    void ShowMessageBox(const std::string& text) override {
        EndLine();
        std::fprintf(stderr, "%s\n", text::ToUtf8(text).c_str());
        if (::isatty(STDIN_FILENO)) {
            std::fprintf(stderr, "Press Enter to continue.");
            std::fflush(stderr);
            RestoreTerminal();
            int c;
            while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
            }
            if (modal_) RawTerminal();
        }
        std::fflush(stderr);
    }

    void Draw(const WindowView& view) override {
        last_ = view;
        std::string line = view.panel + "  " + view.time;
        if (!view.name.empty()) line += "  " + view.name;
        if (!view.rowNo.empty()) line += "  " + view.rowNo;
        std::string utf8 = text::ToUtf8(line);
        bool colour = std::getenv("NO_COLOR") == nullptr;
        std::fprintf(stderr, "\r\033[K%s%s%s", colour ? "\033[1m" : "", utf8.c_str(), colour ? "\033[0m" : "");
        std::fflush(stderr);
        drawn_ = true;
    }

protected:
    std::int64_t NowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void Wait(std::int64_t ms) override {
        if (ms <= 0) return;
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (stdinTty_) ::poll(&p, 1, static_cast<int>(ms));
        else ::poll(nullptr, 0, static_cast<int>(ms));
    }
    bool TakeStopClick() override {
        if (gInterrupted) {
            gInterrupted = 0;
            return true;
        }
        if (!stdinTty_) return false;
        pollfd p{STDIN_FILENO, POLLIN, 0};
        while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            char c;
            if (::read(STDIN_FILENO, &c, 1) != 1) break;
            if (c == 27) return true;
        }
        return false;
    }
    void OnModalStart() override {
        modal_ = true;
        stdinTty_ = ::isatty(STDIN_FILENO) == 1;
        struct sigaction sa {};
        sa.sa_handler = OnInterrupt;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, &oldInt_);
        RawTerminal();
    }
    void OnModalEnd() override {
        modal_ = false;
        RestoreTerminal();
        ::sigaction(SIGINT, &oldInt_, nullptr);
        EndLine();
    }

private:
    void RawTerminal() {
        if (!stdinTty_ || ::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios raw = saved_;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        rawOn_ = ::tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    void RestoreTerminal() {
        if (rawOn_) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
        rawOn_ = false;
    }
    void EndLine() {
        if (drawn_) std::fprintf(stderr, "\r\033[K");
        drawn_ = false;
    }

    WindowView last_;
    bool drawn_ = false;
    bool modal_ = false;
    bool stdinTty_ = false;
    bool rawOn_ = false;
    termios saved_{};
    struct sigaction oldInt_ {};
};

}  // namespace

std::unique_ptr<Backend> MakeTerminalBackend() { return std::make_unique<TerminalBackend>(); }

}  // namespace tesma::ui

// A terminal: the window is one line on standard error (what it is doing, the clock, how long
// the run has taken, the row, the last header), redrawn in place at most 20 times a second;
// Ctrl-C or Esc is the stop button; a message box prints its text and waits for Enter when
// standard input is a terminal. With TERM=dumb or NO_COLOR the line is drawn with a carriage
// return and spaces only, no escape codes.
//
// Only the first window of a process waits a tick before its run starts, which is the
// operator's chance to press stop before anything is done; later windows start at once, so a
// command that runs many procedures does not wait before each.
//
// While a window is shown, the terminal's input is without echo and line editing (so that
// Esc arrives at once); SIGTERM and SIGHUP give it back, and clear the half-drawn line, before
// the signal takes its previous course.
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/text/cp1251.h"
#include "platform/ui/backend.h"
#include "platform/ui/key_scan.h"

namespace tesma::ui {

namespace {

constexpr std::int64_t kRedrawMs = 50;   // at most 20 lines a second
constexpr int kSequenceWaitMs = 30;      // the rest of a key's sequence comes within this
constexpr std::int64_t kKeyLookMs = 10;  // how often a run looks for a key press

// What a signal handler needs to give the terminal back.
volatile std::sig_atomic_t gInterrupted = 0;
volatile std::sig_atomic_t gRawOn = 0;
volatile std::sig_atomic_t gLineDrawn = 0;
termios gSaved{};
struct sigaction gOldTerm {
}, gOldHup{};

void OnInterrupt(int) { gInterrupted = 1; }

void OnTerminate(int sig) {
    if (gRawOn) ::tcsetattr(STDIN_FILENO, TCSANOW, &gSaved);
    gRawOn = 0;
    if (gLineDrawn) {
        const char newline[] = "\r\n";
        [[maybe_unused]] auto n = ::write(STDERR_FILENO, newline, sizeof newline - 1);
    }
    ::sigaction(sig, sig == SIGTERM ? &gOldTerm : &gOldHup, nullptr);
    ::raise(sig);  // delivered when this handler returns, to the previous disposition
}

bool PlainTerminal() {
    const char* term = std::getenv("TERM");
    return std::getenv("NO_COLOR") != nullptr || (term && std::strcmp(term, "dumb") == 0);
}

std::size_t Columns() {
    winsize w{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &w) == 0 && w.ws_col > 1) return w.ws_col;
    return 80;
}

// The UTF-8 text cut to `width` characters.
std::string CutToWidth(const std::string& utf8, std::size_t width, std::size_t& shown) {
    shown = 0;
    std::size_t i = 0;
    for (; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
        if (shown == width) break;
        ++shown;
    }
    return utf8.substr(0, i);
}

// A duration as m:ss (h:mm:ss from an hour on).
std::string Elapsed(std::int64_t ms) {
    const std::int64_t s = ms / 1000;
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                      static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(s / 60), static_cast<long long>(s % 60));
    return text;
}

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
        const std::int64_t now = NowMs();
        if (lastDraw_ != 0 && now - lastDraw_ < kRedrawMs) return;
        lastDraw_ = now;
        // The parts that change come before the long header, so that a narrow terminal cuts the
        // header's end, never the row counter: the clock, the time the run has taken, the row,
        // then the header (the procedure and its chapter).
        std::string line = text::ToUtf8(view.panel) + "  " + text::ToUtf8(view.time) + "  " + Elapsed(now - shownAt_);
        if (!view.rowNo.empty()) line += "  строка " + text::ToUtf8(view.rowNo);
        if (!view.name.empty()) line += "  " + text::ToUtf8(view.name);
        std::size_t width = 0;
        const std::string shown = CutToWidth(line, columns_ - 1, width);
        std::string out;
        if (plain_) {
            out = "\r" + shown;
            if (width < lastWidth_) out += std::string(lastWidth_ - width, ' ');
        } else {
            out = "\r\033[K" + (colour_ ? "\033[1m" + shown + "\033[0m" : shown);
        }
        lastWidth_ = width;
        std::fputs(out.c_str(), stderr);
        std::fflush(stderr);
        drawn_ = true;
        gLineDrawn = 1;
    }

protected:
    std::int64_t NowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void Wait(std::int64_t ms) override {
        if (ms <= 0) return;
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (stdinTty_)
            ::poll(&p, 1, static_cast<int>(ms));
        else
            ::poll(nullptr, 0, static_cast<int>(ms));
    }
    bool TakeStopClick() override {
        if (gInterrupted) {
            gInterrupted = 0;
            return true;
        }
        if (!stdinTty_) return false;
        // A row step asks many thousand times a second; keys are looked for every few ms.
        const std::int64_t now = NowMs();
        if (!keys_.Pending() && now - lastKeyLook_ < kKeyLookMs) return false;
        lastKeyLook_ = now;
        bool stop = false;
        for (;;) {
            pollfd p{STDIN_FILENO, POLLIN, 0};
            const int wait = keys_.Pending() ? kSequenceWaitMs : 0;
            if (::poll(&p, 1, wait) <= 0 || !(p.revents & POLLIN)) {
                if (keys_.Pending()) stop = keys_.Timeout() || stop;
                break;
            }
            char bytes[64];
            const ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
            if (n <= 0) {
                stop = keys_.Timeout() || stop;
                break;
            }
            stop = keys_.Feed({bytes, static_cast<std::size_t>(n)}) || stop;
        }
        return stop;
    }
    std::int64_t FirstTickDelay() override {
        if (waited_) return 0;
        waited_ = true;
        return kTickMs;
    }
    void OnModalStart() override {
        if (depth_++ > 0) return;  // a window inside a window shares the outer one's terminal
        modal_ = true;
        shownAt_ = NowMs();
        stdinTty_ = ::isatty(STDIN_FILENO) == 1;
        plain_ = PlainTerminal();
        colour_ = std::getenv("NO_COLOR") == nullptr;
        columns_ = Columns();
        struct sigaction sa {};
        sa.sa_handler = OnInterrupt;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, &oldInt_);
        sa.sa_handler = OnTerminate;
        ::sigaction(SIGTERM, &sa, &gOldTerm);
        ::sigaction(SIGHUP, &sa, &gOldHup);
        RawTerminal();
    }
    void OnModalEnd() override {
        if (--depth_ > 0) return;
        modal_ = false;
        RestoreTerminal();
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &gOldTerm, nullptr);
        ::sigaction(SIGHUP, &gOldHup, nullptr);
        EndLine();
    }

private:
    void RawTerminal() {
        if (!stdinTty_ || ::tcgetattr(STDIN_FILENO, &gSaved) != 0) return;
        termios raw = gSaved;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        gRawOn = ::tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    void RestoreTerminal() {
        if (gRawOn) ::tcsetattr(STDIN_FILENO, TCSANOW, &gSaved);
        gRawOn = 0;
    }
    void EndLine() {
        if (drawn_) {
            if (plain_)
                std::fprintf(stderr, "\r%s\r", std::string(lastWidth_, ' ').c_str());
            else
                std::fprintf(stderr, "\r\033[K");
            std::fflush(stderr);
        }
        drawn_ = false;
        gLineDrawn = 0;
        lastWidth_ = 0;
    }

    KeyScan keys_;
    bool drawn_ = false;
    bool modal_ = false;
    bool stdinTty_ = false;
    bool plain_ = false;
    bool colour_ = true;
    bool waited_ = false;
    int depth_ = 0;
    std::size_t columns_ = 80;
    std::size_t lastWidth_ = 0;
    std::int64_t lastDraw_ = 0;
    std::int64_t shownAt_ = 0;  // when the window was shown
    std::int64_t lastKeyLook_ = 0;
    struct sigaction oldInt_ {};
};

}  // namespace

std::unique_ptr<Backend> MakeTerminalBackend() { return std::make_unique<TerminalBackend>(); }

}  // namespace tesma::ui

#pragma once
// What the GUI toolkit gave the progress window: a modal loop with a 500 ms timer, message
// pumping that delivers due ticks and stop clicks inside a running handler, modal message
// boxes, and a place to draw the window's texts.
#include <cstdint>
#include <memory>
#include <string>

namespace tesma::ui {

// The events of the modal window.
class WindowHandlers {
public:
    virtual ~WindowHandlers() = default;
    virtual void OnShow() = 0;
    virtual void OnActivate() = 0;
    virtual void OnTick() = 0;
    virtual void OnStopClick() = 0;
    virtual void OnClose() = 0;
};

// The texts the window shows (code page 1251).
struct WindowView {
    std::string caption;  // window caption
    std::string panel;    // what the window is doing
    std::string time;     // the clock
    std::string name;     // the last header line
    std::string operatorNo;
    std::string rowNo;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Shows the window modally: OnShow, OnActivate, then ticks and clicks until the window asks
    // to close; then OnClose. A failure that leaves a tick's handler is shown in a message box,
    // as the toolkit's timer dispatch did, and the loop goes on.
    void ShowModal(WindowHandlers& window);
    // Asks the modal loop to end as soon as control is back in it.
    void RequestClose() { closeRequested_ = true; }
    // The window's timer: the first tick comes FirstTickDelay after enabling, then every 500 ms.
    void SetTimer(bool enabled);
    bool TimerEnabled() const { return timerEnabled_; }
    // Delivers what is pending: a stop click, a due tick (nested inside the caller).
    void Pump();
    // Lets the window live for `ms` while the caller waits for something outside it: ticks and
    // stop clicks are delivered as they come (nested inside the caller), and nothing else runs.
    void Idle(std::int64_t ms);

    // A modal error box with one OK button. When the environment names a file in
    // TESMA_MESSAGES, the text goes there instead (UTF-8, one line), so that a host without a
    // screen learns what the operator would have seen and says it once, in its own way.
    void ShowError(const std::string& text);
    virtual void Draw(const WindowView& view) = 0;
    // Whether Draw shows anything (a batch run draws nothing, so nothing need be formatted).
    virtual bool Draws() const { return true; }
    // The window's title bar (a terminal line has none).
    virtual void RemoveTitleBar() {}

protected:
    static constexpr std::int64_t kTickMs = 500;
    virtual void ShowMessageBox(const std::string& text) = 0;
    virtual std::int64_t NowMs() = 0;
    // Waits up to `ms`, less when input arrives.
    virtual void Wait(std::int64_t ms) = 0;
    // Takes one pending stop click.
    virtual bool TakeStopClick() = 0;
    virtual std::int64_t FirstTickDelay() { return kTickMs; }
    virtual void OnPump() {}
    virtual void OnModalStart() {}
    virtual void OnModalEnd() {}

private:
    void DeliverTick();
    void DeliverStop();
    WindowHandlers* window_ = nullptr;
    bool closeRequested_ = false;
    bool timerEnabled_ = false;
    std::int64_t nextTick_ = 0;
};

// The backend in force: chosen on first use by TESMA_UI ("tty", "silent") or else by whether
// standard error is a terminal.
Backend& CurrentBackend();
// Replaces the backend (tests install a scripted one); nullptr returns to the automatic choice.
void SetBackend(std::unique_ptr<Backend> backend);

std::unique_ptr<Backend> MakeTerminalBackend();
std::unique_ptr<Backend> MakeSilentBackend();

}  // namespace tesma::ui

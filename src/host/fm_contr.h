#pragma once
// The progress window: shows a control run. It owns the run context (runtime::Run), starts the
// run at its timer's first tick, and hears of the run's progress: every protocol line and row
// step refreshes its counters and pumps messages, so the clock ticks and the stop button works
// during a run.
#include <cstdint>
#include <string>

#include "host/dispatcher.h"
#include "host/run_record.h"
#include "platform/ui/backend.h"
#include "runtime/run.h"

namespace tesma::host {

// Where the window's run stands; its ticks read it. A tick that finds the run waiting starts
// it; ticks that arrive while it runs (from message pumping inside the run) only refresh the
// window; a tick that finds it ended closes the window.
enum class RunStage : std::uint8_t {
    Waiting = 0,  // shown, the first tick not yet come
    Running = 1,
    Ended = 2,  // finished, failed or stopped
};

class TFmContr final : public ui::WindowHandlers, public runtime::RunProgress {
public:
    explicit TFmContr(void* owner);

    // ---- the run context (filled by the run entry) ----
    runtime::Run Context{*this};
    RunProcedures Procedures;  // what the run executes, in order
    RunStage RunState = RunStage::Waiting;

    // ---- what the host learns of the run ----
    RunRecord Record;  // besides the protocol file
    // How the run ended, for the host: stop pressed, protocol not opened, a failure.
    bool Stopped = false;
    bool ProtocolNotOpened = false;
    bool Failed = false;

    // ---- controls of the window ----
    void* Owner = nullptr;
    std::string Caption;
    std::string Panel1;
    std::string Ltime = "time";
    std::string Lname = "Lname";
    std::string Operator = "OperatorNo";
    std::string LrecNo = "RecNo";

    // ---- handlers ----
    void FormShow();
    void FormActivate();
    void TimerTimer();
    void SBstopClick();
    void FormClose();
    void UpdateCounters();
    void ExecuteRun();

    // The window's modal display; returns when the window has closed.
    void ShowModal();

private:
    void OnShow() override { FormShow(); }
    void OnActivate() override { FormActivate(); }
    void OnTick() override { TimerTimer(); }
    void OnStopClick() override { SBstopClick(); }
    void OnClose() override { FormClose(); }
    void RowStep() override { UpdateCounters(); }
    void PumpNow() override { UpdateCounters(); }
    void ProtocolLine(std::string_view text, const runtime::LineFacts& facts) override;
    bool Pause(std::int64_t ms) override;
    void Repaint();
};

// The progress window of the current call.
extern TFmContr* FmContr;
// The host's application object; kept, never dereferenced.
extern void* HostApplication;

}  // namespace tesma::host

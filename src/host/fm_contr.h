#pragma once
// The progress window: the visible progress display and the owner of the run context. Its
// timer's first tick runs the control procedures; every protocol line and row step refreshes
// its counters and pumps messages, so the clock ticks and the stop button works during a run.
#include <cstdint>
#include <string>

#include "host/descriptors.h"
#include "host/protocol_file.h"
#include "host/run_record.h"
#include "platform/engine/query.h"
#include "platform/ui/backend.h"

namespace tesma::host {

class TFmContr final : public ui::WindowHandlers {
public:
    explicit TFmContr(void* owner);

    // ---- run context (filled by the run entry) ----
    std::int32_t MainTableId = 0;
    std::int32_t PassThroughArg = 0;
    std::int32_t Mode = 0;
    std::int32_t InstanceId = 0;
    std::int32_t OtherInstanceId = 0;
    double ReportDate = 0;
    std::string ProtocolPath;
    std::string DataDir;
    std::string OverrideDir;
    HostLists Lists;
    std::uint8_t RunState = 0;  // 0 waiting, 1 running, 2 finished or stopped
    ProtocolFile Protocol;
    RunRecord Record;  // what the host learns of the run besides the protocol file
    // How the run ended, for the host: stop pressed, protocol not opened, a failure.
    bool Stopped = false;
    bool ProtocolNotOpened = false;
    bool Failed = false;
    std::string MainTableFile;
    std::string MainTableKind;  // one character, or empty

    // ---- query objects ----
    engine::Query Q{true};  // the main table, live
    engine::Query QQ;       // single-value lookups
    engine::Query QQQ;      // the aux table

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
    void WriteLine(std::string_view text);

    // The window's modal display; returns when the window has closed.
    void ShowModal();

private:
    void OnShow() override { FormShow(); }
    void OnActivate() override { FormActivate(); }
    void OnTick() override { TimerTimer(); }
    void OnStopClick() override { SBstopClick(); }
    void OnClose() override { FormClose(); }
    void Repaint();
};

// The progress window of the current call.
extern TFmContr* FmContr;
// The host's application object; kept, never dereferenced.
extern void* HostApplication;
// The current main-table row and the operator counter, shown in the window.
extern std::int32_t RowCounter;
extern std::int32_t OperatorCounter;

// Appends one line to the protocol of the current run; a header line ("**...") is also shown
// in the window.
void WriteProtocolLine(std::string_view text);

}  // namespace tesma::host

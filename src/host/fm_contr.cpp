#include "host/fm_contr.h"

#include <cstdlib>
#include <string_view>

#include "host/dispatcher.h"
#include "platform/text/cp1251.h"
#include "runtime/conversions.h"
#include "tesma/tesmaC.h"

using namespace tesma::literals;

namespace tesma::host {

namespace {

bool DiscardChangesRequested() {
    const char* v = std::getenv(TESMA_ENV_DISCARD_CHANGES);
    return v && *v && std::string_view(v) != "0";
}

}  // namespace

TFmContr* FmContr = nullptr;
void* HostApplication = nullptr;

TFmContr::TFmContr(void* owner) : Owner(owner), Caption("Контроль"_cp), Panel1("Идет контроль"_cp) {}

void TFmContr::Repaint() {
    ui::Backend& backend = ui::CurrentBackend();
    if (backend.Draws()) backend.Draw({Caption, Panel1, Ltime, Lname, Operator, LrecNo});
}

void TFmContr::ShowModal() { ui::CurrentBackend().ShowModal(*this); }

void TFmContr::FormShow() {
    RunState = RunStage::Waiting;
    LrecNo.clear();
    Operator.clear();
    Ltime = DatePartText("hh:nn:ss", CurrentDateTime());
    Repaint();
    ui::CurrentBackend().SetTimer(true);
}

void TFmContr::FormActivate() {
    // The window shows no title bar; where the backend has one, it removes it.
    ui::CurrentBackend().RemoveTitleBar();
}

void TFmContr::UpdateCounters() {
    ui::Backend& backend = ui::CurrentBackend();
    if (backend.Draws()) {
        LrecNo = std::to_string(Context.RowCounter);
        Operator = std::to_string(Context.OperatorCounter);
        Repaint();
    }
    backend.Pump();
}

void TFmContr::TimerTimer() {
    Ltime = DatePartText("hh:nn:ss", CurrentDateTime());
    Repaint();
    UpdateCounters();
    if (RunState == RunStage::Waiting) ExecuteRun();
    if (RunState == RunStage::Ended) {
        ui::CurrentBackend().SetTimer(false);
        ui::CurrentBackend().RequestClose();
    }
}

void TFmContr::ExecuteRun() {
    RunState = RunStage::Running;
    // The run ends finished, also when it fails or cannot open its protocol.
    struct Finished {
        TFmContr& w;
        bool ok = false;
        ~Finished() {
            if (!ok) w.Failed = true;
            w.RunState = RunStage::Ended;
        }
    } finished{*this};
    // A host that only inspects a report (a dry run) asks for the run's table changes to be
    // dropped: everything is computed and checked as usual, nothing is written back.
    Context.DiscardChanges = DiscardChangesRequested();
    const bool ran = Context.Execute([this] { Dispatch(Procedures); });
    finished.ok = true;
    // The protocol cannot be opened: nothing ran and nothing was written.
    if (!ran) ProtocolNotOpened = true;
}

void TFmContr::SBstopClick() {
    constexpr std::string_view kStopped = ">>>>> Прервано оператором"_cpv;
    if (Context.Protocol.IsOpen()) {
        Context.Protocol.WriteLineUnchecked(kStopped);
        runtime::LineFacts facts;
        facts.kind = runtime::LineKind::Stop;
        facts.procedure = Context.Procedure;
        Record.Line(kStopped, facts);
    }
    Stopped = true;
    RunState = RunStage::Ended;
}

void TFmContr::FormClose() {
    Context.Protocol.Close();
    Context.Q.Close();
    Context.Q.ClearSql();
}

bool TFmContr::Pause(std::int64_t ms) {
    ui::CurrentBackend().Idle(ms);
    return !Stopped;
}

void TFmContr::ProtocolLine(std::string_view text, const runtime::LineFacts& facts) {
    Record.Line(text, facts);
    if (text.substr(0, 2) == "**") {
        Lname = std::string(text.substr(2, 255));
        Repaint();
    }
}

}  // namespace tesma::host

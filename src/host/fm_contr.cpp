#include "host/fm_contr.h"

#include <cstdlib>
#include <string_view>

#include "host/dispatcher.h"
#include "platform/engine/files.h"
#include "platform/errors.h"
#include "platform/text/cp1251.h"
#include "runtime/arrays.h"
#include "runtime/conversions.h"
#include "runtime/record_access.h"
#include "runtime/sql_text.h"

using namespace tesma::literals;

namespace tesma::host {

namespace {

bool DiscardChangesRequested() {
    const char* v = std::getenv("TESMA_DISCARD_CHANGES");
    return v && *v && std::string_view(v) != "0";
}

}  // namespace

TFmContr* FmContr = nullptr;
void* HostApplication = nullptr;
std::int32_t RowCounter = 0;
std::int32_t OperatorCounter = 0;

TFmContr::TFmContr(void* owner) : Owner(owner), Caption("Контроль"_cp), Panel1("Идет контроль"_cp) {}

void TFmContr::Repaint() {
    ui::Backend& backend = ui::CurrentBackend();
    if (backend.Draws()) backend.Draw({Caption, Panel1, Ltime, Lname, Operator, LrecNo});
}

void TFmContr::ShowModal() { ui::CurrentBackend().ShowModal(*this); }

void TFmContr::FormShow() {
    RunState = 0;
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
        LrecNo = std::to_string(RowCounter);
        Operator = std::to_string(OperatorCounter);
        Repaint();
    }
    backend.Pump();
}

void TFmContr::TimerTimer() {
    Ltime = DatePartText("hh:nn:ss", CurrentDateTime());
    Repaint();
    UpdateCounters();
    if (RunState == 0) ExecuteRun();
    if (RunState == 2) {
        ui::CurrentBackend().SetTimer(false);
        ui::CurrentBackend().RequestClose();
    }
}

void TFmContr::ExecuteRun() {
    RunState = 1;
    if (Protocol.Open(ProtocolPath) != 0) {
        // The protocol cannot be opened: nothing runs and nothing is written.
        ProtocolNotOpened = true;
        RunState = 2;
        return;
    }
    // Whatever happens below, the run ends with the arrays freed, the main cursor and the
    // protocol closed, and the table changes written (or, after a failure, dropped).
    struct Finish {
        TFmContr* w;
        bool ok = false;
        ~Finish() {
            try {
                FreeArrayCells();
            } catch (...) {
            }
            EndRowAccess();
            w->Q.Close();
            w->QQQ.Close();
            w->QQ.Close();
            if (!ok) {
                engine::DefaultSession().Discard();
                w->Failed = true;
            }
            w->Protocol.Close();
            w->RunState = 2;
        }
    } finish{this};

    MainTableFile.clear();
    MainTableKind.clear();
    for (std::int32_t i = 1; i <= Lists.tables.Count(); ++i) {
        if (Lists.TableId(i) != MainTableId) continue;
        MainTableFile = Lists.TableFileName(i);
        std::string kind = Lists.TableKind(i);
        MainTableKind = kind.substr(0, 1);
        break;
    }
    ResetArrays();
    StartRowAccess();
    Q.Close();
    Q.ClearSql();
    Q.AddLine("select * from " + SqlTable(engine::JoinPath(DataDir, MainTableFile + ".DB")));
    if (InstanceId != 0) Q.AddLine(" where ID_EKZ=" + std::to_string(InstanceId));
    if (!MainTableFile.empty()) Q.Open();
    Dispatch(MainTableId, PassThroughArg, Mode);
    EndRowAccess();
    Q.Close();
    QQQ.Close();
    QQ.Close();
    // A host that only inspects a report (a dry run) asks for the run's table changes to be
    // dropped: everything is computed and checked as usual, nothing is written back.
    if (DiscardChangesRequested()) engine::DefaultSession().Discard();
    else engine::DefaultSession().Commit();
    finish.ok = true;
}

void TFmContr::SBstopClick() {
    constexpr std::string_view kStopped = ">>>>> Прервано оператором"_cpv;
    if (Protocol.IsOpen()) {
        Protocol.WriteLineUnchecked(kStopped);
        Record.Line(kStopped);
    }
    Stopped = true;
    RunState = 2;
}

void TFmContr::FormClose() {
    Protocol.Close();
    Q.Close();
    Q.ClearSql();
}

void TFmContr::WriteLine(std::string_view text) {
    UpdateCounters();
    Protocol.WriteLine(text);
    Record.Line(text);
    if (text.substr(0, 2) == "**") {
        Lname = std::string(text.substr(2, 255));
        Repaint();
    }
}

void WriteProtocolLine(std::string_view text) {
    if (!FmContr) throw Failure("a protocol line written outside a run");
    FmContr->WriteLine(text);
}

}  // namespace tesma::host

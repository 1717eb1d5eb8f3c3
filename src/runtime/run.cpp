#include "runtime/run.h"

#include <chrono>
#include <thread>

#include "platform/engine/files.h"
#include "platform/engine/session.h"
#include "platform/errors.h"
#include "runtime/record_access.h"
#include "runtime/sql_text.h"
#include "tesma/tesmaC.h"

namespace tesma::runtime {

namespace detail {

Run* gRunInProgress = nullptr;

void NoRunInProgress() { throw Failure("the run context is used outside a run"); }

}  // namespace detail

bool RunProgress::Pause(std::int64_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return true;
}

CurrentRunScope::CurrentRunScope(Run& run) : previous_(detail::gRunInProgress) { detail::gRunInProgress = &run; }

CurrentRunScope::~CurrentRunScope() { detail::gRunInProgress = previous_; }

void Run::SelectMainTable() {
    // The first descriptor of the main table's id gives its file and kind.
    MainTableFile.clear();
    MainTableKind.clear();
    for (std::int32_t i = 1; i <= Lists.tables.Count(); ++i) {
        if (Lists.TableId(i) != MainTableId) continue;
        MainTableFile = Lists.TableFileName(i);
        MainTableKind = Lists.TableKind(i).substr(0, 1);
        break;
    }
}

bool Run::Execute(const std::function<void()>& procedures) {
    // A FIFO as the protocol is often read by a program started beside the host (a shell's
    // background reader), which may open it a moment after the run: the run waits for it for a
    // few seconds, the window alive and its stop button heard, before giving up.
    constexpr std::int64_t kReaderPollMs = 50;
    std::int64_t waited = 0;
    const auto awaitReader = [&] {
        if (waited >= contract::kProtocolReaderWaitMs) return false;
        waited += kReaderPollMs;
        return progress_.Pause(kReaderPollMs);
    };
    // A protocol that cannot be opened: nothing runs and nothing is written.
    if (Protocol.Open(ProtocolPath, awaitReader) != 0) return false;
    // Whatever happens below, the run ends with the arrays freed, the cursors and the
    // protocol closed, and the table changes written (or, after a failure, dropped).
    struct Finish {
        Run& run;
        bool ok = false;
        ~Finish() {
            run.Arrays.FreeCells();
            EndRowAccess();
            run.Q.Close();
            run.QQQ.Close();
            run.QQ.Close();
            if (!ok) engine::DefaultSession().Discard();
            run.Protocol.Close();
        }
    } finish{*this};

    SelectMainTable();
    // A run starts with nothing of its own: no field list, no key chooser, no arrays.
    MainFields = {};
    NewRowKeys = {};
    RowsInstanceId.reset();
    RequisitesInstanceId.reset();
    Arrays.Reset();
    Q.Close();
    Q.ClearSql();
    Q.AddLine("select * from " + SqlTable(engine::JoinPath(DataDir, MainTableFile + ".DB")));
    if (InstanceId != 0) Q.AddLine(" where ID_EKZ=" + std::to_string(InstanceId));
    if (!MainTableFile.empty()) Q.Open();
    procedures();
    EndRowAccess();
    Q.Close();
    QQQ.Close();
    QQ.Close();
    if (DiscardChanges)
        engine::DefaultSession().DiscardAfterRehearsal();
    else
        engine::DefaultSession().Commit();
    finish.ok = true;
    return true;
}

void Run::WriteProtocolLine(std::string_view text, LineFacts& facts) {
    progress_.PumpNow();
    Protocol.WriteLine(text);
    facts.procedure = Procedure;
    progress_.ProtocolLine(text, facts);
}

}  // namespace tesma::runtime

namespace tesma {

namespace {

runtime::Run& RunWriting() {
    runtime::Run* run = runtime::RunInProgress();
    if (!run) throw Failure("a protocol line written outside a run");
    return *run;
}

}  // namespace

void WriteProtocolLine(std::string_view text, runtime::LineFacts& facts) {
    RunWriting().WriteProtocolLine(text, facts);
}

void WriteProtocolLine(std::string_view text) {
    runtime::LineFacts facts;
    facts.kind = text.substr(0, 2) == "**" ? runtime::LineKind::Header : runtime::LineKind::Other;
    WriteProtocolLine(text, facts);
}

void WriteHeaderLine(std::string_view procedure, std::string_view text) {
    runtime::Run& run = RunWriting();
    run.Procedure = procedure;
    runtime::LineFacts facts;
    facts.kind = runtime::LineKind::Header;
    run.WriteProtocolLine(text, facts);
}

}  // namespace tesma

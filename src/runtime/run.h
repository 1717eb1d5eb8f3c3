#pragma once
// A control run: what the host handed over (its arguments and descriptor lists), the main
// table found for it, the three query objects, the protocol file, and everything else that lives
// for one run (the main field list, the keys of new rows, the control arrays). The runtime
// operations and the control procedures work on the run in progress; whoever shows the run (the
// progress window) owns it and hears of its progress through RunProgress. What outlives runs
// lives in LibraryState.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/engine/query.h"
#include "runtime/arrays.h"
#include "runtime/descriptors.h"
#include "runtime/library_state.h"
#include "runtime/line_facts.h"
#include "runtime/main_fields.h"
#include "runtime/protocol_file.h"
#include "runtime/row_keys.h"

namespace tesma::runtime {

// What a run tells the one who shows it. Each call lets pending window messages run, so that
// the clock ticks and the stop button is heard while the procedures work.
class RunProgress {
public:
    virtual ~RunProgress() = default;
    // The main or aux cursor moved to another row.
    virtual void RowStep() = 0;
    // A protocol line is about to be written.
    virtual void PumpNow() = 0;
    // A protocol line was written (a header line, "**...", is shown), with what it is about.
    virtual void ProtocolLine(std::string_view text, const LineFacts& facts) = 0;
};

class Run {
public:
    explicit Run(RunProgress& progress) : progress_(progress) {}
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // ---- filled by the run entry ----
    std::int32_t MainTableId = 0;
    std::int32_t PassThroughArg = 0;  // handed to no procedure: none interprets it
    std::int32_t Mode = 0;
    std::int32_t InstanceId = 0;       // ID_EKZ of the report instance; 0: no condition
    std::int32_t OtherInstanceId = 0;  // ID_EKZ of the same bank in a report of another date
    double ReportDate = 0;
    std::string ProtocolPath;
    std::string DataDir;
    std::string OverrideDir;
    HostLists Lists;
    // A dry run: everything is computed and checked as usual, no table change is written.
    bool DiscardChanges = false;

    // ---- found by the run ----
    ProtocolFile Protocol;
    std::string MainTableFile;
    std::string MainTableKind;  // one character, or empty
    // The procedure that wrote the last header line: it writes the lines that follow.
    std::string_view Procedure;
    // A run on the report as a whole (instance 0): the one ID_EKZ of the main table's rows,
    // once known (0: none); see RequireOneInstance.
    std::optional<std::int32_t> RowsInstanceId;
    // The instance whose requisites are read, while a run on the report as a whole works on
    // one instance's rows (see RequisitesOfInstance); otherwise the run's own.
    std::optional<std::int32_t> RequisitesInstanceId;

    // ---- query objects ----
    engine::Query Q{true};  // the main table, live
    engine::Query QQ;       // single-value lookups
    engine::Query QQQ;      // the aux table

    // ---- what lives for this run alone ----
    MainFieldList MainFields;  // built at the run's first FirstRow
    RunRowKeys NewRowKeys;     // the keys of new rows of the main table
    ControlArrays Arrays;

    // ---- what the library keeps between runs ----
    std::int32_t& RowCounter = Library().counters.RowCounter;
    std::int32_t& OperatorCounter = Library().counters.OperatorCounter;

    // The whole run: opens the protocol (a protocol that cannot be opened runs nothing and
    // writes nothing: false), opens the main table on Q, runs `procedures`, and then, also
    // when they fail, frees the control arrays, lets the row buffer keep its values, closes the
    // queries and the protocol, and writes the table changes (or drops them after a failure or
    // in a dry run).
    bool Execute(const std::function<void()>& procedures);

    // Appends one line to the protocol; pending messages run first. `facts` say what it is
    // about; the run adds the procedure.
    void WriteProtocolLine(std::string_view text, LineFacts& facts);
    // The main or aux cursor moved: the counters are shown and pending messages run.
    void RowStep() { progress_.RowStep(); }

private:
    void SelectMainTable();
    RunProgress& progress_;
};

namespace detail {
extern Run* gRunInProgress;
[[noreturn]] void NoRunInProgress();
}  // namespace detail

// The run in progress, for as long as a CurrentRunScope holds it; null outside a run.
inline Run* RunInProgress() noexcept { return detail::gRunInProgress; }
// The run in progress; outside a run, a Failure.
inline Run& CurrentRun() {
    if (!detail::gRunInProgress) [[unlikely]]
        detail::NoRunInProgress();
    return *detail::gRunInProgress;
}

// Makes a run the run in progress while it lives.
class CurrentRunScope {
public:
    explicit CurrentRunScope(Run& run);
    ~CurrentRunScope();
    CurrentRunScope(const CurrentRunScope&) = delete;
    CurrentRunScope& operator=(const CurrentRunScope&) = delete;

private:
    Run* previous_;
};

}  // namespace tesma::runtime

namespace tesma {

// Appends one line to the protocol of the run in progress; a header line ("**...") is also
// shown in the progress window. Without facts, a line is a header line when it begins with
// "**", and another line otherwise.
void WriteProtocolLine(std::string_view text);
void WriteProtocolLine(std::string_view text, runtime::LineFacts& facts);
// A procedure's header line, its first: names the procedure for the lines that follow.
void WriteHeaderLine(std::string_view procedure, std::string_view text);

}  // namespace tesma

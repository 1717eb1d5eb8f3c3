#pragma once
// The results of `f101 check` as a value: what was checked (the report, its institution, date
// and instance), each chapter's run with its findings (protocol lines with their context and the
// library's finding records) and failures in order, and how the check ended. Every output of a
// check (text, JSON Lines, the batch's summary, pages and workbooks) is made from these values
// by a CheckSink (check_sink.h); a batch's worker hands them to the batch as JSON Lines
// (check_result_json.h).
#include <cstdint>
#include <string>
#include <vector>

#include "finding_context.h"
#include "protocol_output.h"

namespace tesma::f101 {

// One chapter table's run of the controls.
struct ChapterRun {
    std::string chapter;    // А, Б, В, Г, Д (UTF-8)
    std::string procedure;  // the run's procedure, "balance" (chapter А's findings tell its cross-checks apart)
    std::string table;      // the table file's name, UTF-8
    std::string tablePath;  // the table file, UTF-8
    std::int32_t tableId = 0;
    std::string outcome;            // how the run ended: contract::kOutcome* (finished, stopped, failed, no-protocol)
    std::vector<Finding> findings;  // every line the run appended to the protocol, in order
    std::vector<Failure> failures;  // what went wrong in the run that no earlier run of the check met
    // Findings the check does not show, count or let decide its exit status: those a baseline
    // holds (kept, so that a new baseline can record them again), and how many --ignore dropped.
    std::vector<Finding> setAside;
    int ignored = 0;

    // Whether the run started: a stop pressed before the first run ends it with nothing done.
    bool Started() const;
    bool operator==(const ChapterRun&) const = default;
};

struct ReportResult {
    std::string folder;         // the report folder as it was named (on the command line, or found by --recursive)
    std::string report;         // the dated folder, absolute with a closing "/"; empty when it could not be opened
    std::string regn;           // the institution's registration number, UTF-8; empty when the report does not say
    std::string bankName;       // its name, UTF-8; empty when the report does not say
    std::string reportingDate;  // YYYY-MM-DD; empty when the folder could not be opened
    std::int32_t instance = 0;  // the report instance checked (ID_EKZ); 0: the report as a whole
    std::string checkedAt;      // when the check started: local time, ISO 8601 with the UTC offset
    std::string version;        // f101's version

    std::vector<ChapterRun> chapters;  // in the order run
    // Failures of the check as a whole, not of one chapter's run: a folder that could not be
    // read, a dry run that changed a file.
    std::vector<Failure> failures;
    bool endedByFailure = false;  // one of them ended the check before its chapters were run
    std::string refusal;          // a usage error (exit status 2): the check did not start
    bool stopped = false;         // the operator stopped the check

    FindingCounts counts;  // every error and warning line (shown or not; not those set aside) and every failure
    // Whether findings were dropped by code (--ignore) and set aside by a baseline (--baseline):
    // the summaries then say how many.
    bool ignoring = false, withBaseline = false;
    int exitStatus = 0;
    double seconds = 0;  // how long the check took

    // A report whose worker process (in a batch) crashed, hung or was killed before it said the
    // report's result: only the chapters it sent are known; the batch adds a failure of the
    // check as a whole saying how the worker ended, and the counts and status follow from it.
    bool cutOff = false;
    // What the worker process wrote itself on its standard output and error while it checked
    // this report, beside its results: nothing, unless it crashed or something it loaded spoke.
    std::string workerOutput, workerErrors;

    // Whether any chapter's run checked anything (wrote a protocol line).
    bool Checked() const;
    // Findings that --ignore dropped and that the baseline set aside.
    int Ignored() const;
    int SetAside() const;
    // The folder the summary names: the dated folder once it was opened and the check went
    // through, else the folder as it was named.
    const std::string& SummaryName() const;
    bool operator==(const ReportResult&) const = default;
};

// The counts of a result's lines and failures (a refusal counts as the report's failure).
FindingCounts CountsOf(const ReportResult& result);
// The exit status of a result: 2 refused, 130 stopped, 3 a failure, 1 an error line, else 0.
int ExitStatusOf(const ReportResult& result);

}  // namespace tesma::f101

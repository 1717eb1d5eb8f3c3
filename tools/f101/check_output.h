#pragma once
// What `f101 check` prints of its results: for one report, a heading per chapter, the findings
// as text or JSON Lines (with their context and, on request, the rule's explanation), failures
// with the same context, and a summary line; for a batch, each report's output whole under its
// heading, in the order given.
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "check_sink.h"

namespace tesma::f101 {

struct CheckView {
    bool json = false;
    bool explain = false;
    bool quiet = false;       // the summary line only
    std::string severity;     // "", "error" or "warning": the least severity shown
    bool statistics = false;  // counts by code before the summary
    // Severities in colour (errors red, warnings yellow, failures bold) on the output and on the
    // error stream: only where the stream is a terminal that takes colours.
    bool colour = false, colourErrors = false;
};

// Whether a finding is shown when `leastSeverity` ("", "error" or "warning") is asked for.
bool ShownAtSeverity(const Finding& finding, const std::string& leastSeverity);

// Whether a stream of this descriptor takes colours: a terminal, without NO_COLOR or TERM=dumb.
bool ColourTerminal(int fd);

// The summary line of a report: "<report>: N errors, N warnings, N failures", with what was
// ignored and set aside when the check did either.
std::string SummaryLine(const ReportResult& report);
// The summary record that ends the JSON Lines of a report: {"row": null, "code": null,
// "severity": "summary", "message": the summary line, "report", "regn", "bank_name",
// "reports": 1, "errors", "warnings", "failures", "ignored", "set_aside" (null unless the check
// used --ignore, --baseline), "exit_status", "checked"}.
nlohmann::json SummaryRecord(const ReportResult& report);

// Text: each chapter's run under its heading as it ends, failures and the stop on standard
// error (`err`), then the summary line.
class TextOutput : public CheckSink {
public:
    TextOutput(const CheckView& view, std::ostream& out, std::ostream& err) : view_(view), out_(out), err_(err) {}
    void ChapterDone(const ReportResult& report, const ChapterRun& run) override;
    void ReportDone(const ReportResult& report) override;

private:
    CheckView view_;
    std::ostream &out_, &err_;
};

// JSON Lines: one record per finding shown, a failure as a record with the context of the run
// that met it, the stop as a record, the counts by code if asked, and the summary record.
class JsonOutput : public CheckSink {
public:
    JsonOutput(const CheckView& view, std::ostream& out, std::ostream& err) : view_(view), out_(out), err_(err) {}
    void ChapterDone(const ReportResult& report, const ChapterRun& run) override;
    void ReportDone(const ReportResult& report) override;

private:
    CheckView view_;
    std::ostream &out_, &err_;
};

// The output the view asks for.
std::unique_ptr<CheckSink> ReportOutput(const CheckView& view, std::ostream& out, std::ostream& err);

// A batch's reports, each printed whole when it is done (the batch gives them in the order
// given): in text under "#### <report>", with "<report>: stopped" after a stopped one; what the
// report's process wrote itself follows its own output. In text with --quiet the batch's summary
// table says it all, so a report prints nothing but what went wrong.
class BatchReportOutput : public CheckSink {
public:
    BatchReportOutput(const CheckView& view, std::ostream& out, std::ostream& err)
        : view_(view), out_(out), err_(err) {}
    void ReportDone(const ReportResult& report) override;

private:
    CheckView view_;
    std::ostream &out_, &err_;
};

}  // namespace tesma::f101

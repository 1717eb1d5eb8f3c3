#pragma once
// What `f101 check` prints of its results: for one report, a heading per chapter, the findings
// as text or JSON Lines (with their context and, on request, the rule's explanation), failures
// with the same context, and a summary line; for a batch, each report's output whole under its
// heading, in the order given.
#include <memory>
#include <ostream>
#include <string>

#include "check_sink.h"

namespace tesma::f101 {

struct CheckView {
    bool json = false;
    bool explain = false;
    bool quiet = false;    // the summary line only
    std::string severity;  // "", "error" or "warning": the least severity shown
};

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
// that met it, the stop as a record, and with --quiet one summary record.
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
// report's process wrote itself follows its own output.
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

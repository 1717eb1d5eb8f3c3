#pragma once
// A batch's summary: a table of errors, warnings, failures, time, exit status and state per
// report with a total line, and the same as CSV, both in the numeric order of the reports'
// registration numbers; after them the counts by code and, in JSON Lines, the batch's summary
// record. The findings of a check recorded as a baseline.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "check_output.h"
#include "check_sink.h"

namespace tesma::f101 {

// The reports in the numeric order of their registration numbers (those that name none last, in
// the order given).
std::vector<const BatchReport*> InRegnOrder(const BatchResult& batch);

// The exit status of a batch: 130 when stopped, else the worst of the reports run.
int BatchExitStatus(const BatchResult& batch);

class SummaryTable : public CheckSink {
public:
    explicit SummaryTable(std::ostream& out) : out_(out) {}
    void BatchDone(const BatchResult& batch) override;

private:
    std::ostream& out_;
};

// Throws std::runtime_error naming the file when it cannot be written.
class SummaryCsv : public CheckSink {
public:
    explicit SummaryCsv(std::string path) : path_(std::move(path)) {}
    void BatchDone(const BatchResult& batch) override;

private:
    std::string path_;
};

// After a batch's table: the counts by code over all its reports (--statistics) and, with
// --json, the batch's summary record, the last line of its output: {"row": null, "code": null,
// "severity": "summary", "message": the total line, "report": null, "regn": null,
// "bank_name": null, "reports", "errors", "warnings", "failures", "ignored", "set_aside",
// "exit_status", "checked"}.
class BatchTotals : public CheckSink {
public:
    BatchTotals(const CheckView& view, std::ostream& out) : view_(view), out_(out) {}
    void BatchDone(const BatchResult& batch) override;

private:
    CheckView view_;
    std::ostream& out_;
};

// Records the findings of the command's reports in a baseline file (not after a stop: a partial
// baseline would set aside less than the user meant, so the file is left as it was); says how
// many on standard error. Throws std::runtime_error naming the file when it cannot be written.
class BaselineOutput : public CheckSink {
public:
    explicit BaselineOutput(std::string path) : path_(std::move(path)) {}
    void BatchDone(const BatchResult& batch) override;

private:
    std::string path_;
};

}  // namespace tesma::f101

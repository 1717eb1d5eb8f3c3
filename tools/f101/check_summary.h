#pragma once
// A batch's summary: a table of errors, warnings, failures, time, exit status and state per
// report with a total line, and the same as CSV.
#include <ostream>
#include <string>

#include "check_sink.h"

namespace tesma::f101 {

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

}  // namespace tesma::f101

#pragma once
// `f101 check --xlsx FILE`: the check's results as a workbook. A sheet "findings" lists every
// finding and failure with the fields of the --json records; then a sheet per checked chapter
// table, the table as the check left it, with the cells a finding concerns filled in colour (red
// an error, yellow a warning) and a note naming each finding's code and message. A batch's
// workbook begins with a sheet "summary" of its reports.
#include <memory>
#include <string>

#include "check_sink.h"

namespace tesma::reportkit {
class Workbook;
}

namespace tesma::f101 {

class WorkbookOutput : public CheckSink {
public:
    // A folder that does not exist is a UsageError at once, before anything is checked.
    WorkbookOutput(std::string path, bool batch, bool explain);
    ~WorkbookOutput() override;
    // Writes the workbook; a failure is a std::runtime_error naming the file.
    void BatchDone(const BatchResult& batch) override;

private:
    std::unique_ptr<reportkit::Workbook> book_;
    bool batch_, explain_;
};

}  // namespace tesma::f101

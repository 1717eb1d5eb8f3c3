#pragma once
// What `f101 check` prints for one report: a heading per chapter, the findings as text or JSON
// Lines (with their context and, on request, the rule's explanation), failures with the same
// context, and a summary line.
#include <ostream>
#include <string>
#include <vector>

#include "finding_context.h"
#include "run_session.h"

namespace tesma::f101 {

struct CheckView {
    bool json = false;
    bool explain = false;
    bool quiet = false;    // the summary line only
    std::string severity;  // "", "error" or "warning": the least severity shown
};

// Each chapter's run under its heading, its findings with their context; a failure in text
// output on standard error, in JSON as a record with the context of the run that met it.
class CheckOutput : public RunOutput {
public:
    explicit CheckOutput(const CheckView& view) : view_(view) {}
    void Print(const reportkit::ReportFolder& folder, const reportkit::RunRequest& request,
               const reportkit::RunOutcome& outcome, const std::vector<reportkit::ProtocolLine>& lines,
               const std::vector<Failure>& failures) override;

private:
    CheckView view_;
};

// "<report>: 2 errors, 5 warnings, 0 failures" (JSON: one record with the counts).
void PrintSummary(std::ostream& out, const std::string& report, const FindingCounts& counts, const CheckView& view);

}  // namespace tesma::f101

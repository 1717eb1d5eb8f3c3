#pragma once
// What `f101 check` prints for one report: a heading per chapter, the findings as text or JSON
// Lines (with their context and, on request, the rule's explanation), and a summary line.
#include <ostream>
#include <string>
#include <vector>

#include "finding_context.h"

namespace tesma::f101 {

struct CheckView {
    bool json = false;
    bool explain = false;
    bool quiet = false;    // the summary line only
    std::string severity;  // "", "error" or "warning": the least severity shown
};

struct FindingCounts {
    int errors = 0, warnings = 0, failures = 0;
    void Add(const FindingCounts& o) { errors += o.errors, warnings += o.warnings, failures += o.failures; }
};

FindingCounts Count(const std::vector<Finding>& findings);

// The heading of a chapter's block in text output.
void PrintChapterHeading(std::ostream& out, const RunContext& context, const CheckView& view);
void PrintFindings(std::ostream& out, const std::vector<Finding>& findings, const CheckView& view);
// "<report>: 2 errors, 5 warnings, 0 failures" (JSON: one record with the counts).
void PrintSummary(std::ostream& out, const std::string& report, const FindingCounts& counts, const CheckView& view);

}  // namespace tesma::f101

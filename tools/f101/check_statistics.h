#pragma once
// Counts of the findings shown by code (--statistics), as linters give them: for one report
// after its findings, for a batch after its summary table; in text or as JSON Lines records.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "check_result.h"

namespace tesma::f101 {

struct CodeCount {
    std::string code, severity;  // severity: "error" or "warning"
    std::string message;         // the first finding's message
    int findings = 0, reports = 0;
};

// The findings shown (error and warning lines of `leastSeverity` or worse) of the reports, by
// code, the most frequent first.
std::vector<CodeCount> CountByCode(const std::vector<const ReportResult*>& reports, const std::string& leastSeverity);

// "== by code ==", then a line per code: findings, code, severity, reports, first message.
void PrintStatistics(std::ostream& out, const std::vector<CodeCount>& counts);
// {"row": null, "code", "severity": "statistics", "message": the first finding's,
//  "finding_severity", "findings", "reports"}
nlohmann::json StatisticsRecord(const CodeCount& count);

}  // namespace tesma::f101

#pragma once
// Findings set aside before any output sees them: codes dropped with --ignore, and the findings
// a baseline recorded (--write-baseline, then --baseline). A finding of a baseline is matched by
// its report, chapter, code, account and sign, never by its row, which moves when the total rows
// are rebuilt. The filter is applied to each chapter's run as it ends, before the check's sinks
// get it, so that every output (text, JSON, pages, workbooks) shows, counts and ends with the
// same findings.
#include <compare>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "check_result.h"

namespace tesma::f101 {

// What identifies a finding from one check of a report to the next.
struct FindingKey {
    // The report: its institution's registration number, reporting date and instance, so that a
    // tree imported again or moved still matches; the dated folder and instance when the report
    // does not name its institution.
    std::string report;
    std::string chapter, code, account, sign;

    auto operator<=>(const FindingKey&) const = default;
};

FindingKey KeyOf(const ReportResult& report, const Finding& finding);

// The findings a baseline file holds: JSON Lines, one record per finding, written by
// WriteBaseline. A key recorded n times sets aside n findings of that key.
class Baseline {
public:
    // A missing file, or a line that is not a baseline record, is a reportkit::UsageError
    // naming the file (and the line).
    static Baseline Read(const std::string& path);
    // Takes one recorded finding of the key; false when none is left.
    bool Take(const FindingKey& key);

private:
    std::map<FindingKey, int> left_;
};

// Records the findings of the reports (error and warning lines: those shown and those a baseline
// set aside) in a baseline file, replaced whole; returns how many. A file that cannot be
// written is a std::runtime_error naming it.
int WriteBaseline(const std::string& path, const std::vector<const ReportResult*>& reports);

class FindingFilter {
public:
    FindingFilter(std::set<std::string> ignore, std::optional<Baseline> baseline)
        : ignore_(std::move(ignore)), baseline_(std::move(baseline)) {}
    // Says in the result what the filter sets aside (before its chapters are run).
    void Mark(ReportResult& report) const;
    // Drops the run's findings of ignored codes and sets aside those the baseline holds.
    void Apply(const ReportResult& report, ChapterRun& run);

private:
    std::set<std::string> ignore_;
    std::optional<Baseline> baseline_;
};

}  // namespace tesma::f101

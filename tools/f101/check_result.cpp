#include "check_result.h"

#include <algorithm>

#include "check_sink.h"
#include "exit_status.h"
#include "tesma/tesmaC.h"

namespace tesma::f101 {

bool ChapterRun::Started() const { return outcome != contract::kOutcomeStopped || !findings.empty(); }

bool ReportResult::Checked() const {
    return std::any_of(chapters.begin(), chapters.end(), [](const ChapterRun& c) { return !c.findings.empty(); });
}

int ReportResult::Ignored() const {
    int n = 0;
    for (const ChapterRun& c : chapters) n += c.ignored;
    return n;
}

int ReportResult::SetAside() const {
    int n = 0;
    for (const ChapterRun& c : chapters) n += static_cast<int>(c.setAside.size());
    return n;
}

const std::string& ReportResult::SummaryName() const { return endedByFailure || report.empty() ? folder : report; }

FindingCounts CountsOf(const ReportResult& r) {
    FindingCounts c;
    for (const ChapterRun& run : r.chapters) {
        for (const Finding& f : run.findings) {
            if (f.line.severity == "error") ++c.errors;
            if (f.line.severity == "warning") ++c.warnings;
        }
        c.failures += static_cast<int>(run.failures.size());
    }
    c.failures += static_cast<int>(r.failures.size());
    if (!r.refusal.empty()) c.failures = std::max(c.failures, 1);
    return c;
}

int ExitStatusOf(const ReportResult& r) {
    if (!r.refusal.empty()) return kUsage;
    if (r.endedByFailure) return kCouldNotCheck;
    if (r.stopped) return kStopped;
    if (r.counts.failures > 0) return kCouldNotCheck;
    return r.counts.errors > 0 ? kFindings : kClean;
}

void Replay(const ReportResult& result, CheckSink& sink) {
    for (const ChapterRun& run : result.chapters) sink.ChapterDone(result, run);
    sink.ReportDone(result);
}

}  // namespace tesma::f101

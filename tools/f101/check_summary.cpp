#include "check_summary.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "csv.h"
#include "exit_status.h"

namespace tesma::f101 {

namespace {

const char* StateText(const BatchReport& r) {
    if (!r.run) return "not run";
    return r.result.exitStatus == kStopped ? "stopped" : "done";
}

std::string ExitText(const BatchReport& r, const char* notRun) {
    return r.run ? std::to_string(r.result.exitStatus) : std::string(notRun);
}

}  // namespace

void SummaryTable::BatchDone(const BatchResult& batch) {
    std::size_t width = 6;
    for (const BatchReport& r : batch.reports) width = std::max(width, r.result.folder.size());
    out_ << std::left << std::setw(static_cast<int>(width)) << "report" << std::right << std::setw(8) << "errors"
         << std::setw(10) << "warnings" << std::setw(10) << "failures" << std::setw(9) << "time" << std::setw(6)
         << "exit"
         << "  state\n";
    FindingCounts total;
    for (const BatchReport& r : batch.reports) {
        const FindingCounts& c = r.result.counts;
        std::ostringstream t;
        t << std::fixed << std::setprecision(2) << r.seconds << "s";
        out_ << std::left << std::setw(static_cast<int>(width)) << r.result.folder << std::right << std::setw(8)
             << c.errors << std::setw(10) << c.warnings << std::setw(10) << c.failures << std::setw(9) << t.str()
             << std::setw(6) << ExitText(r, "-") << "  " << StateText(r) << '\n';
        total.errors += c.errors, total.warnings += c.warnings, total.failures += c.failures;
    }
    char wall[32];
    std::snprintf(wall, sizeof wall, "%.1f", batch.seconds);
    out_ << batch.reports.size() << " reports: " << total.errors << " errors, " << total.warnings << " warnings, "
         << total.failures << " failures, in " << wall << " s\n";
    out_.flush();
}

void SummaryCsv::BatchDone(const BatchResult& batch) {
    std::ofstream out(path_, std::ios::trunc);
    if (!out) throw std::runtime_error(path_ + ": cannot write the summary");
    out << "report,errors,warnings,failures,seconds,exit,state\n";
    for (const BatchReport& r : batch.reports) {
        const FindingCounts& c = r.result.counts;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", r.seconds);
        out << reportkit::CsvField(r.result.folder) << ',' << c.errors << ',' << c.warnings << ',' << c.failures << ','
            << seconds << ',' << ExitText(r, "") << ',' << StateText(r) << '\n';
    }
    if (!out.flush()) throw std::runtime_error(path_ + ": cannot write the summary");
}

}  // namespace tesma::f101

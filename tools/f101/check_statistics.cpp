#include "check_statistics.h"

#include <algorithm>
#include <iomanip>
#include <map>

#include "check_output.h"

namespace tesma::f101 {

std::vector<CodeCount> CountByCode(const std::vector<const ReportResult*>& reports, const std::string& leastSeverity) {
    std::map<std::string, CodeCount> byCode;
    for (const ReportResult* r : reports) {
        std::map<std::string, bool> inReport;
        for (const ChapterRun& run : r->chapters)
            for (const Finding& f : run.findings) {
                if (f.line.code.empty() || !ShownAtSeverity(f, leastSeverity)) continue;
                CodeCount& c = byCode[f.line.code];
                if (c.findings++ == 0) c.code = f.line.code, c.severity = f.line.severity, c.message = f.line.message;
                if (!inReport[f.line.code]) inReport[f.line.code] = true, ++c.reports;
            }
    }
    std::vector<CodeCount> out;
    for (auto& [code, c] : byCode) out.push_back(std::move(c));
    std::stable_sort(out.begin(), out.end(),
                     [](const CodeCount& a, const CodeCount& b) { return a.findings > b.findings; });
    return out;
}

void PrintStatistics(std::ostream& out, const std::vector<CodeCount>& counts) {
    out << "== by code ==\n";
    for (const CodeCount& c : counts)
        out << std::setw(7) << c.findings << "  " << std::left << std::setw(9) << c.code << std::setw(8) << c.severity
            << std::right << std::setw(5) << c.reports << (c.reports == 1 ? " report   " : " reports  ") << c.message
            << '\n';
}

nlohmann::json StatisticsRecord(const CodeCount& c) {
    return {{"row", nullptr},
            {"code", c.code},
            {"severity", "statistics"},
            {"message", c.message},
            {"finding_severity", c.severity},
            {"findings", c.findings},
            {"reports", c.reports}};
}

}  // namespace tesma::f101

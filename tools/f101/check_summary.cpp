#include "check_summary.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "check_statistics.h"
#include "csv.h"
#include "exit_status.h"
#include "finding_filter.h"
#include "protocol_output.h"

namespace tesma::f101 {

namespace {

const char* StateText(const BatchReport& r) {
    if (!r.run) return "not run";
    return r.result.exitStatus == kStopped ? "stopped" : "done";
}

std::string ExitText(const BatchReport& r, const char* notRun) {
    return r.run ? std::to_string(r.result.exitStatus) : std::string(notRun);
}

std::string Plural(std::size_t n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

// Characters (not bytes) of a UTF-8 text.
std::size_t Width(const std::string& utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The text cut to `width` characters ("…" marking a cut), then padded to it.
std::string Cell(const std::string& utf8, std::size_t width, bool left = true) {
    std::string text = utf8;
    if (Width(text) > width) {
        std::size_t i = 0, shown = 0;
        for (; i < text.size(); ++i) {
            if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
            if (shown == width - 1) break;
            ++shown;
        }
        text = text.substr(0, i) + "…";
    }
    const std::string pad(width - Width(text), ' ');
    return left ? text + pad : pad + text;
}

// The digits a registration number begins with, as a number ("1481-1" is 1481).
unsigned long long RegnNumber(const std::string& regn) {
    unsigned long long n = 0;
    for (const char c : regn) {
        if (c < '0' || c > '9') break;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n;
}

struct Totals {
    FindingCounts counts;
    int ignored = 0, setAside = 0;
    bool ignoring = false, withBaseline = false;
};

Totals TotalsOf(const BatchResult& batch) {
    Totals t;
    for (const BatchReport& r : batch.reports) {
        const ReportResult& x = r.result;
        t.counts.errors += x.counts.errors, t.counts.warnings += x.counts.warnings,
            t.counts.failures += x.counts.failures;
        t.ignored += x.Ignored(), t.setAside += x.SetAside();
        t.ignoring = t.ignoring || x.ignoring, t.withBaseline = t.withBaseline || x.withBaseline;
    }
    return t;
}

std::string TotalLine(const BatchResult& batch, const Totals& t) {
    std::string line = Plural(batch.reports.size(), "report") + ": " +
                       Plural(static_cast<std::size_t>(t.counts.errors), "error") + ", " +
                       Plural(static_cast<std::size_t>(t.counts.warnings), "warning") + ", " +
                       Plural(static_cast<std::size_t>(t.counts.failures), "failure");
    if (t.ignoring) line += ", " + std::to_string(t.ignored) + " ignored";
    if (t.withBaseline) line += ", " + std::to_string(t.setAside) + " set aside by the baseline";
    return line;
}

}  // namespace

std::vector<const BatchReport*> InRegnOrder(const BatchResult& batch) {
    std::vector<const BatchReport*> order;
    for (const BatchReport& r : batch.reports) order.push_back(&r);
    std::stable_sort(order.begin(), order.end(), [](const BatchReport* a, const BatchReport* b) {
        const std::string &x = a->result.regn, &y = b->result.regn;
        if (x.empty() || y.empty()) return !x.empty() && y.empty();
        const auto nx = RegnNumber(x), ny = RegnNumber(y);
        return nx != ny ? nx < ny : x < y;
    });
    return order;
}

int BatchExitStatus(const BatchResult& batch) {
    if (batch.stopped) return kStopped;
    int worst = 0;
    for (const BatchReport& r : batch.reports) worst = std::max(worst, r.run ? r.result.exitStatus : 0);
    return worst;
}

void SummaryTable::BatchDone(const BatchResult& batch) {
    constexpr std::size_t kBankWidth = 32;
    std::size_t width = 6, regnWidth = 4;
    for (const BatchReport& r : batch.reports) {
        width = std::max(width, Width(r.result.folder));
        regnWidth = std::max(regnWidth, Width(r.result.regn));
    }
    out_ << Cell("report", width) << "  " << Cell("regn", regnWidth) << "  " << Cell("bank", kBankWidth) << std::right
         << Cell("errors", 8, false) << Cell("warnings", 10, false) << Cell("failures", 10, false)
         << Cell("time", 9, false) << Cell("exit", 6, false) << "  state\n";
    for (const BatchReport* r : InRegnOrder(batch)) {
        const FindingCounts& c = r->result.counts;
        char t[32];
        std::snprintf(t, sizeof t, "%.2fs", r->seconds);
        out_ << Cell(r->result.folder, width) << "  " << Cell(r->result.regn, regnWidth) << "  "
             << Cell(r->result.bankName, kBankWidth) << Cell(std::to_string(c.errors), 8, false)
             << Cell(std::to_string(c.warnings), 10, false) << Cell(std::to_string(c.failures), 10, false)
             << Cell(t, 9, false) << Cell(ExitText(*r, "-"), 6, false) << "  " << StateText(*r) << '\n';
    }
    char wall[32];
    std::snprintf(wall, sizeof wall, "%.1f", batch.seconds);
    out_ << TotalLine(batch, TotalsOf(batch)) << ", in " << wall << " s\n";
    out_.flush();
}

void SummaryCsv::BatchDone(const BatchResult& batch) {
    std::ofstream out(path_, std::ios::trunc);
    if (!out) throw std::runtime_error(path_ + ": cannot write the summary");
    out << "report,regn,bank_name,errors,warnings,failures,seconds,exit,state\n";
    for (const BatchReport* r : InRegnOrder(batch)) {
        const FindingCounts& c = r->result.counts;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", r->seconds);
        out << reportkit::CsvField(r->result.folder) << ',' << reportkit::CsvField(r->result.regn) << ','
            << reportkit::CsvField(r->result.bankName) << ',' << c.errors << ',' << c.warnings << ',' << c.failures
            << ',' << seconds << ',' << ExitText(*r, "") << ',' << StateText(*r) << '\n';
    }
    if (!out.flush()) throw std::runtime_error(path_ + ": cannot write the summary");
}

void BatchTotals::BatchDone(const BatchResult& batch) {
    std::vector<const ReportResult*> reports;
    for (const BatchReport& r : batch.reports)
        if (r.run) reports.push_back(&r.result);
    if (view_.statistics) {
        const std::vector<CodeCount> counts = CountByCode(reports, view_.severity);
        if (view_.json)
            for (const CodeCount& c : counts) PrintRecord(out_, StatisticsRecord(c));
        else
            PrintStatistics(out_, counts);
    }
    if (view_.json) {
        const Totals t = TotalsOf(batch);
        nlohmann::json j = LineRecord({std::nullopt, "", "summary", TotalLine(batch, t)});
        j["report"] = nullptr;
        j["regn"] = nullptr;
        j["bank_name"] = nullptr;
        j["reports"] = batch.reports.size();
        j["errors"] = t.counts.errors;
        j["warnings"] = t.counts.warnings;
        j["failures"] = t.counts.failures;
        j["ignored"] = t.ignoring ? nlohmann::json(t.ignored) : nlohmann::json(nullptr);
        j["set_aside"] = t.withBaseline ? nlohmann::json(t.setAside) : nlohmann::json(nullptr);
        j["exit_status"] = BatchExitStatus(batch);
        j["checked"] = std::any_of(reports.begin(), reports.end(), [](const ReportResult* r) { return r->Checked(); });
        PrintRecord(out_, j);
    }
    out_.flush();
}

void BaselineOutput::BatchDone(const BatchResult& batch) {
    if (batch.stopped) {
        std::cerr << "f101: " << path_ << ": the baseline was not written (the check was stopped)\n";
        return;
    }
    std::vector<const ReportResult*> reports;
    for (const BatchReport& r : batch.reports)
        if (r.run) reports.push_back(&r.result);
    const int n = WriteBaseline(path_, reports);
    std::cerr << "f101: " << path_ << ": " << n << (n == 1 ? " finding" : " findings") << " recorded as the baseline\n";
}

}  // namespace tesma::f101

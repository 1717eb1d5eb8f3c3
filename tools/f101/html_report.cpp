#include "html_report.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "html_page.h"
#include "html_text.h"
#include "report_folder.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

// Writes the file whole, through a scratch file renamed over it, so that a reader never sees
// half a page.
void WriteFile(const std::string& path, const std::string& text) {
    const std::string scratch = path + ".part";
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(scratch, ec);
            throw std::runtime_error(path + ": cannot write the page");
        }
    }
    std::error_code ec;
    fs::rename(scratch, path, ec);
    if (ec) {
        fs::remove(scratch, ec);
        throw std::runtime_error(path + ": cannot write the page");
    }
}

std::string StateOf(const ReportResult& r) {
    if (!r.refusal.empty()) return "refused";
    if (r.stopped) return "stopped";
    if (r.cutOff || r.counts.failures > 0) return "failed";
    if (r.counts.errors > 0) return "errors";
    if (r.counts.warnings > 0) return "warnings";
    return "clean";
}

std::string_view StateWords(const PageWords& w, const std::string& state) {
    if (state == "refused") return w.refused;
    if (state == "stopped") return w.stopped;
    if (state == "failed") return w.failed;
    if (state == "errors") return w.withErrors;
    if (state == "warnings") return w.warningsOnly;
    if (state == "not run") return w.notRun;
    return w.clean;
}

// Registration numbers in numeric order ("1481" before "10000"; "1481/2" after "1481"); a report
// without one after those with one.
bool RegnBefore(const HtmlBatch::Entry& a, const HtmlBatch::Entry& b) {
    auto key = [](const std::string& regn) {
        std::size_t digits = 0;
        while (digits < regn.size() && std::isdigit(static_cast<unsigned char>(regn[digits]))) ++digits;
        const std::string number = regn.substr(0, digits);
        const std::size_t lead = std::min(number.find_first_not_of('0'), number.size());
        return std::make_tuple(regn.empty(), number.size() - lead, number.substr(lead), regn.substr(digits));
    };
    const auto ka = key(a.regn), kb = key(b.regn);
    if (ka != kb) return ka < kb;
    return std::tie(a.reportingDate, a.folder) < std::tie(b.reportingDate, b.folder);
}

// Whether the index's filter keeps a report: it has errors, or it failed, was refused or stopped.
bool NeedsAction(const std::string& state) { return state != "clean" && state != "warnings"; }

// A file name made of the safe characters of a text.
std::string SafeName(const std::string& text) {
    std::string name;
    for (char c : text) name += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
    return name;
}

void CountsBars(std::string& out, const std::vector<HtmlBatch::Entry>& entries, const PageWords& w) {
    struct CodeCount {
        std::string code, severity;
        int findings = 0, reports = 0;
    };
    std::map<std::string, CodeCount> byCode;
    for (const HtmlBatch::Entry& e : entries)
        for (const auto& [code, n] : e.findingsByCode) {
            CodeCount& c = byCode[code];
            c.code = code;
            c.severity = e.severityOf.at(code);
            c.findings += n;
            ++c.reports;
        }
    std::vector<CodeCount> codes;
    for (auto& [code, c] : byCode) codes.push_back(c);
    std::stable_sort(codes.begin(), codes.end(),
                     [](const CodeCount& a, const CodeCount& b) { return a.findings > b.findings; });
    out += "<h2>" + Escaped(w.byCode) + "</h2>\n";
    if (codes.empty()) {
        out += "<p>" + Escaped(w.noFindings) + "</p>\n";
        return;
    }
    const int most = codes.front().findings;
    constexpr int kBar = 360, kLine = 18, kLabel = 80;
    out += "<svg role=\"img\" width=\"" + std::to_string(kLabel + kBar + 160) + "\" height=\"" +
           std::to_string(kLine * codes.size() + 4) + "\" viewBox=\"0 0 " + std::to_string(kLabel + kBar + 160) + " " +
           std::to_string(kLine * codes.size() + 4) + "\">";
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const CodeCount& c = codes[i];
        const int width = std::max(1, kBar * c.findings / std::max(1, most));
        const std::string y = std::to_string(kLine * i + 2);
        const std::string base = std::to_string(kLine * i + 15);
        out += "<text x=\"0\" y=\"" + base + "\">" + Escaped(c.code) + "</text><rect x=\"" + std::to_string(kLabel) +
               "\" y=\"" + y + "\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(kLine - 4) +
               "\" fill=\"" + (c.severity == "warning" ? "#a86400" : "#c62828") + "\"/><text x=\"" +
               std::to_string(kLabel + width + 6) + "\" y=\"" + base + "\">" + std::to_string(c.findings) + " / " +
               std::to_string(c.reports) + "</text>";
    }
    out += "</svg>\n<table class=\"codes\"><tr><th class=\"t\">" + Escaped(w.code) + "</th><th class=\"t\">" +
           Escaped(w.severity) + "</th><th>" + Escaped(w.findings) + "</th><th>" + Escaped(w.reports) + "</th></tr>";
    for (const CodeCount& c : codes)
        out += "<tr><td class=\"t\">" + Escaped(c.code) + "</td><td class=\"t\"><span class=\"sev " +
               Escaped(c.severity) + "\">" + Escaped(SeverityWord(w, c.severity)) + "</span></td><td>" +
               std::to_string(c.findings) + "</td><td>" + std::to_string(c.reports) + "</td></tr>";
    out += "</table>\n";
}

}  // namespace

std::string IndexPage(std::vector<HtmlBatch::Entry> entries, Language language, double seconds, bool stopped) {
    const PageWords& w = WordsOf(language);
    std::stable_sort(entries.begin(), entries.end(), RegnBefore);
    FindingCounts total;
    int withFindings = 0;
    for (const HtmlBatch::Entry& e : entries) {
        total.errors += e.counts.errors;
        total.warnings += e.counts.warnings;
        total.failures += e.counts.failures;
        withFindings += NeedsAction(e.state);
    }
    std::string out = "<!DOCTYPE html>\n<html lang=\"";
    out += w.lang;
    out +=
        "\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width\">"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">"
        "<title>";
    AppendEscaped(out, w.indexTitle);
    out += "</title><style>";
    out += PageStyle();
    out += "</style></head><body>\n<h1>" + Escaped(w.indexTitle) + "</h1>\n<dl class=\"who\"><dt>" +
           Escaped(w.reports) + "</dt><dd>" + std::to_string(entries.size()) + "</dd><dt>" + Escaped(w.errors) +
           "</dt><dd>" + std::to_string(total.errors) + "</dd><dt>" + Escaped(w.warnings) + "</dt><dd>" +
           std::to_string(total.warnings) + "</dd><dt>" + Escaped(w.failures) + "</dt><dd>" +
           std::to_string(total.failures) + "</dd>";
    char time[32];
    std::snprintf(time, sizeof time, "%.1f s", seconds);
    out += "<dt>" + Escaped(w.time) + "</dt><dd>" + std::string(time) + "</dd></dl>\n";
    if (stopped) out += "<p class=\"failures\"><b>" + Escaped(w.stopped) + "</b></p>\n";
    CountsBars(out, entries, w);
    out += "<h2>" + Escaped(w.reports) + "</h2>\n<div><input type=\"checkbox\" id=\"only\"><label for=\"only\">" +
           Escaped(w.onlyWithFindings) + " (" + std::to_string(withFindings) + ")</label>\n";
    out += "<table class=\"reports\"><tr><th>" + Escaped(w.regn) + "</th><th class=\"t\">" + Escaped(w.bank) +
           "</th><th>" + Escaped(w.date) + "</th><th>" + Escaped(w.errors) + "</th><th>" + Escaped(w.warnings) +
           "</th><th>" + Escaped(w.failures) + "</th><th class=\"t\">" + Escaped(w.state) + "</th></tr>\n";
    for (const HtmlBatch::Entry& e : entries) {
        out += NeedsAction(e.state) ? "<tr><td>" : "<tr class=\"clean\"><td>";
        const std::string label = e.regn.empty() ? e.folder : e.regn;
        if (e.page.empty())
            AppendEscaped(out, label);
        else
            out += "<a href=\"" + Escaped(e.page) + "\">" + Escaped(label) + "</a>";
        out += "</td><td class=\"t\">" + Escaped(e.bankName) + "</td><td>" + Escaped(e.reportingDate) + "</td>";
        for (int n : {e.counts.errors, e.counts.warnings, e.counts.failures})
            out += n ? "<td>" + std::to_string(n) + "</td>" : "<td class=\"z\">0</td>";
        out += "<td class=\"t\">" + Escaped(StateWords(w, e.state)) + "</td></tr>\n";
    }
    out += "</table></div>\n</body></html>\n";
    return out;
}

void HtmlReport::ReportDone(const ReportResult& report) { page_ = ReportPage(report, language_); }

void HtmlReport::BatchDone(const BatchResult& batch) {
    (void)batch;
    if (!page_.empty()) WriteFile(path_, page_);
}

HtmlBatch::HtmlBatch(std::string folder, Language language) : folder_(std::move(folder)), language_(language) {
    std::error_code ec;
    if (fs::exists(folder_, ec) && !fs::is_directory(folder_, ec))
        throw reportkit::UsageError(folder_ +
                                    ": not a folder (with several reports, --html names the folder of "
                                    "their pages)");
    fs::create_directories(folder_, ec);
    if (ec) throw reportkit::UsageError(folder_ + ": cannot make the folder of the pages: " + ec.message());
}

std::string HtmlBatch::PageName(const ReportResult& r) {
    std::string base = SafeName(r.regn.empty() ? fs::path(r.SummaryName()).parent_path().filename().string() : r.regn);
    if (base.empty()) base = "report";
    if (!r.reportingDate.empty()) base += "-" + r.reportingDate;
    if (r.instance) base += "-" + std::to_string(r.instance);
    if (base == "index") base = "report-index";
    const int taken = names_[base]++;
    return (taken ? base + "-" + std::to_string(taken + 1) : base) + ".html";
}

void HtmlBatch::ReportDone(const ReportResult& report) {
    Entry e;
    e.regn = report.regn;
    e.bankName = report.bankName;
    e.reportingDate = report.reportingDate;
    e.folder = report.folder;
    e.counts = report.counts;
    e.state = StateOf(report);
    for (const ChapterRun& run : report.chapters)
        for (const Finding& f : run.findings)
            if (!f.line.code.empty()) {
                ++e.findingsByCode[f.line.code];
                e.severityOf[f.line.code] = f.line.severity;
            }
    e.page = PageName(report);
    try {
        WriteFile((fs::path(folder_) / e.page).string(), ReportPage(report, language_, "index.html"));
    } catch (const std::exception& ex) {
        if (firstError_.empty()) firstError_ = ex.what();
        e.page.clear();
    }
    done_[report.folder].push_back(std::move(e));
}

void HtmlBatch::BatchDone(const BatchResult& batch) {
    std::vector<Entry> entries;
    std::map<std::string, std::size_t> used;
    for (const BatchReport& b : batch.reports) {
        auto it = done_.find(b.result.folder);
        std::size_t& n = used[b.result.folder];
        if (b.run && it != done_.end() && n < it->second.size()) {
            entries.push_back(it->second[n++]);
            continue;
        }
        Entry e;
        e.folder = b.result.folder;
        e.regn = b.result.regn;
        e.bankName = b.result.bankName;
        e.state = "not run";
        entries.push_back(std::move(e));
    }
    WriteFile((fs::path(folder_) / "index.html").string(),
              IndexPage(std::move(entries), language_, batch.seconds, batch.stopped));
    if (!firstError_.empty()) throw std::runtime_error(firstError_);
}

}  // namespace tesma::f101

#include "check_output.h"

#include <filesystem>
#include <iostream>

#include "form101.h"
#include "rule_catalogue.h"

namespace tesma::f101 {

namespace {

bool Shown(const Finding& f, const CheckView& view) {
    if (view.quiet) return false;
    // Text output says failures on standard error, once.
    if (f.line.severity == "failure") return view.json;
    if (view.severity.empty()) return true;
    if (f.line.severity == "error" || f.line.severity == "failure") return true;
    return view.severity == "warning" && f.line.severity == "warning";
}

nlohmann::json OrNull(const std::optional<std::string>& s) { return s ? nlohmann::json(*s) : nlohmann::json(nullptr); }
nlohmann::json OrNull(const std::string& s) { return s.empty() ? nlohmann::json(nullptr) : nlohmann::json(s); }

std::string Plural(int n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

// The report, chapter and table of a chapter's run.
RunContext ContextOf(const reportkit::ReportFolder& folder, const reportkit::RunRequest& request) {
    const auto chapter = reportkit::ChapterOfTable(request.tableId);
    return {folder.dir, chapter ? std::string(chapter->cyrillic) : std::string(),
            std::filesystem::path(folder.TablePath(request.tableId)).filename().string(), "balance"};
}

// The heading of a chapter's block in text output.
void PrintChapterHeading(std::ostream& out, const RunContext& context, const CheckView& view) {
    if (view.json || view.quiet) return;
    if (context.chapter.empty())
        out << "== " << context.table << " ==\n";
    else
        out << "== Глава " << context.chapter << " (" << context.table << ") ==\n";
}

void PrintFindings(std::ostream& out, const std::vector<Finding>& findings, const CheckView& view) {
    for (const Finding& f : findings) {
        if (!Shown(f, view)) continue;
        const Rule* rule = f.line.code.empty() ? nullptr : FindRule(f.line.code);
        if (view.json) {
            nlohmann::json j = LineRecord(f.line);
            j["report"] = f.report;
            j["chapter"] = OrNull(f.chapter);
            j["procedure"] = f.procedure;
            j["table"] = OrNull(f.table);
            j["account"] = OrNull(f.account);
            j["sign"] = OrNull(f.sign);
            if (f.line.severity == "failure") j["file"] = OrNull(f.file);
            if (view.explain)
                j["explanation"] = rule ? nlohmann::json(std::string(rule->explanation)) : nlohmann::json(nullptr);
            PrintRecord(out, j);
            continue;
        }
        if (f.line.row)
            out << *f.line.row << ": " << f.line.code << ' ' << f.line.message << '\n';
        else
            out << f.line.message << '\n';
        if (view.explain && rule) out << "    -> " << rule->explanation << '\n';
    }
}

}  // namespace

void CheckOutput::Print(const reportkit::ReportFolder& folder, const reportkit::RunRequest& request,
                        const reportkit::RunOutcome& outcome, const std::vector<reportkit::ProtocolLine>& lines,
                        const std::vector<Failure>& failures) {
    const RunContext context = ContextOf(folder, request);
    std::vector<Finding> findings = WithContext(lines, outcome.findings, context);
    for (const Failure& failure : failures) {
        Finding& f = findings.emplace_back();
        f.line.severity = "failure";
        f.line.message = failure.message;
        f.report = context.report;
        f.chapter = context.chapter;
        f.procedure = context.procedure;
        f.table = context.table;
        f.file = failure.file;
        if (!view_.json) std::cerr << "f101: " << failure.message << '\n';
    }
    PrintChapterHeading(std::cout, context, view_);
    PrintFindings(std::cout, findings, view_);
    std::cout.flush();
}

void PrintSummary(std::ostream& out, const std::string& report, const FindingCounts& c, const CheckView& view) {
    if (view.json) {
        // The summary is a record of its own only when it is all that is asked for.
        if (!view.quiet) return;
        PrintRecord(out,
                    nlohmann::json{
                        {"report", report}, {"errors", c.errors}, {"warnings", c.warnings}, {"failures", c.failures}});
        return;
    }
    out << report << ": " << Plural(c.errors, "error") << ", " << Plural(c.warnings, "warning") << ", "
        << Plural(c.failures, "failure") << '\n';
}

}  // namespace tesma::f101

#include "check_output.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "check_statistics.h"
#include "exit_status.h"

namespace tesma::f101 {

namespace {

constexpr const char* kNothingChecked = "stopped by the operator before the first run; nothing was checked";
constexpr const char* kRed = "\033[31m";
constexpr const char* kYellow = "\033[33m";
constexpr const char* kBold = "\033[1m";
constexpr const char* kReset = "\033[0m";

bool Shown(const Finding& f, const CheckView& view) { return !view.quiet && ShownAtSeverity(f, view.severity); }

// The text in a colour when colours are on.
std::string Painted(const std::string& text, const char* colour, bool on) {
    return on && colour ? colour + text + kReset : text;
}

const char* ColourOf(const Finding& f) {
    if (f.line.severity == "error") return kRed;
    if (f.line.severity == "warning") return kYellow;
    return nullptr;
}

nlohmann::json OrNull(const std::optional<std::string>& s) { return s ? nlohmann::json(*s) : nlohmann::json(nullptr); }
nlohmann::json OrNull(const std::string& s) { return s.empty() ? nlohmann::json(nullptr) : nlohmann::json(s); }

std::string Plural(int n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

// A stop before the first run did nothing at all: it must not read like a clean report.
bool NothingChecked(const ReportResult& r) { return r.stopped && !r.Checked(); }

// A failure as a record with the context it was met in: a chapter's run, or (null chapter,
// procedure and table) the check as a whole.
nlohmann::json FailureJson(const std::string& report, const ChapterRun* run, const Failure& failure,
                           const CheckView& view) {
    nlohmann::json j = LineRecord({std::nullopt, "", "failure", failure.message});
    j["report"] = report;
    j["chapter"] = run ? OrNull(run->chapter) : nlohmann::json(nullptr);
    j["procedure"] = run ? nlohmann::json(run->procedure) : nlohmann::json(nullptr);
    j["table"] = run ? OrNull(run->table) : nlohmann::json(nullptr);
    j["account"] = nullptr;
    j["sign"] = nullptr;
    j["file"] = OrNull(failure.file);
    if (view.explain) j["explanation"] = nullptr;
    return j;
}

std::vector<CodeCount> CountsOfReport(const ReportResult& r, const CheckView& view) {
    return CountByCode({&r}, view.severity);
}

}  // namespace

bool ShownAtSeverity(const Finding& f, const std::string& leastSeverity) {
    if (leastSeverity.empty()) return true;
    if (f.line.severity == "error") return true;
    return leastSeverity == "warning" && f.line.severity == "warning";
}

bool ColourTerminal(int fd) {
    const char* term = std::getenv("TERM");
    return ::isatty(fd) == 1 && std::getenv("NO_COLOR") == nullptr && !(term && std::strcmp(term, "dumb") == 0);
}

std::string SummaryLine(const ReportResult& r) {
    if (NothingChecked(r)) return r.SummaryName() + ": nothing was checked (stopped before the first run)";
    std::string line = r.SummaryName() + ": " + Plural(r.counts.errors, "error") + ", " +
                       Plural(r.counts.warnings, "warning") + ", " + Plural(r.counts.failures, "failure");
    if (r.ignoring) line += ", " + std::to_string(r.Ignored()) + " ignored";
    if (r.withBaseline) line += ", " + std::to_string(r.SetAside()) + " set aside by the baseline";
    return line;
}

nlohmann::json SummaryRecord(const ReportResult& r) {
    nlohmann::json j = LineRecord({std::nullopt, "", "summary", SummaryLine(r)});
    j["report"] = r.SummaryName();
    j["regn"] = OrNull(r.regn);
    j["bank_name"] = OrNull(r.bankName);
    j["reports"] = 1;
    j["errors"] = r.counts.errors;
    j["warnings"] = r.counts.warnings;
    j["failures"] = r.counts.failures;
    j["ignored"] = r.ignoring ? nlohmann::json(r.Ignored()) : nlohmann::json(nullptr);
    j["set_aside"] = r.withBaseline ? nlohmann::json(r.SetAside()) : nlohmann::json(nullptr);
    j["exit_status"] = r.exitStatus;
    j["checked"] = !NothingChecked(r);
    return j;
}

void TextOutput::ChapterDone(const ReportResult&, const ChapterRun& run) {
    for (const Failure& failure : run.failures)
        err_ << Painted("f101: " + failure.message, kBold, view_.colourErrors) << '\n';
    // Under --severity a chapter with nothing to show is not headed: an empty heading is noise.
    const bool anyShown =
        std::any_of(run.findings.begin(), run.findings.end(), [&](const Finding& f) { return Shown(f, view_); });
    if (!view_.quiet && run.Started() && (view_.severity.empty() || anyShown)) {
        if (run.chapter.empty())
            out_ << "== " << run.table << " ==\n";
        else
            out_ << "== Глава " << run.chapter << " (" << run.table << ") ==\n";
        for (const Finding& f : run.findings) {
            if (!Shown(f, view_)) continue;
            if (f.line.row)
                out_ << Painted(std::to_string(*f.line.row) + ": " + f.line.code, ColourOf(f), view_.colour) << ' '
                     << f.line.message << '\n';
            else
                out_ << f.line.message << '\n';
            if (view_.explain && f.explanation) out_ << "    -> " << *f.explanation << '\n';
        }
    }
    out_.flush();
}

void TextOutput::ReportDone(const ReportResult& r) {
    if (!r.refusal.empty()) {
        err_ << Painted("f101: " + r.refusal, kBold, view_.colourErrors) << '\n';
        return;
    }
    if (r.stopped) err_ << "f101: " << (NothingChecked(r) ? kNothingChecked : kStoppedMessage) << '\n';
    for (const Failure& failure : r.failures)
        err_ << Painted("f101: " + failure.message, kBold, view_.colourErrors) << '\n';
    err_.flush();
    if (view_.statistics) PrintStatistics(out_, CountsOfReport(r, view_));
    out_ << SummaryLine(r) << '\n';
    out_.flush();
}

void JsonOutput::ChapterDone(const ReportResult& report, const ChapterRun& run) {
    if (view_.quiet) return;
    for (const Finding& f : run.findings) {
        if (!Shown(f, view_)) continue;
        nlohmann::json j = LineRecord(f.line);
        j["report"] = f.report;
        j["chapter"] = OrNull(f.chapter);
        j["procedure"] = f.procedure;
        j["table"] = OrNull(f.table);
        j["account"] = OrNull(f.account);
        j["sign"] = OrNull(f.sign);
        if (view_.explain) j["explanation"] = OrNull(f.explanation);
        PrintRecord(out_, j);
    }
    for (const Failure& failure : run.failures) PrintRecord(out_, FailureJson(report.report, &run, failure, view_));
    out_.flush();
}

void JsonOutput::ReportDone(const ReportResult& r) {
    if (!r.refusal.empty()) {
        err_ << "f101: " << r.refusal << '\n';
        PrintRecord(out_, SummaryRecord(r));
        out_.flush();
        return;
    }
    if (r.stopped) {
        const std::string message = NothingChecked(r) ? kNothingChecked : kStoppedMessage;
        err_ << "f101: " << message << '\n';
        PrintRecord(out_, StoppedRecord(message));
    }
    for (const Failure& failure : r.failures) {
        // Said on standard error too: a failure of the whole check is the command's, not a line's.
        err_ << "f101: " << failure.message << '\n';
        if (!view_.quiet) PrintRecord(out_, FailureJson(r.SummaryName(), nullptr, failure, view_));
    }
    err_.flush();
    if (view_.statistics)
        for (const CodeCount& c : CountsOfReport(r, view_)) PrintRecord(out_, StatisticsRecord(c));
    // Every report's records end with its summary, so a script reads the outcome from the last line.
    PrintRecord(out_, SummaryRecord(r));
    out_.flush();
}

std::unique_ptr<CheckSink> ReportOutput(const CheckView& view, std::ostream& out, std::ostream& err) {
    if (view.json) return std::make_unique<JsonOutput>(view, out, err);
    return std::make_unique<TextOutput>(view, out, err);
}

void BatchReportOutput::ReportDone(const ReportResult& r) {
    std::ostringstream out, err;
    Replay(r, *ReportOutput(view_, out, err));
    // In text, --quiet leaves the summary to the batch's table.
    const bool tableOnly = view_.quiet && !view_.json;
    if (!view_.json && !view_.quiet) out_ << "#### " << r.folder << '\n';
    if (!tableOnly) out_ << out.str();
    out_ << r.workerOutput;
    if (r.exitStatus == kStopped && !view_.json && !tableOnly) out_ << r.folder << ": stopped\n";
    out_.flush();
    err_ << err.str() << r.workerErrors;
    err_.flush();
}

}  // namespace tesma::f101

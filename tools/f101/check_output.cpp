#include "check_output.h"

#include <sstream>

#include "exit_status.h"

namespace tesma::f101 {

namespace {

constexpr const char* kNothingChecked = "stopped by the operator before the first run; nothing was checked";

bool Shown(const Finding& f, const CheckView& view) {
    if (view.quiet) return false;
    if (view.severity.empty()) return true;
    if (f.line.severity == "error") return true;
    return view.severity == "warning" && f.line.severity == "warning";
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

}  // namespace

void TextOutput::ChapterDone(const ReportResult&, const ChapterRun& run) {
    for (const Failure& failure : run.failures) err_ << "f101: " << failure.message << '\n';
    if (!view_.quiet && run.Started()) {
        if (run.chapter.empty())
            out_ << "== " << run.table << " ==\n";
        else
            out_ << "== Глава " << run.chapter << " (" << run.table << ") ==\n";
        for (const Finding& f : run.findings) {
            if (!Shown(f, view_)) continue;
            if (f.line.row)
                out_ << *f.line.row << ": " << f.line.code << ' ' << f.line.message << '\n';
            else
                out_ << f.line.message << '\n';
            if (view_.explain && f.explanation) out_ << "    -> " << *f.explanation << '\n';
        }
    }
    out_.flush();
}

void TextOutput::ReportDone(const ReportResult& r) {
    if (!r.refusal.empty()) {
        err_ << "f101: " << r.refusal << '\n';
        return;
    }
    if (r.stopped) err_ << "f101: " << (NothingChecked(r) ? kNothingChecked : kStoppedMessage) << '\n';
    for (const Failure& failure : r.failures) err_ << "f101: " << failure.message << '\n';
    err_.flush();
    if (NothingChecked(r))
        out_ << r.SummaryName() << ": nothing was checked (stopped before the first run)\n";
    else
        out_ << r.SummaryName() << ": " << Plural(r.counts.errors, "error") << ", "
             << Plural(r.counts.warnings, "warning") << ", " << Plural(r.counts.failures, "failure") << '\n';
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
    // The summary is a record of its own only when it is all that is asked for.
    if (view_.quiet) {
        nlohmann::json j{{"report", r.SummaryName()},
                         {"errors", r.counts.errors},
                         {"warnings", r.counts.warnings},
                         {"failures", r.counts.failures}};
        if (NothingChecked(r)) j["checked"] = false;
        PrintRecord(out_, j);
    }
    out_.flush();
}

std::unique_ptr<CheckSink> ReportOutput(const CheckView& view, std::ostream& out, std::ostream& err) {
    if (view.json) return std::make_unique<JsonOutput>(view, out, err);
    return std::make_unique<TextOutput>(view, out, err);
}

void BatchReportOutput::ReportDone(const ReportResult& r) {
    std::ostringstream out, err;
    Replay(r, *ReportOutput(view_, out, err));
    if (!view_.json && !view_.quiet) out_ << "#### " << r.folder << '\n';
    out_ << out.str() << r.workerOutput;
    if (r.exitStatus == kStopped && !view_.json) out_ << r.folder << ": stopped\n";
    out_.flush();
    err_ << err.str() << r.workerErrors;
    err_.flush();
}

}  // namespace tesma::f101

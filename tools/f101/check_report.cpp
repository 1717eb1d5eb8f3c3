// `f101 check` on one report folder: each chapter run as a host runs it, its results recorded
// and handed to the check's sinks as each run ends, then the report as a whole with its counts
// and exit status. A dry run sends the protocol to a scratch file and asks the library to drop
// its table changes, and then proves that no file of the folder changed.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "check.h"
#include "check_output.h"
#include "check_result_json.h"
#include "check_summary.h"
#include "check_workbook.h"
#include "command_support.h"
#include "finding_filter.h"
#include "html_report.h"
#include "instance_choice.h"
#include "memory_file.h"
#include "platform/locale/calendar.h"
#include "report_identity.h"
#include "rule_catalogue.h"
#include "run_host.h"
#include "run_session.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

// The bytes of every file of a folder, to prove that a dry run changed none.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        files[e.path().filename().string()] = s.str();
    }
    return files;
}

// Now, in local time: 2015-12-01T09:30:00+03:00.
std::string LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    std::string s = text;
    if (s.size() > 2) s.insert(s.size() - 2, ":");
    return s;
}

std::string IsoDate(double date) {
    const locale::CivilDate d = locale::DecodeDate(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

std::string_view OutcomeWord(reportkit::RunEnd end) {
    switch (end) {
        case reportkit::RunEnd::Finished:
            return contract::kOutcomeFinished;
        case reportkit::RunEnd::Stopped:
            return contract::kOutcomeStopped;
        case reportkit::RunEnd::NoProtocol:
            return contract::kOutcomeNoProtocol;
        default:
            return contract::kOutcomeFailed;
    }
}

// Records each chapter's run into the report's result and hands it to the sinks.
class ResultRecorder : public RunOutput {
public:
    ResultRecorder(ReportResult& result, CheckSink& sink, FindingFilter& filter, bool explain, Language language)
        : result_(result), sink_(sink), filter_(filter), explain_(explain), language_(language) {}

    void Print(const reportkit::ReportFolder& folder, const reportkit::RunRequest& request,
               const reportkit::RunOutcome& outcome, const std::vector<reportkit::ProtocolLine>& lines,
               const std::vector<Failure>& failures) override {
        ChapterRun& run = result_.chapters.emplace_back();
        const auto chapter = reportkit::ChapterOfTable(request.tableId);
        run.chapter = chapter ? std::string(chapter->cyrillic) : std::string();
        run.procedure = "balance";
        run.tablePath = folder.TablePath(request.tableId);
        run.table = fs::path(run.tablePath).filename().string();
        run.tableId = request.tableId;
        run.outcome = OutcomeWord(outcome.end);
        run.findings = WithContext(lines, outcome.findings, {folder.dir, run.chapter, run.table, run.procedure});
        if (explain_)
            for (Finding& f : run.findings)
                if (const Rule* rule = f.line.code.empty() ? nullptr : FindRule(f.line.code))
                    f.explanation = std::string(rule->Explanation(language_));
        run.failures = failures;
        filter_.Apply(result_, run);
        sink_.ChapterDone(result_, run);
    }

    void Stopped() override { result_.stopped = true; }

private:
    ReportResult& result_;
    CheckSink& sink_;
    FindingFilter& filter_;
    bool explain_;
    Language language_;
};

// Runs the chapters asked for; the result holds everything the check met.
void RunChecks(const CheckOptions& o, ReportResult& result, CheckSink& sink) {
    reportkit::ReportFolder folder = reportkit::OpenReportFolder(result.folder);
    result.report = folder.dir;
    result.reportingDate = IsoDate(folder.date);
    auto chapters = ChosenChapters(o.chapters.empty() ? std::vector<std::string>{"all"} : o.chapters, folder);
    std::vector<std::int32_t> tableIds;
    for (const reportkit::Chapter& c : chapters) tableIds.push_back(c.tableId);
    RefuseHiddenFirstColumns(folder, tableIds);
    const std::int32_t instance = ChooseInstance(folder, o.run.instance);
    result.instance = instance;
    const reportkit::ReportIdentity identity = reportkit::ReadReportIdentity(folder, instance);
    result.regn = identity.regn;
    result.bankName = identity.bankName;
    if (!o.run.overrideDir.empty() && !fs::is_directory(o.run.overrideDir))
        throw reportkit::UsageError(o.run.overrideDir +
                                    ": no such folder (--override names the folder of the tables \"!.<file>\")");
    hostkit::Library lib(reportkit::LibraryPath());
    // A dry run's protocol, unless one is named, is an anonymous file in memory: nothing of it is
    // left on disk, however the check ends.
    std::optional<reportkit::MemoryFile> scratch;
    if (o.dryRun && o.run.protocol.empty()) scratch.emplace("f101-dry-run-protocol");
    const std::string protocol = scratch ? scratch->Path() : o.run.ProtocolPath(folder);
    const auto before = o.dryRun ? Snapshot(folder.dir) : std::map<std::string, std::string>{};
    FindingFilter filter(std::set<std::string>(o.ignore.begin(), o.ignore.end()),
                         o.baseline.empty() ? std::nullopt : std::optional<Baseline>(Baseline::Read(o.baseline)));
    filter.Mark(result);
    ResultRecorder recorder(result, sink, filter, o.explain, o.language);
    RunSession session(recorder);
    for (const reportkit::Chapter& c : chapters)
        if (!session.Run(lib, folder,
                         {c.tableId, contract::kModeControl, instance, protocol, o.run.overrideDir, o.dryRun}))
            break;
    if (!session.Stopped() && o.dryRun && Snapshot(folder.dir) != before)
        result.failures.push_back({folder.dir + ": a file of the report changed during the dry run", folder.dir});
}

}  // namespace

CheckView ViewOf(const CheckOptions& o) {
    CheckView view{o.run.json, o.explain, o.quiet, o.severity, o.statistics};
    view.colour = !o.run.json && ColourTerminal(STDOUT_FILENO);
    view.colourErrors = ColourTerminal(STDERR_FILENO);
    return view;
}

ReportResult CheckReport(const CheckOptions& o, const std::string& dir, CheckSink& sink) {
    const auto started = std::chrono::steady_clock::now();
    ReportResult result;
    result.folder = dir;
    result.checkedAt = LocalTimeNow();
    result.version = TESMA_VERSION;
    try {
        RunChecks(o, result, sink);
    } catch (const reportkit::UsageError& e) {
        result.refusal = e.what();
    } catch (const std::invalid_argument& e) {
        result.refusal = e.what();
    } catch (const std::exception& e) {
        const std::string message = text::ToUtf8(e.what());
        result.failures.push_back({message, FileInMessage(message)});
        result.endedByFailure = true;
    }
    result.counts = CountsOf(result);
    result.exitStatus = ExitStatusOf(result);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    sink.ReportDone(result);
    return result;
}

int CheckReport(const CheckOptions& o, const std::string& dir) {
    const std::unique_ptr<CheckSink> output = ReportOutput(ViewOf(o), std::cout, std::cerr);
    CheckSinks sinks;
    sinks.Add(*output);
    std::optional<SummaryCsv> csv;
    std::optional<BaselineOutput> baseline;
    if (!o.summaryCsv.empty()) sinks.Add(csv.emplace(o.summaryCsv));
    if (!o.writeBaseline.empty()) sinks.Add(baseline.emplace(o.writeBaseline));
    std::optional<WorkbookOutput> workbook;
    if (!o.xlsx.empty()) {
        const int refused = Guarded([&] { return workbook.emplace(o.xlsx, false, o.explain), int{kClean}; });
        if (refused != kClean) return refused;
        sinks.Add(*workbook);
    }
    // The page is written beside the printed output.
    std::optional<HtmlReport> html;
    if (!o.html.empty()) sinks.Add(html.emplace(o.html, o.language));
    ReportResult result = CheckReport(o, dir, sinks);
    int status = result.exitStatus;
    BatchResult one;
    one.seconds = result.seconds;
    one.stopped = result.stopped;
    one.reports.push_back({std::move(result), true, one.seconds});
    // A workbook or page that could not be written leaves the check's results unsaid: a failure.
    const int written = Guarded([&] { return sinks.BatchDone(one), int{kClean}; });
    if (written != kClean && status != kStopped) status = std::max(status, written);
    return status;
}

}  // namespace tesma::f101

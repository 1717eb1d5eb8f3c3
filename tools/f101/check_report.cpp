// `f101 check` on one report folder: each chapter run as a host runs it, its results recorded
// and handed to the check's sinks as each run ends, then the report as a whole with its counts
// and exit status. A dry run sends the protocol to a scratch file and asks the library to drop
// its table changes, and then proves that no file of the folder changed.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "check.h"
#include "check_output.h"
#include "check_result_json.h"
#include "command_support.h"
#include "html_report.h"
#include "instance_choice.h"
#include "platform/locale/calendar.h"
#include "platform/unique_fd.h"
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

// A scratch protocol file for a dry run, removed at the end.
struct ScratchProtocol {
    std::string path;
    ScratchProtocol() {
        std::string pattern = (fs::temp_directory_path() / "f101-dry-run-XXXXXX").string();
        if (!UniqueFd(::mkstemp(pattern.data())))
            throw std::runtime_error("cannot create a scratch protocol file in " + fs::temp_directory_path().string());
        path = pattern;
    }
    ~ScratchProtocol() { ::unlink(path.c_str()); }
    ScratchProtocol(const ScratchProtocol&) = delete;
    ScratchProtocol& operator=(const ScratchProtocol&) = delete;
};

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
    ResultRecorder(ReportResult& result, CheckSink& sink, bool explain, Language language)
        : result_(result), sink_(sink), explain_(explain), language_(language) {}

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
        sink_.ChapterDone(result_, run);
    }

    void Stopped() override { result_.stopped = true; }

private:
    ReportResult& result_;
    CheckSink& sink_;
    bool explain_;
    Language language_;
};

// Runs the chapters asked for; the result holds everything the check met.
void RunChecks(const CheckOptions& o, ReportResult& result, CheckSink& sink) {
    reportkit::ReportFolder folder = reportkit::OpenReportFolder(result.folder);
    result.report = folder.dir;
    result.reportingDate = IsoDate(folder.date);
    auto chapters = ChosenChapters(o.chapters.empty() ? std::vector<std::string>{"all"} : o.chapters, folder);
    const std::int32_t instance = ChooseInstance(folder, o.run.instance);
    result.instance = instance;
    const reportkit::ReportIdentity identity = reportkit::ReadReportIdentity(folder, instance);
    result.regn = identity.regn;
    result.bankName = identity.bankName;
    if (!o.run.overrideDir.empty() && !fs::is_directory(o.run.overrideDir))
        throw reportkit::UsageError(o.run.overrideDir +
                                    ": no such folder (--override names the folder of the tables \"!.<file>\")");
    hostkit::Library lib(reportkit::LibraryPath());
    std::optional<ScratchProtocol> scratch;
    if (o.dryRun && o.run.protocol.empty()) scratch.emplace();
    const std::string protocol = scratch ? scratch->path : o.run.ProtocolPath(folder);
    const auto before = o.dryRun ? Snapshot(folder.dir) : std::map<std::string, std::string>{};
    ResultRecorder recorder(result, sink, o.explain, o.language);
    RunSession session(recorder);
    for (const reportkit::Chapter& c : chapters)
        if (!session.Run(lib, folder,
                         {c.tableId, contract::kModeControl, instance, protocol, o.run.overrideDir, o.dryRun}))
            break;
    if (!session.Stopped() && o.dryRun && Snapshot(folder.dir) != before)
        result.failures.push_back({folder.dir + ": a file of the report changed during the dry run", folder.dir});
}

}  // namespace

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
    // A batch's worker prints nothing itself: it sends its results to the batch, which prints them.
    std::optional<std::ofstream> results;
    std::unique_ptr<CheckSink> output;
    if (!o.resultsFile.empty()) {
        results.emplace(o.resultsFile, std::ios::binary | std::ios::trunc);
        if (!*results) {
            std::cerr << "f101: " << o.resultsFile << ": cannot write the results\n";
            return kCouldNotCheck;
        }
        output = std::make_unique<ResultWriter>(*results);
    } else {
        output = ReportOutput(CheckView{o.run.json, o.explain, o.quiet, o.severity}, std::cout, std::cerr);
    }
    // The page is written beside the printed output, by a worker of a batch never (the batch
    // writes the pages of its reports).
    std::optional<HtmlReport> html;
    CheckSinks sinks;
    sinks.Add(*output);
    if (!o.html.empty() && o.resultsFile.empty()) sinks.Add(html.emplace(o.html, o.language));
    ReportResult result = CheckReport(o, dir, sinks);
    int status = result.exitStatus;
    BatchResult one;
    one.seconds = result.seconds;
    one.stopped = result.stopped;
    one.reports.push_back({std::move(result), true, one.seconds});
    try {
        sinks.BatchDone(one);
    } catch (const std::exception& e) {
        std::cerr << "f101: " << text::ToUtf8(e.what()) << '\n';
        status = std::max(status, int{kCouldNotCheck});
    }
    return status;
}

}  // namespace tesma::f101

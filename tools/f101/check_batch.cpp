// `f101 check` on several report folders: each report checked by a worker process of its own
// (`f101 check DIR --results-file FILE`), so that a crash or hang of one is that report's
// failure alone; the batch reads each worker's results back and prints them itself, in the
// order given, then its summary.
#include "check.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <thread>

#include "check_output.h"
#include "check_result_json.h"
#include "check_summary.h"
#include "command_support.h"
#include "html_report.h"
#include "platform/unique_fd.h"
#include "report_folder.h"
#include "stop_signals.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

// A scratch folder for the workers' output, removed with everything in it.
struct ScratchDir {
    std::string path;
    ScratchDir() {
        std::string pattern = (fs::temp_directory_path() / "f101-batch-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a scratch folder in " + fs::temp_directory_path().string());
        path = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
};

enum class State { Waiting, Running, Done, NotRun };

struct Job {
    std::string dir;
    std::string out, err, results;  // the worker's standard output and error, and its results
    pid_t pid = -1;
    State state = State::Waiting;
    std::chrono::steady_clock::time_point start;
    BatchReport report;
};

std::vector<std::string> WorkerArguments(const CheckOptions& o, const Job& job) {
    std::vector<std::string> args = {"f101", "check", job.dir, "--results-file", job.results};
    for (const std::string& c : o.chapters) args.insert(args.end(), {"--chapter", c});
    if (o.run.instance >= 0) args.insert(args.end(), {"--instance", std::to_string(o.run.instance)});
    if (!o.run.overrideDir.empty()) args.insert(args.end(), {"--override", o.run.overrideDir});
    if (!o.severity.empty()) args.insert(args.end(), {"--severity", o.severity});
    if (o.run.json) args.push_back("--json");
    if (o.explain) args.push_back("--explain");
    args.insert(args.end(), {"--lang", std::string(LanguageCode(o.language))});
    if (o.quiet) args.push_back("--quiet");
    if (o.dryRun) args.push_back("--dry-run");
    return args;
}

void Start(const CheckOptions& o, const std::string& self, Job& job) {
    const std::vector<std::string> args = WorkerArguments(o, job);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    job.start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error(std::string("cannot start a worker process: ") + std::strerror(errno));
    if (pid == 0) {
        // The worker gets its own process group: a stop reaches it through the batch, once.
        ::setpgid(0, 0);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        // Close-on-exec: the worker keeps only the copies on its standard output and error.
        const UniqueFd out(::open(job.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        const UniqueFd err(::open(job.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (!out || !err || ::dup2(out.Get(), 1) < 0 || ::dup2(err.Get(), 2) < 0) ::_exit(kCouldNotCheck);
        ::execv(self.c_str(), argv.data());
        ::_exit(127);
    }
    job.pid = pid;
    job.state = State::Running;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The worker's results as it sent them: the report, or, from a worker that ended before it
// said its result (or garbled it), the chapters it sent before that.
ReportResult ReadResults(const Job& job) {
    ResultReader reader;
    std::istringstream in(FileBytes(job.results));
    try {
        for (std::string line; std::getline(in, line);)
            if (reader.Add(line)) return reader.Take();
    } catch (const std::runtime_error&) {
    }
    ReportResult partial;
    partial.folder = job.dir;
    partial.chapters = reader.Pending();
    partial.cutOff = true;
    return partial;
}

void Finish(Job& job, int raw) {
    job.report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - job.start).count();
    job.pid = -1;
    job.state = State::Done;
    int status = kCouldNotCheck;
    if (WIFEXITED(raw))
        status = WEXITSTATUS(raw);
    else if (WIFSIGNALED(raw))
        status = WTERMSIG(raw) == SIGINT || WTERMSIG(raw) == SIGTERM ? int{kStopped} : int{kCouldNotCheck};
    if (status > kCouldNotCheck && status != kStopped) status = kCouldNotCheck;  // could not start, or crashed
    ReportResult& r = job.report.result = ReadResults(job);
    if (r.cutOff) {
        // It ended without a word: a failure, unless the batch stopped it.
        r.counts = {0, 0, status == kStopped ? 0 : 1};
        if (status == kClean || status == kFindings) status = kCouldNotCheck;
        r.stopped = status == kStopped;
    }
    // How the process ended is the last word on the report's exit status.
    r.exitStatus = status;
    r.workerOutput = FileBytes(job.out);
    r.workerErrors = FileBytes(job.err);
}

}  // namespace

int CheckBatch(const CheckOptions& o) {
    return Guarded([&] {
        if (!o.run.protocol.empty())
            throw reportkit::UsageError("--protocol names one file: give it with a single report folder");
        if (!o.resultsFile.empty()) throw reportkit::UsageError("--results-file is for a single report");
        std::vector<std::string> dirs = o.recursive ? reportkit::FindReportFolders(o.dirs) : o.dirs;
        if (dirs.empty())
            throw reportkit::UsageError(
                "no dated report folder (…/<form folder>/<YYYYMMDD>/ with rfdef.DB) under the folders given");
        std::error_code ec;
        const std::string self = fs::read_symlink("/proc/self/exe", ec).string();
        if (ec) throw std::runtime_error("cannot find this program's own file to start its workers");
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const std::size_t parallel = static_cast<std::size_t>(o.jobs > 0 ? o.jobs : static_cast<int>(cores));

        // Each report printed whole as soon as it and those before it are done, then the
        // summary (on standard error with --json, where standard output is JSON Lines).
        BatchReportOutput reports(CheckView{o.run.json, o.explain, o.quiet, o.severity}, std::cout, std::cerr);
        SummaryTable table(o.run.json ? std::cerr : std::cout);
        std::optional<SummaryCsv> csv;
        CheckSinks sinks;
        sinks.Add(reports);
        sinks.Add(table);
        if (!o.summaryCsv.empty()) sinks.Add(csv.emplace(o.summaryCsv));
        std::optional<HtmlBatch> html;
        if (!o.html.empty()) sinks.Add(html.emplace(o.html, o.language));

        ScratchDir scratch;
        std::vector<Job> jobs(dirs.size());
        for (std::size_t i = 0; i < dirs.size(); ++i) {
            const std::string base = scratch.path + "/" + std::to_string(i);
            jobs[i].dir = dirs[i];
            jobs[i].out = base + ".out";
            jobs[i].err = base + ".err";
            jobs[i].results = base + ".results";
        }

        const auto started = std::chrono::steady_clock::now();
        // SIGINT and SIGTERM stop the batch (and interrupt the wait for a worker).
        const StopSignals stop({SIGINT, SIGTERM});
        std::size_t next = 0, printed = 0, running = 0;
        bool forwarded = false;
        for (;;) {
            while (!stop.Asked() && running < parallel && next < jobs.size()) Start(o, self, jobs[next++]), ++running;
            if (stop.Asked() && !forwarded) {
                for (Job& j : jobs)
                    if (j.state == State::Running) ::kill(j.pid, SIGINT);
                forwarded = true;
            }
            if (running == 0) break;
            int raw = 0;
            const pid_t pid = ::waitpid(-1, &raw, 0);
            if (pid < 0) {
                if (errno == EINTR) continue;
                break;
            }
            for (Job& j : jobs)
                if (j.pid == pid) Finish(j, raw), --running;
            while (printed < jobs.size() && jobs[printed].state == State::Done)
                sinks.ReportDone(jobs[printed++].report.result);
        }
        BatchResult batch;
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            Job& j = jobs[i];
            if (i >= next) {
                j.state = State::NotRun;
                j.report.run = false;
                j.report.result.folder = j.dir;
            } else if (j.state == State::Running) {
                Finish(j, 0);  // the wait for it failed: whatever it left
            }
            if (i >= printed && j.state == State::Done) sinks.ReportDone(j.report.result);
            batch.reports.push_back(std::move(j.report));
        }
        batch.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        batch.stopped = stop.Asked();
        sinks.BatchDone(batch);
        int worst = 0;
        for (const BatchReport& r : batch.reports) worst = std::max(worst, r.run ? r.result.exitStatus : 0);
        if (batch.stopped) {
            std::cerr << "f101: stopped; " << (jobs.size() - next) << " of " << jobs.size() << " reports not checked\n";
            return int{kStopped};
        }
        return worst;
    });
}

}  // namespace tesma::f101

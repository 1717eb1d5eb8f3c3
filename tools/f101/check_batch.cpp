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
#include <iomanip>
#include <iostream>
#include <sstream>
#include <thread>

#include "command_support.h"
#include "csv.h"
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

enum class State { Waiting, Running, Done, Stopped, NotRun };

struct Job {
    std::string dir;
    std::string out, err, counts;
    pid_t pid = -1;
    State state = State::Waiting;
    int status = 0;
    int errors = 0, warnings = 0, failures = 0;
    std::chrono::steady_clock::time_point start;
    double seconds = 0;
};

std::vector<std::string> WorkerArguments(const CheckOptions& o, const Job& job) {
    std::vector<std::string> args = {"f101", "check", job.dir, "--counts-file", job.counts};
    for (const std::string& c : o.chapters) args.insert(args.end(), {"--chapter", c});
    if (o.run.instance >= 0) args.insert(args.end(), {"--instance", std::to_string(o.run.instance)});
    if (!o.run.overrideDir.empty()) args.insert(args.end(), {"--override", o.run.overrideDir});
    if (!o.severity.empty()) args.insert(args.end(), {"--severity", o.severity});
    if (o.run.json) args.push_back("--json");
    if (o.explain) args.push_back("--explain");
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

void Finish(Job& job, int raw) {
    job.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - job.start).count();
    job.pid = -1;
    job.state = State::Done;
    if (WIFEXITED(raw))
        job.status = WEXITSTATUS(raw);
    else if (WIFSIGNALED(raw))
        job.status = WTERMSIG(raw) == SIGINT || WTERMSIG(raw) == SIGTERM ? int{kStopped} : int{kCouldNotCheck};
    if (job.status > kCouldNotCheck && job.status != kStopped)
        job.status = kCouldNotCheck;  // could not start, or crashed
    if (job.status == kStopped) job.state = State::Stopped;
    std::istringstream counts(FileBytes(job.counts));
    if (!(counts >> job.errors >> job.warnings >> job.failures)) {
        job.errors = job.warnings = 0;
        job.failures = job.status == kStopped ? 0 : 1;
        if (job.status == 0 || job.status == kFindings) job.status = kCouldNotCheck;  // it ended without a word
    }
}

void PrintJob(const Job& job, const CheckOptions& o) {
    if (!o.run.json && !o.quiet) std::cout << "#### " << job.dir << '\n';
    std::cout << FileBytes(job.out);
    if (job.state == State::Stopped && !o.run.json) std::cout << job.dir << ": stopped\n";
    std::cout.flush();
    std::cerr << FileBytes(job.err);
    std::cerr.flush();
}

const char* StateText(const Job& j) {
    switch (j.state) {
        case State::Stopped:
            return "stopped";
        case State::NotRun:
            return "not run";
        default:
            return "done";
    }
}

void PrintTable(std::ostream& out, const std::vector<Job>& jobs, double wallSeconds) {
    std::size_t width = 6;
    for (const Job& j : jobs) width = std::max(width, j.dir.size());
    out << std::left << std::setw(static_cast<int>(width)) << "report" << std::right << std::setw(8) << "errors"
        << std::setw(10) << "warnings" << std::setw(10) << "failures" << std::setw(9) << "time" << std::setw(6)
        << "exit"
        << "  state\n";
    int errors = 0, warnings = 0, failures = 0;
    for (const Job& j : jobs) {
        std::ostringstream t;
        t << std::fixed << std::setprecision(2) << j.seconds << "s";
        out << std::left << std::setw(static_cast<int>(width)) << j.dir << std::right << std::setw(8) << j.errors
            << std::setw(10) << j.warnings << std::setw(10) << j.failures << std::setw(9) << t.str() << std::setw(6)
            << (j.state == State::NotRun ? std::string("-") : std::to_string(j.status)) << "  " << StateText(j) << '\n';
        errors += j.errors, warnings += j.warnings, failures += j.failures;
    }
    char wall[32];
    std::snprintf(wall, sizeof wall, "%.1f", wallSeconds);
    out << jobs.size() << " reports: " << errors << " errors, " << warnings << " warnings, " << failures
        << " failures, in " << wall << " s\n";
}

void WriteCsv(const std::string& path, const std::vector<Job>& jobs) {
    std::ofstream out(path, std::ios::trunc);
    if (!out) throw std::runtime_error(path + ": cannot write the summary");
    out << "report,errors,warnings,failures,seconds,exit,state\n";
    for (const Job& j : jobs) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", j.seconds);
        out << reportkit::CsvField(j.dir) << ',' << j.errors << ',' << j.warnings << ',' << j.failures << ',' << seconds
            << ',' << (j.state == State::NotRun ? std::string() : std::to_string(j.status)) << ',' << StateText(j)
            << '\n';
    }
    if (!out.flush()) throw std::runtime_error(path + ": cannot write the summary");
}

}  // namespace

int CheckBatch(const CheckOptions& o) {
    return Guarded([&] {
        if (!o.run.protocol.empty())
            throw reportkit::UsageError("--protocol names one file: give it with a single report folder");
        if (!o.countsFile.empty()) throw reportkit::UsageError("--counts-file is for a single report");
        std::vector<std::string> dirs = o.recursive ? reportkit::FindReportFolders(o.dirs) : o.dirs;
        if (dirs.empty())
            throw reportkit::UsageError(
                "no dated report folder (…/<form folder>/<YYYYMMDD>/ with rfdef.DB) under the folders given");
        std::error_code ec;
        const std::string self = fs::read_symlink("/proc/self/exe", ec).string();
        if (ec) throw std::runtime_error("cannot find this program's own file to start its workers");
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const std::size_t parallel = static_cast<std::size_t>(o.jobs > 0 ? o.jobs : static_cast<int>(cores));

        ScratchDir scratch;
        std::vector<Job> jobs(dirs.size());
        for (std::size_t i = 0; i < dirs.size(); ++i) {
            const std::string base = scratch.path + "/" + std::to_string(i);
            jobs[i].dir = dirs[i];
            jobs[i].out = base + ".out";
            jobs[i].err = base + ".err";
            jobs[i].counts = base + ".counts";
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
            while (printed < jobs.size() &&
                   (jobs[printed].state == State::Done || jobs[printed].state == State::Stopped))
                PrintJob(jobs[printed++], o);
        }
        for (std::size_t i = next; i < jobs.size(); ++i) jobs[i].state = State::NotRun;
        while (printed < jobs.size() && jobs[printed].state != State::NotRun) PrintJob(jobs[printed++], o);

        PrintTable(o.run.json ? std::cerr : std::cout, jobs,
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (!o.summaryCsv.empty()) WriteCsv(o.summaryCsv, jobs);
        int worst = 0;
        for (const Job& j : jobs) worst = std::max(worst, j.status);
        if (stop.Asked()) {
            std::cerr << "f101: stopped; " << (jobs.size() - next) << " of " << jobs.size() << " reports not checked\n";
            return int{kStopped};
        }
        return worst;
    });
}

}  // namespace tesma::f101

// `f101 check` on several report folders. Long-lived worker processes (one per core, or -j N)
// each load the library once and check report after report, handed out one at a time from the
// queue of folders, so that a report costs what the library's work on it costs and not the
// start of a process. A crash or hang of one report is still that report's failure alone: its
// worker is killed (a hang at the per-report time limit), the report is reported failed with
// the chapters it had sent, and a fresh worker takes the next report. The batch prints each
// report's results itself, in the order given, then its summary.
#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>

#include "batch_progress.h"
#include "check.h"
#include "check_output.h"
#include "check_result_json.h"
#include "check_summary.h"
#include "check_workbook.h"
#include "command_support.h"
#include "finding_filter.h"
#include "html_report.h"
#include "report_folder.h"
#include "report_identity.h"
#include "stop_signals.h"
#include "worker_process.h"

namespace tesma::f101 {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// After a stop, how long a worker has to end the run it is on before it is killed.
constexpr auto kStopGrace = std::chrono::seconds(10);

enum class State { Waiting, Running, Done };

struct Job {
    std::string dir;
    State state = State::Waiting;
    Clock::time_point start;
    BatchReport report;
};

std::vector<std::string> WorkerArguments(const CheckOptions& o) {
    // "-": the report folders come on the worker's standard input.
    std::vector<std::string> args = {"f101", "check", "-", "--batch-worker"};
    for (const std::string& c : o.chapters) args.insert(args.end(), {"--chapter", c});
    if (o.run.instance >= 0) args.insert(args.end(), {"--instance", std::to_string(o.run.instance)});
    if (!o.run.overrideDir.empty()) args.insert(args.end(), {"--override", o.run.overrideDir});
    if (!o.severity.empty()) args.insert(args.end(), {"--severity", o.severity});
    if (o.run.json) args.push_back("--json");
    if (o.explain) args.push_back("--explain");
    args.insert(args.end(), {"--lang", std::string(LanguageCode(o.language))});
    if (o.quiet) args.push_back("--quiet");
    if (!o.ignore.empty()) {
        std::string codes;
        for (const std::string& c : o.ignore) codes += (codes.empty() ? "" : ",") + c;
        args.insert(args.end(), {"--ignore", codes});
    }
    if (!o.baseline.empty()) args.insert(args.end(), {"--baseline", o.baseline});
    if (o.dryRun) args.push_back("--dry-run");
    return args;
}

// A worker and the report it is on.
struct Slot {
    std::unique_ptr<WorkerProcess> process;
    std::optional<std::size_t> job;
    ResultReader reader;
};

class Batch {
public:
    Batch(const CheckOptions& o, std::vector<std::string> dirs, CheckSink& sinks)
        : sinks_(sinks), progress_(dirs.size()) {
        std::error_code ec;
        self_ = fs::read_symlink("/proc/self/exe", ec).string();
        if (ec) throw std::runtime_error("cannot find this program's own file to start its workers");
        args_ = WorkerArguments(o);
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const std::size_t parallel = o.jobs > 0 ? static_cast<std::size_t>(o.jobs) : cores;
        slots_.resize(std::min(parallel, dirs.size()));
        for (std::string& d : dirs) jobs_.emplace_back().dir = std::move(d);
        limit_ = std::chrono::seconds(o.reportTimeout);
    }

    BatchResult Run() {
        const auto started = Clock::now();
        // SIGINT and SIGTERM stop the batch (and interrupt its wait).
        const StopSignals stop({SIGINT, SIGTERM});
        for (;;) {
            if (stop.Asked() && !stopAt_) Stop();
            HandOut();
            if (Running() == 0) break;
            Wait();
            KillOverdue();
            Print();
            progress_.Show(printed_, Running());
        }
        progress_.Wipe();
        for (Slot& s : slots_) End(s);
        BatchResult batch;
        for (std::size_t i = 0; i < jobs_.size(); ++i) {
            Job& j = jobs_[i];
            if (j.state == State::Waiting) {
                j.report.run = false;
                j.report.result.folder = j.dir;
            } else if (i >= printed_) {
                sinks_.ReportDone(j.report.result);
            }
            batch.reports.push_back(std::move(j.report));
        }
        batch.seconds = std::chrono::duration<double>(Clock::now() - started).count();
        batch.stopped = stopAt_.has_value();
        return batch;
    }

    std::size_t NotRun() const { return jobs_.size() - next_; }

private:
    std::size_t Running() const {
        return static_cast<std::size_t>(
            std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.job; }));
    }

    // Gives every idle worker the next report, starting workers where none is left.
    void HandOut() {
        for (Slot& s : slots_) {
            if (stopAt_ || next_ >= jobs_.size()) return;
            if (s.job) continue;
            Job& job = jobs_[next_];
            job.start = Clock::now();
            job.state = State::Running;
            s.job = next_++;
            s.reader = {};
            // A worker that has gone since its last report is replaced, once.
            for (int attempt = 0; attempt < 2; ++attempt) {
                if (!s.process) s.process = std::make_unique<WorkerProcess>(self_, args_);
                if (s.process->Send(job.dir)) break;
                s.process->Reap();
                s.process.reset();
            }
            if (!s.process) {
                s.process = std::make_unique<WorkerProcess>(self_, args_);
                Drop(s, "could not be handed it");
            }
        }
    }

    // Waits for results (or a worker's end), the next time limit, or a stop.
    void Wait() {
        std::vector<pollfd> fds;
        for (const Slot& s : slots_)
            if (s.job) fds.push_back({s.process->ResultsFd(), POLLIN, 0});
        ::poll(fds.data(), fds.size(), 100);  // a stop interrupts it; a time limit is seen within 0.1 s
        for (Slot& s : slots_) {
            if (!s.job) continue;
            std::vector<std::string> lines;
            const bool open = s.process->ReadLines(lines);
            for (const std::string& line : lines) {
                if (!s.job) break;
                try {
                    if (s.reader.Add(line)) Done(s, s.reader.Take());
                } catch (const std::runtime_error& e) {
                    Drop(s, "sent what is not a check result (" + std::string(e.what()) + "); it was killed");
                }
            }
            if (!open && s.process) Ended(s);
        }
    }

    // A report whose worker is past the time limit (or, after a stop, past the grace to end its
    // run) is ended with it.
    void KillOverdue() {
        const auto now = Clock::now();
        for (Slot& s : slots_) {
            if (!s.job) continue;
            const Job& job = jobs_[*s.job];
            if (stopAt_ && now - *stopAt_ > kStopGrace)
                Drop(s, "did not end its run within " + std::to_string(kStopGrace.count()) +
                            " s of the stop; it was killed");
            else if (now - job.start > limit_)
                Drop(s, "gave no result within " + std::to_string(limit_.count()) +
                            " s (--report-timeout); it was killed");
        }
    }

    void Done(Slot& s, ReportResult result) {
        Job& job = jobs_[*s.job];
        result.workerOutput = s.process->TakeOutput();
        result.workerErrors = s.process->TakeErrors();
        job.report.result = std::move(result);
        Close(s, job);
    }

    // The worker ended by itself: on a report, that report's failure.
    void Ended(Slot& s) {
        const int status = s.process->Reap();
        if (s.job) Failed(s, DescribeEnd(status) + " before it gave the report's result");
        s.process.reset();
    }

    // The worker is killed, and the report it was on is its failure.
    void Drop(Slot& s, const std::string& why) {
        s.process->Kill();
        Failed(s, why);
        s.process.reset();
    }

    // The report the worker was on ends without its result: what it sent so far, and why.
    void Failed(Slot& s, const std::string& why) {
        Job& job = jobs_[*s.job];
        ReportResult& r = job.report.result;
        r = {};
        r.folder = job.dir;
        r.chapters = s.reader.Pending();
        r.cutOff = true;
        r.failures.push_back({job.dir + ": the process checking this report " + why, job.dir});
        if (stopAt_)
            r.stopped = true;
        else
            r.endedByFailure = true;
        r.counts = CountsOf(r);
        r.exitStatus = ExitStatusOf(r);
        r.workerOutput = s.process->TakeOutput();
        r.workerErrors = s.process->TakeErrors();
        Close(s, job);
    }

    void Close(Slot& s, Job& job) {
        job.report.seconds = std::chrono::duration<double>(Clock::now() - job.start).count();
        job.state = State::Done;
        s.job.reset();
        s.reader = {};
    }

    // The stop: no report is handed out any more; the workers on one end its run and send it
    // as stopped, the others end at once.
    void Stop() {
        stopAt_ = Clock::now();
        for (Slot& s : slots_) {
            if (!s.process) continue;
            if (s.job) s.process->Signal(SIGINT);
            s.process->CloseInput();
        }
    }

    // Each report whole as soon as it and those before it are done.
    void Print() {
        if (printed_ >= jobs_.size() || jobs_[printed_].state != State::Done) return;
        progress_.Wipe();
        while (printed_ < jobs_.size() && jobs_[printed_].state == State::Done)
            sinks_.ReportDone(jobs_[printed_++].report.result);
    }

    // No more reports: the worker ends by itself.
    static void End(Slot& s) {
        if (!s.process) return;
        s.process->CloseInput();
        s.process->Reap();
        s.process.reset();
    }

    CheckSink& sinks_;
    BatchProgress progress_;
    std::string self_;
    std::vector<std::string> args_;
    std::vector<Job> jobs_;
    std::vector<Slot> slots_;
    std::size_t next_ = 0, printed_ = 0;
    std::chrono::seconds limit_{};
    std::optional<Clock::time_point> stopAt_;
};

// The institution of a report its worker did not name (not run, or ended without its result),
// for the summary's order and columns; nothing when the folder cannot be read.
void Identify(ReportResult& r) {
    try {
        const reportkit::ReportFolder folder = reportkit::OpenReportFolder(r.folder);
        const reportkit::ReportIdentity identity = reportkit::ReadReportIdentity(folder, 0);
        r.regn = identity.regn;
        r.bankName = identity.bankName;
    } catch (const std::exception&) {
    }
}

}  // namespace

int CheckBatch(const CheckOptions& o) {
    return Guarded([&] {
        if (!o.run.protocol.empty())
            throw reportkit::UsageError("--protocol names one file: give it with a single report folder");
        std::vector<std::string> dirs = o.recursive ? reportkit::FindReportFolders(o.dirs) : o.dirs;
        if (dirs.empty())
            throw reportkit::UsageError(
                "no dated report folder (…/<form folder>/<YYYYMMDD>/ with rfdef.DB) under the folders given");

        // Each report printed whole as soon as it and those before it are done, then the
        // summary (on standard error with --json, where standard output is JSON Lines).
        // A baseline that cannot be read is said once, before any report is checked.
        if (!o.baseline.empty()) Baseline::Read(o.baseline);
        const CheckView view = ViewOf(o);
        BatchReportOutput reports(view, std::cout, std::cerr);
        SummaryTable table(o.run.json ? std::cerr : std::cout);
        BatchTotals totals(view, std::cout);
        std::optional<SummaryCsv> csv;
        std::optional<BaselineOutput> baseline;
        CheckSinks sinks;
        sinks.Add(reports);
        sinks.Add(table);
        sinks.Add(totals);
        if (!o.summaryCsv.empty()) sinks.Add(csv.emplace(o.summaryCsv));
        if (!o.writeBaseline.empty()) sinks.Add(baseline.emplace(o.writeBaseline));
        std::optional<WorkbookOutput> workbook;
        if (!o.xlsx.empty()) sinks.Add(workbook.emplace(o.xlsx, true, o.explain));
        std::optional<HtmlBatch> html;
        if (!o.html.empty()) sinks.Add(html.emplace(o.html, o.language));

        const std::size_t total = dirs.size();
        Batch batch(o, std::move(dirs), sinks);
        BatchResult result = batch.Run();
        for (BatchReport& r : result.reports)
            if (r.result.regn.empty()) Identify(r.result);
        sinks.BatchDone(result);
        if (result.stopped)
            std::cerr << "f101: stopped; " << batch.NotRun() << " of " << total << " reports not checked\n";
        return BatchExitStatus(result);
    });
}

}  // namespace tesma::f101

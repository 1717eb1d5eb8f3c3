#include "timings.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "form101.h"
#include "platform/text/cp1251.h"
#include "platform/unique_fd.h"
#include "report_folder.h"
#include "run_host.h"

namespace tesma::bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// The fastest of a few tries: what the work itself costs, without what a busy machine adds.
double BestSeconds(const std::function<void()>& work, int tries = 3) {
    double best = 1e9;
    for (int i = 0; i < tries; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// f101 with its output thrown away: on a terminal of its own (the progress line drawn), or
// without one (TESMA_UI=silent). Returns the exit status.
int RunF101(const std::vector<std::string>& args, bool onTerminal) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int master = -1;
    const pid_t pid = onTerminal ? ::forkpty(&master, nullptr, nullptr, nullptr) : ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (onTerminal) {
            ::unsetenv(TESMA_ENV_UI);
            ::setenv("TERM", "xterm", 1);
        } else {
            const UniqueFd null(::open("/dev/null", O_WRONLY | O_CLOEXEC));
            ::dup2(null.Get(), 1);
            ::dup2(null.Get(), 2);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (onTerminal) {
        // Read the terminal until the program has gone, so that it never waits for room to draw.
        const UniqueFd terminal(master);
        char buffer[4096];
        while (::read(terminal.Get(), buffer, sizeof buffer) > 0) {
        }
    }
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

struct Check {
    const char* what;
    double value, bound;  // seconds, or a ratio
    const char* unit;
};

bool Print(const Check& c) {
    const bool ok = c.value <= c.bound;
    std::printf("  %-62s %8.3f %-2s (bound %6.3f) %6.2f  %s\n", c.what, c.value, c.unit, c.bound, c.value / c.bound,
                ok ? "ok" : "SLOW");
    return ok;
}

}  // namespace

int RunTimingChecks(const std::string& f101, const std::string& library, const std::string& folderPath,
                    const std::string& scratch) {
    std::printf("\ntimings (value, bound, value/bound)\n");
    bool ok = true;
    fs::create_directories(scratch);
    const reportkit::ReportFolder folder = reportkit::OpenReportFolder(folderPath);
    hostkit::Library lib(library);
    const std::string protocol = scratch + "/protocol.txt";
    const auto run = [&](std::int32_t table, const std::string& protocolPath) {
        return reportkit::RunOnFolder(lib, folder, {table, contract::kModeControl, 0, protocolPath, ""});
    };

    // Without a terminal nothing waits for the operator: the run takes a fraction of the half
    // second a terminal run waits before it starts.
    const double fill = BestSeconds([&] { run(contract::kTableMessageRequisites, protocol); });
    ok &= Print({"run without a terminal, against the first wait (0.5 s)", fill / 0.5, 0.8, "x"});

    // A FIFO without a reader as the protocol: the run waits for a reader for a few seconds and
    // then gives up; the wait ends on time, whatever the run would have cost.
    const std::string fifo = scratch + "/fifo";
    ::mkfifo(fifo.c_str(), 0600);
    const std::int32_t chapterD = contract::kTableChapterD;
    const double wait = contract::kProtocolReaderWaitMs / 1000.0;
    const double toFifo = BestSeconds([&] { run(chapterD, fifo); }, 1);
    ok &= Print({"protocol a FIFO without a reader, against the wait for a reader", toFifo / wait, 1.1, "x"});

    // A table another process holds: the run fails at once, as a run on a damaged table does (a
    // failed run ends at the window's next tick), not after a wait for the lock.
    const std::string table = folder.TablePath(contract::kTableChapterA);
    int ends[2] = {-1, -1};
    (void)!::pipe(ends);
    const UniqueFd readyIn(ends[0]), readyOut(ends[1]);
    (void)!::pipe(ends);
    const UniqueFd goIn(ends[0]), goOut(ends[1]);
    const pid_t holder = ::fork();
    if (holder == 0) {
        const UniqueFd held(::open(table.c_str(), O_RDONLY));
        ::flock(held.Get(), LOCK_EX);
        char c = 1;
        (void)!::write(readyOut.Get(), &c, 1);
        (void)!::read(goIn.Get(), &c, 1);
        ::_exit(0);
    }
    char c = 0;
    (void)!::read(readyIn.Get(), &c, 1);
    const double locked = BestSeconds([&] { run(contract::kTableChapterA, protocol); });
    (void)!::write(goOut.Get(), &c, 1);
    ::waitpid(holder, nullptr, 0);
    fs::resize_file(table, 3000);
    const double damaged = BestSeconds([&] { run(contract::kTableChapterA, protocol); });
    ok &= Print({"chapter table held by another process, against a damaged one", locked / damaged, 1.5, "x"});

    // The demo, from its sheets to its protocol, in seconds.
    int demoStatus = -1;
    const double demo = BestSeconds([&] { demoStatus = RunF101({f101, "demo", scratch + "/demo"}, false); }, 1);
    ok &= Print({"f101 demo", demo, 5.0, "s"});
    if (demoStatus != 0) {
        std::printf("  f101 demo failed: exit status %d\n", demoStatus);
        ok = false;
    }

    // The progress line on a terminal: the one wait before the first run (0.5 s) and the drawing,
    // at most 0.6 s more than without a terminal, and a twentieth of the run for a slower build.
    const std::string demoFolder = scratch + "/demo/F101/20151201";
    const std::vector<std::string> check = {f101, "check", demoFolder, "--protocol", scratch + "/check.txt"};
    const double tty = BestSeconds([&] { RunF101(check, true); });
    const double plain = BestSeconds([&] { RunF101(check, false); });
    ok &= Print({"f101 check on a terminal, beyond the same without one", tty - plain, 0.6 + plain / 20, "s"});

    fs::remove_all(scratch);
    return ok ? 0 : 1;
}

}  // namespace tesma::bench

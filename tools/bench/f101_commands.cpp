#include "f101_commands.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "population.h"
#include "report_folder.h"
#include "tesma/tesmaC.h"

namespace tesma::bench {

namespace fs = std::filesystem;

namespace {

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// CPU seconds (user and system) of a rusage.
double CpuSeconds(const rusage& u) {
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of the processes this one has waited for so far.
double ChildrenCpu() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return CpuSeconds(usage);
}

}  // namespace

Timing Timed(const std::vector<std::string>& args, const std::string& output, const std::string& errors) {
    // What this program printed so far goes out now, not again from the child's copy of the buffer.
    std::fflush(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (!std::freopen(output.c_str(), "w", stdout)) ::_exit(126);
        if (!errors.empty() && !std::freopen(errors.c_str(), "w", stderr)) ::_exit(126);
        ::setenv(TESMA_ENV_UI, "silent", 1);
        ::execv(args[0].c_str(), argv.data());
        ::_exit(127);
    }
    int raw = 0;
    rusage usage{};
    ::wait4(pid, &raw, 0, &usage);
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, CpuSeconds(usage)};
}

int RunF101Commands(const std::string& sheets, const std::string& f101, const std::string& library) {
    const fs::path root = fs::temp_directory_path() / ("tesma-f101-all-" + std::to_string(::getpid()));
    const fs::path copy = root.string() + "-in-process";
    fs::remove_all(root);
    fs::remove_all(copy);
    const fs::path signs = fs::path(sheets).parent_path() / "account-signs-observed.csv";
    std::printf("\nreal population: the published sheets %s\n", sheets.c_str());
    std::printf("  load average before: %s\n", LoadAverage().c_str());
    const Timing import =
        Timed({f101, "import-published", sheets, "--regn", "all", "--out", root.string(), "--chart", signs.string()},
              (root.string() + ".import.txt"));
    std::printf("  f101 import-published --regn all        %6.1f s  (target 15 s)  exit %d\n", import.seconds,
                import.status);
    // The same trees twice: one copy for the library in this program, one for f101.
    fs::copy(root, copy, fs::copy_options::recursive);
    const std::vector<std::string> folders = reportkit::FindReportFolders({copy.string()});

    const double cpuBefore = ChildrenCpu();
    const InProcessRun inProcess = RunControlsInProcess(folders, library);
    const double inProcessCpu = ChildrenCpu() - cpuBefore;
    std::printf(
        "  controls of chapters А..Д in process     %6.1f s  %6.1f s CPU  %5.1f ms per institution "
        "(%zu institutions, 2 processes)\n",
        inProcess.seconds, inProcessCpu, inProcess.seconds * 1000 / static_cast<double>(folders.size()),
        folders.size());
    const Timing check =
        Timed({f101, "check", root.string(), "--recursive", "--quiet", "--summary-csv", root.string() + ".summary.csv"},
              root.string() + ".check.txt");
    std::printf("  f101 check ROOT --recursive              %6.1f s  %6.1f s CPU  exit %d\n", check.seconds, check.cpu,
                check.status);
    const double ratio = check.seconds / inProcess.seconds;
    const bool fast = ratio <= 1.3;
    std::printf("  f101 check --recursive / in process      %6.2f x  (bound 1.30)  %s\n", ratio, fast ? "ok" : "SLOW");
    // The pages cost little beside the check itself: the same batch (a dry run, so both check
    // the same tables) with and without --html, by the processor time of f101 and its workers.
    std::error_code ec;
    const Timing plain =
        Timed({f101, "check", root.string(), "--recursive", "--quiet", "--dry-run"}, root.string() + ".check.txt");
    const Timing paged =
        Timed({f101, "check", root.string(), "--recursive", "--quiet", "--dry-run", "--html", root.string() + ".pages"},
              root.string() + ".check.txt");
    std::uintmax_t bytes = 0;
    std::size_t pages = 0;
    for (const auto& e : fs::directory_iterator(root.string() + ".pages", ec)) bytes += e.file_size(), ++pages;
    const double pageRatio = plain.cpu > 0 ? paged.cpu / plain.cpu : 0;
    std::printf("  f101 check --recursive --dry-run          %6.1f s CPU\n", plain.cpu);
    std::printf("  the same with --html                      %6.1f s CPU  %.3fx  (bound 1.10x)  %zu pages, %.1f MiB\n",
                paged.cpu, pageRatio, pages, static_cast<double>(bytes) / (1 << 20));
    std::printf("  load average after: %s\n", LoadAverage().c_str());
    std::printf("  findings by code (in process):\n");
    for (const auto& [code, n] : inProcess.codes) std::printf("    %-14s %8ld\n", code.c_str(), n);

    fs::remove_all(root);
    fs::remove_all(copy);
    fs::remove_all(root.string() + ".pages");
    for (const char* suffix : {".import.txt", ".summary.csv", ".check.txt"}) fs::remove(root.string() + suffix);
    const bool ran = import.status == 0 && (check.status == 0 || check.status == 1);
    const bool pagesCheap = pageRatio > 0 && pageRatio < 1.10 && (paged.status == 0 || paged.status == 1);
    return ran && fast && pagesCheap ? 0 : 1;
}

}  // namespace tesma::bench

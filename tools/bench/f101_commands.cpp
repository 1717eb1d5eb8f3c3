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
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

int RunF101Commands(const std::string& sheets, const std::string& f101) {
    const fs::path root = fs::temp_directory_path() / ("tesma-f101-all-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path signs = fs::path(sheets).parent_path() / "account-signs-observed.csv";
    std::printf("\nf101 over the whole population (load average before: %s)\n", LoadAverage().c_str());
    std::error_code ec;
    const auto [importSeconds, importStatus, importCpu] =
        Timed({f101, "import-published", sheets, "--regn", "all", "--out", root.string(), "--chart", signs.string()},
              (root.string() + ".import.txt"));
    std::printf("  f101 import-published --regn all        %6.1f s  (target 15 s)  exit %d\n", importSeconds,
                importStatus);
    const auto [checkSeconds, checkStatus, checkCpu] =
        Timed({f101, "check", root.string(), "--recursive", "--quiet", "--summary-csv", root.string() + ".summary.csv"},
              root.string() + ".check.txt");
    std::printf("  f101 check ROOT --recursive             %6.1f s  (target 20 s)  exit %d\n", checkSeconds,
                checkStatus);
    // The pages cost little beside the check itself: the same batch (a dry run, so both check
    // the same tables) with and without --html, by the processor time of f101 and its workers.
    const auto plain =
        Timed({f101, "check", root.string(), "--recursive", "--quiet", "--dry-run"}, root.string() + ".check.txt");
    const auto paged =
        Timed({f101, "check", root.string(), "--recursive", "--quiet", "--dry-run", "--html", root.string() + ".pages"},
              root.string() + ".check.txt");
    std::uintmax_t bytes = 0;
    std::size_t pages = 0;
    for (const auto& e : fs::directory_iterator(root.string() + ".pages", ec)) bytes += e.file_size(), ++pages;
    const double ratio = plain.cpu > 0 ? paged.cpu / plain.cpu : 0;
    std::printf("  f101 check --recursive --dry-run          %6.1f s CPU\n", plain.cpu);
    std::printf("  the same with --html                      %6.1f s CPU  %.3fx  (bound 1.10x)  %zu pages, %.1f MiB\n",
                paged.cpu, ratio, pages, static_cast<double>(bytes) / (1 << 20));
    std::printf("  load average after: %s\n", LoadAverage().c_str());
    fs::remove_all(root);
    fs::remove_all(root.string() + ".pages");
    for (const char* suffix : {".import.txt", ".summary.csv", ".check.txt"}) fs::remove(root.string() + suffix);
    const bool pagesCheap = ratio > 0 && ratio < 1.10 && (paged.status == 0 || paged.status == 1);
    return importStatus == 0 && (checkStatus == 0 || checkStatus == 1) && pagesCheap ? 0 : 1;
}

}  // namespace tesma::bench

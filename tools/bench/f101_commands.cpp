#include "f101_commands.h"

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

// Runs the program with its output to a file; the seconds it took, and its exit status.
std::pair<double, int> Timed(const std::vector<std::string>& args, const std::string& output) {
    // What this program printed so far goes out now, not again from the child's copy of the buffer.
    std::fflush(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (!std::freopen(output.c_str(), "w", stdout)) ::_exit(126);
        ::setenv(TESMA_ENV_UI, "silent", 1);
        ::execv(args[0].c_str(), argv.data());
        ::_exit(127);
    }
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            WIFEXITED(raw) ? WEXITSTATUS(raw) : -1};
}

}  // namespace

int RunF101Commands(const std::string& sheets, const std::string& f101) {
    const fs::path root = fs::temp_directory_path() / ("tesma-f101-all-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path signs = fs::path(sheets).parent_path() / "account-signs-observed.csv";
    std::printf("\nf101 over the whole population (load average before: %s)\n", LoadAverage().c_str());
    const auto [importSeconds, importStatus] =
        Timed({f101, "import-published", sheets, "--regn", "all", "--out", root.string(), "--chart", signs.string()},
              (root.string() + ".import.txt"));
    std::printf("  f101 import-published --regn all        %6.1f s  (target 15 s)  exit %d\n", importSeconds,
                importStatus);
    const auto [checkSeconds, checkStatus] =
        Timed({f101, "check", root.string(), "--recursive", "--quiet", "--summary-csv", root.string() + ".summary.csv"},
              root.string() + ".check.txt");
    std::printf("  f101 check ROOT --recursive             %6.1f s  (target 20 s)  exit %d\n", checkSeconds,
                checkStatus);
    std::printf("  load average after: %s\n", LoadAverage().c_str());
    fs::remove_all(root);
    for (const char* suffix : {".import.txt", ".summary.csv", ".check.txt"}) fs::remove(root.string() + suffix);
    return importStatus == 0 && (checkStatus == 0 || checkStatus == 1) ? 0 : 1;
}

}  // namespace tesma::bench

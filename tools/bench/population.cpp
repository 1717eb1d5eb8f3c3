#include "population.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "form101.h"
#include "protocol_lines.h"
#include "published_sheet.h"
#include "report_folder.h"
#include "report_tree.h"
#include "run_host.h"

namespace tesma::bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int RunPopulation(const std::string& sheets, const std::string& library) {
    const fs::path root = fs::temp_directory_path() / ("tesma-population-" + std::to_string(::getpid()));
    fs::remove_all(root);
    auto start = Clock::now();
    auto rows = reportkit::ReadPublished(sheets, "");
    const fs::path signs = fs::path(sheets).parent_path() / "account-signs-observed.csv";
    auto chart =
        reportkit::ReadChart(fs::exists(signs) ? signs.string() : std::string(TESMA_DEMO_DATA) + "/account-signs.csv");
    std::map<std::string, std::vector<reportkit::PublishedRow>> byBank;
    for (auto& r : rows) byBank[r.regn].push_back(std::move(r));
    std::vector<std::string> folders;
    for (const auto& [regn, bankRows] : byBank)
        folders.push_back(reportkit::WriteReportTree({(root / regn).string(), regn, "", 1}, bankRows, chart));
    const double importSeconds = std::chrono::duration<double>(Clock::now() - start).count();

    // Two workers, each a process with its own copy of the library, half the institutions each.
    start = Clock::now();
    const int workers = 2;
    std::vector<pid_t> children;
    for (int w = 0; w < workers; ++w) {
        pid_t pid = ::fork();
        if (pid == 0) {
            try {
                hostkit::Library lib(library);
                std::map<std::string, long> counts;
                for (std::size_t i = static_cast<std::size_t>(w); i < folders.size(); i += workers) {
                    reportkit::ReportFolder folder = reportkit::OpenReportFolder(folders[i]);
                    for (const auto& c : reportkit::kChapters) {
                        if (folder.TablePath(c.tableId).empty()) continue;
                        auto outcome = reportkit::RunOnFolder(
                            lib, folder, {c.tableId, contract::kModeControl, 0, folder.dir + "protocol.txt", ""});
                        for (const auto& line : reportkit::ParseProtocol(outcome.appended))
                            if (!line.code.empty()) ++counts[line.code];
                        if (!outcome.messages.empty()) ++counts["(failed runs)"];
                    }
                }
                std::ofstream out(root / ("counts-" + std::to_string(w)));
                for (const auto& [code, n] : counts) out << code << ' ' << n << '\n';
            } catch (const std::exception& e) {
                std::fprintf(stderr, "population worker: %s\n", e.what());
                ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
    const double checkSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::map<std::string, long> counts;
    for (int w = 0; w < workers; ++w) {
        std::ifstream in(root / ("counts-" + std::to_string(w)));
        std::string code;
        long n;
        while (in >> code >> n) counts[code] += n;
    }
    std::printf("\nreal population: %zu institutions of %s\n", folders.size(), sheets.c_str());
    std::printf("  report trees built in %.1f s\n", importSeconds);
    std::printf("  controls of chapters А..Д: %.1f s in all, %.1f ms per institution (2 processes)\n", checkSeconds,
                checkSeconds * 1000 / static_cast<double>(folders.size()));
    std::printf("  findings by code:\n");
    for (const auto& [code, n] : counts) std::printf("    %-14s %8ld\n", code.c_str(), n);
    fs::remove_all(root);
    return 0;
}

}  // namespace tesma::bench

#include "population.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <sstream>

#include "form101.h"
#include "memory_file.h"
#include "protocol_lines.h"
#include "report_folder.h"
#include "run_host.h"

namespace tesma::bench {

using Clock = std::chrono::steady_clock;

InProcessRun RunControlsInProcess(const std::vector<std::string>& folders, const std::string& library) {
    const int workers = 2;
    // Each worker's counts come back in an anonymous file.
    std::vector<std::unique_ptr<reportkit::MemoryFile>> results;
    for (int w = 0; w < workers; ++w) results.push_back(std::make_unique<reportkit::MemoryFile>("bench-counts"));
    std::fflush(nullptr);
    const auto start = Clock::now();
    std::vector<pid_t> children;
    for (int w = 0; w < workers; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            try {
                hostkit::Library lib(library);
                std::map<std::string, long> counts;
                for (std::size_t i = static_cast<std::size_t>(w); i < folders.size(); i += workers) {
                    reportkit::ReportFolder folder = reportkit::OpenReportFolder(folders[i]);
                    // The instance f101 asks for: the register's only one (else the report as a whole).
                    const std::int32_t instance = folder.instances.size() == 1 ? folder.instances[0].id : 0;
                    for (const auto& c : reportkit::kChapters) {
                        if (folder.TablePath(c.tableId).empty()) continue;
                        auto outcome = reportkit::RunOnFolder(
                            lib, folder,
                            {c.tableId, contract::kModeControl, instance, folder.dir + "protocol.txt", ""});
                        for (const auto& line : reportkit::ParseProtocol(outcome.appended))
                            if (!line.code.empty()) ++counts[line.code];
                        if (!outcome.messages.empty()) ++counts["(failed runs)"];
                    }
                }
                std::ostringstream out;
                for (const auto& [code, n] : counts) out << code << ' ' << n << '\n';
                const std::string text = out.str();
                if (::write(results[static_cast<std::size_t>(w)]->Fd(), text.data(), text.size()) !=
                    static_cast<ssize_t>(text.size()))
                    ::_exit(1);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "population worker: %s\n", e.what());
                ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
    InProcessRun run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (const auto& file : results) {
        const std::string text = file->Contents();
        std::istringstream in(text);
        std::string code;
        long n = 0;
        while (in >> code >> n) run.codes[code] += n;
    }
    return run;
}

}  // namespace tesma::bench

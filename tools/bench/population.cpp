#include "population.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>

#include "form101.h"
#include "platform/unique_fd.h"
#include "protocol_lines.h"
#include "report_folder.h"
#include "run_host.h"

namespace tesma::bench {

using Clock = std::chrono::steady_clock;

InProcessRun RunControlsInProcess(const std::vector<std::string>& folders, const std::string& library) {
    const int workers = 2;
    // Each worker's counts come back in an anonymous file.
    std::vector<UniqueFd> results;
    for (int w = 0; w < workers; ++w) results.emplace_back(::memfd_create("bench-counts", 0));
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
                if (::write(results[static_cast<std::size_t>(w)].Get(), text.data(), text.size()) !=
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
    for (const UniqueFd& fd : results) {
        std::string text;
        char buffer[4096];
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(fd.Get(), buffer, sizeof buffer, at);
            if (n <= 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
            at += n;
        }
        std::istringstream in(text);
        std::string code;
        long n = 0;
        while (in >> code >> n) run.codes[code] += n;
    }
    return run;
}

}  // namespace tesma::bench

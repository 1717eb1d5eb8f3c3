// `f101 check` on one report folder: each chapter run as a host runs it, the findings printed
// with their context, a summary line, and the exit status. A dry run sends the protocol to a
// scratch file and asks the library to drop its table changes, and then proves that no file of
// the folder changed.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "check.h"
#include "check_output.h"
#include "command_support.h"
#include "instance_choice.h"
#include "platform/unique_fd.h"
#include "run_host.h"
#include "run_session.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

// The bytes of every file of a folder, to prove that a dry run changed none.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        files[e.path().filename().string()] = s.str();
    }
    return files;
}

// A scratch protocol file for a dry run, removed at the end.
struct ScratchProtocol {
    std::string path;
    ScratchProtocol() {
        std::string pattern = (fs::temp_directory_path() / "f101-dry-run-XXXXXX").string();
        if (!UniqueFd(::mkstemp(pattern.data())))
            throw std::runtime_error("cannot create a scratch protocol file in " + fs::temp_directory_path().string());
        path = pattern;
    }
    ~ScratchProtocol() { ::unlink(path.c_str()); }
    ScratchProtocol(const ScratchProtocol&) = delete;
    ScratchProtocol& operator=(const ScratchProtocol&) = delete;
};

void WriteCounts(const std::string& path, const FindingCounts& c) {
    if (path.empty()) return;
    std::ofstream out(path, std::ios::trunc);
    out << c.errors << ' ' << c.warnings << ' ' << c.failures << '\n';
}

}  // namespace

int CheckReport(const CheckOptions& o, const std::string& dir) {
    FindingCounts total;
    const int status = Guarded([&] {
        reportkit::ReportFolder folder = reportkit::OpenReportFolder(dir);
        auto chapters = ChosenChapters(o.chapters.empty() ? std::vector<std::string>{"all"} : o.chapters, folder);
        const std::int32_t instance = ChooseInstance(folder, o.run.instance);
        if (!o.run.overrideDir.empty() && !fs::is_directory(o.run.overrideDir))
            throw reportkit::UsageError(o.run.overrideDir +
                                        ": no such folder (--override names the folder of the tables \"!.<file>\")");
        hostkit::Library lib(reportkit::LibraryPath());
        const CheckView view{o.run.json, o.explain, o.quiet, o.severity};
        std::optional<ScratchProtocol> scratch;
        if (o.dryRun && o.run.protocol.empty()) scratch.emplace();
        const std::string protocol = scratch ? scratch->path : o.run.ProtocolPath(folder);
        const auto before = o.dryRun ? Snapshot(folder.dir) : std::map<std::string, std::string>{};
        CheckOutput output(view);
        RunSession session(output, o.run.json);
        for (const reportkit::Chapter& c : chapters) {
            const bool more = session.Run(
                lib, folder, {c.tableId, contract::kModeControl, instance, protocol, o.run.overrideDir, o.dryRun});
            total = session.Counts();
            if (!more) break;
        }
        if (session.Stopped()) {
            PrintSummary(std::cout, folder.dir, total, view);
            return int{kStopped};
        }
        if (o.dryRun && Snapshot(folder.dir) != before) {
            std::cerr << "f101: " << folder.dir << ": a file of the report changed during the dry run\n";
            ++total.failures;
        }
        PrintSummary(std::cout, folder.dir, total, view);
        if (total.failures > 0) return int{kCouldNotCheck};
        return total.errors > 0 ? int{kFindings} : int{kClean};
    });
    if (status == kUsage || status == kCouldNotCheck) {
        // A report that could not be checked at all still ends with its summary.
        if (total.failures == 0 && status == kCouldNotCheck) {
            total.failures = 1;
            PrintSummary(std::cout, dir, total, CheckView{o.run.json, o.explain, o.quiet, o.severity});
        }
        total.failures = std::max(total.failures, 1);
    }
    WriteCounts(o.countsFile, total);
    return status;
}

}  // namespace tesma::f101

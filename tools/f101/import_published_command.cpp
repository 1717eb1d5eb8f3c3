// `f101 import-published SHEETS --regn N --out ROOT`: report trees built from the central bank's
// published sheets. One institution's tree goes to <out>/F101/<date>/, synced table by table;
// with --regn all (or a list) every institution's tree comes from one read of the sheet file,
// each under <out>/<regn>/, written without a sync each and the file system synced once at the
// end, before success is reported. Each tree appears whole or not at all; a stop, or a tree that
// cannot be written (a report to replace that a run is working on), ends the import between two
// trees and says which were written and which not.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "command_support.h"
#include "commands.h"
#include "platform/unique_fd.h"
#include "published_sheet.h"
#include "report_tree.h"
#include "stop_signals.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

struct ImportPublishedOptions {
    std::string csv, regn, out, chart, names;
    bool replace = false;
};

// "all" or a comma-separated list.
bool NamesManyInstitutions(const std::string& regn) { return regn == "all" || regn.find(',') != std::string::npos; }

// The bank names file, when there is one.
std::map<std::string, std::string> BankNames(const std::string& path) {
    return fs::exists(path) ? reportkit::ReadBankNames(path) : std::map<std::string, std::string>{};
}

void SyncFileSystemOf(const std::string& dir) {
    const UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd || ::syncfs(fd.Get()) != 0)
        throw std::runtime_error(dir + ": the report trees could not be synced to disk");
}

// One line on standard output, whole even when a signal breaks the write.
void PrintLine(const std::string& line) {
    std::cout.flush();
    const std::string bytes = line + "\n";
    for (std::string_view left = bytes; !left.empty();) {
        const ssize_t n = ::write(STDOUT_FILENO, left.data(), left.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        left.remove_prefix(static_cast<std::size_t>(n));
    }
}

// An institution's report tree to write.
struct TreeToWrite {
    reportkit::ReportTreePlan plan;
    const std::vector<reportkit::PublishedRow>* rows;
};

// Writes the trees one by one, each whole or not at all, and lists each on standard output as
// soon as it is in place. A stop ends the import between two trees, and a tree that cannot be
// written ends it there: the trees written stay (synced) and the rest are named on standard
// error. `syncRoot`: the folder whose file system is synced once at the end (empty when each
// tree syncs its own tables).
int WriteTrees(const std::vector<TreeToWrite>& trees, const std::vector<reportkit::ChartEntry>& chart,
               const StopSignals& stop, const std::string& syncRoot) {
    std::size_t written = 0;
    std::string failure;
    for (; written < trees.size() && !stop.Asked(); ++written) {
        try {
            PrintLine(reportkit::PlaceReportTree(trees[written].plan, *trees[written].rows, chart));
        } catch (const std::exception& e) {
            if (written == 0) throw;
            failure = text::ToUtf8(e.what());
            break;
        }
    }
    if (!syncRoot.empty() && written > 0) SyncFileSystemOf(syncRoot);
    if (written == trees.size()) return int{kClean};
    std::ostringstream said;
    if (failure.empty())
        said << "f101: stopped: ";
    else
        said << "f101: " << failure << "\nf101: ";
    if (written == 0) {
        said << "no report was written";
    } else {
        said << written << " of " << trees.size()
             << " reports written (listed on standard output), each whole; not written: ";
        constexpr std::size_t kNamed = 10;
        for (std::size_t i = written; i < trees.size() && i < written + kNamed; ++i)
            said << (i > written ? ", " : "") << trees[i].plan.regn;
        if (trees.size() - written > kNamed) said << " and " << trees.size() - written - kNamed << " more";
    }
    said << ". The same command with --replace writes them all.\n";
    std::cerr << said.str();
    return failure.empty() ? int{kStopped} : int{kCouldNotCheck};
}

int ImportMany(const std::string& csv, const std::string& regn, const std::string& out, const std::string& chartPath,
               const std::string& namesPath, bool replace, const StopSignals& stop) {
    std::set<std::string> wanted;
    if (regn != "all") {
        std::istringstream list(regn);
        for (std::string item; std::getline(list, item, ',');) {
            const auto number = reportkit::RegistrationNumber(item);
            if (!number) throw reportkit::UsageError("--regn: '" + item + "' is not a registration number");
            wanted.insert(*number);
        }
    }
    if (!fs::exists(chartPath))
        throw reportkit::UsageError(chartPath + ": no chart of accounts (give --chart with a CSV of NUM_SC and A_P)");
    const auto chart = reportkit::ReadChart(chartPath);
    std::map<std::string, std::vector<reportkit::PublishedRow>> byRegn;
    for (reportkit::PublishedRow& r : reportkit::ReadPublished(csv, ""))
        if (wanted.empty() || wanted.count(r.regn)) byRegn[r.regn].push_back(std::move(r));
    for (const std::string& w : wanted)
        if (!byRegn.count(w)) throw std::runtime_error(csv + ": no rows for registration number " + w);
    if (byRegn.empty()) throw std::runtime_error(csv + ": no rows");
    // Every institution's folder is known before anything is written: one report that is
    // there already stops the whole import, unless --replace says to write over them.
    std::vector<std::string> folders;
    for (const auto& [number, rows] : byRegn)
        folders.push_back(reportkit::ReportTreeFolder((fs::path(out) / number).string(), rows));
    reportkit::RefuseExistingReports(folders, replace);
    const auto names = BankNames(namesPath);
    fs::create_directories(out);
    std::vector<TreeToWrite> trees;
    for (const auto& [number, rows] : byRegn) {
        auto name = names.find(number);
        TreeToWrite tree{
            {(fs::path(out) / number).string(), number, name == names.end() ? std::string() : name->second, 1}, &rows};
        tree.plan.syncEachTable = false;
        trees.push_back(std::move(tree));
    }
    return WriteTrees(trees, chart, stop, out);
}

int ImportPublished(const ImportPublishedOptions& o) {
    // Ctrl-C, or SIGTERM (a script's background job, whose SIGINT is ignored), stops the import
    // between two institutions' trees, never inside one.
    const StopSignals stop({SIGINT, SIGTERM});
    return Guarded([&] {
        RequireFile(o.csv);
        const std::string chartPath =
            o.chart.empty() ? (fs::path(o.csv).parent_path() / "account-signs-observed.csv").string() : o.chart;
        const std::string namesPath =
            o.names.empty() ? (fs::path(o.csv).parent_path() / "bank-names-2013-01-01.csv.gz").string() : o.names;
        if (NamesManyInstitutions(o.regn))
            return ImportMany(o.csv, o.regn, o.out, chartPath, namesPath, o.replace, stop);
        if (!o.chart.empty())
            RequireFile(o.chart);
        else if (!fs::exists(chartPath))
            throw reportkit::UsageError(
                chartPath + ": no chart of accounts beside the sheets (give --chart with a CSV of NUM_SC and A_P)");
        if (!o.names.empty()) RequireFile(o.names);
        if (fs::exists(o.out) && !fs::is_directory(o.out))
            throw reportkit::UsageError("--out " + o.out + ": not a folder");
        auto rows = reportkit::ReadPublished(o.csv, o.regn);
        if (rows.empty()) throw std::runtime_error(o.csv + ": no rows for registration number " + o.regn);
        const fs::path tree = reportkit::ReportTreeFolder(o.out, rows);
        reportkit::RefuseExistingReports({tree.string()}, o.replace);
        std::error_code ec;
        fs::create_directories(o.out, ec);
        if (ec || !fs::is_directory(o.out))
            throw reportkit::UsageError("--out " + o.out + ": cannot hold the report folder " + tree.string() +
                                        (ec ? ": " + ec.message() : std::string()));
        const auto names = BankNames(namesPath);
        const auto name = names.find(rows.front().regn);
        const std::string bankName = name == names.end() ? std::string() : name->second;
        return WriteTrees({{{o.out, rows.front().regn, bankName, 1}, &rows}}, reportkit::ReadChart(chartPath), stop,
                          "");
    });
}

// --regn: digits, a comma-separated list of them, or all.
std::string RegnError(const std::string& v) {
    std::string list;
    for (char c : v)
        if (c != ' ') list += c;
    const bool numbers = !list.empty() && list.find_first_not_of("0123456789,") == std::string::npos &&
                         list.front() != ',' && list.back() != ',' && list.find(",,") == std::string::npos;
    return numbers || v == "all" ? std::string()
                                 : "a registration number is digits (or a list of them, or all), not '" + v + "'";
}

}  // namespace

Command AddImportPublished(CLI::App& app) {
    auto o = std::make_shared<ImportPublishedOptions>();
    CLI::App* cmd =
        app.add_subcommand("import-published", "Build a report tree from the central bank's published sheets");
    cmd->add_option("CSV", o->csv, "Published sheets (CSV, may be gzip-compressed)")->required();
    cmd->add_option(
           "--regn", o->regn,
           "Registration number of the institution; a comma-separated list, or all (each tree under <out>/<regn>/)")
        ->required()
        ->check(CLI::Validator(RegnError, "REGN"));
    cmd->add_option("--out", o->out, "Root folder of the report tree")->required();
    cmd->add_flag("--replace", o->replace, "Write over a report folder of the same date, protocol file and all");
    cmd->add_option("--chart", o->chart,
                    "Chart of accounts: CSV with NUM_SC and A_P (default: account-signs-observed.csv beside CSV)");
    cmd->add_option("--names", o->names,
                    "Bank names: CSV with REGN and NAME_B (default: bank-names-2013-01-01.csv.gz beside CSV)");
    cmd->footer(
        "Exit status: 0 trees written (their folders printed), 2 usage error (bad --regn, no chart), 3 a bad sheet "
        "file or row, a registration number without rows, or a report to replace that a run is working on, 130 "
        "stopped (Ctrl-C or SIGTERM). Each tree is written whole or not at all; when some are not written, those "
        "written are printed, the rest named, and the same command with --replace writes them all.");
    return {cmd, [o] { return ImportPublished(*o); }};
}

}  // namespace tesma::f101

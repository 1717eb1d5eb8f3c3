// `f101 import-published --regn all` (or a list): every institution's report tree from one read
// of the sheet file, each under <out>/<regn>/. The trees are new files written without a sync
// each; the file system is synced once at the end, before success is reported.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "command_support.h"
#include "commands.h"
#include "csv.h"
#include "gz_stream.h"
#include "import_many.h"
#include "platform/locale/number_format.h"
#include "published.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

// "0042" and "42.0" name institution 42.
std::string RegnOf(const std::string& item) {
    std::string t = item;
    t.erase(0, t.find_first_not_of(' '));
    t.erase(t.find_last_not_of(' ') + 1);
    auto v = locale::ParseNumber(t, '.');
    if (t.empty() || !v || *v < 0 || *v != static_cast<long double>(static_cast<long long>(*v)))
        throw reportkit::UsageError("--regn: '" + item + "' is not a registration number");
    return std::to_string(static_cast<long long>(*v));
}

std::map<std::string, std::string> BankNames(const std::string& path) {
    std::map<std::string, std::string> names;
    if (!fs::exists(path)) return names;
    std::istringstream in(reportkit::ReadMaybeGzip(path));
    reportkit::CsvReader reader(in);
    reader.Next();
    while (auto r = reader.Next())
        if (r->size() >= 2) names[(*r)[0]] = (*r)[1];
    return names;
}

void SyncFileSystemOf(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::syncfs(fd) != 0) {
        if (fd >= 0) ::close(fd);
        throw std::runtime_error(dir + ": the report trees could not be synced to disk");
    }
    ::close(fd);
}

}  // namespace

bool NamesManyInstitutions(const std::string& regn) { return regn == "all" || regn.find(',') != std::string::npos; }

int ImportPublishedMany(const std::string& csv, const std::string& regn, const std::string& out,
                        const std::string& chartPath, const std::string& namesPath, bool replace) {
    return Guarded([&] {
        std::set<std::string> wanted;
        if (regn != "all") {
            std::istringstream list(regn);
            for (std::string item; std::getline(list, item, ',');) wanted.insert(RegnOf(item));
        }
        if (!fs::exists(chartPath))
            throw reportkit::UsageError(chartPath +
                                        ": no chart of accounts (give --chart with a CSV of NUM_SC and A_P)");
        const auto chart = reportkit::ReadChart(chartPath);
        std::map<std::string, std::vector<reportkit::PublishedRow>> byRegn;
        for (reportkit::PublishedRow& r : reportkit::ReadPublished(csv, ""))
            if (wanted.empty() || wanted.count(r.regn)) byRegn[r.regn].push_back(std::move(r));
        for (const std::string& w : wanted)
            if (!byRegn.count(w)) throw std::runtime_error(csv + ": no rows for registration number " + w);
        if (byRegn.empty()) throw std::runtime_error(csv + ": no rows");
        // Every institution's folder is known before anything is written: one report that is
        // there already stops the whole import, unless --replace says to write over them.
        std::vector<std::string> trees;
        for (const auto& [number, rows] : byRegn)
            trees.push_back(reportkit::ReportTreeFolder((fs::path(out) / number).string(), rows));
        reportkit::RefuseExistingReports(trees, replace);
        const auto names = BankNames(namesPath);
        reportkit::RemoveOldReports(trees);
        fs::create_directories(out);
        std::vector<std::string> dirs;
        for (const auto& [number, rows] : byRegn) {
            auto name = names.find(number);
            reportkit::ReportTreeSpec spec{(fs::path(out) / number).string(), number,
                                           name == names.end() ? std::string() : name->second, 1};
            spec.syncEachTable = false;
            dirs.push_back(reportkit::WriteReportTree(spec, rows, chart));
        }
        SyncFileSystemOf(out);
        for (const std::string& d : dirs) std::cout << d << '\n';
        return int{kClean};
    });
}

}  // namespace tesma::f101

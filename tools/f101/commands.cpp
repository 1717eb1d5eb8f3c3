#include "commands.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "batch_runner.h"
#include "command_support.h"
#include "csv.h"
#include "form101.h"
#include "gz_stream.h"
#include "import_many.h"
#include "instance_choice.h"
#include "platform/text/cp1251.h"
#include "protocol_output.h"
#include "published.h"
#include "report_folder.h"
#include "run_host.h"
#include "run_session.h"
#include "table_csv.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

// An input file named on the command line.
void RequireFile(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) throw reportkit::UsageError(path + ": no such file");
    if (fs::is_directory(path, ec)) throw reportkit::UsageError(path + ": a folder, not a file");
}

}  // namespace

int Check(const CheckOptions& o) {
    if (o.recursive || o.dirs.size() > 1) return CheckBatch(o);
    return CheckReport(o, o.dirs.empty() ? std::string() : o.dirs.front());
}

int SortChapter(const std::string& dir, const std::string& chapter, std::int32_t instance, const std::string& protocol,
                bool json) {
    return Guarded([&] {
        reportkit::ReportFolder folder = reportkit::OpenReportFolder(dir);
        auto chapters = ChosenChapters({chapter}, folder);
        const std::int32_t chosen = ChooseInstance(folder, instance);
        hostkit::Library lib(reportkit::LibraryPath());
        RunSession session(json);
        for (const reportkit::Chapter& c : chapters)
            session.Run(lib, folder, {c.tableId, contract::kModeSort, chosen, DefaultProtocol(folder, protocol), ""});
        return session.ExitStatus();
    });
}

int Fill(const std::string& dir, std::int32_t instance, const std::string& protocol, bool json) {
    return Guarded([&] {
        reportkit::ReportFolder folder = reportkit::OpenReportFolder(dir);
        if (folder.TablePath(contract::kTableMessageRequisites).empty())
            throw std::runtime_error(folder.dir + ": no requisites table of the electronic report message (code OES)");
        // The requisites are filled for the report as a whole: no instance unless one is asked for.
        const std::int32_t chosen = instance > 0 ? ChooseInstance(folder, instance) : 0;
        hostkit::Library lib(reportkit::LibraryPath());
        RunSession session(json);
        session.Run(
            lib, folder,
            {contract::kTableMessageRequisites, contract::kModeControl, chosen, DefaultProtocol(folder, protocol), ""});
        return session.ExitStatus();
    });
}

int Export(const std::string& table, const reportkit::CsvFormat& format) {
    return Guarded([&] {
        RequireFile(table);
        reportkit::ExportTable(table, std::cout, format);
        return int{kClean};
    });
}

int Import(const std::string& csv, const std::string& table, const std::string& fields, bool replace,
           const reportkit::CsvFormat& format) {
    return Guarded([&] {
        RequireFile(csv);
        reportkit::ImportTable(csv, table,
                               fields.empty() ? std::vector<engine::NewField>{} : reportkit::ParseFieldSpec(fields),
                               replace, format);
        return int{kClean};
    });
}

int ImportPublished(const std::string& csv, const std::string& regn, const std::string& out, const std::string& chart,
                    const std::string& names, bool replace) {
    return Guarded([&] {
        RequireFile(csv);
        const std::string chartPath =
            chart.empty() ? (fs::path(csv).parent_path() / "account-signs-observed.csv").string() : chart;
        const std::string namesPath =
            names.empty() ? (fs::path(csv).parent_path() / "bank-names-2013-01-01.csv.gz").string() : names;
        if (NamesManyInstitutions(regn)) return ImportPublishedMany(csv, regn, out, chartPath, namesPath, replace);
        if (!chart.empty())
            RequireFile(chart);
        else if (!fs::exists(chartPath))
            throw reportkit::UsageError(
                chartPath + ": no chart of accounts beside the sheets (give --chart with a CSV of NUM_SC and A_P)");
        if (!names.empty()) RequireFile(names);
        if (fs::exists(out) && !fs::is_directory(out)) throw reportkit::UsageError("--out " + out + ": not a folder");
        auto rows = reportkit::ReadPublished(csv, regn);
        if (rows.empty()) throw std::runtime_error(csv + ": no rows for registration number " + regn);
        const fs::path tree = reportkit::ReportTreeFolder(out, rows);
        reportkit::RefuseExistingReports({tree.string()}, replace);
        reportkit::RemoveOldReports({tree.string()});
        std::error_code ec;
        fs::create_directories(tree, ec);
        if (ec)
            throw reportkit::UsageError("--out " + out + ": cannot hold the report folder " + tree.string() + ": " +
                                        ec.message());
        std::string bankName;
        if (fs::exists(namesPath)) {
            std::istringstream in(reportkit::ReadMaybeGzip(namesPath));
            reportkit::CsvReader reader(in);
            reader.Next();
            while (auto r = reader.Next())
                if (r->size() >= 2 && (*r)[0] == rows.front().regn) bankName = (*r)[1];
        }
        const std::string dir =
            reportkit::WriteReportTree({out, rows.front().regn, bankName, 1}, rows, reportkit::ReadChart(chartPath));
        std::cout << dir << '\n';
        return int{kClean};
    });
}

}  // namespace tesma::f101

#include "commands.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "batch_runner.h"
#include "command_support.h"
#include "csv.h"
#include "platform/text/cp1251.h"
#include "form101.h"
#include "gz_stream.h"
#include "import_many.h"
#include "protocol_output.h"
#include "published.h"
#include "report_folder.h"
#include "run_host.h"
#include "table_csv.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

struct Summary {
    int errors = 0, warnings = 0;
    bool failed = false;
};

// One run of the library on the folder; prints what it appended and what went wrong.
void RunAndReport(hostkit::Library& lib, const ReportFolder& folder, const RunRequest& request, bool json, Summary& summary) {
    RunOutcome outcome = RunOnFolder(lib, folder, request);
    auto lines = ParseProtocol(outcome.appended);
    if (json) PrintJson(std::cout, lines);
    else PrintText(std::cout, lines);
    std::cout.flush();
    for (const auto& l : lines) {
        if (l.severity == "error") ++summary.errors;
        if (l.severity == "warning") ++summary.warnings;
    }
    for (const auto& m : outcome.messages) std::cerr << "f101: " << m << '\n';
    if (!outcome.messages.empty()) summary.failed = true;
    if (!outcome.protocolOpened) {
        std::cerr << "f101: " << request.protocol
                  << ": the protocol file could not be opened (missing folder, no access, or held by another run)\n";
        summary.failed = true;
    }
}

int Finish(const Summary& s) {
    if (s.failed) return kCouldNotCheck;
    return s.errors > 0 ? kFindings : kClean;
}

}  // namespace

int Check(const CheckOptions& o) {
    if (o.recursive || o.dirs.size() > 1) return CheckBatch(o);
    return CheckReport(o, o.dirs.empty() ? std::string() : o.dirs.front());
}

int SortChapter(const std::string& dir, const std::string& chapter, std::int32_t instance, const std::string& protocol,
                bool json) {
    return Guarded([&] {
        ReportFolder folder = OpenReportFolder(dir);
        auto chapters = ChosenChapters({chapter}, folder);
        hostkit::Library lib(LibraryPath());
        Summary summary;
        for (const Chapter& c : chapters)
            RunAndReport(lib, folder, {c.tableId, 7, InstanceOf(folder, instance), DefaultProtocol(folder, protocol), ""}, json,
                         summary);
        return Finish(summary);
    });
}

int Fill(const std::string& dir, std::int32_t instance, const std::string& protocol, bool json) {
    return Guarded([&] {
        ReportFolder folder = OpenReportFolder(dir);
        if (folder.TablePath(kMessageRequisitesId).empty())
            throw std::runtime_error(folder.dir + ": no requisites table of the electronic report message (code OES)");
        hostkit::Library lib(LibraryPath());
        Summary summary;
        // The requisites are filled for the report as a whole: no instance unless one is asked for.
        RunAndReport(lib, folder, {kMessageRequisitesId, 4, instance > 0 ? instance : 0, DefaultProtocol(folder, protocol), ""},
                     json, summary);
        return Finish(summary);
    });
}

int Export(const std::string& table, const CsvFormat& format) {
    return Guarded([&] {
        if (!fs::is_regular_file(table)) throw UsageError(table + ": no such table file");
        ExportTable(table, std::cout, format);
        return int{kClean};
    });
}

int Import(const std::string& csv, const std::string& table, const std::string& fields, bool replace, const CsvFormat& format) {
    return Guarded([&] {
        ImportTable(csv, table, fields.empty() ? std::vector<engine::NewField>{} : ParseFieldSpec(fields), replace, format);
        return int{kClean};
    });
}

int ImportPublished(const std::string& csv, const std::string& regn, const std::string& out, const std::string& chart,
                    const std::string& names) {
    return Guarded([&] {
        const std::string chartPath = chart.empty() ? (fs::path(csv).parent_path() / "account-signs-observed.csv").string() : chart;
        const std::string namesPath = names.empty() ? (fs::path(csv).parent_path() / "bank-names-2013-01-01.csv.gz").string() : names;
        if (NamesManyInstitutions(regn)) return ImportPublishedMany(csv, regn, out, chartPath, namesPath);
        if (!fs::exists(chartPath))
            throw UsageError(chartPath + ": no chart of accounts (give --chart with a CSV of NUM_SC and A_P)");
        auto rows = ReadPublished(csv, regn);
        if (rows.empty()) throw std::runtime_error(csv + ": no rows for registration number " + regn);
        std::string bankName;
        if (fs::exists(namesPath)) {
            std::istringstream in(ReadMaybeGzip(namesPath));
            CsvReader reader(in);
            reader.Next();
            while (auto r = reader.Next())
                if (r->size() >= 2 && (*r)[0] == rows.front().regn) bankName = (*r)[1];
        }
        const std::string dir = WriteReportTree({out, rows.front().regn, bankName, 1}, rows, ReadChart(chartPath));
        std::cout << dir << '\n';
        return int{kClean};
    });
}

}  // namespace tesma::f101

#include "commands.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "csv.h"
#include "platform/text/cp1251.h"
#include "form101.h"
#include "gz_stream.h"
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

// The instance asked for, or by default the folder's only one.
std::int32_t InstanceOf(const ReportFolder& folder, std::int32_t given) { return given >= 0 ? given : folder.onlyInstance; }

std::string DefaultProtocol(const ReportFolder& folder, const std::string& given) {
    return given.empty() ? folder.dir + "protocol.txt" : given;
}

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

std::vector<Chapter> ChosenChapters(const std::vector<std::string>& letters, const ReportFolder& folder) {
    std::vector<Chapter> out;
    for (const std::string& l : letters) {
        if (l == "all") {
            for (const Chapter& c : kChapters)
                if (!folder.TablePath(c.tableId).empty()) out.push_back(c);
            if (out.empty()) throw std::runtime_error(folder.dir + ": the folder holds no chapter table of form 101");
            continue;
        }
        auto c = FindChapter(l);
        if (!c) throw UsageError("unknown chapter '" + l + "' (А, Б, В, Г, Д, or A, B, V, G, D, or all)");
        if (folder.TablePath(c->tableId).empty())
            throw std::runtime_error(folder.dir + ": no table of chapter " + std::string(c->cyrillic) + " (code " +
                                     std::string(c->code) + ") in rfdef.DB or on disk");
        out.push_back(*c);
    }
    return out;
}

template <typename Body>
int Guarded(Body body) {
    try {
        return body();
    } catch (const UsageError& e) {
        std::cerr << "f101: " << e.what() << '\n';
        return kUsage;
    } catch (const std::invalid_argument& e) {
        std::cerr << "f101: " << e.what() << '\n';
        return kUsage;
    } catch (const std::exception& e) {
        std::cerr << "f101: " << text::ToUtf8(e.what()) << '\n';
        return kCouldNotCheck;
    }
}

}  // namespace

int Check(const CheckOptions& o) {
    return Guarded([&] {
        ReportFolder folder = OpenReportFolder(o.dir);
        auto chapters = ChosenChapters(o.chapters.empty() ? std::vector<std::string>{"all"} : o.chapters, folder);
        hostkit::Library lib(LibraryPath());
        Summary summary;
        for (const Chapter& c : chapters)
            RunAndReport(lib, folder, {c.tableId, 4, InstanceOf(folder, o.instance), DefaultProtocol(folder, o.protocol), o.overrideDir}, o.json,
                         summary);
        return Finish(summary);
    });
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

int Export(const std::string& table) {
    return Guarded([&] {
        if (!fs::is_regular_file(table)) throw UsageError(table + ": no such table file");
        ExportTable(table, std::cout);
        return int{kClean};
    });
}

int Import(const std::string& csv, const std::string& table, const std::string& fields, bool replace) {
    return Guarded([&] {
        ImportTable(csv, table, ParseFieldSpec(fields), replace);
        return int{kClean};
    });
}

int ImportPublished(const std::string& csv, const std::string& regn, const std::string& out, const std::string& chart,
                    const std::string& names) {
    return Guarded([&] {
        const std::string chartPath = chart.empty() ? (fs::path(csv).parent_path() / "account-signs-observed.csv").string() : chart;
        if (!fs::exists(chartPath))
            throw UsageError(chartPath + ": no chart of accounts (give --chart with a CSV of NUM_SC and A_P)");
        auto rows = ReadPublished(csv, regn);
        if (rows.empty()) throw std::runtime_error(csv + ": no rows for registration number " + regn);
        std::string bankName;
        const std::string namesPath = names.empty() ? (fs::path(csv).parent_path() / "bank-names-2013-01-01.csv.gz").string() : names;
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

#include "commands.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "csv.h"
#include "platform/text/cp1251.h"
#include "form101.h"
#include "gz_stream.h"
#include "instance_choice.h"
#include "protocol_output.h"
#include "published.h"
#include "report_folder.h"
#include "run_host.h"
#include "run_session.h"
#include "table_csv.h"

namespace tesma::f101 {

namespace fs = std::filesystem;

namespace {

std::string DefaultProtocol(const ReportFolder& folder, const std::string& given) {
    return given.empty() ? folder.dir + "protocol.txt" : given;
}

std::vector<Chapter> ChosenChapters(const std::vector<std::string>& letters, const ReportFolder& folder) {
    std::vector<Chapter> out;
    for (const std::string& l : letters) {
        if (l == "all") {
            for (const Chapter& c : kChapters)
                if (!folder.TablePath(c.tableId).empty() &&
                    std::none_of(out.begin(), out.end(), [&](const Chapter& o) { return o.tableId == c.tableId; }))
                    out.push_back(c);
            if (out.empty()) throw std::runtime_error(folder.dir + ": the folder holds no chapter table of form 101");
            continue;
        }
        auto c = FindChapter(l);
        if (!c) throw UsageError("unknown chapter '" + l + "' (А, Б, В, Г, Д, or A, B, V, G, D, or all)");
        if (folder.TablePath(c->tableId).empty())
            throw std::runtime_error(folder.dir + ": no table of chapter " + std::string(c->cyrillic) + " (code " +
                                     std::string(c->code) + ") in rfdef.DB or on disk");
        const bool again = std::any_of(out.begin(), out.end(), [&](const Chapter& o) { return o.tableId == c->tableId; });
        if (!again) out.push_back(*c);  // a chapter named twice runs once
    }
    return out;
}

// An input file named on the command line.
void RequireFile(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) throw UsageError(path + ": no such file");
    if (fs::is_directory(path, ec)) throw UsageError(path + ": a folder, not a file");
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
        const std::int32_t instance = ChooseInstance(folder, o.instance);
        if (!o.overrideDir.empty() && !fs::is_directory(o.overrideDir))
            throw UsageError(o.overrideDir + ": no such folder (--override names the folder of the tables \"!.<file>\")");
        hostkit::Library lib(LibraryPath());
        RunSession session(o.json);
        for (const Chapter& c : chapters)
            session.Run(lib, folder, {c.tableId, 4, instance, DefaultProtocol(folder, o.protocol), o.overrideDir});
        return session.ExitStatus();
    });
}

int SortChapter(const std::string& dir, const std::string& chapter, std::int32_t instance, const std::string& protocol,
                bool json) {
    return Guarded([&] {
        ReportFolder folder = OpenReportFolder(dir);
        auto chapters = ChosenChapters({chapter}, folder);
        const std::int32_t chosen = ChooseInstance(folder, instance);
        hostkit::Library lib(LibraryPath());
        RunSession session(json);
        for (const Chapter& c : chapters) session.Run(lib, folder, {c.tableId, 7, chosen, DefaultProtocol(folder, protocol), ""});
        return session.ExitStatus();
    });
}

int Fill(const std::string& dir, std::int32_t instance, const std::string& protocol, bool json) {
    return Guarded([&] {
        ReportFolder folder = OpenReportFolder(dir);
        if (folder.TablePath(kMessageRequisitesId).empty())
            throw std::runtime_error(folder.dir + ": no requisites table of the electronic report message (code OES)");
        // The requisites are filled for the report as a whole: no instance unless one is asked for.
        const std::int32_t chosen = instance > 0 ? ChooseInstance(folder, instance) : 0;
        hostkit::Library lib(LibraryPath());
        RunSession session(json);
        session.Run(lib, folder, {kMessageRequisitesId, 4, chosen, DefaultProtocol(folder, protocol), ""});
        return session.ExitStatus();
    });
}

int Export(const std::string& table) {
    return Guarded([&] {
        RequireFile(table);
        ExportTable(table, std::cout);
        return int{kClean};
    });
}

int Import(const std::string& csv, const std::string& table, const std::string& fields, bool replace) {
    return Guarded([&] {
        RequireFile(csv);
        ImportTable(csv, table, ParseFieldSpec(fields), replace);
        return int{kClean};
    });
}

int ImportPublished(const std::string& csv, const std::string& regn, const std::string& out, const std::string& chart,
                    const std::string& names, bool replace) {
    return Guarded([&] {
        RequireFile(csv);
        const std::string chartPath = chart.empty() ? (fs::path(csv).parent_path() / "account-signs-observed.csv").string() : chart;
        if (!chart.empty()) RequireFile(chart);
        else if (!fs::exists(chartPath))
            throw UsageError(chartPath + ": no chart of accounts beside the sheets (give --chart with a CSV of NUM_SC and A_P)");
        if (!names.empty()) RequireFile(names);
        if (fs::exists(out) && !fs::is_directory(out)) throw UsageError("--out " + out + ": not a folder");
        auto rows = ReadPublished(csv, regn);
        if (rows.empty()) throw UsageError(csv + ": no rows for registration number " + regn);
        const fs::path tree = ReportTreeFolder(out, rows);
        std::error_code ec;
        if (fs::exists(tree, ec)) {
            if (!replace)
                throw UsageError(tree.string() + ": a report is there already (give --replace to write over it, protocol file and all)");
            fs::remove_all(tree, ec);
            if (ec) throw std::runtime_error(tree.string() + ": cannot remove the old report: " + ec.message());
        }
        fs::create_directories(tree, ec);
        if (ec) throw UsageError("--out " + out + ": cannot hold the report folder " + tree.string() + ": " + ec.message());
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

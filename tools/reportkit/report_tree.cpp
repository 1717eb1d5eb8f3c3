#include "report_tree.h"

#include <filesystem>
#include <fstream>

#include "form101.h"
#include "platform/engine/files.h"
#include "platform/engine/paradox.h"
#include "platform/locale/calendar.h"
#include "platform/locale/number_format.h"
#include "platform/text/cp1251.h"
#include "report_folder.h"

namespace tesma::reportkit {

namespace fs = std::filesystem;
using engine::Cell;
using engine::FieldType;

namespace {

// A new file written whole beside its final name and renamed into place, without waiting for
// the disk: the caller syncs the file system once when all its files are written.
void WriteFileUnsynced(const std::string& diskPath, const std::string& bytes, const std::string& shown) {
    const std::string temp = diskPath + ".f101-new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::error_code ec;
            fs::remove(temp, ec);
            throw std::runtime_error(text::ToUtf8(shown) + ": cannot write the table");
        }
    }
    std::error_code ec;
    fs::rename(temp, diskPath, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw std::runtime_error(text::ToUtf8(shown) + ": cannot write the table (" + ec.message() + ")");
    }
}

void WriteTable(const std::string& path, const std::vector<engine::NewField>& fields,
                const std::vector<std::vector<Cell>>& rows, bool sync = true) {
    engine::TableFile t = engine::CreateParadox(fields, path);
    for (const auto& row : rows) {
        std::string record = t.BlankRecord();
        for (std::size_t i = 0; i < row.size(); ++i) t.Set(record, static_cast<int>(i), row[i]);
        t.records.push_back(std::move(record));
    }
    if (sync)
        engine::ReplaceFileAtomically(engine::DiskPath(path), engine::SerializeParadox(t), path);
    else
        WriteFileUnsynced(engine::DiskPath(path), engine::SerializeParadox(t), path);
}

Cell Text(const std::string& utf8) { return utf8.empty() ? Cell::Blank() : Cell::Text(text::FromUtf8(utf8)); }

}  // namespace

std::string ReportTreeFolder(const std::string& root, const std::vector<PublishedRow>& rows) {
    if (rows.empty()) throw std::runtime_error("no rows to write");
    const std::string date = rows.front().date;
    int y = 0, m = 0, d = 0;
    if (std::sscanf(date.c_str(), "%4d-%2d-%2d", &y, &m, &d) != 3 || !locale::IsValidDate(y, m, d))
        throw std::runtime_error("reporting date '" + date + "' is not YYYY-MM-DD");
    char folder[16];
    std::snprintf(folder, sizeof folder, "%04d%02d%02d", y, m, d);
    return (fs::path(root) / "F101" / folder).string();
}

void RefuseExistingReports(const std::vector<std::string>& trees, bool replace) {
    std::size_t there = 0;
    std::string first;
    for (const std::string& tree : trees) {
        std::error_code ec;
        if (!fs::exists(tree, ec)) continue;
        if (!fs::is_directory(tree, ec)) throw UsageError(tree + ": is there already and is not a folder");
        if (there++ == 0) first = tree;
    }
    if (there == 0 || replace) return;
    throw UsageError(
        first + ": a report is there already" +
        (there > 1 ? " (and " + std::to_string(there - 1) + " more of the reports to import)" : std::string()) +
        "; give --replace to write over it, protocol file and all");
}

void RemoveOldReports(const std::vector<std::string>& trees) {
    for (const std::string& tree : trees) {
        std::error_code ec;
        if (!fs::exists(tree, ec)) continue;
        fs::remove_all(tree, ec);
        if (ec) throw std::runtime_error(tree + ": cannot remove the old report: " + ec.message());
    }
}

std::string WriteReportTree(const ReportTreePlan& tree, const std::vector<PublishedRow>& rows,
                            const std::vector<ChartEntry>& chart) {
    if (rows.empty()) throw std::runtime_error("no rows for registration number " + tree.regn);
    const std::string date = rows.front().date;
    const fs::path dir = ReportTreeFolder(tree.root, rows);
    fs::create_directories(dir);
    const std::string base = text::FromUtf8(dir.string() + "/");
    const Cell instance = Cell::Integer(tree.instance);

    // The chapter tables.
    std::vector<engine::NewField> fields = {
        {"ID_EKZ", FieldType::Long, 0}, {"NBAL2", FieldType::Alpha, 25}, {"A_P", FieldType::Alpha, 3}};
    for (const char* n : kAmountFields) fields.push_back({n, FieldType::Number, 0});
    fields.push_back({"NNN", FieldType::Long, 0});
    bool interbranch = false;
    for (const Chapter& c : kChapters) {
        const bool depo = c.latin == 'D';
        std::vector<engine::NewField> f = fields;
        if (depo)
            for (std::size_t i = 3; i < 15; ++i) f[i].type = FieldType::Alpha, f[i].size = 30;
        std::vector<std::vector<Cell>> cells;
        std::int64_t key = 0;
        for (const PublishedRow& r : rows) {
            if (r.plan != c.cyrillic) continue;
            if (r.date != date)
                throw std::runtime_error("rows of more than one reporting date: " + date + ", " + r.date);
            if (r.numSc >= "30301" && r.numSc <= "30306") interbranch = true;
            std::vector<Cell> row{instance, Text(r.numSc == "ITGAP" ? TotalText(r.plan) : r.numSc),
                                  Text(r.ap == "1" ? "А" : "П")};
            for (const std::string& a : r.amounts) {
                if (a.empty())
                    row.push_back(Cell::Blank());
                else if (depo)
                    row.push_back(Cell::Text(a));
                else
                    row.push_back(Cell::Real(static_cast<double>(*locale::ParseNumber(a, '.'))));
            }
            row.push_back(Cell::Integer(++key));
            cells.push_back(std::move(row));
        }
        WriteTable(base + std::string(c.fileName) + ".DB", f, cells, tree.syncEachTable);
    }

    // The requisites table of the electronic report message: eight rows to fill.
    std::vector<std::vector<Cell>> oes;
    for (int i = 1; i <= 8; ++i) oes.push_back({instance, Cell::Blank(), Cell::Blank(), Cell::Integer(i)});
    WriteTable(base + std::string(kMessageRequisitesFile) + ".DB",
               {{"ID_EKZ", FieldType::Long, 0},
                {"KEY_REKW", FieldType::Alpha, 20},
                {"VALUE_REKW", FieldType::Alpha, 60},
                {"NNN", FieldType::Long, 0}},
               oes, tree.syncEachTable);

    // Table definitions.
    std::vector<std::vector<Cell>> defs;
    std::int64_t order = 0;
    for (const Chapter& c : kChapters)
        defs.push_back({Text(std::string(c.code)), Text(std::string(c.fileName)), Cell::Integer(0),
                        Cell::Text(std::to_string(order + 1)), Cell::Integer(++order)});
    defs.push_back({Text(std::string(kMessageRequisitesCode)), Text(std::string(kMessageRequisitesFile)),
                    Cell::Integer(0), Cell::Text(std::to_string(order + 1)), Cell::Integer(++order)});
    WriteTable(base + "rfdef.DB",
               {{"FSNAME", FieldType::Alpha, 10},
                {"FTABLE", FieldType::Alpha, 40},
                {"TO_IDF", FieldType::Long, 0},
                {"FORDER", FieldType::Alpha, 10},
                {"FDORDER", FieldType::Long, 0}},
               defs, tree.syncEachTable);

    // The instance register and the form requisites.
    WriteTable(base + "REP_EKZ.DB",
               {{"ID_EKZ", FieldType::Long, 0},
                {"REG_NUM", FieldType::Alpha, 20},
                {"FILIAL_NUM", FieldType::Alpha, 10},
                {"FL_CHANGE", FieldType::Alpha, 1}},
               {{instance, Text(tree.regn), Text("0"), Cell::Blank()}}, tree.syncEachTable);
    // The published sheets say nothing of the state and branches of the institution: it is
    // taken as an operating ("D") head office (no branch number), with branches when it shows
    // interbranch accounts 30301..30306.
    std::vector<std::vector<Cell>> requisites = {{Text("BNK_REGN"), Text(tree.regn), instance},
                                                 {Text("BNK_STATE"), Text("D"), instance},
                                                 {Text("BNK_NFIL"), Text(interbranch ? "1" : "0"), instance}};
    if (!tree.bankName.empty()) requisites.push_back({Text("BNK_NAME"), Text(tree.bankName.substr(0, 200)), instance});
    WriteTable(base + "REKW_F101.DB",
               {{"code", FieldType::Alpha, 20}, {"VAL", FieldType::Alpha, 200}, {"ID_EKZ", FieldType::Long, 0}},
               requisites, tree.syncEachTable);

    // The chart of accounts: open accounts with their observed signs.
    std::vector<std::vector<Cell>> ps;
    const Cell open = Cell::Date(locale::EncodeDate(2099, 12, 31));
    for (const ChartEntry& e : chart) ps.push_back({Text(e.account), open, Cell::Blank(), Text(e.sign), Cell::Blank()});
    WriteTable(base + "PS_WORK.DB",
               {{"BS2_NUM", FieldType::Alpha, 5},
                {"PS_ACC_DATE_END", FieldType::Date, 0},
                {"PS_ZERO", FieldType::Alpha, 1},
                {"AP", FieldType::Alpha, 3},
                {"PS_ACC_CURRENCY", FieldType::Alpha, 1}},
               ps, tree.syncEachTable);
    return dir.string() + "/";
}

}  // namespace tesma::reportkit

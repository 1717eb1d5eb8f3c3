#include "published.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "csv.h"
#include "form101.h"
#include "gz_stream.h"
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

constexpr std::array<const char*, 12> kColumns = {"VR",  "VV",  "VITG",  "ORA", "OVA", "OITGA",
                                                  "ORP", "OVP", "OITGP", "IR",  "IV",  "IITG"};
constexpr std::array<const char*, 12> kAmountFields = {"VX_RUB",      "VX_VAL",     "VX_ITOG",    "OB_AK_RUB",
                                                       "OB_AK_VAL",   "OB_AK_ITOG", "OB_PAS_RUB", "OB_PAS_VAL",
                                                       "OB_PAS_ITOG", "IS_RUB",     "IS_VAL",     "IS_ITOG"};

std::map<std::string, std::size_t> Header(const std::vector<std::string>& fields) {
    std::map<std::string, std::size_t> h;
    for (std::size_t i = 0; i < fields.size(); ++i) h[fields[i]] = i;
    return h;
}

std::size_t Column(const std::map<std::string, std::size_t>& h, const std::string& name, const std::string& file) {
    auto it = h.find(name);
    if (it == h.end()) throw std::runtime_error(file + ": no column " + name);
    return it->second;
}

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

std::optional<std::string> RegistrationNumber(const std::string& text) {
    std::string t = text;
    t.erase(0, t.find_first_not_of(' '));
    t.erase(t.find_last_not_of(' ') + 1);
    const auto v = locale::ParseNumber(t, '.');
    if (t.empty() || !v || *v < 0 || *v != std::floor(*v)) return std::nullopt;
    return std::to_string(static_cast<long long>(*v));
}

std::map<std::string, std::string> ReadBankNames(const std::string& csvPath) {
    std::istringstream in(ReadMaybeGzip(csvPath));
    CsvReader csv(in);
    csv.Next();
    std::map<std::string, std::string> names;
    while (auto r = csv.Next())
        if (r->size() >= 2) names[(*r)[0]] = (*r)[1];
    return names;
}

std::string TotalText(const std::string& plan) {
    for (const Chapter& c : kChapters)
        if (plan == c.cyrillic) return std::string(c.totalAccount) + " (ИТОГО)";
    return {};
}

std::vector<PublishedRow> ReadPublished(const std::string& csvPath, const std::string& regn) {
    std::istringstream in(ReadMaybeGzip(csvPath));
    CsvReader csv(in);
    auto first = csv.Next();
    if (!first) throw std::runtime_error(csvPath + ": empty file");
    auto h = Header(*first);
    if (h.count("ITOGO") && !h.count("VR"))
        throw std::invalid_argument(
            csvPath +
            ": this is the short form of the sheet, which holds each account's total only (column ITOGO); "
            "it is not supported: a report needs the full form with the twelve amounts VR ... IITG");
    const std::size_t cRegn = Column(h, "REGN", csvPath), cPlan = Column(h, "PLAN", csvPath),
                      cNum = Column(h, "NUM_SC", csvPath), cAp = Column(h, "A_P", csvPath),
                      cDt = Column(h, "DT", csvPath);
    std::array<std::size_t, 12> cAmount{};
    for (std::size_t i = 0; i < 12; ++i) cAmount[i] = Column(h, kColumns[i], csvPath);
    std::string wanted;
    if (!regn.empty()) {
        const auto number = RegistrationNumber(regn);
        if (!number) throw std::runtime_error("--regn: '" + regn + "' is not a registration number");
        wanted = *number;
    }
    std::vector<PublishedRow> rows;
    while (auto f = csv.Next()) {
        const std::string where = csvPath + ":" + std::to_string(csv.Line());
        if (f->size() < first->size())
            throw std::runtime_error(where + ": " + std::to_string(f->size()) + " fields, expected " +
                                     std::to_string(first->size()));
        PublishedRow r;
        const auto number = RegistrationNumber((*f)[cRegn]);
        if (!number) throw std::runtime_error(where + ": '" + (*f)[cRegn] + "' is not a registration number");
        r.regn = *number;
        if (!wanted.empty() && r.regn != wanted) continue;
        r.plan = (*f)[cPlan];
        r.numSc = (*f)[cNum];
        r.ap = (*f)[cAp];
        r.date = (*f)[cDt];
        if (TotalText(r.plan).empty()) throw std::runtime_error(where + ": unknown chapter '" + r.plan + "'");
        if (r.ap != "1" && r.ap != "2")
            throw std::runtime_error(where + ": sign A_P must be 1 or 2, not '" + r.ap + "'");
        for (std::size_t i = 0; i < 12; ++i) {
            std::string v = (*f)[cAmount[i]];
            if (!v.empty() && !locale::ParseNumber(v, '.'))
                throw std::runtime_error(where + ": " + kColumns[i] + " '" + v + "' is not a number");
            r.amounts[i] = v;
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<ChartEntry> ReadChart(const std::string& csvPath) {
    std::istringstream in(ReadMaybeGzip(csvPath));
    CsvReader csv(in);
    auto first = csv.Next();
    if (!first) throw std::runtime_error(csvPath + ": empty file");
    auto h = Header(*first);
    const std::size_t cNum = Column(h, "NUM_SC", csvPath);
    const auto ap = h.find("A_P");
    std::map<std::string, std::string> accounts;
    while (auto f = csv.Next()) {
        if (f->size() <= cNum) continue;
        const std::string num = (*f)[cNum];
        if (num.size() != 5 || num.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string sign = ap != h.end() && ap->second < f->size() ? (*f)[ap->second] : "";
        // The regulator's files spell the sign as a digit, the chart as the Cyrillic letter.
        if (sign == "А")
            sign = "1";
        else if (sign == "П")
            sign = "2";
        else if (sign != "1" && sign != "2")
            sign = "0";
        auto [it, added] = accounts.emplace(num, sign);
        if (!added && it->second != sign) it->second = "0";  // observed both ways
    }
    std::vector<ChartEntry> out;
    for (const auto& [num, sign] : accounts) out.push_back({num, sign});
    return out;
}

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

std::string WriteReportTree(const ReportTreeSpec& spec, const std::vector<PublishedRow>& rows,
                            const std::vector<ChartEntry>& chart) {
    if (rows.empty()) throw std::runtime_error("no rows for registration number " + spec.regn);
    const std::string date = rows.front().date;
    const fs::path dir = ReportTreeFolder(spec.root, rows);
    fs::create_directories(dir);
    const std::string base = text::FromUtf8(dir.string() + "/");
    const Cell instance = Cell::Integer(spec.instance);

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
        WriteTable(base + std::string(c.fileName) + ".DB", f, cells, spec.syncEachTable);
    }

    // The requisites table of the electronic report message: eight rows to fill.
    std::vector<std::vector<Cell>> oes;
    for (int i = 1; i <= 8; ++i) oes.push_back({instance, Cell::Blank(), Cell::Blank(), Cell::Integer(i)});
    WriteTable(base + std::string(kMessageRequisitesFile) + ".DB",
               {{"ID_EKZ", FieldType::Long, 0},
                {"KEY_REKW", FieldType::Alpha, 20},
                {"VALUE_REKW", FieldType::Alpha, 60},
                {"NNN", FieldType::Long, 0}},
               oes, spec.syncEachTable);

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
               defs, spec.syncEachTable);

    // The instance register and the form requisites.
    WriteTable(base + "REP_EKZ.DB",
               {{"ID_EKZ", FieldType::Long, 0},
                {"REG_NUM", FieldType::Alpha, 20},
                {"FILIAL_NUM", FieldType::Alpha, 10},
                {"FL_CHANGE", FieldType::Alpha, 1}},
               {{instance, Text(spec.regn), Text("0"), Cell::Blank()}}, spec.syncEachTable);
    // The published sheets say nothing of the state and branches of the institution: it is
    // taken as an operating ("D") head office (no branch number), with branches when it shows
    // interbranch accounts 30301..30306.
    std::vector<std::vector<Cell>> requisites = {{Text("BNK_REGN"), Text(spec.regn), instance},
                                                 {Text("BNK_STATE"), Text("D"), instance},
                                                 {Text("BNK_NFIL"), Text(interbranch ? "1" : "0"), instance}};
    if (!spec.bankName.empty()) requisites.push_back({Text("BNK_NAME"), Text(spec.bankName.substr(0, 200)), instance});
    WriteTable(base + "REKW_F101.DB",
               {{"code", FieldType::Alpha, 20}, {"VAL", FieldType::Alpha, 200}, {"ID_EKZ", FieldType::Long, 0}},
               requisites, spec.syncEachTable);

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
               ps, spec.syncEachTable);
    return dir.string() + "/";
}

}  // namespace tesma::reportkit

#include "support/report.h"

#include <filesystem>

#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "support/tables.h"

using namespace tesma::literals;

namespace tesma::testing {

std::string ChapterFile(char chapterLatin) { return std::string("CH_") + chapterLatin; }

std::vector<hostkit::FormRecord> Form101Forms() { return {{kForm101, "F101"}}; }

std::vector<hostkit::TableRecord> Form101Tables() {
    return {{contract::kTableChapterA, kForm101, "Ф_1"_cp, ChapterFile('A'), ""},
            {contract::kTableChapterB, kForm101, "Ф_2"_cp, ChapterFile('B'), ""},
            {contract::kTableChapterV, kForm101, "Ф_3"_cp, ChapterFile('V'), ""},
            {contract::kTableChapterG, kForm101, "Ф_4"_cp, ChapterFile('G'), ""},
            {contract::kTableChapterD, kForm101, "Ф_5"_cp, ChapterFile('D'), ""},
            {contract::kTableMessageRequisites, kForm101, "OES", "OES", ""}};
}

namespace {
const char* const kAmountNames[] = {"VX_RUB",     "VX_VAL",     "VX_ITOG",     "OB_AK_RUB", "OB_AK_VAL", "OB_AK_ITOG",
                                    "OB_PAS_RUB", "OB_PAS_VAL", "OB_PAS_ITOG", "IS_RUB",    "IS_VAL",    "IS_ITOG"};
}

std::vector<hostkit::FieldRecord> Form101Fields() {
    std::vector<hostkit::FieldRecord> out;
    for (std::int32_t id : {contract::kTableChapterA, contract::kTableChapterB, contract::kTableChapterV,
                            contract::kTableChapterG, contract::kTableChapterD}) {
        out.push_back({id, "NBAL2", 'A', false});
        out.push_back({id, "A_P", 'A', false});
        for (const char* n : kAmountNames) out.push_back({id, n, id == contract::kTableChapterD ? 'A' : 'N', false});
        out.push_back({id, "NNN", 'I', true});
    }
    out.push_back({contract::kTableMessageRequisites, "KEY_REKW", 'A', true});
    out.push_back({contract::kTableMessageRequisites, "VALUE_REKW", 'A', false});
    out.push_back({contract::kTableMessageRequisites, "NNN", 'I', false});
    return out;
}

std::vector<engine::NewField> ChapterFields() {
    std::vector<engine::NewField> f = {{"ID_EKZ", engine::FieldType::Long, 0},
                                       {"NBAL2", engine::FieldType::Alpha, 25},
                                       {"A_P", engine::FieldType::Alpha, 3}};
    for (const char* n : kAmountNames) f.push_back({n, engine::FieldType::Number, 0});
    f.push_back({"NNN", engine::FieldType::Long, 0});
    return f;
}

std::vector<engine::NewField> DepoFields() {
    std::vector<engine::NewField> f = ChapterFields();
    for (std::size_t i = 3; i < 15; ++i) f[i] = {f[i].name, engine::FieldType::Alpha, 30};
    return f;
}

std::vector<engine::Cell> DepoRow(std::int32_t instance, const std::string& nbal2, const std::string& ap,
                                  const std::array<std::string, 12>& amounts, std::int32_t nnn) {
    using engine::Cell;
    auto text = [](const std::string& s) { return s.empty() ? Cell::Blank() : Cell::Text(s); };
    std::vector<Cell> row{Cell::Integer(instance), text(nbal2), text(ap)};
    for (const auto& a : amounts) row.push_back(text(a));
    row.push_back(Cell::Integer(nnn));
    return row;
}

std::vector<engine::Cell> ChapterRow(std::int32_t instance, const std::string& nbal2, const std::string& ap,
                                     const Amounts& a, std::int32_t nnn) {
    using engine::Cell;
    auto text = [](const std::string& s) { return s.empty() ? Cell::Blank() : Cell::Text(s); };
    return {Cell::Integer(instance),
            text(nbal2),
            text(ap),
            Cell::Real(a.vxRub),
            Cell::Real(a.vxVal),
            Cell::Real(a.vxItog),
            Cell::Real(a.obAkRub),
            Cell::Real(a.obAkVal),
            Cell::Real(a.obAkItog),
            Cell::Real(a.obPasRub),
            Cell::Real(a.obPasVal),
            Cell::Real(a.obPasItog),
            Cell::Real(a.isRub),
            Cell::Real(a.isVal),
            Cell::Real(a.isItog),
            Cell::Integer(nnn)};
}

namespace {
engine::Cell TextOrBlank(const std::string& s) { return s.empty() ? engine::Cell::Blank() : engine::Cell::Text(s); }
}  // namespace

void WriteRepEkz(const std::string& folder, const std::vector<Instance>& instances) {
    std::vector<std::vector<engine::Cell>> rows;
    for (const auto& i : instances)
        rows.push_back(
            {engine::Cell::Integer(i.id), TextOrBlank(i.regNum), TextOrBlank(i.filialNum), TextOrBlank(i.change)});
    WriteParadoxTable(folder + "/REP_EKZ.DB",
                      {{"ID_EKZ", engine::FieldType::Long, 0},
                       {"REG_NUM", engine::FieldType::Alpha, 20},
                       {"FILIAL_NUM", engine::FieldType::Alpha, 10},
                       {"FL_CHANGE", engine::FieldType::Alpha, 1}},
                      rows);
}

void WriteRequisites(const std::string& path, const std::vector<Requisite>& requisites) {
    std::vector<std::vector<engine::Cell>> rows;
    for (const auto& r : requisites)
        rows.push_back({TextOrBlank(r.code), TextOrBlank(r.value), engine::Cell::Integer(r.instance)});
    WriteParadoxTable(path,
                      {{"code", engine::FieldType::Alpha, 20},
                       {"VAL", engine::FieldType::Alpha, 200},
                       {"ID_EKZ", engine::FieldType::Long, 0}},
                      rows);
}

void WriteRfdef(const std::string& folder, const std::vector<Definition>& definitions) {
    std::vector<std::vector<engine::Cell>> rows;
    for (const auto& d : definitions)
        rows.push_back({TextOrBlank(d.code), TextOrBlank(d.table), engine::Cell::Integer(d.toIdf), TextOrBlank(d.order),
                        engine::Cell::Integer(d.fdOrder)});
    WriteParadoxTable(folder + "/rfdef.DB",
                      {{"FSNAME", engine::FieldType::Alpha, 10},
                       {"FTABLE", engine::FieldType::Alpha, 40},
                       {"TO_IDF", engine::FieldType::Long, 0},
                       {"FORDER", engine::FieldType::Alpha, 10},
                       {"FDORDER", engine::FieldType::Long, 0}},
                      rows);
}

ReportTree::ReportTree() : root_(dir_ / "F101") { std::filesystem::create_directories(root_); }

std::string ReportTree::DateDir(double date) const {
    locale::CivilDate c = locale::DecodeDate(date);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", c.year, c.month, c.day);
    std::string dir = root_ + "/" + buf;
    std::filesystem::create_directories(dir);
    return dir + "/";
}

}  // namespace tesma::testing

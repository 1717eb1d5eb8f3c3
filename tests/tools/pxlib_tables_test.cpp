// Tables written by an independent Paradox library (pxlib) as f101 meets them: memo texts in the
// .MB file, times and dates at the edges of their scales, chapter and message tables whose first
// column the library never sees, a keyed table replaced by an import, secondary index files
// beside an unkeyed table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <tuple>

#include "f101_fixture.h"
#include "platform/engine/paradox.h"
#include "platform/text/cp1251.h"
#include "process.h"
#include "support/instances.h"
#include "support/pxlib_writer.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;
namespace fs = std::filesystem;

namespace {

const std::vector<const char*> kAmounts = {"VX_RUB",      "VX_VAL",     "VX_ITOG",    "OB_AK_RUB",
                                           "OB_AK_VAL",   "OB_AK_ITOG", "OB_PAS_RUB", "OB_PAS_VAL",
                                           "OB_PAS_ITOG", "IS_RUB",     "IS_VAL",     "IS_ITOG"};

// A table written by the engine, its columns in the order `names`, as pxlib columns and rows.
struct Reordered {
    std::vector<PxColumn> columns;
    std::vector<std::vector<std::string>> rows;
};

Reordered Reorder(const std::string& path, const std::vector<std::string>& names) {
    const engine::TableFile t = engine::ParseParadox(FileBytes(path), path);
    Reordered out;
    std::vector<int> at;
    for (const std::string& n : names) {
        const int f = t.FieldIndex(n);
        EXPECT_GE(f, 0) << n;
        at.push_back(f);
        const engine::FieldDef& d = t.fields[static_cast<std::size_t>(f)];
        out.columns.push_back({n,
                               d.type == engine::FieldType::Alpha    ? pxfAlpha
                               : d.type == engine::FieldType::Number ? pxfNumber
                                                                     : pxfLong,
                               d.size});
    }
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        std::vector<std::string> row;
        for (int f : at) {
            const engine::Cell c = t.Get(r, f);
            char number[40];
            std::snprintf(number, sizeof number, "%.17g", c.real);
            row.push_back(c.IsBlank()                          ? std::string()
                          : c.kind == engine::Cell::Kind::Text ? c.text
                          : c.kind == engine::Cell::Kind::Real ? std::string(number)
                                                               : std::to_string(c.integer));
        }
        out.rows.push_back(std::move(row));
    }
    return out;
}

}  // namespace

TEST(PxlibTables, ExportReadsMemoAndFormattedMemoTextsFromTheMbFile) {
    TempDir dir;
    const std::string table = dir / "M.DB";
    // Texts in the record's head only, in a shared block of the .MB, and in blocks of their own.
    const std::vector<std::string> texts = {"", "short", std::string(40, 'x') + " in a shared block",
                                            "Остаток на счёте"_cp + std::string(3000, '.'),
                                            std::string(9000, 'z') + " end"};
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < texts.size(); ++i)
        rows.push_back({std::to_string(i + 1), texts[i], texts[texts.size() - 1 - i]});
    PxlibWriteTable(table, {{"N", pxfLong, 4}, {"M", pxfMemoBLOb, 11}, {"F", pxfFmtMemoBLOb, 20}}, rows);
    ASSERT_TRUE(fs::exists(dir / "M.MB"));
    const ProcessResult r = RunF101({"export", table});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string expected = "N,M,F\n";
    for (const auto& row : rows) expected += row[0] + "," + text::ToUtf8(row[1]) + "," + text::ToUtf8(row[2]) + "\n";
    EXPECT_EQ(r.out, expected);
}

TEST(PxlibTables, ExportedTimesAndTimeStampsCutTheirMillisecondsAndDayZeroIsADate) {
    TempDir dir;
    const std::string table = dir / "T.DB";
    const double msPerDay = 86400000.0;
    const long dayZero = PxlibDay(1899, 12, 30), day = PxlibDay(2015, 12, 1);
    const long halfPast = ((13 * 60 + 45) * 60 + 30) * 1000 + 500;  // 13:45:30.500
    char stamp[40], midnight[40];
    std::snprintf(stamp, sizeof stamp, "%.17g", day * msPerDay + halfPast);
    std::snprintf(midnight, sizeof midnight, "%.17g", dayZero * msPerDay);
    PxlibWriteTable(table, {{"D", pxfDate, 4}, {"T", pxfTime, 4}, {"S", pxfTimestamp, 8}},
                    {{std::to_string(dayZero), std::to_string(halfPast), stamp},
                     {std::to_string(day), std::to_string(999), midnight}});
    const ProcessResult r = RunF101({"export", table});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "D,T,S\n30.12.1899,13:45:30,01.12.2015 13:45:30\n01.12.2015,0:00:00,30.12.1899\n");
}

TEST(PxlibTables, AChapterOrMessageTableWhoseFirstColumnTheProceduresUseIsRefusedBeforeAnyRun) {
    TempDir dir;
    const std::string folder = WriteInstancesFolder(dir / "r", {{1, "2704", "2704", "0", ""}}, RowOrder::Blocks);
    const std::string chapter = folder + "F101_1.DB", message = folder + "F101_OES.DB";
    const ProcessResult asWritten = RunF101({"check", folder, "--chapter", "А"});
    ASSERT_TRUE(asWritten.status == 0 || asWritten.status == 1) << asWritten.err;

    std::vector<std::string> keyedOnAccount = {"NBAL2", "A_P"};
    keyedOnAccount.insert(keyedOnAccount.end(), kAmounts.begin(), kAmounts.end());
    keyedOnAccount.insert(keyedOnAccount.end(), {"ID_EKZ", "NNN"});
    std::vector<std::string> rowKeyFirst = {"NNN", "ID_EKZ", "NBAL2", "A_P"};
    rowKeyFirst.insert(rowKeyFirst.end(), kAmounts.begin(), kAmounts.end());
    const Reordered byAccount = Reorder(chapter, keyedOnAccount), byRowKey = Reorder(chapter, rowKeyFirst);
    const Reordered messageByKey = Reorder(message, {"KEY_REKW", "VALUE_REKW", "ID_EKZ", "NNN"});

    // A table keyed on account and sign holds them first: a check and a sort are refused, the
    // table named with its column, and nothing changes.
    Reordered sorted = byAccount;
    std::sort(sorted.rows.begin(), sorted.rows.end(),
              [](const auto& a, const auto& b) { return std::tie(a[0], a[1]) < std::tie(b[0], b[1]); });
    fs::remove(chapter);
    PxlibWriteTable(chapter, sorted.columns, sorted.rows, 2);
    for (bool keyed : {true, false}) {
        SCOPED_TRACE(keyed ? "keyed" : "unkeyed");
        if (!keyed) {
            fs::remove(chapter);
            fs::remove(folder + "F101_1.PX");
            PxlibWriteTable(chapter, byAccount.columns, byAccount.rows);
        }
        const std::string before = FileBytes(chapter), protocol = FileBytes(folder + "protocol.txt");
        for (const std::vector<std::string>& command : {std::vector<std::string>{"check", folder},
                                                        {"check", folder, "--chapter", "А", "--dry-run"},
                                                        {"sort", folder, "--chapter", "А"}}) {
            const ProcessResult r = RunF101(command);
            EXPECT_EQ(r.status, 3) << command[0] << r.err;
            EXPECT_NE(r.err.find("table " + chapter + ": its first column is NBAL2, a field the procedures read"),
                      std::string::npos)
                << r.err;
            EXPECT_EQ(FileBytes(chapter), before);
            EXPECT_EQ(FileBytes(folder + "protocol.txt"), protocol);
        }
    }

    // The row key first is a column the procedures do not need: the check finds what it finds in
    // the table as written.
    fs::remove(chapter);
    PxlibWriteTable(chapter, byRowKey.columns, byRowKey.rows);
    const ProcessResult rowKey = RunF101({"check", folder, "--chapter", "А"});
    EXPECT_EQ(rowKey.status, asWritten.status) << rowKey.err;
    EXPECT_EQ(WithoutFolder(rowKey.out, folder), WithoutFolder(asWritten.out, folder));

    // The message table with its key first is not filled with blank keys.
    fs::remove(message);
    PxlibWriteTable(message, messageByKey.columns, messageByKey.rows);
    const std::string before = FileBytes(message);
    const ProcessResult fill = RunF101({"fill", folder});
    EXPECT_EQ(fill.status, 3) << fill.err;
    EXPECT_NE(fill.err.find("table " + message + ": its first column is KEY_REKW"), std::string::npos) << fill.err;
    EXPECT_EQ(FileBytes(message), before);
}

TEST(PxlibTables, AnImportOverAKeyedTableRemovesItsIndexes) {
    TempDir dir;
    const std::string table = dir / "K.DB";
    PxlibWriteTable(table, {{"NBAL2", pxfAlpha, 25}, {"NNN", pxfLong, 4}}, {{"10207", "1"}, {"20202", "2"}}, 1);
    WriteBytes(dir / "K.X02", "a secondary index");
    ASSERT_TRUE(fs::exists(dir / "K.PX"));
    WriteBytes(dir / "in.csv", "NBAL2,NNN\n30102,7\n");
    const ProcessResult r = RunF101({"import", dir / "in.csv", table, "--fields", "NBAL2:A25,NNN:I", "--replace"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(dir / "K.PX"));
    EXPECT_FALSE(fs::exists(dir / "K.X02"));
    EXPECT_FALSE(engine::ParseParadox(FileBytes(table), table).keyed);
    EXPECT_EQ(RunF101({"export", table}).out, "NBAL2,NNN\n30102,7\n");
}

TEST(PxlibTables, AnUnkeyedChapterTableWithASecondaryIndexIsNotRewritten) {
    TempDir dir;
    const std::string folder = WriteInstancesFolder(dir / "r", {{1, "2704", "2704", "0", ""}}, RowOrder::Blocks);
    const std::string chapter = folder + "F101_5.DB";
    std::vector<std::string> names = {"ID_EKZ", "NBAL2", "A_P"};
    names.insert(names.end(), kAmounts.begin(), kAmounts.end());
    names.push_back("NNN");
    const Reordered same = Reorder(chapter, names);
    fs::remove(chapter);
    PxlibWriteTable(chapter, same.columns, same.rows);
    for (const char* index : {"F101_5.X02", "F101_5.Y02", "f101_5.xg0"}) {
        SCOPED_TRACE(index);
        WriteBytes(folder + index, "a secondary index");
        const std::string before = FileBytes(chapter);
        const ProcessResult r = RunF101({"sort", folder, "--chapter", "Д"});
        EXPECT_EQ(r.status, 3) << r.err;
        EXPECT_NE(r.err.find("table " + chapter + " has a secondary index " + folder + index), std::string::npos)
            << r.err;
        EXPECT_EQ(FileBytes(chapter), before);
        fs::remove(folder + index);
    }
}

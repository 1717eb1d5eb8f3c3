// f101 on report folders of several instances (a bank and its branches, a corrected copy marked
// by FL_CHANGE): each instance is checked as itself, whatever the register says of the others;
// a folder without instances in its register is worked on as the one instance its tables hold,
// or refused; the requisites are filled instance by instance.
#include <gtest/gtest.h>

#include <filesystem>

#include "f101_fixture.h"
#include "platform/text/cp1251.h"
#include "support/instances.h"
#include "support/report.h"
#include "support/tables.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

const std::string kRepeated = "E1010125 НЕ УНИКАЛЕН?! - Б/С ";

// The first account of an instance in a table: a five-digit NBAL2.
std::string FirstAccount(const std::string& table, std::int32_t instance) {
    for (const std::string& row : RowsOf(table, instance)) {
        const std::string nbal = row.substr(row.find('|') + 1, row.find('|', row.find('|') + 1) - row.find('|') - 1);
        if (nbal.size() == 5 && nbal.find_first_not_of("0123456789") == std::string::npos) return nbal;
    }
    return {};
}

// Repeats an account of the instance in chapters А, В, Г and Д.
void RepeatInEveryChapter(const std::string& folder, std::int32_t instance) {
    for (const char* table : {"F101_1.DB", "F101_3.DB", "F101_4.DB", "F101_5.DB"})
        RepeatAccount(folder + table, instance, FirstAccount(folder + table, instance));
}

std::string Protocol(const std::string& folder) { return text::ToUtf8(ReadBytes(folder + "protocol.txt")); }

}  // namespace

// The four ways the register's lookup of the bank's unchanged instance read another instance's
// rows (or none) for the count of repeated accounts and total rows.
TEST(F101Instances, TheCountOfRepeatedAccountsAndTotalRowsReadsTheInstanceUnderCheck) {
    TempDir dir;
    {
        // A corrected copy repeats an account in А, В, Г and Д; the instance it corrects is clean.
        const std::string folder = WriteInstancesFolder(
            dir / "changed", {{1, "2704", "1481", "0", ""}, {2, "2704", "1481", "0", "1"}}, RowOrder::Shuffled);
        RepeatInEveryChapter(folder, 2);
        const std::string alone = CopyInstanceAlone(folder, 2, dir / "changed-alone");
        RunF101({"check", folder, "--instance", "2"});
        RunF101({"check", alone});
        EXPECT_EQ(Count(Protocol(folder), kRepeated), 4u) << Protocol(folder);
        EXPECT_EQ(Protocol(folder), Protocol(alone));
    }
    {
        // The other way round: the unchanged instance repeats 10605 and has no total rows.
        const std::string folder = WriteInstancesFolder(
            dir / "unchanged", {{1, "2704", "1481", "0", ""}, {2, "2704", "1481", "0", "1"}}, RowOrder::Blocks);
        RepeatAccount(folder + "F101_1.DB", 1, "10605");
        EditTable(folder + "F101_1.DB", [](engine::TableFile& t) {
            std::erase_if(t.records, [&](const std::string& r) {
                return t.Decode(r.data(), 0).integer == 1 && t.Decode(r.data(), 1).text.starts_with("79999");
            });
        });
        RunF101({"check", folder, "--instance", "2", "--chapter", "А"});
        EXPECT_EQ(Count(Protocol(folder), "E1010125"), 0u) << Protocol(folder);
        EXPECT_EQ(Count(Protocol(folder), "E101199"), 0u) << Protocol(folder);
    }
    {
        // The only instance is a corrected copy: its total rows are there.
        const std::string folder =
            WriteInstancesFolder(dir / "only", {{1, "2704", "1481", "0", "1"}}, RowOrder::Blocks);
        RunF101({"check", folder});
        EXPECT_EQ(Count(Protocol(folder), "E101199"), 0u) << Protocol(folder);
    }
    {
        // Two unchanged instances of one bank and branch: the second one's repeats are its own.
        const std::string folder = WriteInstancesFolder(
            dir / "twins", {{1, "2704", "1481", "0", ""}, {5, "2704", "1481", "0", ""}}, RowOrder::Shuffled);
        RepeatInEveryChapter(folder, 5);
        RunF101({"check", folder, "--instance", "5"});
        EXPECT_EQ(Count(Protocol(folder), kRepeated), 4u) << Protocol(folder);
    }
}

// A folder whose register lists no instance (empty, or no register at all): the runs work on the
// one instance the chapter tables hold, and new rows carry it; tables of several instances are
// refused, listing them, and nothing is touched.
TEST(F101Instances, WithoutInstancesInTheRegisterTheTablesOneInstanceIsTakenOrSeveralRefused) {
    TempDir dir;
    for (bool registerFile : {true, false}) {
        SCOPED_TRACE(registerFile ? "empty register" : "no register");
        const std::string folder = WriteInstancesFolder(dir / (registerFile ? "empty" : "none"),
                                                        {{1, "2704", "2704", "0", ""}}, RowOrder::Blocks);
        if (registerFile)
            WriteRepEkz(folder, {});
        else
            std::filesystem::remove(folder + "REP_EKZ.DB");
        EXPECT_EQ(RunF101({"sort", folder, "--chapter", "Д"}).status, 0);
        EXPECT_LE(RunF101({"check", folder, "--chapter", "А"}).status, 1);
        for (const char* table : {"F101_1.DB", "F101_5.DB"})
            EXPECT_TRUE(RecordsOf(folder + table, 1, true).empty()) << table;
        EXPECT_EQ(Count(Protocol(folder), "E101199"), 0u);
    }
    const std::string two = WriteInstancesFolder(
        dir / "two", {{1, "2704", "2704", "0", ""}, {2, "2618", "2618", "0", ""}}, RowOrder::Shuffled);
    std::filesystem::remove(two + "REP_EKZ.DB");
    const std::string before = ReadBytes(two + "F101_1.DB");
    for (const auto& args : std::vector<std::vector<std::string>>{{"check", two}, {"sort", two, "--chapter", "Д"}}) {
        ProcessResult r = RunF101(args);
        EXPECT_EQ(r.status, 2) << args[0] << r.err;
        EXPECT_NE(r.err.find("no register of report instances (REP_EKZ.DB), and the chapter tables hold rows of 2 "
                             "instances; choose one with --instance ID_EKZ:\n"
                             "  ID_EKZ 1  in F101_1.DB F101_2.DB F101_3.DB F101_4.DB F101_5.DB\n"
                             "  ID_EKZ 2  in F101_1.DB F101_3.DB F101_4.DB F101_5.DB"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(ReadBytes(two + "F101_1.DB"), before);
    EXPECT_FALSE(std::filesystem::exists(two + "protocol.txt"));
}

// fill fills every instance's rows of the message table from its own requisites; for one
// instance it refuses, rather than end having changed nothing.
TEST(F101Instances, FillFillsEveryInstanceFromItsOwnRequisitesAndRefusesOneInstance) {
    TempDir dir;
    const std::string folder = WriteInstancesFolder(
        dir / "fill", {{1, "2704", "1481", "0", ""}, {2, "2704", "1481", "0", "1"}, {3, "2704", "1481", "5", ""}},
        RowOrder::Shuffled);
    const std::string before = ReadBytes(folder + "F101_OES.DB");
    ProcessResult one = RunF101({"fill", folder, "--instance", "2"});
    EXPECT_EQ(one.status, 2);
    EXPECT_NE(one.err.find("--instance 2: filling works on the report as a whole"), std::string::npos) << one.err;
    EXPECT_EQ(ReadBytes(folder + "F101_OES.DB"), before);

    EXPECT_EQ(RunF101({"fill", folder}).status, 0);
    for (std::int32_t id = 1; id <= 3; ++id) {
        const std::string n = std::to_string(id);
        const std::vector<std::string> rows = RowsOf(folder + "F101_OES.DB", id);
        ASSERT_EQ(rows.size(), 8u);
        EXPECT_EQ(rows[1], n + "|OKATO|45" + n + "|");
        EXPECT_EQ(rows[3], n + "|RNKO|" + (id == 3 ? "1481/5" : "1481") + "|");
    }
}

// Report instances: several banks or branches in one report folder, told apart by ID_EKZ. Runs
// through the library as a host loads it, on folders of two to four instances built from the
// published sheets, rows in blocks or shuffled, one instance a corrected copy (FL_CHANGE).
#include <gtest/gtest.h>

#include <filesystem>

#include "form101.h"
#include "library.h"
#include "platform/text/cp1251.h"
#include "run_host.h"
#include "support/instances.h"
#include "support/report.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

using reportkit::RunEnd;

class Instances : public ::testing::Test {
protected:
    // What a run of the table in `mode` appended to the protocol, after checking that it ended
    // as `end`.
    reportkit::RunOutcome Run(const std::string& folder, std::int32_t table, std::int32_t mode, std::int32_t instance) {
        const reportkit::ReportFolder f = reportkit::OpenReportFolder(folder);
        return reportkit::RunOnFolder(lib, f, {table, mode, instance, folder + "protocol.txt", ""});
    }
    std::string Appended(const std::string& folder, std::int32_t table, std::int32_t mode, std::int32_t instance) {
        const reportkit::RunOutcome out = Run(folder, table, mode, instance);
        EXPECT_EQ(out.end, RunEnd::Finished) << (out.messages.empty() ? "" : out.messages.front());
        return text::ToUtf8(out.appended);
    }
    static std::string Table(const std::string& folder, char chapter) {
        for (const reportkit::Chapter& c : reportkit::kChapters)
            if (c.latin == chapter) return folder + std::string(c.fileName) + ".DB";
        return {};
    }

    hostkit::Library lib{TESMA_LIB_PATH};
    TempDir dir;
};

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

// Each instance of a folder of four, checked (every chapter) and sorted (every chapter), gives
// the protocol lines and rows it gives alone in a folder of its own, and the other instances'
// rows stay byte for byte.
TEST_F(Instances, EveryInstanceCheckedAndSortedAmongOthersIsAsAlone) {
    const std::string folder = WriteInstancesFolder(dir / "four",
                                                    {{1, "2618", "2618", "0", ""},
                                                     {2, "2704", "2704", "0", "1"},
                                                     {3, "2704", "2704", "0", ""},
                                                     {4, "3447", "3447", "5", ""}},
                                                    RowOrder::Shuffled, true);
    // The corrected copy differs from the instance it corrects: a repeated account, an amount.
    RepeatAccount(Table(folder, 'A'), 2, "20202");
    EditTable(Table(folder, 'V'), [](engine::TableFile& t) {
        for (std::string& r : t.records)
            if (t.Decode(r.data(), 0).integer == 2) {
                t.Set(r, t.FieldIndex("IS_RUB"), engine::Cell::Real(12345));
                break;
            }
    });
    std::vector<std::string> alone;
    for (std::int32_t id = 1; id <= 4; ++id) alone.push_back(CopyInstanceAlone(folder, id, dir / std::to_string(id)));

    for (std::int32_t id = 1; id <= 4; ++id) {
        SCOPED_TRACE("instance " + std::to_string(id));
        std::map<std::string, std::vector<std::string>> others;
        for (const std::string& t : InstanceTables(folder)) others[t] = RecordsOf(folder + t, id, true);
        for (const std::string& f : {folder, alone[id - 1]}) {
            std::string lines;
            for (const reportkit::Chapter& c : reportkit::kChapters)
                lines += Appended(f, c.tableId, contract::kModeControl, id);
            for (const reportkit::Chapter& c : reportkit::kChapters)
                lines += Appended(f, c.tableId, contract::kModeSort, id);
            WriteBytes(f + "lines.txt", lines);
        }
        EXPECT_EQ(FileBytes(folder + "lines.txt"), FileBytes(alone[id - 1] + "lines.txt"));
        for (const reportkit::Chapter& c : reportkit::kChapters)
            EXPECT_EQ(RowsOf(Table(folder, c.latin), id), RowsOf(Table(alone[id - 1], c.latin), id)) << c.latin;
        for (const auto& [t, records] : others) EXPECT_EQ(RecordsOf(folder + t, id, true), records) << t;
    }
    // The corrected copy's own repeated account is found.
    EXPECT_EQ(Count(FileBytes(alone[1] + "lines.txt"), "E1010125 НЕ УНИКАЛЕН?! - Б/С 20202"), 1u);
}

// A host may call the library with an instance that the register does not hold: the count of
// repeated accounts and total rows reads the run's own rows all the same.
TEST_F(Instances, ARunWhoseInstanceTheRegisterLacksCountsItsOwnRows) {
    const std::string folder = WriteInstancesFolder(
        dir / "unlisted", {{1, "2618", "2618", "0", ""}, {7, "2704", "2704", "0", ""}}, RowOrder::Blocks);
    WriteRepEkz(folder, {{1, "2618", "0", ""}});
    RepeatAccount(Table(folder, 'A'), 7, "10605");
    const std::string lines = Appended(folder, contract::kTableChapterA, contract::kModeControl, 7);
    EXPECT_EQ(Count(lines, "E1010125 НЕ УНИКАЛЕН?! - Б/С 10605"), 1u) << lines;
    EXPECT_EQ(Count(lines, "E101199"), 0u) << lines;
}

// Instance 0, the report as a whole: on a table whose rows carry one ID_EKZ the run works on
// them and its new rows carry it too; on a table of several instances it changes nothing and
// fails, naming the table and the instances.
TEST_F(Instances, TheReportAsAWholeWorksOnTheOneInstanceOfItsTableAndRefusesSeveral) {
    const std::string one = WriteInstancesFolder(dir / "one", {{1, "2704", "2704", "0", ""}}, RowOrder::Blocks);
    WriteRepEkz(one, {});
    Appended(one, contract::kTableChapterA, contract::kModeControl, 0);
    Appended(one, contract::kTableChapterD, contract::kModeSort, 0);
    for (char chapter : {'A', 'D'}) EXPECT_TRUE(RecordsOf(Table(one, chapter), 1, true).empty()) << chapter;
    EXPECT_EQ(Count(FileBytes(Table(one, 'A')), "79999 (ИТОГО)"_cp), 2u);
    EXPECT_EQ(Count(Appended(one, contract::kTableChapterA, contract::kModeControl, 1), "E101199"), 0u);

    const std::string two = WriteInstancesFolder(
        dir / "two", {{1, "2704", "2704", "0", ""}, {2, "2618", "2618", "0", ""}}, RowOrder::Shuffled);
    for (auto [chapter, mode] : {std::pair{'A', contract::kModeControl}, std::pair{'D', contract::kModeSort}}) {
        const std::string table = Table(two, chapter), before = FileBytes(table);
        const reportkit::RunOutcome out =
            Run(two, chapter == 'A' ? contract::kTableChapterA : contract::kTableChapterD, mode, 0);
        EXPECT_EQ(out.end, RunEnd::Failed);
        ASSERT_EQ(out.messages.size(), 1u);
        EXPECT_NE(out.messages[0].find(table + " holds the rows of several report instances (ID_EKZ 1, 2)"),
                  std::string::npos)
            << out.messages[0];
        EXPECT_EQ(out.appended, "");
        EXPECT_EQ(FileBytes(table), before);
    }
}

// Filling the report as a whole fills each instance's rows of the message table from that
// instance's own requisites, never a mixture.
TEST_F(Instances, TheReportAsAWholeFillsEachInstancesMessageRowsFromItsOwnRequisites) {
    const std::string folder = WriteInstancesFolder(
        dir / "fill", {{1, "2704", "1481", "0", ""}, {2, "2704", "1481", "0", "1"}, {3, "2704", "1481", "5", ""}},
        RowOrder::Shuffled);
    Appended(folder, contract::kTableMessageRequisites, contract::kModeControl, 0);
    for (std::int32_t id = 1; id <= 3; ++id) {
        const std::string n = std::to_string(id);
        std::vector<std::string> rows = RowsOf(folder + "F101_OES.DB", id);
        ASSERT_EQ(rows.size(), 8u);
        EXPECT_TRUE(rows[7].starts_with(n + "|DTMF|20")) << rows[7];
        rows.pop_back();
        EXPECT_EQ(rows, (std::vector<std::string>{
                            n + "|OKUD|0409101|", n + "|OKATO|45" + n + "|", n + "|OKPO|0003253" + n + "|",
                            n + "|RNKO|" + (id == 3 ? "1481/5" : "1481") + "|", n + "|BIKKO|04452522" + n + "|",
                            n + "|DTMO|20151201|", n + "|DTME|20151201|"}));
    }
    // Rows of no instance beside the requisites of several: whose to fill them with is unknown.
    EditTable(folder + "F101_OES.DB", [](engine::TableFile& t) {
        for (std::string& r : t.records) t.Set(r, 0, engine::Cell::Blank());
    });
    const std::string before = FileBytes(folder + "F101_OES.DB");
    const reportkit::RunOutcome out = Run(folder, contract::kTableMessageRequisites, contract::kModeControl, 0);
    EXPECT_EQ(out.end, RunEnd::Failed);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_NE(out.messages[0].find("carry no report instance (ID_EKZ), and the requisites are those of several"),
              std::string::npos)
        << out.messages[0];
    EXPECT_EQ(FileBytes(folder + "F101_OES.DB"), before);
}

#include <gtest/gtest.h>

#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "runtime/conversions.h"
#include "runtime/record_access.h"
#include "runtime/report_location.h"
#include "runtime/run.h"
#include "support/in_run.h"
#include "support/report.h"
#include "support/tables.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

double D(int y, int m, int d) { return locale::EncodeDate(y, m, d); }

class Location : public ::testing::Test {
protected:
    void SetUp() override {
        current = tree.DateDir(kDate);
        WriteParadoxTable(current + "CH_A.DB", ChapterFields(), {ChapterRow(5, "30102", "А"_cp)});
        WriteRepEkz(current, {{5, "1481", "0", ""}, {6, "1481", "7", ""}});
    }
    void Run(std::int32_t instance, const std::function<void()>& body, std::string overrideDir = {}) {
        RunInside(
            {contract::kTableChapterA, contract::kModeControl, instance, kDate, tree.Protocol(), current, overrideDir},
            records, body);
        EXPECT_TRUE(ui->messageBoxes.empty()) << (ui->messageBoxes.empty() ? "" : ui->messageBoxes[0]);
    }
    std::string Folder(double date) { return tree.DateDir(date); }

    const double kDate = D(2025, 12, 1);
    ScriptedUi ui;
    ReportTree tree;
    std::string current;
    hostkit::DescriptorSet records{Form101Forms(), Form101Tables(), Form101Fields()};
};

}  // namespace

TEST(DateDirectories, ReplaceTheRightmostDateComponentOnly) {
    const double dec = D(2025, 12, 1), nov = D(2025, 11, 1);
    EXPECT_EQ(ReplaceDateDir("/r/20251201/F101/20251201/", nov, dec), "/r/20251201/F101/20251101/");
    EXPECT_EQ(ReplaceDateDir("/r/F101/20251201/x", nov, dec), "/r/F101/20251101/x");
    EXPECT_EQ(ReplaceDateDir("/r/F101/20251201", nov, dec), "/r/F101/20251201");  // no closing separator
    EXPECT_EQ(ReplaceDateDir("/r/F101/20250101/", nov, dec), "/r/F101/20250101/");
    EXPECT_EQ(ReplacePathDir("/r/F101/20251201/", "F101", "F102"), "/r/F102/20251201/");
    EXPECT_EQ(ReplacePathDir("/r/F101/20251201/", "F999", "F102"), "/r/F101/20251201/");
}

TEST_F(Location, PreviousReportDateFindsTheNearestEarlierFolderOfTheSameBankAndBranch) {
    // November holds the table but not this branch; October holds it; September too.
    const std::string nov = Folder(D(2025, 11, 1)), oct = Folder(D(2025, 10, 1)), sep = Folder(D(2025, 9, 1));
    for (const auto& f : {nov, oct, sep}) WriteParadoxTable(f + "/CH_A.DB", ChapterFields(), {});
    WriteRepEkz(nov, {{11, "1481", "7", ""}, {12, "1481", "0", "X"}});
    WriteRepEkz(oct, {{21, "1481", "0", ""}});
    WriteRepEkz(sep, {{31, "1481", "0", ""}});
    double previous = 0;
    std::int32_t other = -1;
    Run(5, [&] {
        previous = PreviousReportDate();
        other = runtime::CurrentRun().OtherInstanceId;
    });
    EXPECT_EQ(previous, D(2025, 10, 1));
    EXPECT_EQ(other, 21);
    // Without an instance the nearest folder with the table is enough.
    Run(0, [&] {
        previous = PreviousReportDate();
        other = runtime::CurrentRun().OtherInstanceId;
    });
    EXPECT_EQ(previous, D(2025, 11, 1));
    EXPECT_EQ(other, 0);
}

TEST_F(Location, PreviousReportDateGivesZeroAfterAThousandDays) {
    WriteParadoxTable(Folder(kDate - 1001) + "/CH_A.DB", ChapterFields(), {});
    double previous = -1;
    Run(0, [&] { previous = PreviousReportDate(); });
    EXPECT_EQ(previous, 0);
    WriteParadoxTable(Folder(kDate - 1000) + "/CH_A.DB", ChapterFields(), {});
    Run(0, [&] { previous = PreviousReportDate(); });
    EXPECT_EQ(previous, kDate - 1000);
}

TEST_F(Location, ARegistrationNumberWithAQuoteFindsItsInstance) {
    WriteRepEkz(current, {{5, "14'81", "0", ""}});
    const std::string nov = Folder(D(2025, 11, 1));
    WriteParadoxTable(nov + "CH_A.DB", ChapterFields(), {});
    WriteRepEkz(nov, {{9, "14'81", "0", ""}});
    double previous = 0;
    Run(5, [&] { previous = PreviousReportDate(); });
    EXPECT_EQ(previous, D(2025, 11, 1));
}

TEST_F(Location, TheChartReferenceUsesTheOverrideFolderAndNoInstance) {
    const std::string common = tree.Dir() / "common";
    std::filesystem::create_directories(common);
    WriteParadoxTable(common + "/PS_WORK.DB", {{"BS2_NUM", engine::FieldType::Alpha, 5}},
                      {{engine::Cell::Text("30102")}, {engine::Cell::Text("10207")}});
    std::vector<std::string> lines;
    std::string first;
    Run(
        5,
        [&] {
            OpenAuxTable("!.ps_work", "BS2_NUM", "", kDate);
            lines = runtime::CurrentRun().QQQ.SqlLines();
            first = ValueToText(GetAuxField("bs2_num"));
        },
        common);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "select * from \"" + common + "/PS_WORK\"");
    EXPECT_EQ(lines[1], " order by BS2_NUM");
    EXPECT_EQ(first, "10207");
    // Without an override folder: the dated folder of the date asked for.
    WriteParadoxTable(current + "PS_WORK.DB", {{"BS2_NUM", engine::FieldType::Alpha, 5}}, {});
    Run(5, [&] {
        OpenAuxTable("!.PS_WORK", "", "", kDate);
        lines = runtime::CurrentRun().QQQ.SqlLines();
    });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "select * from \"" + current + "PS_WORK\"");
}

TEST_F(Location, ATableOfThisFormByCodeIsLimitedToTheSameBanksInstance) {
    const std::string nov = Folder(D(2025, 11, 1));
    WriteParadoxTable(
        nov + "CH_A.DB", ChapterFields(),
        {ChapterRow(40, "30102", "А"_cp), ChapterRow(41, "30109", "А"_cp), ChapterRow(40, "20202", "А"_cp)});
    WriteRepEkz(nov, {{41, "1481", "0", "*"}, {40, "1481", "0", ""}});
    std::vector<std::string> lines, accounts;
    std::int32_t other = 0;
    Run(5, [&] {
        OpenAuxTable("Ф_1"_cp, "NBAL2", "A_P='А'"_cp, D(2025, 11, 1));
        lines = runtime::CurrentRun().QQQ.SqlLines();
        other = runtime::CurrentRun().OtherInstanceId;
        for (; !AuxTableEnded(); NextAuxRow()) accounts.push_back(ValueToText(GetAuxField("NBAL2")));
    });
    EXPECT_EQ(other, 40);
    EXPECT_EQ(lines, (std::vector<std::string>{"select * from \"" + nov + "CH_A\"", " where ID_EKZ=40",
                                               " and (A_P='А')"_cp, " order by NBAL2"}));
    EXPECT_EQ(accounts, (std::vector<std::string>{"20202", "30102"}));
    // Instance 0: no register lookup, no condition on ID_EKZ.
    Run(0, [&] {
        OpenAuxTable("Ф_1"_cp, "", "", D(2025, 11, 1));
        lines = runtime::CurrentRun().QQQ.SqlLines();
    });
    EXPECT_EQ(lines, (std::vector<std::string>{"select * from \"" + nov + "CH_A\""}));
    // Unknown codes, missing folders and a missing instance leave the cursor closed.
    bool ended = false;
    Run(5, [&] {
        OpenAuxTable("Ф_9"_cp, "", "", D(2025, 11, 1));
        ended = AuxTableEnded();
        OpenAuxTable("Ф_1"_cp, "", "", D(2024, 11, 1));
        ended = ended && AuxTableEnded();
    });
    EXPECT_TRUE(ended);
}

TEST_F(Location, AnotherFormsTableThroughItsDefinitions) {
    const std::string other = tree.Dir() / "F102/20251201";
    std::filesystem::create_directories(other);
    WriteRfdef(other, {{"T1", "X", 0, "1", 1},
                       {"T2", "X", 0, "2", 2},
                       {"T3", "Y", 0, "3", 3},
                       {"T4", "Z", 1, "4", 4},
                       {"T5", "Y", 0, "5", 5}});
    for (const char* f : {"X", "X_2", "Y", "Z_4", "Y_5"})
        WriteParadoxTable(other + "/" + f + ".DB", {{"NAME", engine::FieldType::Alpha, 10}}, {{engine::Cell::Text(f)}});
    std::vector<std::string> names;
    Run(0, [&] {
        for (const char* ref : {"F102.T1", "F102.T2", "f102.t4", "F102.T5", "F102.T3"}) {
            OpenAuxTable(ref, "", "", kDate);
            names.push_back(AuxTableEnded() ? "<closed>" : ValueToText(GetAuxField("NAME")));
        }
        OpenAuxTable("F103.T1", "", "", kDate);
        names.push_back(AuxTableEnded() ? "<closed>" : "open");
    });
    EXPECT_EQ(names, (std::vector<std::string>{"X", "X_2", "Z_4", "Y_5", "Y", "<closed>"}));
}

TEST_F(Location, ADateOfZeroLeavesTheAuxCursorAsItWas) {
    bool stillOpen = false;
    Run(0, [&] {
        OpenAuxTable("REP_EKZ", "ID_EKZ", "ID_EKZ>5", kDate);
        OpenAuxTable("Ф_1"_cp, "", "", 0);
        stillOpen = !AuxTableEnded() && ValueToText(GetAuxField("ID_EKZ")) == "6";
    });
    EXPECT_TRUE(stillOpen);
}

TEST_F(Location, AFolderWithoutItsDateComponentHasNoPreviousReport) {
    // ".../20251201" without the closing separator: the date component is not recognised, so
    // the current table must not be taken for last month's.
    std::string bare = current.substr(0, current.size() - 1);
    double previous = -1;
    bool ended = false;
    RunInside({contract::kTableChapterA, contract::kModeControl, 0, kDate, tree.Protocol(), bare, ""}, records, [&] {
        previous = PreviousReportDate();
        OpenAuxTable("Ф_1"_cp, "", "", D(2025, 11, 1));
        ended = AuxTableEnded();
    });
    EXPECT_EQ(previous, 0);
    EXPECT_TRUE(ended);
}

// The finding records a run writes beside its protocol lines (TESMA_ENV_FINDINGS): one per
// line, in order, with the account, sign, fields and compared values of each kind of finding.
#include <gtest/gtest.h>

#include <cstdlib>

#include "chapter_fixture.h"
#include "controls/procedures.h"
#include "controls_fixture_a.h"
#include "finding_records.h"
#include "runtime/run.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

using hostkit::FindingRecord;

std::vector<std::string> List(std::initializer_list<std::string> items) { return items; }

class FindingRecords : public ::testing::Test, protected ChapterReport {
protected:
    // Runs `body` as the table's procedure with a findings file, and returns the records, each
    // checked against its protocol line: a header record for a "**" line, a finding record
    // with the line's row and code for a finding line.
    std::vector<FindingRecord> Records(std::int32_t table, const std::function<void()>& body) {
        const std::string path = tree.Protocol() + ".findings";
        std::filesystem::remove(path);
        ::setenv(TESMA_ENV_FINDINGS, path.c_str(), 1);
        const std::string protocol = text::ToUtf8(ChapterReport::Run(table, body));
        ::unsetenv(TESMA_ENV_FINDINGS);
        const auto records = hostkit::ParseFindingRecords(FileBytes(path));
        std::vector<std::string> lines;
        for (std::size_t from = 0, at; (at = protocol.find("\r\n", from)) != std::string::npos; from = at + 2)
            lines.push_back(protocol.substr(from, at - from));
        EXPECT_EQ(records.size(), lines.size()) << protocol;
        for (std::size_t i = 0; i < std::min(records.size(), lines.size()); ++i) {
            const FindingRecord& r = records[i];
            if (lines[i].rfind("**", 0) == 0) {
                EXPECT_EQ(r.kind, "header") << lines[i];
            } else if (r.kind == "finding") {
                EXPECT_EQ(std::to_string(r.row.value_or(-1)) + ": " + r.code + " ",
                          lines[i].substr(0, lines[i].find(' ', lines[i].find(' ') + 1) + 1));
            }
        }
        return records;
    }
    // The first record of a code.
    static FindingRecord Of(const std::vector<FindingRecord>& records, const std::string& code, int nth = 0) {
        for (const FindingRecord& r : records)
            if (r.code == code && nth-- == 0) return r;
        ADD_FAILURE() << "no record " << code;
        return {};
    }
};

}  // namespace

TEST_F(FindingRecords, RowRulesPreviousMonthAndChapterTotalsOfChapterA) {
    auto current = CurrentA();
    current[2].a[2] = 501;  // 30102 VX_ITOG: roubles + currency 500, the balance of totals broken too
    current[1].a = {100.1, 0, 100.1, 50, 0, 50, 30, 0, 30, 120.1, 0, 120.1};  // 20202: a fraction, kept so
    Write(kDate, 'A', current);
    Write(kPrevious, 'A', PreviousA());
    WriteChart(ChartA());
    const auto records = Records(contract::kTableChapterA, controls::ControlChapterA1);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].procedure, contract::kProcedureControlChapterA1);

    const FindingRecord sum = Of(records, "E101117");
    EXPECT_EQ(sum.kind, "finding");
    EXPECT_EQ(sum.procedure, contract::kProcedureControlChapterA1);
    EXPECT_EQ(sum.account, "30102");
    EXPECT_EQ(sum.sign, "А"_cp);
    EXPECT_EQ(sum.fields, List({"VX_ITOG", "VX_RUB", "VX_VAL"}));
    EXPECT_EQ(sum.values, List({"501", "400", "100"}));
    EXPECT_EQ(sum.op + " " + sum.x + " " + sum.y, "<> 501 500");
    EXPECT_EQ(sum.xRule + " " + sum.yRule, "VX_ITOG VX_RUB+VX_VAL");

    const FindingRecord balance = Of(records, "E101123");
    EXPECT_EQ(balance.fields, List({"IS_ITOG", "VX_ITOG", "OB_AK_ITOG", "OB_PAS_ITOG"}));
    EXPECT_EQ(balance.values, List({"630", "501", "250", "120"}));
    EXPECT_EQ(balance.x + " " + balance.y, "630 631");
    EXPECT_EQ(balance.yRule, "VX_ITOG+OB_AK_ITOG-OB_PAS_ITOG");
    EXPECT_TRUE(balance.previous.empty());

    const FindingRecord previous = Of(records, "W101114", 1);  // the first is 20202's
    EXPECT_EQ(previous.account, "30102");
    EXPECT_EQ(previous.fields, List({"IS_ITOG@previous", "VX_ITOG"}));
    EXPECT_EQ(previous.x + " " + previous.y + " " + previous.previous, "500 501 x");
    const FindingRecord fraction = Of(records, "W101112");
    EXPECT_EQ(fraction.account, "20202");
    EXPECT_EQ(fraction.values, List({"100", "100.1"}));

    const FindingRecord totals = Of(records, "E101229");
    EXPECT_EQ(totals.account, "");
    EXPECT_EQ(totals.fields, List({"VX_ITOG@passive", "VX_ITOG@active"}));
    // A sum that is no double is written as the extended real the control compared.
    EXPECT_EQ(totals.x + " " + totals.y, "600 601.0999999999999943");
    const FindingRecord side = Of(records, "E101229", 1);
    EXPECT_EQ(side.xRule + " " + side.yRule, "VX_RUB@active+VX_VAL@active VX_ITOG@active");
}

TEST_F(FindingRecords, VanishedAccountsRangesAndCounterAccountsOfTheOtherChapters) {
    WriteChart({{"80101", "1"}});
    Write(kDate, 'B', {{"79999", "А"}, {"89999 (ИТОГО)", "А"}});
    Write(kPrevious, 'B', {{"80101", "А", {0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4}}});
    auto records = Records(contract::kTableChapterB, controls::ControlChapterB);
    const FindingRecord range = Of(records, "E101197");
    EXPECT_EQ(range.account, "79999");
    EXPECT_EQ(range.sign, "");
    EXPECT_EQ(range.fields, List({"NBAL2"}));
    const FindingRecord vanished = Of(records, "W101132");
    EXPECT_EQ(vanished.row, 2);
    EXPECT_EQ(vanished.account + " " + vanished.sign, "80101 А"_cp);
    EXPECT_EQ(vanished.fields, List({"IS_RUB@previous", "VX_RUB@current"}));
    EXPECT_EQ(vanished.x + " " + vanished.y + " " + vanished.previous, "4 0 x");
    EXPECT_EQ(Of(records, "W101198").fields, List({}));

    Write(kDate, 'V',
          {{"90701", "А", {7, 0, 7, 0, 0, 0, 0, 0, 0, 7, 0, 7}},
           {"99998", "А", {3, 0, 3, 0, 0, 0, 0, 0, 0, 3, 0, 3}},
           {"99999", "П", {8, 0, 8, 0, 0, 0, 0, 0, 0, 8, 0, 8}}});
    records = Records(contract::kTableChapterV, controls::ControlChapterV);
    const FindingRecord counter = Of(records, "E101336");
    EXPECT_EQ(counter.fields, List({"IS_ITOG@counter", "IS_ITOG@others"}));
    EXPECT_EQ(counter.x + " " + counter.y, "11 7");
    const FindingRecord incoming = Of(records, "E101229");
    EXPECT_EQ(incoming.xRule, "VX_RUB@passive+VX_VAL@passive+VX_ITOG@passive");
    EXPECT_EQ(incoming.x + " " + incoming.y, "16 20");
}

TEST_F(FindingRecords, ChapterDCarriesItsExactDecimalsEveryDigitKept) {
    WriteChart({{"98010", "1"}});
    auto depo = [](const std::string& nbal, const std::string& vx, const std::string& ak, const std::string& is) {
        return DepoRow(0, nbal, "А"_cp, {"", "", vx, "", "", ak, "", "", "0", "", "", is});
    };
    WriteParadoxTable(TablePath(kDate, 'D'), DepoFields(),
                      {depo("98010", "112233445566778899.1234", "+.0001", "112233445566778899.1234"),
                       depo("98020", "1.5", "12a", "1.5")});
    WriteParadoxTable(TablePath(kPrevious, 'D'), DepoFields(), {depo("98010", "", "", "112233445566778899.1233")});
    const auto records = Records(contract::kTableChapterD, controls::ControlChapterD);
    EXPECT_EQ(records[0].procedure, contract::kProcedureControlChapterD);
    const FindingRecord balance = Of(records, "E101123");
    EXPECT_EQ(balance.account + " " + balance.sign, "98010 А"_cp);
    EXPECT_EQ(balance.values, List({"112233445566778899.1234", "112233445566778899.1234", "0.0001",
                                    "0.0000"}));  // "+.0001" as a number
    EXPECT_EQ(balance.x + " " + balance.y, "112233445566778899.1234 112233445566778899.1235");
    const FindingRecord previous = Of(records, "W101114");
    EXPECT_EQ(previous.x + " " + previous.previous, "112233445566778899.1233 x");
    const FindingRecord invalid = Of(records, "E101771");
    EXPECT_EQ(invalid.account, "98020");
    EXPECT_EQ(invalid.fields, List({"OB_AK_ITOG"}));
    EXPECT_TRUE(invalid.values.empty());  // "12a" is no number
}

TEST_F(FindingRecords, CrossChecksNameTheAccountsTheyCompare) {
    const std::string dir = tree.DateDir(kDate);
    Write(kDate, 'A',
          {{"30301", "А", {0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 5}},
           {"40102", "П", {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1}},
           {"40104", "А", {0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 5}}});
    WriteRequisites(dir + "REKW_F101.DB", {{"BNK_STATE", "O"}, {"BNK_NFIL", "0"}});
    const auto records = Records(contract::kTableChapterA, controls::ControlChapterA2);
    EXPECT_EQ(records[0].procedure, contract::kProcedureControlChapterA2);
    const FindingRecord interbranch = Of(records, "W101138");
    EXPECT_EQ(interbranch.account, "30301");
    EXPECT_EQ(interbranch.fields, List({"NBAL2"}));
    const FindingRecord difference = Of(records, "E101156");
    EXPECT_EQ(difference.account, "");
    EXPECT_EQ(difference.fields, List({"IS_ITOG@40102", "IS_ITOG@40104"}));
    EXPECT_EQ(difference.op + " " + difference.x + " " + difference.y, "< 1 5");
}

TEST_F(FindingRecords, AStopLineIsRecordedForTheProcedureThatRan) {
    // Pump 1 is the first tick's counter update, pump 2 comes before the header, 3 before "a".
    ui->stopAtPumps = {3};
    Write(kDate, 'A', {});
    const auto records = Records(contract::kTableChapterA, [] {
        WriteHeaderLine(contract::kProcedureSortChapterA, "**Заголовок"_cp);
        WriteProtocolLine("a");
    });
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].kind, "stop");
    EXPECT_EQ(records[1].procedure, contract::kProcedureSortChapterA);
    EXPECT_EQ(records[2].kind, "other");
}

// Finding records end to end: a run on a real report writes one record per protocol line, and
// the record format survives what a value may hold.
#include <gtest/gtest.h>

#include <filesystem>

#include "f101_fixture.h"
#include "finding_records.h"
#include "form101.h"
#include "host/finding_record.h"
#include "platform/text/cp1251.h"
#include "protocol_lines.h"
#include "run_host.h"

using namespace tesma;
using namespace tesma::testing;

TEST(FindingRecordsOnARealReport, EveryProtocolLineHasItsRecordInOrder) {
    TempDir dir;
    const std::string current = ImportInstitution(dir, "2704");
    // The same sheet as last month's: every changed balance becomes a previous-month finding.
    const std::filesystem::path previous = std::filesystem::path(current).parent_path().parent_path() / "20151101";
    std::filesystem::copy(current, previous);
    reportkit::ReportFolder folder = reportkit::OpenReportFolder(current);
    hostkit::Library lib(TESMA_LIB_PATH);
    std::size_t findings = 0, withAccount = 0;
    for (const reportkit::Chapter& c : reportkit::kChapters) {
        const reportkit::RunOutcome outcome =
            reportkit::RunOnFolder(lib, folder, {c.tableId, contract::kModeControl, 0, dir / "protocol.txt", "", true});
        const auto lines = reportkit::ParseProtocol(outcome.appended);
        ASSERT_EQ(outcome.findings.size(), lines.size()) << c.latin;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const hostkit::FindingRecord& r = outcome.findings[i];
            const reportkit::ProtocolLine& l = lines[i];
            EXPECT_FALSE(r.procedure.empty()) << l.message;
            if (!l.row) {
                EXPECT_EQ(r.kind, l.message.rfind("**", 0) == 0 ? "header" : "other") << l.message;
                continue;
            }
            ++findings;
            EXPECT_EQ(r.kind, "finding");
            EXPECT_EQ(r.row, l.row);
            EXPECT_EQ(r.code, l.code);
            // The account and sign are those the message shows.
            if (r.account.empty()) continue;
            ++withAccount;
            EXPECT_NE(l.message.find(text::ToUtf8(r.account + r.sign)), std::string::npos) << l.message;
            if (!r.values.empty()) {
                EXPECT_EQ(r.values.size(), r.fields.size()) << l.message;
            }
        }
    }
    EXPECT_GT(findings, 100u);
    EXPECT_GT(withAccount, 100u);
}

TEST(FindingRecordFormat, ValuesSurviveTabsLineEndsAndBackslashesAndNumbersAreExact) {
    runtime::LineFacts facts;
    facts.kind = runtime::LineKind::Finding;
    facts.procedure = contract::kProcedureControlChapterB;
    facts.row = 12;
    facts.code = "E101116";
    facts.account = "80\t101\\\n\r";
    facts.sign = "П";
    // A double's 100.1 plus 501 in extended precision: no double.
    facts.fields.Add(
        {"VX_RUB", runtime::From::Row, {}, runtime::Number(static_cast<long double>(100.1) + 501), true, '+'});
    facts.fields.Add({"IS_RUB", runtime::From::Row, {}, runtime::Number(1e20), true, '+'});
    const std::string record = host::FindingRecord(facts);
    ASSERT_EQ(record.back(), '\n');
    EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 1);
    const hostkit::FindingRecord r = hostkit::ParseFindingRecord(record.substr(0, record.size() - 1));
    EXPECT_EQ(r.kind, "finding");
    EXPECT_EQ(r.procedure, "ControlChapterB");
    EXPECT_EQ(r.row, 12);
    EXPECT_EQ(r.account, "80\t101\\\n\r");
    EXPECT_EQ(r.sign, "П");
    // The shortest text that reads back as the extended real; 1e20 without an exponent.
    EXPECT_EQ(r.values, (std::vector<std::string>{"601.0999999999999943", "100000000000000000000"}));

    using runtime::Number;
    EXPECT_EQ(host::RecordNumber(Number(static_cast<long double>(0.1))), "0.1");
    EXPECT_EQ(host::RecordNumber(Number(-0.0L)), "0");
    EXPECT_EQ(host::RecordNumber(Number(std::string_view("+.50"))), "0.50");
    EXPECT_EQ(host::RecordNumber(Number(std::string_view("-12.3400"))), "-12.3400");
    EXPECT_EQ(host::RecordNumber(Number(std::string_view("12a"))), "");
}

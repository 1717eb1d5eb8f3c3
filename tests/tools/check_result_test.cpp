// The results of f101 check written as a batch's worker writes them and read back as the batch
// reads them: every field, Russian texts, chapter Д's exact amounts, nulls, bytes that are not
// UTF-8, several reports down one stream, and a stream cut in the middle of a report.
#include <gtest/gtest.h>

#include <sstream>

#include "check_result_json.h"
#include "platform/text/cp1251.h"

using namespace tesma;
using namespace tesma::f101;
using namespace tesma::literals;

namespace {

// A record as the library writes one: code page 1251, TAB-separated, escaped.
hostkit::FindingRecord Record(const std::string& line) { return hostkit::ParseFindingRecord(line); }

ReportResult Sample() {
    ReportResult r;
    r.folder = "reports/\xff\xfe/F101/20151201";  // a folder name that is not UTF-8
    r.report = "/srv/отчёты/F101/20151201/";
    r.regn = "1481";
    r.bankName = "ПАО «Сбербанк России»";
    r.reportingDate = "2015-12-01";
    r.instance = 2;
    r.checkedAt = "2016-01-11T09:30:05+03:00";
    r.version = "0.1.0";

    ChapterRun a;
    a.chapter = "А";
    a.procedure = "balance";
    a.table = "F101_1.DB";
    a.tablePath = r.report + "F101_1.DB";
    a.tableId = 4451;
    a.outcome = "finished";
    Finding header;
    header.line = {std::nullopt, "", "info", "**Контроль формы 101 Глава А. Баланс 2-я часть"};
    header.report = r.report;
    header.chapter = "А";
    header.procedure = "cross-checks";
    header.table = "F101_1.DB";
    header.record = Record("kind=header\tprocedure=ControlChapterA2");
    Finding balance = header;
    balance.line = {68, "W101112", "warning",
                    "ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 10207П  РУБЛИ         870005 <> 870000"};
    balance.procedure = "balance";
    balance.account = "10207";
    balance.sign = "П";
    balance.explanation = "Last month's outgoing balance must equal this month's incoming balance.";
    balance.record =
        Record("kind=finding\tprocedure=ControlChapterA1\trow=68\tcode=W101112\taccount=10207\tsign="_cp + "П"_cp +
               "\tfields=IS_RUB@previous,VX_RUB\tvalues=870005,870000\top=<>\tx=870005\ty=870000\txrule=IS_RUB@previous"
               "\tyrule=VX_RUB\tprevious=x\tnote=a\\ttab, a \\\\ and \x98");
    a.findings = {header, balance};
    r.chapters.push_back(a);

    ChapterRun d = a;
    d.chapter = "Д";
    d.table = "F101_5.DB";
    d.tablePath = r.report + "F101_5.DB";
    d.tableId = 4455;
    Finding depo = balance;
    depo.chapter = "Д";
    depo.table = "F101_5.DB";
    depo.line = {3, "E101121", "error", "ИСХ.ОСТАТОК <> ВХ.ОСТАТОК + ОБОРОТЫ Б/С 98010А"};
    depo.account = "98010";
    depo.sign = std::nullopt;
    depo.explanation = std::nullopt;
    depo.record = Record(
        "kind=finding\tprocedure=ControlChapterD\trow=3\tcode=E101121\taccount=98010\tfields=IS_ITOG,VX_ITOG,"
        "OB_AK_ITOG,OB_PAS_ITOG\tvalues=123456789012345678.1234,123456789012345678.0001,0.1233,0\top=<>\t"
        "x=123456789012345678.1234\ty=123456789012345678.1234\txrule=IS_ITOG\tyrule=VX_ITOG+OB_AK_ITOG-OB_PAS_"
        "ITOG");
    Finding bare = depo;  // a line the run gave no record for
    bare.line = {std::nullopt, "", "info", ">>>>> Прервано оператором"};
    bare.account = std::nullopt;
    bare.record = {};
    d.findings = {depo, bare};
    d.outcome = "stopped";
    d.failures = {{"table file /srv/отчёты/F101/20151201/F101_5.DB is locked", r.report + "F101_5.DB"}, {"x", ""}};
    r.chapters.push_back(d);

    r.failures = {{"/srv/отчёты/F101/20151201/: a file of the report changed during the dry run", r.report}};
    r.endedByFailure = true;
    r.refusal = "--instance 7: the register holds 1, 2";
    r.stopped = true;
    r.counts = {1, 1, 3};
    r.exitStatus = 130;
    r.seconds = 1.0 / 3.0;
    r.cutOff = true;
    r.workerOutput = "partial\n";
    r.workerErrors = "AddressSanitizer: \x01\xc3";
    return r;
}

std::string Stream(const ReportResult& r) {
    std::ostringstream out;
    ResultWriter writer(out);
    for (const ChapterRun& run : r.chapters) writer.ChapterDone(r, run);
    writer.ReportDone(r);
    return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(CheckResults, EveryFieldSurvivesTheStreamAndTheDocument) {
    const ReportResult sample = Sample();
    ASSERT_EQ(sample.chapters[1].findings[0].record.values[0], "123456789012345678.1234");
    ASSERT_EQ(sample.chapters[0].findings[1].record.Value("note"), "a\ttab, a \\ and \x98");

    const std::string stream = Stream(sample);
    const auto lines = Lines(stream);
    ASSERT_EQ(lines.size(), 3u);  // two chapters, then the report
    ResultReader reader;
    EXPECT_FALSE(reader.Add(lines[0]));
    EXPECT_FALSE(reader.Add(lines[1]));
    EXPECT_EQ(reader.Pending().size(), 2u);
    ASSERT_TRUE(reader.Add(lines[2]));
    EXPECT_EQ(reader.Take(), sample);
    EXPECT_TRUE(reader.Pending().empty());

    EXPECT_EQ(ReportResultFromJson(nlohmann::json::parse(ReportResultJson(sample).dump())), sample);

    // Readable where it can be: Russian as UTF-8, amounts as the decimal texts the library wrote.
    EXPECT_NE(stream.find("ПАО «Сбербанк России»"), std::string::npos);
    EXPECT_NE(stream.find("\"123456789012345678.1234\""), std::string::npos);
    EXPECT_NE(stream.find("{\"bytes\":\"7265706f7274732ffffe2f463130312f3230313531323031\"}"), std::string::npos);
}

TEST(CheckResults, ManyReportsGoDownOneStreamAndACutStreamKeepsItsChapters) {
    ReportResult first = Sample(), second = Sample();
    first.cutOff = second.cutOff = false;
    second.folder = "second";
    second.chapters.pop_back();
    ReportResult third = Sample();
    third.cutOff = false;
    const std::string stream = Stream(first) + Stream(second) + Stream(third);
    auto lines = Lines(stream);
    lines.pop_back();  // the third report's process died before its report line

    ResultReader reader;
    std::vector<ReportResult> read;
    for (const std::string& l : lines)
        if (reader.Add(l)) read.push_back(reader.Take());
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], first);
    EXPECT_EQ(read[1], second);
    EXPECT_EQ(reader.Pending(), third.chapters);

    EXPECT_THROW(reader.Add(R"({"chapter": {"chapter": "А"}})"), std::runtime_error);
    EXPECT_THROW(reader.Add("{\"report\": {\"format\": 2}}"), std::runtime_error);
    EXPECT_THROW(reader.Add(lines[0].substr(0, lines[0].size() / 2)), std::runtime_error);
}

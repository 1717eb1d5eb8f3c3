// f101 check as a separate process, setting known findings aside: codes dropped with --ignore,
// the findings a baseline recorded (matched without their rows, which move), the counts by
// code, and what the summaries say of them, for one report and for a batch.
#include <nlohmann/json.hpp>

#include "f101_fixture.h"

using namespace tesma;
using namespace tesma::testing;
using nlohmann::json;

namespace {

// The institution 1481 of the sample sheets: in chapter Г the technical accounts 99996 and 99997
// (E101197 and E101107 twice each), and five warnings.
const std::string kTechnical = "E101197,E101107";

}  // namespace

TEST(F101KnownFindings, IgnoredCodesCountForNothing) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "1481");
    ProcessResult all = RunF101({"check", folder});
    ASSERT_EQ(all.status, 1) << all.err;
    ASSERT_EQ(Count(all.out, "E101197 "), 2u) << all.out;

    ProcessResult r = RunF101({"check", folder, "--ignore", "e101197", "--ignore", "E101107"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("E101197"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("E101107"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("W101101"), std::string::npos);
    EXPECT_EQ(TextLines(r.out).back(), folder + ": 0 errors, 5 warnings, 0 failures, 4 ignored");

    r = RunF101({"check", folder, "--ignore", kTechnical + ",W101101", "--json"});
    EXPECT_EQ(r.status, 0);
    const json summary = JsonLines(r.out).back();
    EXPECT_EQ(summary["severity"], "summary");
    EXPECT_EQ(summary["errors"], 0);
    EXPECT_EQ(summary["warnings"], 1);
    EXPECT_EQ(summary["ignored"], 8);
    EXPECT_TRUE(summary["set_aside"].is_null());

    r = RunF101({"check", folder, "--ignore", "E999999"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no finding code E999999"), std::string::npos) << r.err;
}

TEST(F101KnownFindings, ABaselineSetsAsideWhatItRecordedWhereverTheRowsMoved) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "1481");
    const std::string baseline = dir / "known.jsonl";
    ProcessResult r = RunF101({"check", folder, "--write-baseline", baseline});
    ASSERT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(baseline + ": 9 findings recorded as the baseline"), std::string::npos) << r.err;
    EXPECT_EQ(TextLines(ReadBytes(baseline)).size(), 9u);

    r = RunF101({"check", folder, "--baseline", baseline});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("E101197"), std::string::npos) << r.out;
    EXPECT_EQ(TextLines(r.out).back(), folder + ": 0 errors, 0 warnings, 0 failures, 9 set aside by the baseline");

    // Chapter Г's rows in the opposite order: the technical accounts' findings come on other
    // rows and are still the known ones. A new negative amount is a new finding, shown.
    ProcessResult exported = RunF101({"export", folder + "F101_4.DB", "--with-types"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    std::vector<std::string> rows = TextLines(exported.out);
    std::reverse(rows.begin() + 1, rows.end());
    std::string csv;
    for (const std::string& row : rows) csv += row + "\n";
    const std::size_t account = csv.find("\n1,94002,");
    ASSERT_NE(account, std::string::npos) << csv;
    std::string row = csv.substr(account + 1, csv.find('\n', account + 1) - account - 1);
    std::vector<std::string> cells;
    for (std::size_t from = 0, comma;; from = comma + 1) {
        comma = row.find(',', from);
        cells.push_back(row.substr(from, comma - from));
        if (comma == std::string::npos) break;
    }
    cells[3] = "-7";  // VX_RUB
    std::string changed;
    for (const std::string& c : cells) changed += (changed.empty() ? "" : ",") + c;
    csv.replace(account + 1, row.size(), changed);
    WriteText(dir / "g.csv", csv);
    ASSERT_EQ(RunF101({"import", dir / "g.csv", folder + "F101_4.DB", "--replace"}).status, 0);

    ASSERT_NE(ReadBytes(baseline).find("\"row\":50,"), std::string::npos);
    ProcessResult moved = RunF101({"check", folder, "--chapter", "Г", "--severity", "error"});
    EXPECT_EQ(moved.out.find("\n50: E101197"), std::string::npos) << moved.out;
    EXPECT_EQ(Count(moved.out, ": E101197 "), 2u) << moved.out;

    r = RunF101({"check", folder, "--baseline", baseline, "--chapter", "Г", "--json"});
    EXPECT_EQ(r.status, 1) << r.err;
    const auto records = JsonLines(r.out);
    std::set<std::string> shown;
    for (const json& j : records)
        if (j["severity"] == "error" || j["severity"] == "warning") shown.insert(j["code"].get<std::string>());
    EXPECT_TRUE(shown.count("E101116")) << r.out;
    EXPECT_FALSE(shown.count("E101197")) << r.out;
    EXPECT_FALSE(shown.count("E101107")) << r.out;
    EXPECT_EQ(records.back()["set_aside"], 5) << records.back().dump();  // four errors and W101101
    EXPECT_EQ(records.back()["errors"], static_cast<int>(Count(r.out, "\"severity\":\"error\"")));

    // A baseline that is not there, or not a baseline, is refused before anything runs.
    r = RunF101({"check", folder, "--baseline", dir / "none.jsonl"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("none.jsonl: no such baseline file"), std::string::npos) << r.err;
    WriteText(dir / "bad.jsonl", ReadBytes(baseline).substr(0, 40) + "\n");
    r = RunF101({"check", folder, folder, "--baseline", dir / "bad.jsonl"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("bad.jsonl:1: not a baseline record"), std::string::npos) << r.err;
}

TEST(F101KnownFindings, ABatchRecordsOneBaselineAndSaysHowManyItSetAside) {
    TempDir dir;
    const std::vector<std::string> folders = {ImportInstitution(dir, "1481"), ImportInstitution(dir, "3447")};
    const std::string baseline = dir / "known.jsonl";
    ProcessResult r = RunF101({"check", folders[0], folders[1], "--write-baseline", baseline, "--quiet"});
    ASSERT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(TextLines(ReadBytes(baseline)).size(), 14u);  // 9 and 5

    r = RunF101({"check", folders[0], folders[1], "--baseline", baseline, "--quiet"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("2 reports: 0 errors, 0 warnings, 0 failures, 14 set aside by the baseline"),
              std::string::npos)
        << r.out;
    // The baseline is the reports': it sets aside nothing of another institution.
    r = RunF101({"check", ImportInstitution(dir, "2618"), "--baseline", baseline, "--quiet"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(", 0 set aside by the baseline"), std::string::npos) << r.out;
}

TEST(F101KnownFindings, StatisticsCountTheFindingsShownByCode) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "1481");
    ProcessResult r = RunF101({"check", folder, "--statistics"});
    ASSERT_EQ(r.status, 1) << r.err;
    const auto lines = TextLines(r.out);
    const auto by = std::find(lines.begin(), lines.end(), "== by code ==");
    ASSERT_NE(by, lines.end()) << r.out;
    EXPECT_GT(by - lines.begin(), 10);  // after the findings
    EXPECT_EQ(lines.end() - by, 6);     // four codes, then the summary line
    EXPECT_EQ(by[1].rfind("      4  W101101  warning     1 report   ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ", 0), 0u) << by[1];
    EXPECT_NE(r.out.find("      2  E101197  error       1 report   СЧЕТ НЕ ПРИНАДЛЕЖИТ"), std::string::npos);

    // With --quiet the counts alone; in JSON a record per code before the summary.
    ProcessResult quiet = RunF101({"check", folder, "--statistics", "--quiet", "--ignore", "W101101,W101198"});
    EXPECT_EQ(TextLines(quiet.out).size(), 4u) << quiet.out;
    EXPECT_EQ(quiet.out.rfind("== by code ==\n", 0), 0u) << quiet.out;
    ProcessResult j = RunF101({"check", folder, "--statistics", "--json", "--severity", "error"});
    const auto records = JsonLines(j.out);
    ASSERT_GE(records.size(), 3u);
    const json& last = records[records.size() - 2];
    EXPECT_EQ(last["severity"], "statistics") << last.dump();
    EXPECT_EQ(last["findings"], 2);
    EXPECT_EQ(last["finding_severity"], "error");
    EXPECT_EQ(last["reports"], 1);
    for (const json& rec : records) EXPECT_NE(rec["code"], "W101101") << rec.dump();
}

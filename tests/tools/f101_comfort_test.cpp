// f101 check as a separate process, for the person at the terminal and the one reading a batch:
// severities in colour only where the terminal takes them, a progress line that shows the
// chapter, the row and the time taken, chapters without anything to show not headed, and the
// summary of a batch in the order of registration numbers, with the institutions' names, as a
// table, as CSV and as the last JSON record.
#include <nlohmann/json.hpp>
#include <regex>

#include "f101_fixture.h"
#include "pty_process.h"

using namespace tesma;
using namespace tesma::testing;
using nlohmann::json;

namespace {

const std::string kBankNames = std::string(TESMA_DEMO_DIR) + "/bank-names.csv";

// The dated folders of institutions of the sample sheets, with their names, in the order asked.
std::vector<std::string> ImportNamed(const TempDir& dir, const std::vector<std::string>& regns) {
    std::string list;
    for (const std::string& r : regns) list += (list.empty() ? "" : ",") + r;
    ProcessResult r = RunF101({"import-published", kSampleSheets, "--regn", list, "--out", dir / "tree", "--chart",
                               kDemoSigns, "--names", kBankNames});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> folders;
    for (const std::string& regn : regns) folders.push_back(dir / ("tree/" + regn + "/F101/20151201/"));
    return folders;
}

json LastRecord(const std::string& out) { return JsonLines(out).back(); }

}  // namespace

TEST(F101Comfort, SeveritiesInColourOnlyOnATerminalThatTakesThem) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "1481");
    const std::string damaged = folder + "F101_3.DB";
    WriteText(damaged, ReadBytes(damaged).substr(0, 3000));
    const std::vector<std::string> args = {kF101, "check", folder, "--protocol", dir / "p.txt"};
    {
        // "NO_COLOR" alone takes the variable out of the environment.
        PtyProcess p(args, {"TERM=xterm", "NO_COLOR"});
        EXPECT_EQ(p.Wait(), 3) << p.Screen();
        EXPECT_NE(p.Screen().find("\x1b[31m50: E101197\x1b[0m СЧЕТ НЕ ПРИНАДЛЕЖИТ"), std::string::npos) << p.Screen();
        EXPECT_NE(p.Screen().find("\x1b[33m511: W101101\x1b[0m ПРЕДЫДУЩАЯ"), std::string::npos);
        EXPECT_NE(p.Screen().find("\x1b[1mf101: table file " + damaged), std::string::npos);
    }
    for (const std::vector<std::string>& env :
         {std::vector<std::string>{"TERM=xterm", "NO_COLOR=1"}, std::vector<std::string>{"TERM=dumb", "NO_COLOR"}}) {
        PtyProcess p(args, env);
        EXPECT_EQ(p.Wait(), 3);
        EXPECT_NE(p.Screen().find("50: E101197"), std::string::npos) << env[1];
        EXPECT_EQ(p.Screen().find('\x1b'), std::string::npos) << env[1];
    }
    // Standard output to a file: no colour there, the bold failure still on the terminal.
    PtyProcess p(args, {"TERM=xterm", "NO_COLOR"}, dir / "out.txt");
    EXPECT_EQ(p.Wait(), 3);
    EXPECT_NE(ReadBytes(dir / "out.txt").find("\n50: E101197 "), std::string::npos);
    EXPECT_EQ(ReadBytes(dir / "out.txt").find('\x1b'), std::string::npos);
    EXPECT_NE(p.Screen().find("\x1b[1mf101: "), std::string::npos);
}

TEST(F101Comfort, TheProgressLineShowsTheChapterTheRowAndTheTimeTaken) {
    TempDir dir;
    const std::string folder = ImportWithLongChapterB(dir);
    PtyProcess p({kF101, "check", folder, "--chapter", "Б", "--protocol", dir / "p.txt"}, {"TERM=xterm"},
                 dir / "out.txt");
    EXPECT_EQ(p.Wait(std::chrono::minutes(3)), 1) << p.Screen();  // a generous bound: slow under sanitizers
    const std::regex line(
        "Идет контроль  [0-9]{2}:[0-9]{2}:[0-9]{2}  [0-9]+:[0-9]{2}  строка ([0-9]+)  "
        "Контроль формы 101 Глава Б\\.");
    std::smatch m;
    const std::string screen = p.Screen();
    ASSERT_TRUE(std::regex_search(screen, m, line)) << screen.substr(0, 2000);
    EXPECT_GT(std::stoi(m[1]), 0);
}

TEST(F101Comfort, UnderSeverityOnlyChaptersWithSomethingToShowAreHeaded) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "1481");
    ProcessResult r = RunF101({"check", folder, "--severity", "error"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(TextLines(r.out).front(), "== Глава Г (F101_4.DB) ==") << r.out;
    EXPECT_EQ(Count(r.out, "== Глава"), 1u) << r.out;
    EXPECT_EQ(Count(RunF101({"check", folder, "--severity", "warning"}).out, "== Глава"), 5u);
}

TEST(F101Comfort, ABatchSummaryInTheOrderOfRegistrationNumbersWithNames) {
    TempDir dir;
    const auto folders = ImportNamed(dir, {"3447", "1481", "2618"});
    ProcessResult r =
        RunF101({"check", folders[0], folders[1], folders[2], "--quiet", "--summary-csv", dir / "summary.csv"});
    EXPECT_EQ(r.status, 1) << r.err;
    // --quiet: the table once, nothing before it.
    const auto lines = TextLines(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(lines[0].rfind("report ", 0), 0u);
    EXPECT_NE(lines[0].find("  regn  bank "), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].rfind(folders[1] + "  1481  ОАО \"Сбербанк России\" ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind(folders[2] + "  2618  ОАО АКБ \"МЕЖДУНАРОДНЫЙ ФИНАНСОВ…", 0), 0u) << lines[2];
    EXPECT_EQ(lines[3].rfind(folders[0] + "  3447  РНКО \"ИРЦ\" ЗАО ", 0), 0u) << lines[3];
    EXPECT_EQ(lines[4].rfind("3 reports: ", 0), 0u);
    const auto csv = TextLines(ReadBytes(dir / "summary.csv"));
    ASSERT_EQ(csv.size(), 4u);
    EXPECT_EQ(csv[0], "report,regn,bank_name,errors,warnings,failures,seconds,exit,state");
    EXPECT_EQ(csv[1].rfind(folders[1] + ",1481,\"ОАО \"\"Сбербанк России\"\"\",4,5,0,", 0), 0u) << csv[1];
    EXPECT_EQ(csv[3].rfind(folders[0] + ",3447,", 0), 0u) << csv[3];

    // JSON Lines end with the batch's summary record; each report's records end with its own.
    ProcessResult j = RunF101({"check", folders[0], folders[1], "--json"});
    const json last = LastRecord(j.out);
    EXPECT_EQ(last["severity"], "summary");
    EXPECT_TRUE(last["report"].is_null());
    EXPECT_EQ(last["reports"], 2);
    EXPECT_EQ(last["errors"], 4);
    EXPECT_EQ(last["exit_status"], 1);
    EXPECT_EQ(Count(j.out, "\"severity\":\"summary\""), 3u);

    // One report: the summary CSV and record too, and "1 report".
    r = RunF101({"check", folders[1], "--summary-csv", dir / "one.csv", "--json"});
    EXPECT_EQ(TextLines(ReadBytes(dir / "one.csv")).size(), 2u);
    EXPECT_EQ(LastRecord(r.out)["report"], folders[1]);
    EXPECT_EQ(LastRecord(r.out)["bank_name"], "ОАО \"Сбербанк России\"");
    r = RunF101({"check", dir / "tree/1481", "--recursive", "--quiet"});
    EXPECT_EQ(TextLines(r.out).back().rfind("1 report: 4 errors, 5 warnings, 0 failures, in ", 0), 0u) << r.out;
}

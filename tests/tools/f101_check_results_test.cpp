// f101 check as a separate process: a damaged chapter table is that chapter's failure (a JSON
// record naming the file) and the other chapters are checked; a failure of the check as a
// whole is a JSON record too; a stop before the first run says that nothing was checked; a
// batch prints each report exactly as a check of that report alone prints it.
#include <nlohmann/json.hpp>

#include "f101_fixture.h"
#include "pty_process.h"

using namespace tesma;
using namespace tesma::testing;
using nlohmann::json;

namespace {

std::vector<json> JsonRecords(const std::string& out) {
    std::vector<json> records;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) records.push_back(json::parse(line));
    return records;
}

std::vector<json> Failures(const std::vector<json>& records) {
    std::vector<json> out;
    for (const json& j : records)
        if (j["severity"] == "failure") out.push_back(j);
    return out;
}

void CutTable(const std::string& path) { WriteText(path, ReadBytes(path).substr(0, 3000)); }

}  // namespace

TEST(F101CheckFailures, ADamagedChapterTableIsThatChaptersFailureAndTheOthersAreChecked) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "1481");
    const std::string table = folder + "F101_3.DB";
    CutTable(table);
    const std::string cut = ReadBytes(table);

    ProcessResult j = RunF101({"check", folder, "--json"});
    EXPECT_EQ(j.status, 3) << j.err;
    const auto records = JsonRecords(j.out);
    const auto failures = Failures(records);
    ASSERT_EQ(failures.size(), 1u) << j.out;
    EXPECT_EQ(failures[0]["file"], table);
    EXPECT_EQ(failures[0]["chapter"], "В");
    EXPECT_EQ(failures[0]["table"], "F101_3.DB");
    EXPECT_NE(failures[0]["message"].get<std::string>().find(table), std::string::npos);
    std::set<std::string> checked;  // chapters whose controls wrote their header
    for (const json& r : records)
        if (r["severity"] == "info" && r["message"].get<std::string>().rfind("**", 0) == 0)
            checked.insert(r["chapter"]);
    EXPECT_EQ(checked, (std::set<std::string>{"А", "Б", "Г", "Д"})) << j.out;

    ProcessResult text = RunF101({"check", folder});
    EXPECT_EQ(text.status, 3);
    EXPECT_EQ(Count(text.err, "F101_3.DB"), 1u) << text.err;
    for (const char* heading : {"== Глава А (F101_1.DB) ==", "== Глава В (F101_3.DB) ==", "== Глава Д (F101_5.DB) =="})
        EXPECT_NE(text.out.find(heading), std::string::npos) << heading << "\n" << text.out;
    EXPECT_NE(text.out.find(", 1 failure\n"), std::string::npos) << text.out;

    // A chapter whose table is sound is checked as if the damaged one were not there.
    ProcessResult a = RunF101({"check", folder, "--chapter", "А"});
    EXPECT_TRUE(a.status == 0 || a.status == 1) << a.status << a.err;
    EXPECT_EQ(a.err, "");
    EXPECT_NE(a.out.find("**Контроль формы 101 Глава А"), std::string::npos) << a.out;
    EXPECT_NE(a.out.find(", 0 failures\n"), std::string::npos) << a.out;
    EXPECT_EQ(ReadBytes(table), cut);
}

TEST(F101CheckFailures, AFailureOfTheWholeCheckIsAJsonRecordToo) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    WriteText(folder + "rfdef.DB", "not a table at all");
    ProcessResult r = RunF101({"check", folder, "--json"});
    EXPECT_EQ(r.status, 3);
    const auto failures = Failures(JsonRecords(r.out));
    ASSERT_EQ(failures.size(), 1u) << r.out;
    EXPECT_EQ(failures[0]["file"], folder + "rfdef.DB");
    EXPECT_TRUE(failures[0]["chapter"].is_null());
    EXPECT_NE(r.err.find("rfdef.DB"), std::string::npos) << r.err;
}

TEST(F101CheckStop, AStopBeforeTheFirstRunSaysNothingWasChecked) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    const std::vector<std::string> env = {"TERM=xterm", "TMPDIR=" + dir.path()};
    {
        PtyProcess p({kF101, "check", folder}, env, dir / "out.txt");
        ASSERT_TRUE(p.WaitFor("Идет контроль")) << p.Screen();
        p.Type("\x03");
        EXPECT_EQ(p.Wait(), 130) << p.Screen();
        EXPECT_NE(p.Screen().find("nothing was checked"), std::string::npos) << p.Screen();
        EXPECT_EQ(ReadBytes(dir / "out.txt"), folder + ": nothing was checked (stopped before the first run)\n");
    }
    {
        PtyProcess p({kF101, "check", folder, "--json", "--quiet"}, env, dir / "out.json");
        ASSERT_TRUE(p.WaitFor("Идет контроль")) << p.Screen();
        p.Type("\x03");
        EXPECT_EQ(p.Wait(), 130) << p.Screen();
        const auto records = JsonRecords(ReadBytes(dir / "out.json"));
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0]["severity"], "stopped");
        EXPECT_NE(records[0]["message"].get<std::string>().find("nothing was checked"), std::string::npos);
        EXPECT_EQ(records[1]["checked"], false) << records[1].dump();
    }
}

TEST(F101Batch, PrintsEachReportExactlyAsACheckOfItAlone) {
    TempDir dir;
    std::vector<std::string> folders = {ImportInstitution(dir, "1481"), ImportInstitution(dir, "2618"),
                                        ImportInstitution(dir, "3447")};
    CutTable(folders[1] + "F101_3.DB");
    WriteText(folders[2] + "rfdef.DB", "not a table at all");
    folders.push_back(dir / "nowhere/F101/20151201");  // refused: no such folder
    // A first check rebuilds the total rows; from then on every check of a report prints the same.
    for (const std::string& f : folders) RunF101({"check", f, "--quiet"});

    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--explain"}, std::vector<std::string>{"--json", "--explain"},
          std::vector<std::string>{"--severity", "warning"}}) {
        const bool asJson = options.front() == "--json";
        std::string out, err;
        for (const std::string& f : folders) {
            std::vector<std::string> args = {"check", f};
            args.insert(args.end(), options.begin(), options.end());
            const ProcessResult alone = RunF101(args);
            out += (asJson ? "" : "#### " + f + "\n") + alone.out;
            err += alone.err;
        }
        std::vector<std::string> args = {"check"};
        args.insert(args.end(), folders.begin(), folders.end());
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), {"-j", "2"});
        const ProcessResult batch = RunF101(args);
        EXPECT_EQ(batch.status, 3) << batch.err;
        // Then the summary table: on standard error with --json.
        EXPECT_EQ(batch.out.substr(0, out.size()), out) << options.front();
        EXPECT_EQ(batch.err.substr(0, err.size()), err) << options.front();
        EXPECT_EQ((asJson ? batch.err : batch.out).substr((asJson ? err : out).size(), 7), "report ");
    }
}

// f101 for the analyst, run as separate processes: the rule catalogue, findings with context,
// summaries, dry runs, batches of reports and the import of many institutions at once.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "platform/engine/files.h"
#include "platform/engine/paradox.h"
#include "platform/text/cp1251.h"
#include "process.h"
#include "support/tables.h"
#include "support/temp_dir.h"
#include "tesma/tesmaC.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::string kF101 = TESMA_F101_PATH;
const std::string kSample = std::string(TESMA_TEST_DATA) + "/f101-2015-12-01-sample.csv";
const std::string kSigns = std::string(TESMA_DEMO_DIR) + "/account-signs.csv";

ProcessResult F101(std::vector<std::string> args) {
    args.insert(args.begin(), kF101);
    return RunProgram(args, "TESMA_UI=silent");
}

std::string Import(const std::string& out, const std::string& regn) {
    ProcessResult r = F101({"import-published", kSample, "--regn", regn, "--out", out, "--chart", kSigns});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out.substr(0, r.out.find('\n'));
}

std::vector<json> Records(const std::string& out) {
    std::vector<json> records;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) records.push_back(json::parse(line));
    return records;
}

std::vector<std::string> Lines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Changes one field of the first account row (not a total row) of a table.
void SetFirstAccountField(const std::string& path, int field, const engine::Cell& value) {
    engine::TableFile t = engine::ParseParadox(FileBytes(path), path);
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        if (t.Get(r, 1).text.find('(') != std::string::npos) continue;
        t.Set(t.records[r], field, value);
        break;
    }
    engine::ReplaceFileAtomically(path, engine::SerializeParadox(t), path);
}

// The share of Cyrillic letters among the letters of a UTF-8 text.
double CyrillicShare(const std::string& utf8) {
    int letters = 0, cyrillic = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (std::isalpha(c)) ++letters;
        if ((c == 0xD0 || c == 0xD1) && i + 1 < utf8.size()) ++letters, ++cyrillic, ++i;
    }
    return letters == 0 ? 0 : static_cast<double>(cyrillic) / letters;
}

std::size_t Count(const std::string& haystack, const std::string& needle) {
    std::size_t n = 0;
    for (auto at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + needle.size())) ++n;
    return n;
}

// Every file under a folder with its bytes.
std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[e.path().string()] = FileBytes(e.path().string());
    return files;
}

}  // namespace

TEST(F101Rules, TheCatalogueHoldsExactlyTheCodesTheProceduresWrite) {
    std::set<std::string> written;
    const std::regex code("\"([EW][0-9]{5,})\"");
    for (const auto& e : fs::directory_iterator(std::string(TESMA_SOURCE_DIR) + "/src/controls")) {
        const std::string source = FileBytes(e.path().string());
        for (std::sregex_iterator it(source.begin(), source.end(), code), end; it != end; ++it)
            written.insert((*it)[1].str());
    }
    ASSERT_TRUE(written.count("E46100") && written.count("E1010125") && written.count("W101101")) << written.size();

    ProcessResult r = F101({"rules", "--json", "--lang", "en"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::set<std::string> catalogued;
    std::map<std::string, std::string> english;
    for (const json& j : Records(r.out)) {
        const std::string c = j["code"];
        EXPECT_TRUE(catalogued.insert(c).second) << "twice in the catalogue: " << c;
        EXPECT_EQ(j["severity"], c[0] == 'W' ? "warning" : "error") << c;
        EXPECT_FALSE(j["chapters"].empty()) << c;
        EXPECT_TRUE(j["procedure"] == "balance" || j["procedure"] == "cross-checks") << c;
        EXPECT_FALSE(j["messages"].empty()) << c;
        english[c] = j["explanation"];
        EXPECT_GT(english[c].size(), 20u) << c;
        EXPECT_LT(CyrillicShare(english[c]), 0.1) << c << ": " << english[c];
    }
    // Every rule is explained in Russian too, in words of its own (not the English text).
    r = F101({"rules", "--json", "--lang", "ru"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::set<std::string> inRussian;
    for (const json& j : Records(r.out)) {
        const std::string c = j["code"], explanation = j["explanation"];
        inRussian.insert(c);
        EXPECT_GT(explanation.size(), 40u) << c;
        EXPECT_GT(CyrillicShare(explanation), 0.7) << c << ": " << explanation;
        EXPECT_NE(explanation, english[c]) << c;
    }
    EXPECT_EQ(inRussian, catalogued);
    for (const std::string& c : written)
        EXPECT_TRUE(catalogued.count(c)) << c << " is written but not in the catalogue";
    for (const std::string& c : catalogued)
        EXPECT_TRUE(written.count(c)) << c << " is in the catalogue but no procedure writes it";

    r = F101({"rules", "e46100", "W101101"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("E46100"), 0u) << r.out;
    EXPECT_NE(r.out.find("ВВЕДЕН НЕКОРРЕКТНО"), std::string::npos);
    EXPECT_NE(r.out.find("W101101"), std::string::npos);
    r = F101({"rules", "E999999"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("E999999"), std::string::npos);
}

TEST(F101Rules, ExplanationsFollowLangElseTheLocale) {
    const auto explanation = [](const std::string& environment, std::vector<std::string> args) {
        args.insert(args.begin(), kF101);
        ProcessResult r = RunProgram(args, "env -u LC_ALL -u LC_MESSAGES -u LANG TESMA_UI=silent " + environment);
        EXPECT_EQ(r.status, 0) << r.err;
        return Records(r.out).at(0)["explanation"].get<std::string>();
    };
    const std::string ru = "Активный счёт, рубли: входящий остаток плюс оборот по дебету";
    const std::string en = "Active account, roubles: incoming + debit";
    const std::vector<std::string> rule = {"rules", "E101121", "--json"};
    EXPECT_EQ(explanation("LANG=ru_RU.UTF-8", rule).rfind(ru, 0), 0u);
    EXPECT_EQ(explanation("LANG=en_US.UTF-8", rule).rfind(en, 0), 0u);
    EXPECT_EQ(explanation("", rule).rfind(en, 0), 0u);
    // The first of LC_ALL, LC_MESSAGES and LANG that is set decides; --lang overrides them all.
    EXPECT_EQ(explanation("LC_ALL=C LANG=ru_RU.UTF-8", rule).rfind(en, 0), 0u);
    EXPECT_EQ(explanation("LC_MESSAGES=ru_RU.UTF-8 LANG=C", rule).rfind(ru, 0), 0u);
    std::vector<std::string> english = rule;
    english.insert(english.end(), {"--lang", "EN"});
    EXPECT_EQ(explanation("LC_ALL=ru_RU.UTF-8", english).rfind(en, 0), 0u);
    EXPECT_EQ(F101({"rules", "--lang", "de"}).status, 2);

    // --explain in the language chosen, in text and in JSON.
    TempDir dir;
    const std::string folder = Import(dir / "1481", "1481");
    ProcessResult text = F101({"check", folder, "--chapter", "Г", "--severity", "error", "--explain", "--lang", "ru"});
    EXPECT_NE(text.out.find("    -> Счёт не относится к диапазону счетов главы"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("    -> The account"), std::string::npos) << text.out;
    ProcessResult records =
        RunProgram({kF101, "check", folder, "--chapter", "Г", "--severity", "error", "--explain", "--json"},
                   "env -u LC_ALL -u LC_MESSAGES TESMA_UI=silent LANG=ru_RU.UTF-8");
    ASSERT_FALSE(Records(records.out).empty()) << records.err;
    EXPECT_EQ(Records(records.out).at(0)["explanation"].get<std::string>().rfind("Счёт не относится", 0), 0u)
        << records.out;
}

TEST(F101Check, JsonRecordsNameReportChapterProcedureTableAccountAndSign) {
    TempDir dir;
    const std::string folder = Import(dir / "2704", "2704");
    // A negative amount in the first account row of every chapter, and a state requisite that
    // the cross-checks refuse.
    for (const char* file : {"F101_1.DB", "F101_2.DB", "F101_3.DB", "F101_4.DB"})
        SetFirstAccountField(folder + file, 3, engine::Cell::Real(-5));
    SetFirstAccountField(folder + "F101_5.DB", 5, engine::Cell::Text("-5"));
    {
        const std::string path = folder + "REKW_F101.DB";
        engine::TableFile t = engine::ParseParadox(FileBytes(path), path);
        for (std::size_t i = 0; i < t.records.size(); ++i)
            if (t.Get(i, 0).text == "BNK_STATE") t.Set(t.records[i], 1, engine::Cell::Text("X"));
        engine::ReplaceFileAtomically(path, engine::SerializeParadox(t), path);
    }

    ProcessResult r = F101({"check", folder, "--json"});
    ASSERT_EQ(r.status, 1) << r.err;
    std::map<std::string, json> negative;  // chapter -> its E101116 record
    bool crossCheck = false;
    const std::map<std::string, std::string> tables = {
        {"А", "F101_1.DB"}, {"Б", "F101_2.DB"}, {"В", "F101_3.DB"}, {"Г", "F101_4.DB"}, {"Д", "F101_5.DB"}};
    auto all = Records(r.out);
    ASSERT_EQ(all.back()["severity"], "summary");  // the last record sums the report up
    all.pop_back();
    for (const json& j : all) {
        for (const char* key :
             {"row", "code", "severity", "message", "report", "chapter", "procedure", "table", "account", "sign"})
            ASSERT_TRUE(j.contains(key)) << key << " missing in " << j.dump();
        EXPECT_EQ(j["report"], folder);
        EXPECT_EQ(j["table"], tables.at(j["chapter"]));
        if (j["code"] == "E101116") negative[j["chapter"]] = j;
        if (j["code"] == "E101136") {
            crossCheck = true;
            EXPECT_EQ(j["procedure"], "cross-checks");
            EXPECT_EQ(j["chapter"], "А");
            EXPECT_TRUE(j["account"].is_null());
        }
    }
    EXPECT_TRUE(crossCheck) << r.out;
    ASSERT_EQ(negative.size(), 5u) << r.out;
    for (const auto& [chapter, j] : negative) {
        EXPECT_EQ(j["procedure"], "balance") << chapter;
        EXPECT_EQ(j["severity"], "error");
        ASSERT_TRUE(j["account"].is_string()) << j.dump();
        const std::string account = j["account"], sign = j["sign"];
        EXPECT_EQ(account.size(), 5u);
        EXPECT_TRUE(sign == "А" || sign == "П") << j.dump();
        EXPECT_NE(j["message"].get<std::string>().find("Б/С " + account + sign), std::string::npos) << j.dump();
    }
    {
        const std::string path = folder + "F101_1.DB";
        engine::TableFile t = engine::ParseParadox(FileBytes(path), path);
        EXPECT_EQ(negative["А"]["account"], t.Get(0, 1).text);  // the row made negative
    }
}

TEST(F101Check, TextHeadsEachChapterEndsWithASummaryAndFiltersBySeverity) {
    TempDir dir;
    const std::string folder = Import(dir / "1481", "1481");
    ProcessResult json = F101({"check", folder, "--json"});
    ASSERT_EQ(json.status, 1) << json.err;
    int errors = 0, warnings = 0;
    for (const auto& j : Records(json.out)) errors += j["severity"] == "error", warnings += j["severity"] == "warning";
    ASSERT_GT(errors, 0);
    ASSERT_GT(warnings, 0);

    ProcessResult text = F101({"check", folder});
    ASSERT_EQ(text.status, 1) << text.err;
    auto lines = Lines(text.out);
    std::vector<std::string> headings;
    for (const auto& l : lines)
        if (l.rfind("== ", 0) == 0) headings.push_back(l);
    EXPECT_EQ(headings, (std::vector<std::string>{
                            "== Глава А (F101_1.DB) ==", "== Глава Б (F101_2.DB) ==", "== Глава В (F101_3.DB) ==",
                            "== Глава Г (F101_4.DB) ==", "== Глава Д (F101_5.DB) =="}));
    const std::string summary =
        folder + ": " + std::to_string(errors) + " errors, " + std::to_string(warnings) + " warnings, 0 failures";
    EXPECT_EQ(lines.back(), summary);

    ProcessResult quiet = F101({"check", folder, "--quiet"});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, summary + "\n");

    ProcessResult onlyErrors = F101({"check", folder, "--severity", "error", "--json", "--explain"});
    EXPECT_EQ(onlyErrors.status, 1);
    auto records = Records(onlyErrors.out);
    ASSERT_EQ(records.back()["severity"], "summary");
    EXPECT_EQ(records.back()["errors"], errors);
    records.pop_back();
    EXPECT_EQ(static_cast<int>(records.size()), errors);
    for (const auto& j : records) {
        EXPECT_EQ(j["severity"], "error");
        EXPECT_TRUE(j["explanation"].is_string()) << j.dump();
    }
    ProcessResult explained = F101({"check", folder, "--chapter", "Г", "--severity", "warning", "--explain"});
    EXPECT_NE(explained.out.find("W101101"), std::string::npos);
    EXPECT_NE(explained.out.find("    -> The account does not belong to the chapter's range"), std::string::npos)
        << explained.out;
    EXPECT_EQ(explained.out.find("**Контроль"), std::string::npos);  // info lines are filtered out too
    EXPECT_EQ(F101({"check", folder, "--severity", "info"}).status, 2);
}

TEST(F101Check, ADryRunChangesNoFileAndPrintsTheLinesOfARealRun) {
    TempDir dir;
    const std::string folder = Import(dir / "2618", "2618");
    // A wrong total row and an unnormalised depository amount: a real run rewrites both.
    {
        const std::string path = folder + "F101_1.DB";
        engine::TableFile t = engine::ParseParadox(FileBytes(path), path);
        for (std::size_t i = 0; i < t.records.size(); ++i)
            if (t.Get(i, 1).text.find('(') != std::string::npos) t.Set(t.records[i], 3, engine::Cell::Real(1));
        engine::ReplaceFileAtomically(path, engine::SerializeParadox(t), path);
    }
    SetFirstAccountField(folder + "F101_5.DB", 5, engine::Cell::Text("00012.50"));
    const auto before = Tree(dir.path());

    ProcessResult dry = F101({"check", folder, "--dry-run"});
    ASSERT_TRUE(dry.status == 0 || dry.status == 1) << dry.err;
    EXPECT_EQ(Tree(dir.path()), before) << "the dry run changed a file or left one behind";

    ProcessResult real = F101({"check", folder, "--protocol", dir / "protocol.txt"});
    EXPECT_EQ(real.status, dry.status);
    EXPECT_EQ(real.out, dry.out);
    EXPECT_NE(FileBytes(folder + "F101_1.DB"), before.at(folder + "F101_1.DB"))
        << "the real run should rewrite the totals";
    EXPECT_NE(FileBytes(folder + "F101_5.DB"), before.at(folder + "F101_5.DB"));

    // An explicit protocol file still gets the lines in a dry run.
    const auto afterReal = FileBytes(folder + "F101_1.DB");
    ProcessResult toFile = F101({"check", folder, "--dry-run", "--chapter", "A", "--protocol", dir / "dry.txt"});
    EXPECT_NE(FileBytes(dir / "dry.txt").find("**Контроль формы 101 Глава А. Баланс 1-я часть\r\n"_cp),
              std::string::npos);
    EXPECT_EQ(FileBytes(folder + "F101_1.DB"), afterReal);
}

TEST(F101Batch, ManyReportsRunInParallelGroupedWithASummaryAndTheWorstStatus) {
    TempDir dir;
    std::vector<std::string> folders;
    for (const char* regn : {"1481", "2618", "3447"})
        folders.push_back(Import(dir / ("tree/" + std::string(regn)), regn));
    // The second report's chapter А table is damaged.
    const std::string damaged = folders[1] + "F101_1.DB";
    WriteBytes(damaged, FileBytes(damaged).substr(0, 3000));

    ProcessResult r =
        F101({"check", folders[0], folders[1], folders[2], "-j", "2", "--summary-csv", dir / "summary.csv"});
    EXPECT_EQ(r.status, 3) << r.err;
    // Each report's block whole and in the order given: its heading, its chapters, its summary.
    auto lines = Lines(r.out);
    std::vector<std::string> order;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("#### ", 0) != 0) continue;
        order.push_back(lines[i].substr(5));
        std::size_t j = i + 1;
        while (j < lines.size() && lines[j].rfind("#### ", 0) != 0 && lines[j].rfind("report ", 0) != 0) ++j;
        EXPECT_EQ(lines[j - 1].rfind(order.back() + ": ", 0), 0u) << lines[j - 1];
    }
    EXPECT_EQ(order, folders);
    EXPECT_NE(r.err.find("F101_1.DB"), std::string::npos) << r.err;
    const auto csv = Lines(FileBytes(dir / "summary.csv"));
    ASSERT_EQ(csv.size(), 4u);
    EXPECT_EQ(csv[0], "report,regn,bank_name,errors,warnings,failures,seconds,exit,state");
    EXPECT_EQ(csv[2].rfind(folders[1] + ",", 0), 0u);
    EXPECT_NE(csv[2].find(",3,done"), std::string::npos) << csv[2];
    EXPECT_NE(csv[1].find(",1,done"), std::string::npos) << csv[1];

    // The same three found under the root; with --quiet the summary table alone, each report once.
    ProcessResult found = F101({"check", dir / "tree", "--recursive", "--quiet"});
    EXPECT_EQ(found.status, 3);
    for (const auto& f : folders) EXPECT_EQ(Count(found.out, f), 1u) << found.out;
    EXPECT_NE(found.out.find("3 reports: "), std::string::npos) << found.out;
    EXPECT_EQ(F101({"check", dir / "nothing-here", "--recursive"}).status, 2);
    EXPECT_EQ(F101({"check", folders[0], folders[2], "--protocol", dir / "p.txt"}).status, 2);
}

TEST(F101Batch, AStopEndsTheWholeBatchCleanly) {
    TempDir dir;
    const std::string first = Import(dir / "tree/a", "1481");
    std::vector<std::string> folders;
    for (int i = 0; i < 12; ++i) {
        const std::string copy = dir / ("tree/c" + std::to_string(i) + "/F101/20151201/");
        fs::create_directories(copy);
        for (const auto& e : fs::directory_iterator(first))
            fs::copy_file(e.path(), copy + e.path().filename().string());
    }
    const auto before = Tree(dir / "tree");
    const std::string out = dir / "out.txt";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::setenv(TESMA_ENV_UI, "silent", 1);
        const std::string root = dir / "tree";
        ::execl(kF101.c_str(), kF101.c_str(), "check", root.c_str(), "--recursive", "-j", "1", "--quiet",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Stop once the first report is through (its last chapter written to its protocol).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (FileBytes(first + "protocol.txt").find("Глава Д"_cp) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid, SIGINT);
    int raw = 0;
    ASSERT_EQ(::waitpid(pid, &raw, 0), pid);
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 130);
    const std::string text = FileBytes(out);
    EXPECT_NE(text.find("not run"), std::string::npos) << text;
    EXPECT_NE(text.find("f101: stopped; "), std::string::npos) << text;
    EXPECT_NE(text.find("13 reports: "), std::string::npos) << text;
    // The reports never started are untouched.
    const auto after = Tree(dir / "tree");
    const std::string last = dir / "tree/c9/F101/20151201/F101_1.DB";
    EXPECT_EQ(after.at(last), before.at(last));
}

TEST(F101Import, AllOrSeveralInstitutionsFromOneReadOfTheSheet) {
    TempDir dir;
    ProcessResult r =
        F101({"import-published", kSample, "--regn", "2618, 3447", "--out", dir / "two", "--chart", kSigns});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir / "two/2618/F101/20151201/\n" + dir / "two/3447/F101/20151201/\n");
    const std::string single = Import(dir / "single", "3447");
    for (const char* file :
         {"F101_1.DB", "F101_3.DB", "F101_5.DB", "rfdef.DB", "REP_EKZ.DB", "REKW_F101.DB", "PS_WORK.DB"}) {
        ProcessResult many = F101({"export", dir / "two/3447/F101/20151201/" + file}),
                      one = F101({"export", single + file});
        EXPECT_EQ(many.status, 0);
        EXPECT_TRUE(many.out == one.out && !one.out.empty()) << file;
    }

    r = F101({"import-published", kSample, "--regn", "all", "--out", dir / "all", "--chart", kSigns});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 4u);
    for (const char* regn : {"1481", "2618", "2704", "3447"})
        EXPECT_TRUE(fs::exists(dir / ("all/" + std::string(regn) + "/F101/20151201/F101_1.DB"))) << regn;

    r = F101({"import-published", kSample, "--regn", "2618,77777", "--out", dir / "bad", "--chart", kSigns});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("77777"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "bad/2618"));
    EXPECT_EQ(F101({"import-published", kSample, "--regn", "2618,x", "--out", dir / "bad", "--chart", kSigns}).status,
              2);

    // Importing again over reports that are there, checked or changed since, needs --replace;
    // without it nothing at all is written, not even the institutions that are new.
    const std::string protocol = dir / "two/3447/F101/20151201/protocol.txt";
    WriteBytes(protocol, "an earlier check\r\n");
    const auto before = Tree(dir / "two");
    r = F101({"import-published", kSample, "--regn", "3447,2704", "--out", dir / "two", "--chart", kSigns});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("3447/F101/20151201: a report is there already"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--replace"), std::string::npos) << r.err;
    EXPECT_EQ(Tree(dir / "two"), before);
    EXPECT_FALSE(fs::exists(dir / "two/2704"));
    r = F101({"import-published", kSample, "--regn", "all", "--out", dir / "two", "--chart", kSigns});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("and 1 more"), std::string::npos) << r.err;
    EXPECT_EQ(Tree(dir / "two"), before);
    r = F101(
        {"import-published", kSample, "--regn", "3447,2704", "--out", dir / "two", "--chart", kSigns, "--replace"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(protocol));
    EXPECT_TRUE(fs::exists(dir / "two/2704/F101/20151201/F101_1.DB"));
    EXPECT_TRUE(fs::exists(dir / "two/2618/F101/20151201/F101_1.DB"));
}

TEST(F101Csv, ATableRoundTripsThroughASpreadsheetWithoutAFieldList) {
    TempDir dir;
    WriteBytes(dir / "in.csv", "NBAL2,A_P,IS_RUB,DT,NNN\n30102,А,1.5,2015-12-01,7\n\"79999 (ИТОГО)\",П,,01.11.2015,\n");
    ASSERT_EQ(F101({"import", dir / "in.csv", dir / "T.DB", "--fields", "NBAL2:A25,A_P:A3,IS_RUB:N,DT:D,NNN:I"}).status,
              0);

    // Exported with types, as a spreadsheet saves it: byte-order mark, ';', decimal comma.
    ProcessResult r = F101({"export", dir / "T.DB", "--with-types", "--separator", ";", "--bom"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "\xEF\xBB\xBFNBAL2:A25;A_P:A3;IS_RUB:N;DT:D;NNN:I\n30102;А;1,5;01.12.2015;7\n79999 (ИТОГО);П;;01.11.2015;\n");
    std::string edited = r.out;
    edited.replace(edited.find("1,5"), 3, "2,75");
    WriteBytes(dir / "edited.csv", edited);
    r = F101({"import", dir / "edited.csv", dir / "U.DB"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(F101({"export", dir / "U.DB"}).out,
              "NBAL2,A_P,IS_RUB,DT,NNN\n30102,А,2.75,01.12.2015,7\n79999 (ИТОГО),П,,01.11.2015,\n");

    // Code page 1251 is not guessed at: a message names the option; with it the table is the same.
    r = F101({"export", dir / "U.DB", "--with-types", "--separator", ";", "--encoding", "cp1251"});
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("79999 (ИТОГО);П"_cp), std::string::npos);
    WriteBytes(dir / "cp.csv", r.out);
    r = F101({"import", dir / "cp.csv", dir / "V.DB"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cp.csv:2: the file is not UTF-8 text"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--encoding cp1251"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "V.DB"));
    r = F101({"import", dir / "cp.csv", dir / "V.DB", "--encoding", "cp1251"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(F101({"export", dir / "V.DB"}).out, F101({"export", dir / "U.DB"}).out);

    // A header without types needs a field list; one with both separators needs --separator.
    r = F101({"import", dir / "in.csv", dir / "W.DB"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("has no type: give --fields"), std::string::npos) << r.err;
    WriteBytes(dir / "both.csv", "NBAL2:A25;A_P:A3,X\n");
    r = F101({"import", dir / "both.csv", dir / "W.DB"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--separator"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "W.DB"));
}

TEST(F101Help, EveryCommandShowsItsOptionsAndExitStatuses) {
    for (const char* command :
         {"check", "sort", "fill", "export", "import", "import-published", "reindex", "demo", "rules"}) {
        ProcessResult r = F101({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_NE(r.out.find("Exit status: 0"), std::string::npos) << command << "\n" << r.out;
        EXPECT_NE(r.out.find("OPTIONS"), std::string::npos) << command;
    }
}

// f101 as a user runs it: instances it must not guess, the lines a run appended whatever the
// protocol path is, failures said once, relative paths, the command line, and import-published.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>
#include <nlohmann/json.hpp>
#include <thread>

#include "f101_fixture.h"
#include "platform/text/cp1251.h"
#include "platform/unique_fd.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

const std::string kHeaderD = "**Контроль формы 101 Глава Д. Баланс счетов ДЕПО";

void TwoInstances(const std::string& folder) {
    ReplaceTable(folder + "REP_EKZ.DB", "ID_EKZ,REG_NUM,FILIAL_NUM,FL_CHANGE\n1,2704,0,\n2,2704,7,\n",
                 "ID_EKZ:I,REG_NUM:A20,FILIAL_NUM:A10,FL_CHANGE:A1");
}

}  // namespace

TEST(F101Instances, SeveralInstancesAreRefusedAndListedAndNothingIsTouched) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    TwoInstances(folder);
    const std::string tableBefore = ReadBytes(folder + "F101_1.DB");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"sort", folder, "--chapter", "А"}, {"check", folder}}) {
        ProcessResult r = RunF101(args);
        EXPECT_EQ(r.status, 2) << args[0] << r.err;
        EXPECT_NE(r.err.find("holds 2 report instances"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("ID_EKZ 1  registration number 2704  branch 0"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("ID_EKZ 2  registration number 2704  branch 7"), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadBytes(folder + "F101_1.DB"), tableBefore);
    EXPECT_FALSE(std::filesystem::exists(folder + "protocol.txt"));
    // Named, the instance is used; one the register lacks is refused.
    EXPECT_EQ(RunF101({"check", folder, "--chapter", "Д", "--instance", "1"}).status, 0);
    ProcessResult unknown = RunF101({"sort", folder, "--chapter", "Д", "--instance", "5"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("--instance 5: " + folder + "REP_EKZ.DB holds no such instance"), std::string::npos)
        << unknown.err;
}

TEST(F101Instances, AMissingOverrideFolderIsAUsageError) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    ProcessResult r = RunF101({"check", folder, "--chapter", "А", "--override", dir / "nowhere"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(dir / "nowhere" + ": no such folder"), std::string::npos) << r.err;
}

TEST(F101ReadBack, PrintsExactlyTheNewLinesAfterTheEndOfFileMarkIsCut) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    // An old finding, then the end-of-file mark and bytes after it that the library cuts away.
    WriteText(folder + "protocol.txt",
              "1: E101999 СТАРАЯ ОШИБКА\r\n"_cp + std::string(1, '\x1a') + std::string(40, 'x'));
    ProcessResult r = RunF101({"check", folder, "--chapter", "Д"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const std::string protocol = ReadBytes(folder + "protocol.txt");
    const std::string old = "1: E101999 СТАРАЯ ОШИБКА\r\n"_cp;
    ASSERT_EQ(protocol.substr(0, old.size()), old);
    // What f101 printed, but for its headings and summary, is exactly what the run appended.
    std::string printed;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("== ", 0) != 0 && line.rfind(folder, 0) != 0) printed += line + "\n";
    std::string appended = text::ToUtf8(protocol.substr(old.size()));
    for (std::size_t at; (at = appended.find("\r\n")) != std::string::npos;) appended.replace(at, 2, "\n");
    EXPECT_EQ(printed, appended);
    EXPECT_EQ(printed.substr(0, printed.find('\n')), kHeaderD);
}

TEST(F101ReadBack, NeverBlocksOnStandardOutputDevNullOrAFifo) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    // The protocol on standard output, a pipe: the run's lines come once in code page 1251
    // from the library, once in UTF-8 from f101; nothing waits for input that never comes.
    ProcessResult out;
    {
        const std::string command = "TESMA_UI=silent timeout -k 5 60 '" + kF101 + "' check '" + folder +
                                    "' --chapter Д --protocol /dev/stdout 2>/dev/null </dev/null";
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.out.append(buffer, n);
        const int raw = ::pclose(pipe);
        out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    EXPECT_NE(out.status, 124) << "hung";
    ProcessResult null = RunF101({"check", folder, "--chapter", "Д", "--protocol", "/dev/null"});
    EXPECT_NE(null.status, 124) << "hung";
    const std::string fifo = dir / "protocol.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // The reader is there before f101 starts; a writer end of the test's own keeps the reader
    // from seeing the end before f101 has written, and is closed when f101 is done.
    const int readEnd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(readEnd, 0);
    const int keepOpen = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(keepOpen, 0);
    ::fcntl(readEnd, F_SETFL, ::fcntl(readEnd, F_GETFL) & ~O_NONBLOCK);
    auto reader = std::async(std::launch::async, [readEnd] {
        std::string bytes;
        char chunk[4096];
        for (ssize_t n; (n = ::read(readEnd, chunk, sizeof chunk)) > 0;)
            bytes.append(chunk, static_cast<std::size_t>(n));
        ::close(readEnd);
        return bytes;
    });
    ProcessResult piped = RunF101({"check", folder, "--chapter", "Д", "--protocol", fifo});
    EXPECT_NE(piped.status, 124) << "hung";
    ::close(keepOpen);
    const std::string fifoBytes = reader.get();
    for (const ProcessResult* r : {&out, &null, &piped}) {
        EXPECT_EQ(r->status, 0) << r->err;
        EXPECT_EQ(Count(r->out, kHeaderD + "\n"), 1u) << r->out;
    }
    EXPECT_EQ(null.err, "");
    EXPECT_EQ(piped.err, "");
    EXPECT_NE(out.out.find(text::FromUtf8(kHeaderD) + "\r\n"), std::string::npos);
    EXPECT_EQ(fifoBytes.substr(0, fifoBytes.find("\r\n")), text::FromUtf8(kHeaderD));
}

TEST(F101ReadBack, AFifoReaderWhoComesLateGetsEveryChapterOfAWholeCheck) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    const std::string fifo = dir / "protocol.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // As `cat protocol.fifo & f101 check ...` often goes: f101 first, the reader a moment after.
    auto check = std::async(std::launch::async, [&] { return RunF101({"check", folder, "--protocol", fifo}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto reader = std::async(std::launch::async, [&] {
        std::string bytes;
        const UniqueFd in(::open(fifo.c_str(), O_RDONLY | O_CLOEXEC));
        char chunk[4096];
        for (ssize_t n; in && (n = ::read(in.Get(), chunk, sizeof chunk)) > 0;)
            bytes.append(chunk, static_cast<std::size_t>(n));
        return bytes;
    });
    const ProcessResult r = check.get();
    // A reader still waiting for a writer that never came is let go.
    while (reader.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
        UniqueFd(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    const std::string fifoBytes = reader.get();
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err, "");
    // Every chapter's lines reached the reader, byte for byte those that f101 printed.
    std::string printed;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("== ", 0) != 0 && line.rfind(folder, 0) != 0) printed += line + "\r\n";
    EXPECT_EQ(fifoBytes, text::FromUtf8(printed));
    for (const char* chapter : {"А. Баланс 1-я часть", "Б.", "В.", "Г.", "Д."})
        EXPECT_EQ(Count(fifoBytes, text::FromUtf8("**Контроль формы 101 Глава " + std::string(chapter))), 1u)
            << chapter;
}

TEST(F101Failures, AreSaidOnceEndTheCommandAndAppearInJson) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    // A protocol in a folder that does not exist: every run would fail the same way.
    ProcessResult missing = RunF101({"check", folder, "--protocol", dir / "no/protocol.txt", "--json"});
    EXPECT_EQ(missing.status, 3);
    int said = 0;
    for (const auto& j : JsonLines(missing.out)) {
        if (!j.contains("severity") || j["severity"] != "failure") continue;
        ++said;
        EXPECT_EQ(j["file"], dir / "no/protocol.txt");
    }
    EXPECT_EQ(said, 1) << missing.out;
    EXPECT_EQ(missing.out.find("Глава Б"), std::string::npos) << missing.out;

    // A damaged chart of accounts: said once, and no chapter runs after the one that met it.
    WriteText(folder + "PS_WORK.DB", std::string(300, '\x01'));
    ProcessResult text = RunF101({"check", folder});
    EXPECT_EQ(text.status, 3);
    EXPECT_EQ(Count(text.err, "PS_WORK.DB"), 1u) << text.err;
    EXPECT_EQ(text.out.find("Глава Б"), std::string::npos) << text.out;
    ProcessResult damaged = RunF101({"check", folder, "--json"});
    EXPECT_EQ(damaged.status, 3);
    int failures = 0;
    for (const auto& j : JsonLines(damaged.out)) {
        if (!j.contains("severity") || j["severity"] != "failure") continue;
        ++failures;
        EXPECT_EQ(j["file"], folder + "PS_WORK.DB");
    }
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(damaged.out.find("Глава Б"), std::string::npos) << damaged.out;
}

TEST(F101Paths, RelativeFoldersWorkAndMissingFilesAreNoSuchFile) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    const std::string dated = folder.substr(0, folder.size() - 1);
    ProcessResult here = RunF101({"check", ".", "--chapter", "Д"}, "cd '" + dated + "' && TESMA_UI=silent");
    EXPECT_EQ(here.status, 0) << here.err;
    EXPECT_NE(here.out.find(kHeaderD), std::string::npos);
    ProcessResult below = RunF101({"check", "20151201", "--chapter", "Д"}, "cd '" + dated + "/..' && TESMA_UI=silent");
    EXPECT_EQ(below.status, 0) << below.err;

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"import-published", dir / "none.csv", "--regn", "2704", "--out", dir / "o"},
             {"import-published", dir / "none.csv", "--regn", "2704", "--out", dir / "o", "--chart", kDemoSigns},
             {"export", dir / "none.DB"},
             {"import", dir / "none.csv", dir / "t.DB", "--fields", "A:A5"}}) {
        ProcessResult r = RunF101(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_NE(r.err.find(args[1] + ": no such file"), std::string::npos) << r.err;
    }
}

TEST(F101CommandLine, NamesWhatIsWrongAndSuggests) {
    ProcessResult typo = RunF101({"chek", "x"});
    EXPECT_EQ(typo.status, 2);
    EXPECT_NE(typo.err.find("unknown command 'chek'; did you mean 'check'?"), std::string::npos) << typo.err;
    ProcessResult bogus = RunF101({"--bogus"});
    EXPECT_EQ(bogus.status, 2);
    EXPECT_NE(bogus.err.find("unknown option '--bogus'"), std::string::npos) << bogus.err;
    ProcessResult inner = RunF101({"check", "x", "--chaptr", "А"});
    EXPECT_EQ(inner.status, 2);
    EXPECT_NE(inner.err.find("check: unknown option '--chaptr'; did you mean '--chapter'? (f101 check --help)"),
              std::string::npos)
        << inner.err;
    ProcessResult bare = RunF101({});
    EXPECT_EQ(bare.status, 2);
    EXPECT_NE(bare.err.find("Usage: f101"), std::string::npos) << bare.err;
    ProcessResult help = RunF101({"help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("import-published"), std::string::npos);
    ProcessResult version = RunF101({"-V"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("f101 ", 0), 0u) << version.out;
    EXPECT_EQ(RunF101({"import-published", kSampleSheets, "--regn", "abc", "--out", "/tmp"}).status, 2);
}

TEST(F101CommandLine, HelpOnACommandIsItsHelpAndAnUnknownWordIsOneLineNeverAnAbort) {
    const ProcessResult asked = RunF101({"help", "check"});
    EXPECT_EQ(asked.status, 0);
    EXPECT_EQ(asked.out, RunF101({"check", "--help"}).out);
    EXPECT_EQ(RunF101({"help", "help"}).status, 0);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"help", "nosuch"}, {"--foo", "bar"}}) {
        const ProcessResult r = RunF101(args);
        EXPECT_EQ(r.status, 2) << args[0] << " " << args[1];
        EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
    }
}

TEST(F101CommandLine, AChapterNamedTwiceRunsOnceAndABadOutIsOneLine) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    ProcessResult twice = RunF101({"check", folder, "--chapter", "Д", "--chapter", "D"});
    EXPECT_EQ(twice.status, 0);
    EXPECT_EQ(Count(twice.out, kHeaderD), 1u) << twice.out;
    WriteText(dir / "plain-file", "x");
    for (const std::string& out : {dir / "plain-file", dir / "plain-file/below"}) {
        ProcessResult r =
            RunF101({"import-published", kSampleSheets, "--regn", "2704", "--out", out, "--chart", kDemoSigns});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
        EXPECT_EQ(r.err.rfind("f101: --out " + out + ": ", 0), 0u) << r.err;
    }
}

TEST(F101ImportPublished, ReadsCyrillicSignsNeedsReplaceAndRefusesTheShortForm) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    // The bundled chart writes the signs as "А" and "П": they reach the chart table.
    ProcessResult chart = RunF101({"export", folder + "PS_WORK.DB"});
    ASSERT_EQ(chart.status, 0);
    EXPECT_NE(chart.out.find("10605,31.12.2099,,1,"), std::string::npos) << chart.out.substr(0, 400);
    EXPECT_NE(chart.out.find("10207,31.12.2099,,2,"), std::string::npos);
    // So a wrongly signed account is caught.
    ProcessResult table = RunF101({"export", folder + "F101_1.DB"});
    std::string csv = table.out;
    const std::string active = ",10605,А,";
    const auto at = csv.find(active);
    ASSERT_NE(at, std::string::npos);
    csv.replace(at, active.size(), ",10605,П,");
    ReplaceTable(folder + "F101_1.DB", csv, kChapterFields);
    ProcessResult check = RunF101({"check", folder, "--chapter", "А"});
    EXPECT_NE(check.out.find("E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 10605П"), std::string::npos) << check.out;

    // Over an existing report only with --replace, and then its old protocol goes too.
    ProcessResult again =
        RunF101({"import-published", kSampleSheets, "--regn", "2704", "--out", dir / "2704", "--chart", kDemoSigns});
    EXPECT_EQ(again.status, 2);
    EXPECT_NE(again.err.find("give --replace"), std::string::npos) << again.err;
    EXPECT_TRUE(std::filesystem::exists(folder + "protocol.txt"));
    ProcessResult replaced = RunF101({"import-published", kSampleSheets, "--regn", "2704", "--out", dir / "2704",
                                      "--chart", kDemoSigns, "--replace"});
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_FALSE(std::filesystem::exists(folder + "protocol.txt"));

    WriteText(dir / "short.csv", "REGN,PLAN,NUM_SC,ITOGO,A_P,DT\n1326,А,20309,737096.0000,2,2015-12-01\n");
    ProcessResult shortForm =
        RunF101({"import-published", dir / "short.csv", "--regn", "1326", "--out", dir / "s", "--chart", kDemoSigns});
    EXPECT_EQ(shortForm.status, 2);
    EXPECT_NE(shortForm.err.find("short form of the sheet"), std::string::npos) << shortForm.err;
    EXPECT_NE(shortForm.err.find("not supported"), std::string::npos);
}

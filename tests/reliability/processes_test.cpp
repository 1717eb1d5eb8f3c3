// Kills in the middle of a run, and two runs on one report at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "../tools/process.h"
#include "platform/engine/paradox.h"
#include "platform/engine/query.h"
#include "platform/text/cp1251.h"
#include "support/tables.h"
#include "support/temp_dir.h"
#include "tesma/tesmaC.h"

using namespace tesma;
using namespace tesma::testing;

namespace {

const std::string kF101 = TESMA_F101_PATH;

// Rows of a table without their NNN keys (new total rows get clock-derived keys).
std::vector<std::string> Content(const std::string& bytes, const std::string& path) {
    engine::TableFile t = engine::ParseParadox(bytes, path);
    const int nnn = t.FieldIndex("NNN");
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        std::string row;
        for (std::size_t f = 0; f < t.fields.size(); ++f)
            if (static_cast<int>(f) != nnn)
                row += engine::CellText(t.Get(r, static_cast<int>(f)), engine::KindOf(t.fields[f].type)) + "|";
        rows.push_back(row);
    }
    return rows;
}

pid_t Spawn(const std::vector<std::string>& args) {
    pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::setenv(TESMA_ENV_UI, "silent", 1);
        int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

}  // namespace

TEST(Processes, AKilledRunLeavesEveryTableOldOrNew) {
    TempDir dir;
    ASSERT_EQ(RunProgram({kF101, "demo", dir / "demo"}, "TESMA_UI=silent").status, 0);
    const std::string folder = dir / "demo/F101/20151201/";
    std::vector<std::string> tables;
    for (const char* f : {"F101_1.DB", "F101_3.DB", "F101_4.DB", "F101_5.DB"}) tables.push_back(folder + f);
    std::vector<std::string> oldBytes;
    for (const auto& t : tables) oldBytes.push_back(FileBytes(t));
    // The new versions: one uninterrupted run of every control.
    RunProgram({kF101, "check", folder}, "TESMA_UI=silent");
    std::vector<std::vector<std::string>> newContent;
    for (const auto& t : tables) newContent.push_back(Content(FileBytes(t), t));

    std::mt19937 rng(11);
    int killedMidway = 0;
    for (int attempt = 0; attempt < 30; ++attempt) {
        for (std::size_t i = 0; i < tables.size(); ++i) WriteBytes(tables[i], oldBytes[i]);
        const bool sort = attempt % 3 == 2;
        pid_t pid = sort ? Spawn({kF101, "sort", folder, "--chapter", "A"}) : Spawn({kF101, "check", folder});
        ::usleep(static_cast<useconds_t>(rng() % 60000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        killedMidway += WIFSIGNALED(status);
        for (std::size_t i = 0; i < tables.size(); ++i) {
            const std::string now = FileBytes(tables[i]);
            if (now == oldBytes[i]) continue;
            // Not the old file: then a complete new one, that loads.
            std::vector<std::string> content;
            ASSERT_NO_THROW(content = Content(now, tables[i])) << tables[i];
            if (!sort) {
                EXPECT_EQ(content, newContent[i]) << tables[i];
            }
        }
    }
    EXPECT_GT(killedMidway, 0);
    // What killed writers left behind goes with the next write in the folder.
    RunProgram({kF101, "check", folder}, "TESMA_UI=silent");
    for (const auto& e : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(e.path().string().find(".tesma-"), std::string::npos) << "left behind: " << e.path();
}

TEST(Processes, ASecondRunOnTheSameReportFailsAtOnceNamingTheLockedTable) {
    TempDir dir;
    ASSERT_EQ(RunProgram({kF101, "demo", dir / "demo"}, "TESMA_UI=silent").status, 0);
    const std::string folder = dir / "demo/F101/20151201/";
    const std::string table = folder + "F101_1.DB";
    // The first run holds the chapter table for writing, as a run does while it works.
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    pid_t holder = ::fork();
    if (holder == 0) {
        int fd = ::open(table.c_str(), O_RDONLY);
        ::flock(fd, LOCK_EX);
        char c = 1;
        (void)!::write(ready[1], &c, 1);
        (void)!::read(go[0], &c, 1);
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    const std::string before = FileBytes(table);
    auto started = std::chrono::steady_clock::now();
    ProcessResult second =
        RunProgram({kF101, "check", folder, "--chapter", "A", "--protocol", dir / "second.txt"}, "TESMA_UI=silent");
    // At once: no wait for the lock (make bench measures it against a run that fails on a damaged
    // table; here only a bound that catches a wait, which would last until the holder lets go).
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
    EXPECT_EQ(second.status, 3);
    EXPECT_NE(second.err.find("F101_1.DB"), std::string::npos) << second.err;
    EXPECT_NE(second.err.find("locked"), std::string::npos) << second.err;
    EXPECT_EQ(FileBytes(table), before);
    // The protocol a run holds is not written by another run either.
    const int protocolFd = ::open((folder + "protocol.txt").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(protocolFd, LOCK_EX | LOCK_NB), 0);
    ProcessResult third = RunProgram({kF101, "check", folder, "--chapter", "B"}, "TESMA_UI=silent");
    EXPECT_EQ(third.status, 3);
    EXPECT_NE(third.err.find("protocol"), std::string::npos) << third.err;
    ::close(protocolFd);
    (void)!::write(go[1], &c, 1);
    ::waitpid(holder, nullptr, 0);
    // Afterwards the report is checked as usual.
    EXPECT_EQ(RunProgram({kF101, "check", folder, "--chapter", "A"}, "TESMA_UI=silent").status, 1);
}

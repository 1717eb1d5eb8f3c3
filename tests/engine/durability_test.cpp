#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "platform/engine/files.h"
#include "platform/engine/paradox.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "support/file_faults.h"
#include "support/keyed.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::testing;

namespace {

void WriteNumbers(const std::string& path, int count, int base) {
    std::vector<std::vector<Cell>> rows;
    for (int i = 0; i < count; ++i) rows.push_back({Cell::Integer(base + i), Cell::Text("row " + std::to_string(i))});
    WriteParadoxTable(path, {{"K", FieldType::Long, 0}, {"T", FieldType::Alpha, 60}}, rows);
}

}  // namespace

TEST(Durability, ATableLockedByAnotherProcessIsAnEngineErrorNamingIt) {
    TempDir dir;
    std::string path = dir / "LOCKED.DB";
    WriteNumbers(path, 3, 0);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        int fd = ::open(path.c_str(), O_RDONLY);
        ::flock(fd, LOCK_EX);
        char c = 1;
        (void)!::write(ready[1], &c, 1);
        ::pause();
        _exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    engine::Query main(true);
    main.AddLine("select * from \"" + path + "\"");
    try {
        main.Open();
        ADD_FAILURE() << "opened a locked table";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("LOCKED.DB"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("locked"), std::string::npos);
    }
    // Reading it is fine.
    engine::Query reader;
    reader.AddLine("select * from \"" + path + "\"");
    reader.Open();
    EXPECT_EQ(reader.RowCount(), 3);
    reader.Close();
    engine::DefaultSession().Discard();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

TEST(Durability, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    std::string path = dir / "T.DB";
    WriteNumbers(path, 50, 0);
    const std::string before = FileBytes(path);
    using Step = FileFaults::Step;
    const std::pair<const char*, Step> steps[] = {
        {"open", Step::Create}, {"write", Step::Write}, {"fsync", Step::Sync}, {"rename", Step::Rename}};
    for (const auto& [step, failing] : steps) {
        {
            FileFaults faults([failing = failing](Step s, const std::string&) { return s == failing ? ENOSPC : 0; });
            engine::Query main(true);
            main.AddLine("select * from \"" + path + "\"");
            main.Open();
            main.Delete();
            main.Close();
            EXPECT_THROW(engine::DefaultSession().Commit(), IoError) << step;
        }
        EXPECT_EQ(FileBytes(path), before) << step;
        int files = 0;
        for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
        EXPECT_EQ(files, 1) << step;
    }
}

TEST(Durability, EveryStepOfACommitOfATableAndItsIndexGoesThroughTheFileSystem) {
    TempDir dir;
    const std::string path = dir / "KEYED.DB";
    WriteNumbers(path, 50, 0);
    MakeKeyed(path, {"K"});
    engine::Query main(true);
    main.AddLine("select * from \"" + path + "\"");
    main.Open();
    main.Delete();
    main.Close();
    // Each file's steps, and where the folder is synced, in the order the file system sees them.
    using Step = FileFaults::Step;
    std::map<std::string, std::vector<Step>> stepsOf;
    std::vector<std::string> order;
    {
        FileFaults record([&](Step step, const std::string& file) {
            std::string name = std::filesystem::path(file).filename();
            if (const auto mark = name.find(".tesma-"); mark != std::string::npos) name = name.substr(1, mark - 1);
            if (step == Step::SyncFolder) name = "folder";
            if (step != Step::Open && (stepsOf[name].empty() || stepsOf[name].back() != step))
                stepsOf[name].push_back(step);
            order.push_back(name + (step == Step::Rename ? " renamed" : ""));
            return 0;
        });
        engine::DefaultSession().Commit();
    }
    // A temporary beside the file, marked by its writer's lock, written, synced, renamed over it.
    const std::vector<Step> replaced = {Step::Create, Step::Lock, Step::Write, Step::Sync, Step::Rename};
    EXPECT_EQ(stepsOf["KEYED.DB"], replaced);
    EXPECT_EQ(stepsOf["KEYED.PX"], replaced);
    // Both files are complete and synced before the first rename, the index is renamed before
    // its table, and the folder is synced after the renames, so that they are on the disk.
    const auto firstRename = std::find(order.begin(), order.end(), "KEYED.PX renamed");
    ASSERT_NE(firstRename, order.end());
    EXPECT_EQ(std::find(firstRename, order.end(), "KEYED.DB"), order.end());
    for (const char* renamed : {"KEYED.DB renamed", "KEYED.PX renamed"}) {
        auto at = std::find(order.begin(), order.end(), renamed);
        ASSERT_NE(at, order.end()) << renamed;
        EXPECT_NE(std::find(at, order.end(), "folder"), order.end()) << renamed;
    }
    EXPECT_LT(firstRename, std::find(order.begin(), order.end(), "KEYED.DB renamed"));
}

TEST(Durability, AFailureAtAnyStepBeforeTheRenamesLeavesTableAndIndexAsTheyWere) {
    TempDir dir;
    const std::string path = dir / "KEYED.DB", index = dir / "KEYED.PX";
    WriteNumbers(path, 500, 0);
    MakeKeyed(path, {"K"});
    const std::string table = FileBytes(path), oldIndex = FileBytes(index);
    using Step = FileFaults::Step;
    for (const char* file : {"KEYED.DB", "KEYED.PX"}) {
        for (Step failing : {Step::Create, Step::Write, Step::Sync}) {
            SCOPED_TRACE(std::string(file) + " step " + std::to_string(static_cast<int>(failing)));
            {
                FileFaults faults([&](Step s, const std::string& p) {
                    return s == failing && p.find(std::string(".") + file + ".tesma-") != std::string::npos ? ENOSPC
                                                                                                            : 0;
                });
                engine::Query main(true);
                main.AddLine("select * from \"" + path + "\"");
                main.Open();
                main.Delete();
                main.Close();
                EXPECT_THROW(engine::DefaultSession().Commit(), IoError);
            }
            EXPECT_EQ(FileBytes(path), table);
            EXPECT_EQ(FileBytes(index), oldIndex);
            int files = 0;
            for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
            EXPECT_EQ(files, 2);
        }
    }
}

TEST(Durability, KillingACommitLeavesTheOldOrTheNewFile) {
    TempDir dir;
    std::string path = dir / "K.DB";
    WriteNumbers(path, 3000, 0);
    const std::string oldBytes = FileBytes(path);
    WriteNumbers(path, 2500, 100000);
    const std::string newBytes = FileBytes(path);
    for (int attempt = 0; attempt < 40; ++attempt) {
        WriteBytes(path, oldBytes);
        pid_t child = fork();
        if (child == 0) {
            engine::TableFile t = engine::ParseParadox(newBytes, path);
            for (int i = 0; i < 1000; ++i) engine::ReplaceFileAtomically(path, engine::SerializeParadox(t), path);
            _exit(0);
        }
        ::usleep(static_cast<useconds_t>(200 + attempt * 150));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        std::string now = FileBytes(path);
        ASSERT_TRUE(now == oldBytes || now == newBytes) << "attempt " << attempt;
        EXPECT_NO_THROW(engine::ParseParadox(now, path));
        for (auto& e : std::filesystem::directory_iterator(dir.path()))
            if (e.path().filename() != "K.DB") std::filesystem::remove(e.path());
    }
}

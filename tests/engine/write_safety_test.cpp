// Writing tables without losing or corrupting data: field names SQLite reserves, temporaries,
// symbolic links, two processes on one table.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "platform/engine/files.h"
#include "platform/engine/paradox.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::testing;
using engine::Query;

namespace {

class WriteSafety : public ::testing::Test {
protected:
    void TearDown() override { engine::DefaultSession().Discard(); }
    TempDir dir;
};

std::vector<std::string> Texts(Query& q, const char* field) {
    std::vector<std::string> out;
    const int i = q.FieldByName(field);
    for (q.First(); !q.Eof(); q.Next()) out.push_back(q.AsText(i));
    return out;
}

// Deletes the first record of a table through a live query and commits.
void DeleteFirstRecord(const std::string& path) {
    Query q(true);
    q.AddLine("select * from \"" + path + "\"");
    q.Open();
    q.Delete();
    q.Close();
    engine::DefaultSession().Commit();
}

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

}  // namespace

// ---- fields named as SQLite's row id -------------------------------------------------------

TEST_F(WriteSafety, FieldsNamedRowidOidAndRowidAliasAreFieldsLikeAnyOther) {
    const std::string path = dir / "R.DB";
    // Their values are far from the records' numbers: used as such, they would read or write
    // outside the table, or one record twice.
    WriteParadoxTable(path,
                      {{"ROWID", FieldType::Long, 0},
                       {"NAME", FieldType::Alpha, 10},
                       {"OID", FieldType::Long, 0},
                       {"_ROWID_", FieldType::Long, 0}},
                      {{Cell::Integer(900000), Cell::Text("c"), Cell::Integer(0), Cell::Integer(-7)},
                       {Cell::Integer(0), Cell::Text("a"), Cell::Integer(0), Cell::Integer(1)},
                       {Cell::Integer(0), Cell::Text("b"), Cell::Integer(77777), Cell::Blank()}});
    Query q;
    q.AddLine("select * from \"" + path + "\" order by NAME");
    q.Open();
    EXPECT_EQ(Texts(q, "NAME"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Texts(q, "ROWID"), (std::vector<std::string>{"0", "0", "900000"}));
    EXPECT_EQ(Texts(q, "_ROWID_"), (std::vector<std::string>{"1", "", "-7"}));
    q.Close();
    q.ClearSql();
    q.AddLine("select * from \"" + path + "\" where ROWID=0 and OID>0");
    q.Open();
    EXPECT_EQ(Texts(q, "NAME"), (std::vector<std::string>{"b"}));
    q.Close();

    // Written through a live query: the right record changes, none is lost or doubled.
    Query live(true);
    live.AddLine("select * from \"" + path + "\" order by NAME");
    live.Open();
    live.Next();
    live.Edit();
    live.SetText("NAME", "B");
    live.Post();
    live.Close();
    engine::DefaultSession().Commit();
    auto rows = ReadTable(path);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1].text, "c");
    EXPECT_EQ(rows[1][1].text, "a");
    EXPECT_EQ(rows[2][1].text, "B");
}

// ---- the sweep of stale temporaries --------------------------------------------------------

TEST_F(WriteSafety, OnlyADeadWritersTemporaryOfTheTableBeingWrittenIsRemoved) {
    const std::string path = dir / "T.DB";
    WriteParadoxTable(path, {{"K", FieldType::Long, 0}}, {{Cell::Integer(1)}, {Cell::Integer(2)}});
    // Other people's files, whatever their names look like, and our own temporaries of
    // another table or of a writer that is still at work.
    const std::vector<std::string> kept = {"budget.xls.tmp-20240131",  "T.DB.tmp-99999999",     "notes.tmp-1",
                                           ".U.DB.tesma-99999999.tmp", ".T.DB.tesma-1.tmp.bak", ".T.DB.tesma-2.tmp"};
    for (const auto& f : kept) WriteBytes(dir / f, "precious");
    const int liveWriter = ::open((dir / ".T.DB.tesma-2.tmp").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(liveWriter, LOCK_EX), 0);
    WriteBytes(dir / ".T.DB.tesma-99999999.tmp", "left by a killed writer");

    DeleteFirstRecord(path);
    ::close(liveWriter);

    std::set<std::string> expected(kept.begin(), kept.end());
    expected.insert("T.DB");
    EXPECT_EQ(FilesIn(dir.path()), expected);
    for (const auto& f : kept) EXPECT_EQ(FileBytes(dir / f), "precious") << f;
    EXPECT_EQ(ReadTable(path).size(), 1u);
}

// ---- tables that are symbolic links --------------------------------------------------------

TEST_F(WriteSafety, ATableThatIsASymbolicLinkIsWrittenThroughTheLink) {
    std::filesystem::create_directory(dir / "store");
    const std::string target = dir / "store/T.DB";
    WriteParadoxTable(target, {{"K", FieldType::Long, 0}},
                      {{Cell::Integer(1)}, {Cell::Integer(2)}, {Cell::Integer(3)}});
    std::filesystem::create_symlink("store/T.DB", dir / "LINK.DB");
    std::filesystem::create_symlink("LINK.DB", dir / "CHAIN.DB");  // a link to a link
    ::chmod(target.c_str(), 0640);

    DeleteFirstRecord(dir / "LINK.DB");
    DeleteFirstRecord(dir / "CHAIN.DB");

    for (const char* link : {"LINK.DB", "CHAIN.DB"}) {
        EXPECT_TRUE(std::filesystem::is_symlink(dir / link)) << link;
    }
    EXPECT_EQ(std::filesystem::read_symlink(dir / "LINK.DB"), "store/T.DB");
    auto rows = ReadTable(target);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].integer, 3);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesIn(dir.path()), (std::set<std::string>{"CHAIN.DB", "LINK.DB", "store"}));
    EXPECT_EQ(FilesIn(dir / "store"), (std::set<std::string>{"T.DB"}));
}

// ---- two processes on one table ------------------------------------------------------------

TEST_F(WriteSafety, TwoProcessesIncrementingOneTableNeverLoseAnUpdate) {
    const std::string path = dir / "COUNTER.DB";
    WriteParadoxTable(path, {{"N", FieldType::Long, 0}}, {{Cell::Integer(0)}});
    constexpr int kProcesses = 2, kRounds = 40;
    int done[2];
    ASSERT_EQ(::pipe(done), 0);
    for (int p = 0; p < kProcesses; ++p) {
        if (::fork() != 0) continue;
        // One increment per round: read the counter, add one, write it. Half the rounds read
        // the table first on a query that only reads, as a run reads tables before it writes.
        int commits = 0;
        for (int round = 0; round < kRounds; ++round) {
            try {
                if (round % 2) {
                    Query reader;
                    reader.AddLine("select * from \"" + path + "\"");
                    reader.Open();
                    ::usleep(300);
                }
                Query q(true);
                q.AddLine("select * from \"" + path + "\"");
                q.Open();
                const auto n = q.AsInteger(0);
                q.Edit();
                q.SetInteger("N", n + 1);
                q.Post();
                q.Close();
                engine::DefaultSession().Commit();
                ++commits;
            } catch (const EngineError&) {
                engine::DefaultSession().Discard();  // held by the other process: this round changes nothing
            }
        }
        (void)!::write(done[1], &commits, sizeof commits);
        ::_exit(0);
    }
    int total = 0;
    for (int p = 0; p < kProcesses; ++p) {
        int commits = 0;
        ASSERT_EQ(::read(done[0], &commits, sizeof commits), static_cast<ssize_t>(sizeof commits));
        total += commits;
        ::wait(nullptr);
    }
    // Enough rounds went through for the race to mean something. A round may rightly fail (the
    // table held by the other process, or changed since it was read), and on a busy machine
    // half of them or more do; the lost update would show in the counter below.
    EXPECT_GE(total, kRounds / 4);
    auto rows = ReadTable(path);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].integer, total);  // every run applied after the one before
}

TEST_F(WriteSafety, ATableChangedByAnotherProcessAfterItWasReadIsNotOverwritten) {
    const std::string path = dir / "C.DB";
    WriteParadoxTable(path, {{"N", FieldType::Long, 0}}, {{Cell::Integer(1)}});
    Query reader;
    reader.AddLine("select * from \"" + path + "\"");
    reader.Open();
    // Another process commits in between.
    if (pid_t child = ::fork(); child == 0) {
        engine::DefaultSession().Discard();
        WriteParadoxTable(path, {{"N", FieldType::Long, 0}}, {{Cell::Integer(2)}});
        ::_exit(0);
    } else {
        ::waitpid(child, nullptr, 0);
    }
    Query live(true);
    live.AddLine("select * from \"" + path + "\"");
    try {
        live.Open();
        ADD_FAILURE() << "a table changed since it was read was opened for writing";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("C.DB"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("changed by another process"), std::string::npos) << e.what();
    }
    reader.Close();
    engine::DefaultSession().Discard();
    EXPECT_EQ(ReadTable(path)[0][0].integer, 2);
    // Read afresh, it is written as usual.
    DeleteFirstRecord(path);
    EXPECT_TRUE(ReadTable(path).empty());
}

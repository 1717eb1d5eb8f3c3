// A keyed chapter table and its primary index change together: a process killed at any step of
// the commit (each create, write, sync and rename of the table, the index and the folder) leaves
// the old pair or the new one, or a table beside an index the next run rebuilds, and that run
// gives what a run on the intact table gives; a step that fails leaves the table as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "../controls/chapter_fixture.h"
#include "../controls/controls_fixture_a.h"
#include "controls/procedures.h"
#include "platform/engine/primary_index.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "support/file_faults.h"
#include "support/keyed.h"

using namespace tesma;
using namespace tesma::testing;
using Step = FileFaults::Step;

namespace {

constexpr int kKilled = 77;

class KeyedCommit : public ::testing::Test, protected ChapterReport {
protected:
    void SetUp() override {
        // One account whose outgoing balance its turnovers do not explain: findings to compare.
        auto current = CurrentA();
        current[1].a[9] += 1;
        current[1].a[11] += 1;
        Write(kDate, 'A', current);
        Write(kPrevious, 'A', PreviousA());
        WriteChart(ChartA());
        MakeKeyed(Table(), {"ID_EKZ", "NNN"});
        oldTable = FileBytes(Table());
        oldIndex = FileBytes(Index());
        // What a run on the intact old pair gives, and a run on the intact new pair it leaves.
        fromOld = Control();
        rowsFromOld = RowsWithoutKey();
        ASSERT_TRUE(FileBytes(Table()) != oldTable) << "the run changes the table";
        ASSERT_TRUE(PairIsConsistent());
        fromNew = Control();
        rowsFromNew = RowsWithoutKey();
        ASSERT_NE(fromOld.find("E101"), std::string::npos);
        Restore();
    }

    std::string Table() const { return TablePath(kDate, 'A'); }
    std::string Index() const { return tree.DateDir(kDate) + ChapterFile('A') + ".PX"; }
    void Restore() const {
        WriteBytes(Table(), oldTable);
        WriteBytes(Index(), oldIndex);
    }
    // The control of chapter А, the table described as a host describes a keyed table: its
    // columns after the first, the key's second field NNN first among them.
    std::string Control() {
        std::filesystem::remove(tree.Protocol());
        std::vector<hostkit::FieldRecord> fields = {{contract::kTableChapterA, "NNN", 'I', true}};
        for (const hostkit::FieldRecord& f : Form101Fields())
            if (f.tableId != contract::kTableChapterA || f.name != "NNN") fields.push_back(f);
        hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), fields);
        RunInside(
            {contract::kTableChapterA, contract::kModeControl, 0, kDate, tree.Protocol(), tree.DateDir(kDate), ""},
            records, controls::ControlChapterA1);
        return std::filesystem::exists(tree.Protocol()) ? FileBytes(tree.Protocol()) : "";
    }

    // A step on the chapter table of the reporting date, its index, their temporaries, or the
    // folder they lie in.
    bool OnThePair(Step step, const std::string& path) const {
        const std::string folder = tree.DateDir(kDate);
        if (step == Step::SyncFolder) return folder.starts_with(path);
        return path.starts_with(folder) && path.find(ChapterFile('A') + ".") != std::string::npos;
    }

    bool PairIsConsistent() const {
        try {
            engine::CheckPrimaryIndex(FileBytes(Index()), Index(), engine::ParseParadox(FileBytes(Table()), Table()));
            return true;
        } catch (const EngineError&) {
            return false;
        }
    }

    // The table's rows as texts, without the row keys (new rows take theirs from the clock).
    std::vector<std::vector<std::string>> RowsWithoutKey() const {
        const engine::TableFile t = engine::ParseParadox(FileBytes(Table()), Table());
        std::vector<std::vector<std::string>> rows;
        for (std::size_t r = 0; r < t.records.size(); ++r) {
            std::vector<std::string> row;
            for (std::size_t f = 0; f < t.fields.size(); ++f)
                if (t.fields[f].name != "NNN")
                    row.push_back(engine::CellText(t.Get(r, static_cast<int>(f)), engine::KindOf(t.fields[f].type)));
            rows.push_back(std::move(row));
        }
        return rows;
    }

    std::vector<std::string> Temporaries() const {
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(tree.DateDir(kDate)))
            if (e.path().filename().string().starts_with(".")) found.push_back(e.path().filename());
        return found;
    }

    // The next run after a crash or a failure: the findings and rows of a run on the intact
    // table it found, a consistent pair after it, no temporary left, and a word on standard
    // error when (and only when) it rebuilt the index.
    void ExpectTheNextRunRepairs(const std::string& what) {
        SCOPED_TRACE(what);
        const bool tableIsOld = FileBytes(Table()) == oldTable;
        const bool consistent = PairIsConsistent();
        if (consistent && tableIsOld) {
            EXPECT_EQ(FileBytes(Index()), oldIndex);
        }
        ::testing::internal::CaptureStderr();
        const std::string protocol = Control();
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(protocol, tableIsOld ? fromOld : fromNew);
        EXPECT_EQ(RowsWithoutKey(), tableIsOld ? rowsFromOld : rowsFromNew);
        EXPECT_TRUE(ui->messageBoxes.empty()) << ui->messageBoxes.front();
        EXPECT_EQ(said.find("rebuilt from the table") != std::string::npos, !consistent) << said;
        if (!consistent) {
            EXPECT_NE(said.find(ChapterFile('A') + ".PX"), std::string::npos) << said;
        }
        EXPECT_TRUE(PairIsConsistent());
        EXPECT_EQ(Temporaries(), std::vector<std::string>{});
    }

    std::string oldTable, oldIndex, fromOld, fromNew;
    std::vector<std::vector<std::string>> rowsFromOld, rowsFromNew;
};

}  // namespace

TEST_F(KeyedCommit, AProcessKilledAtAnyStepLeavesAPairTheNextRunRepairs) {
    // The steps of a run on the pair, counted once.
    int steps = 0;
    {
        FileFaults count([&](Step step, const std::string& path) {
            if (OnThePair(step, path)) ++steps;
            return 0;
        });
        Control();
    }
    Restore();
    ASSERT_GE(steps, 12);  // at least: create, lock, write, sync of each file, two renames, the folder
    int brokenPairs = 0;
    for (int kill = 1; kill <= steps; ++kill) {
        Restore();
        const pid_t child = ::fork();
        if (child == 0) {
            int seen = 0;
            FileFaults faults([&](Step step, const std::string& path) {
                if (OnThePair(step, path) && ++seen == kill) ::_exit(kKilled);
                return 0;
            });
            Control();
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kKilled) << "step " << kill << " was not reached";
        brokenPairs += PairIsConsistent() ? 0 : 1;
        ui->messageBoxes.clear();
        ExpectTheNextRunRepairs("killed before step " + std::to_string(kill) + " of " + std::to_string(steps));
    }
    EXPECT_EQ(brokenPairs, 1);  // killed between the two renames
}

TEST_F(KeyedCommit, AStepThatFailsLeavesTheTableAsItWas) {
    const std::string name = ChapterFile('A');
    for (const std::string& file : {name + ".DB", name + ".PX"}) {
        for (Step failing : {Step::Create, Step::Write, Step::Sync, Step::Rename}) {
            const std::string what = file + " step " + std::to_string(static_cast<int>(failing));
            SCOPED_TRACE(what);
            Restore();
            ui->messageBoxes.clear();
            {
                FileFaults faults([&](Step step, const std::string& path) {
                    return step == failing && OnThePair(step, path) && path.find(file) != std::string::npos ? ENOSPC
                                                                                                            : 0;
                });
                Control();
            }
            ASSERT_EQ(ui->messageBoxes.size(), 1u);
            EXPECT_NE(ui->messageBoxes[0].find("cannot write"), std::string::npos) << ui->messageBoxes[0];
            EXPECT_NE(ui->messageBoxes[0].find(file), std::string::npos) << ui->messageBoxes[0];
            EXPECT_EQ(FileBytes(Table()), oldTable);
            // The index is renamed before its table: only a table that cannot take its place
            // leaves the new index beside the old table, for the next run to rebuild.
            if (failing != Step::Rename || file != name + ".DB") {
                EXPECT_EQ(FileBytes(Index()), oldIndex);
            }
            ui->messageBoxes.clear();
            ExpectTheNextRunRepairs(what);
        }
    }
}

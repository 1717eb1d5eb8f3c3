// A report whose tables are keyed (as the host's tables are) runs as the same report unkeyed:
// the same protocol, the same rows; and its indexes stay those of its tables, as an independent
// reader (pxlib) finds.
#include <gtest/gtest.h>

#include <filesystem>

#include "f101_fixture.h"
#include "platform/engine/paradox.h"
#include "platform/engine/primary_index.h"
#include "process.h"
#include "support/keyed.h"
#include "support/pxlib_oracle.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::testing;
namespace fs = std::filesystem;

namespace {

const std::string kData = TESMA_TEST_DATA;

// The rows of a table in its order, each as its fields' texts by name, without the row key.
std::vector<std::string> Rows(const std::string& path) {
    const engine::TableFile t = engine::ParseParadox(FileBytes(path), path);
    std::vector<int> fields;
    for (const char* name : {"ID_EKZ", "NBAL2", "A_P", "VX_RUB", "OB_AK_VAL", "IS_ITOG", "KEY_REKW", "VALUE_REKW"})
        if (t.FieldIndex(name) >= 0) fields.push_back(t.FieldIndex(name));
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        std::string row;
        for (int f : fields) {
            const engine::Cell c = t.Get(r, f);
            row +=
                (c.kind == engine::Cell::Kind::Text ? c.text
                 : c.IsBlank()
                     ? ""
                     : std::to_string(c.kind == engine::Cell::Kind::Real ? c.real : static_cast<double>(c.integer))) +
                "|";
        }
        // The time of filling differs from run to run.
        if (auto at = row.find("|DTMF|"); at != std::string::npos) row.resize(at + 6);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST(KeyedReport, ControlsSortsAndFillingGiveWhatTheUnkeyedReportGives) {
    const std::vector<std::string> tables = {"F101_1", "F101_2", "F101_3", "F101_4", "F101_5", "F101_OES"};
    for (const auto& [regn, keys] :
         {std::pair<std::string, std::vector<std::string>>{"2618", {"NNN"}}, {"1481", {"ID_EKZ", "NNN"}}}) {
        SCOPED_TRACE(regn);
        TempDir dir;
        ProcessResult imported =
            RunF101({"import-published", kData + "/f101-2015-12-01-sample.csv", "--regn", regn, "--out", dir / "plain",
                     "--chart", std::string(TESMA_DEMO_DIR) + "/account-signs.csv"});
        ASSERT_EQ(imported.status, 0) << imported.err;
        const std::string plain = imported.out.substr(0, imported.out.find('\n'));
        const std::string keyed = dir / "keyed/F101/20151201/";
        fs::create_directories(keyed);
        fs::copy(plain, keyed, fs::copy_options::recursive);
        for (const auto& t : tables) MakeKeyed(keyed + t + ".DB", keys, 1024);

        for (const std::string& folder : {plain, keyed}) {
            ProcessResult check = RunF101({"check", folder});
            ASSERT_TRUE(check.status == 0 || check.status == 1) << check.err;
            for (const char* chapter : {"A", "B", "V", "G", "D"})
                ASSERT_EQ(RunF101({"sort", folder, "--chapter", chapter}).status, 0);
            ProcessResult fill = RunF101({"fill", folder});
            ASSERT_TRUE(fill.status == 0 || fill.status == 1) << fill.err;
        }
        EXPECT_EQ(FileBytes(keyed + "protocol.txt"), FileBytes(plain + "/protocol.txt"));
        for (const auto& t : tables) {
            const std::string path = keyed + t + ".DB";
            EXPECT_EQ(Rows(path), Rows(plain + "/" + t + ".DB")) << t;
            // Still keyed, and its index is the index of what it holds.
            const engine::TableFile file = engine::ParseParadox(FileBytes(path), path);
            EXPECT_EQ(file.keyFields, static_cast<int>(keys.size()));
            const std::string index = keyed + t + ".PX";
            EXPECT_NO_THROW(engine::CheckPrimaryIndex(FileBytes(index), index, file)) << t;
            // pxlib opens the table with its index and finds every record, in key order.
            if (!file.records.empty()) {
                EXPECT_EQ(PxlibReadThroughIndex(path), file.records) << t;
            }
        }
    }
}

namespace {

// A keyed copy of a real report (one instance), keyed as a host keys its tables.
struct KeyedCopy {
    TempDir dir;
    std::string folder;
    explicit KeyedCopy(const std::string& name) {
        ProcessResult imported =
            RunF101({"import-published", kData + "/f101-2015-12-01-sample.csv", "--regn", "2618", "--out",
                     dir / "plain", "--chart", std::string(TESMA_DEMO_DIR) + "/account-signs.csv"});
        EXPECT_EQ(imported.status, 0) << imported.err;
        folder = dir / (name + "/F101/20151201/");
        fs::create_directories(folder);
        fs::copy(imported.out.substr(0, imported.out.find('\n')), folder, fs::copy_options::recursive);
        for (const char* t : {"F101_1", "F101_2", "F101_3", "F101_4", "F101_5", "F101_OES"})
            MakeKeyed(folder + t + ".DB", {"ID_EKZ", "NNN"}, 1024);
    }
    std::string Table(const char* t) const { return folder + t + ".DB"; }
    std::string Index(const char* t) const { return folder + t + ".PX"; }
    bool Consistent(const char* t) const {
        try {
            engine::CheckPrimaryIndex(FileBytes(Index(t)), Index(t),
                                      engine::ParseParadox(FileBytes(Table(t)), Table(t)));
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }
};

}  // namespace

TEST(KeyedReport, AnIndexThatIsNotItsTablesOwnIsRebuiltByTheNextRunAndADryRunSaysSo) {
    KeyedCopy intact("intact"), broken("broken");
    // As a crash between the renames of a commit leaves it: another table's index; and none.
    WriteBytes(broken.Index("F101_1"), FileBytes(broken.Index("F101_2")));
    fs::remove(broken.Index("F101_3"));

    // A dry run checks every chapter and gives the findings of the intact report; what a run
    // that writes would repair is a note on standard error, not a failure.
    const ProcessResult dryIntact = RunF101({"check", intact.folder, "--dry-run"});
    const ProcessResult dry = RunF101({"check", broken.folder, "--dry-run"});
    ASSERT_TRUE(dryIntact.status == 0 || dryIntact.status == 1) << dryIntact.err;
    EXPECT_EQ(dry.status, dryIntact.status) << dry.err;
    EXPECT_EQ(WithoutFolder(dry.out, broken.folder), WithoutFolder(dryIntact.out, intact.folder));
    EXPECT_NE(dry.err.find("dry run, nothing written: primary index " + broken.Index("F101_1")), std::string::npos)
        << dry.err;
    EXPECT_NE(dry.err.find(broken.Index("F101_3") + " of keyed table"), std::string::npos) << dry.err;
    EXPECT_NE(dry.err.find("a run that writes rebuilds it from the table"), std::string::npos) << dry.err;
    EXPECT_FALSE(broken.Consistent("F101_1"));
    EXPECT_FALSE(fs::exists(broken.Index("F101_3")));

    // The next run that holds the tables for writing rebuilds both and says so, and gives what
    // a run on the intact report gives.
    const ProcessResult fromIntact = RunF101({"check", intact.folder});
    const ProcessResult repaired = RunF101({"check", broken.folder});
    EXPECT_EQ(repaired.status, fromIntact.status) << repaired.err;
    EXPECT_EQ(FileBytes(broken.folder + "protocol.txt"), FileBytes(intact.folder + "protocol.txt"));
    for (const char* t : {"F101_1", "F101_3"}) {
        const auto line = repaired.err.find("tesma: primary index " + broken.Index(t));
        ASSERT_NE(line, std::string::npos) << repaired.err;
        const std::string said = repaired.err.substr(line, repaired.err.find('\n', line) - line);
        EXPECT_NE(said.find("; it was rebuilt from the table"), std::string::npos) << said;
    }
    for (const char* t : {"F101_1", "F101_3"}) {
        EXPECT_TRUE(broken.Consistent(t)) << t;
        EXPECT_EQ(PxlibReadThroughIndex(broken.Table(t)),
                  engine::ParseParadox(FileBytes(broken.Table(t)), broken.Table(t)).records)
            << t;
    }
    EXPECT_EQ(Rows(broken.Table("F101_1")), Rows(intact.Table("F101_1")));
}

TEST(KeyedReport, ReindexRebuildsAnIndexOnPurposeAndOnlyFromASoundTable) {
    KeyedCopy copy("copy");
    const std::string table = FileBytes(copy.Table("F101_4"));
    fs::remove(copy.Index("F101_4"));
    ProcessResult r = RunF101({"reindex", copy.Table("F101_4")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(copy.Index("F101_4") + ": rebuilt from the table"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("was missing"), std::string::npos) << r.out;
    EXPECT_TRUE(copy.Consistent("F101_4"));
    EXPECT_EQ(FileBytes(copy.Table("F101_4")), table);

    r = RunF101({"reindex", copy.folder + "rfdef.DB"});  // no primary key
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("no primary key"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(copy.folder + "rfdef.PX"));
    r = RunF101({"reindex", copy.folder + "NOSUCH.DB"});
    EXPECT_EQ(r.status, 2);

    // A table whose records are out of key order may itself be the damaged file: refused.
    engine::TableFile t = engine::ParseParadox(table, copy.Table("F101_4"));
    ASSERT_GE(t.records.size(), 2u);
    std::swap(t.records.front(), t.records.back());
    WriteBytes(copy.Table("F101_4"), engine::SerializeParadox(t));
    const std::string unsound = FileBytes(copy.Table("F101_4")), index = FileBytes(copy.Index("F101_4"));
    r = RunF101({"reindex", copy.Table("F101_4")});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("out of key order"), std::string::npos) << r.err;
    EXPECT_EQ(FileBytes(copy.Table("F101_4")), unsound);
    EXPECT_EQ(FileBytes(copy.Index("F101_4")), index);
}

TEST(KeyedReport, ADryRunOnATableWithASecondaryIndexChecksItAndNotesTheRefusal) {
    KeyedCopy copy("copy");
    WriteBytes(copy.folder + "F101_5.X02", "a secondary index");
    const ProcessResult dry = RunF101({"check", copy.folder, "--dry-run"});
    ASSERT_TRUE(dry.status == 0 || dry.status == 1) << dry.err;
    EXPECT_NE(dry.out.find("0 failures"), std::string::npos) << dry.out;
    EXPECT_NE(dry.err.find("dry run, nothing written: table " + copy.Table("F101_5") + " has a secondary index " +
                           copy.folder + "F101_5.X02"),
              std::string::npos)
        << dry.err;
    // A run that writes refuses the table by name and leaves it as it was.
    const std::string table = FileBytes(copy.Table("F101_5"));
    const ProcessResult real = RunF101({"check", copy.folder, "--chapter", "Д"});
    EXPECT_EQ(real.status, 3);
    EXPECT_NE(real.err.find("F101_5.X02"), std::string::npos) << real.err;
    EXPECT_EQ(FileBytes(copy.Table("F101_5")), table);
}

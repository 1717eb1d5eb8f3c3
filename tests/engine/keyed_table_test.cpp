// Keyed tables: tables and primary indexes created by an independent Paradox library (pxlib),
// changed through the engine's live query, then read back by pxlib through the new index.
extern "C" {
#include <paradox.h>
}

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <tuple>

#include "platform/engine/key_order.h"
#include "platform/engine/keyed_table.h"
#include "platform/engine/paradox.h"
#include "platform/engine/primary_index.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "platform/text/cp1251.h"
#include "support/keyed.h"
#include "support/pxlib_oracle.h"
#include "support/tables.h"
#include "support/temp_dir.h"

// pxlib itself leaks a little when it reads a primary index (the entries' key copies): not ours
// to fix, so the leak checker of the sanitizer build leaves that library's allocations alone.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libpx.so\n";
}

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;
using engine::Query;

namespace {

// A field of a pxlib table: 'I' long integer, 'A' alpha of `size`, 'N' number.
struct PxField {
    const char* name;
    char type;
    int size = 0;
};
using PxRow = std::vector<std::string>;  // values as texts

int PxType(char t) { return t == 'I' ? pxfLong : t == 'A' ? pxfAlpha : pxfNumber; }
int PxSize(const PxField& f) { return f.type == 'A' ? f.size : f.type == 'I' ? 4 : 8; }

// A keyed table and its primary index written by pxlib, with the rows in the order given (pxlib
// does not sort), data blocks of `dataKiB` and index blocks of `indexKiB`.
void PxlibCreateKeyed(const std::string& db, const std::vector<PxField>& fields, int keys,
                      const std::vector<PxRow>& rows, int dataKiB = 2, int indexKiB = 1) {
    // pxlib keeps the field arrays it is given and frees them with the document.
    auto fieldArray = [&](std::size_t n) {
        auto* pf = static_cast<pxfield_t*>(std::calloc(n, sizeof(pxfield_t)));
        for (std::size_t i = 0; i < n; ++i) {
            pf[i].px_fname = strdup(fields[i].name);
            pf[i].px_ftype = static_cast<char>(PxType(fields[i].type));
            pf[i].px_flen = PxSize(fields[i]);
        }
        return pf;
    };
    int recordSize = 0;
    for (const auto& f : fields) recordSize += PxSize(f);
    pxdoc_t* px = PX_new();
    ASSERT_EQ(
        PX_create_file(px, fieldArray(fields.size()), static_cast<int>(fields.size()), db.c_str(), pxfFileTypIndexDB),
        0);
    PX_set_value(px, "numprimkeys", static_cast<float>(keys));
    px->px_head->px_maxtablesize = dataKiB;
    std::vector<char> record(static_cast<std::size_t>(recordSize));
    for (const auto& row : rows) {
        std::fill(record.begin(), record.end(), 0);
        int at = 0;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            char* p = record.data() + at;
            if (!row[i].empty()) {
                if (fields[i].type == 'I')
                    PX_put_data_long(px, p, 4, std::stoi(row[i]));
                else if (fields[i].type == 'N')
                    PX_put_data_double(px, p, 8, std::stod(row[i]));
                else
                    std::copy(row[i].begin(), row[i].end(), p);
            }
            at += PxSize(fields[i]);
        }
        ASSERT_GE(PX_put_record(px, record.data()), 0);
    }
    pxdoc_t* index = PX_new();
    const std::string pxPath = db.substr(0, db.size() - 3) + ".PX";
    ASSERT_EQ(
        PX_create_file(index, fieldArray(static_cast<std::size_t>(keys)), keys, pxPath.c_str(), pxfFileTypPrimIndex),
        0);
    index->px_head->px_maxtablesize = indexKiB;
    ASSERT_EQ(PX_write_primary_index(px, index), 0);
    PX_close(index);
    PX_close(px);
    PX_delete(index);
    PX_delete(px);
}

// Our own walk of the index tree from its root: the index must describe the data blocks exactly,
// and the records along the chain must be in strictly ascending key order.
void ExpectConsistent(const std::string& db, int expectedLevels = 0) {
    const engine::TableFile t = engine::ParseParadox(FileBytes(db), db);
    const std::string pxPath = db.substr(0, db.size() - 3) + ".PX";
    const std::string index = FileBytes(pxPath);
    EXPECT_NO_THROW(engine::CheckPrimaryIndex(index, pxPath, t));
    const engine::KeyOrder order(t);
    for (std::size_t r = 1; r < t.records.size(); ++r)
        ASSERT_LT(order.Compare(t.records[r - 1].data(), t.records[r].data()), 0) << "record " << r;
    if (expectedLevels) {
        EXPECT_EQ(static_cast<int>(index[0x20]), expectedLevels);
    }
}

std::vector<std::int64_t> Longs(const std::string& db, const char* field) {
    const engine::TableFile t = engine::ParseParadox(FileBytes(db), db);
    std::vector<std::int64_t> out;
    for (std::size_t r = 0; r < t.records.size(); ++r) out.push_back(t.Get(r, t.FieldIndex(field)).integer);
    return out;
}

class KeyedTable : public ::testing::Test {
protected:
    void TearDown() override { engine::DefaultSession().Discard(); }
    std::string Path(const char* name) const { return dir / name; }
    TempDir dir;
};

std::vector<PxRow> NumberedRows(int n, int first = 1) {
    std::vector<PxRow> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({std::to_string(first + i), "row " + std::to_string(first + i), std::to_string(i * 1.5)});
    return rows;
}
const std::vector<PxField> kNumbered = {{"NNN", 'I'}, {"NAME", 'A', 20}, {"SUM", 'N'}};

}  // namespace

TEST_F(KeyedTable, ChangesKeepKeyOrderAndTheIndexMatches) {
    const std::string db = Path("T.DB");
    PxlibCreateKeyed(db, kNumbered, 1, NumberedRows(200));
    ExpectConsistent(db);
    {
        Query q(true);
        q.AddLine("select * from \"" + db + "\"");
        q.Open();
        q.Edit();
        q.SetText("NAME", "first, changed");
        q.Post();
        q.Next();
        q.Delete();  // NNN 2
        q.Append();
        q.SetInteger("NNN", 0);  // sorts first
        q.Post();
        q.Append();
        q.SetInteger("NNN", 1000);
        q.Post();
        // A live cursor keeps the table's order with appended rows at its end.
        EXPECT_EQ(q.RowCount(), 201);
        q.Close();
        engine::DefaultSession().Commit();
    }
    ExpectConsistent(db, 1);
    auto keys = Longs(db, "NNN");
    ASSERT_EQ(keys.size(), 201u);
    EXPECT_EQ(keys.front(), 0);
    EXPECT_EQ(keys[1], 1);
    EXPECT_EQ(keys[2], 3);
    EXPECT_EQ(keys.back(), 1000);
    const auto viaIndex = PxlibReadThroughIndex(db);
    const engine::TableFile t = engine::ParseParadox(FileBytes(db), db);
    EXPECT_EQ(viaIndex, t.records);
    EXPECT_EQ(t.Get(1, 1).text, "first, changed");
}

TEST_F(KeyedTable, TwoFieldKeyPutsAppendedRowsWithinTheirInstance) {
    const std::string db = Path("CH.DB");
    std::vector<PxRow> rows;
    for (int instance : {1, 2})
        for (int n = 1; n <= 300; ++n) rows.push_back({std::to_string(instance), std::to_string(n), "30102"});
    PxlibCreateKeyed(db, {{"ID_EKZ", 'I'}, {"NNN", 'I'}, {"NBAL2", 'A', 25}}, 2, rows);
    {
        Query q(true);
        q.AddLine("select * from \"" + db + "\" where ID_EKZ=1");
        q.Open();
        q.Append();
        q.SetInteger("ID_EKZ", 1);
        q.SetInteger("NNN", 301);
        q.SetText("NBAL2", "99999");
        q.Post();
        q.Close();
        engine::DefaultSession().Commit();
    }
    ExpectConsistent(db);
    const engine::TableFile t = engine::ParseParadox(FileBytes(db), db);
    ASSERT_EQ(t.records.size(), 601u);
    EXPECT_EQ(t.Get(300, 1).integer, 301);
    EXPECT_EQ(t.Get(300, 2).text, "99999");
    EXPECT_EQ(t.Get(301, 0).integer, 2);
    EXPECT_EQ(PxlibReadThroughIndex(db), t.records);
}

TEST_F(KeyedTable, ThreeThousandRowsNeedTwoLevelsThatPxlibReads) {
    const std::string db = Path("BIG.DB");
    // 3000 records of 100 bytes in 2 KiB blocks: 150 data blocks, more than a 1 KiB index
    // block holds (101 entries of 10 bytes).
    std::vector<PxRow> rows;
    for (int n = 1; n <= 3000; ++n) rows.push_back({std::to_string(n * 2), std::string(60, 'x'), "1", "2", "3", "4"});
    const std::vector<PxField> fields = {{"NNN", 'I'}, {"TEXT", 'A', 64}, {"A", 'N'},
                                         {"B", 'N'},   {"C", 'N'},        {"D", 'N'}};
    PxlibCreateKeyed(db, fields, 1, rows);
    ExpectConsistent(db, 2);
    {
        Query q(true);
        q.AddLine("select * from \"" + db + "\"");
        q.Open();
        for (int i = 0; i < 100; ++i) {  // odd keys land inside the table
            q.Append();
            q.SetInteger("NNN", 2 * i * 30 + 1);
            q.Post();
        }
        q.Close();
        engine::DefaultSession().Commit();
    }
    ExpectConsistent(db, 2);
    const engine::TableFile t = engine::ParseParadox(FileBytes(db), db);
    ASSERT_EQ(t.records.size(), 3100u);
    EXPECT_EQ(PxlibReadThroughIndex(db), t.records);
}

TEST_F(KeyedTable, LongKeysBuildAsManyLevelsAsNeeded) {
    // Keys of 200 bytes in 1 KiB index blocks: four entries a block, so 3000 records in
    // 2 KiB data blocks need five levels (pxlib reads no more than two; our walk checks them).
    const std::string db = Path("WIDE.DB");
    std::vector<std::vector<Cell>> rows;
    for (int n = 3000; n > 0; --n) rows.push_back({Cell::Text("key " + std::to_string(100000 + n)), Cell::Integer(n)});
    WriteParadoxTable(db, {{"CODE", FieldType::Alpha, 200}, {"NNN", FieldType::Long, 0}}, rows);
    MakeKeyed(db, {"CODE"}, 1024);
    ExpectConsistent(db, 5);
    {
        Query q(true);
        q.AddLine("select * from \"" + db + "\" where NNN=1500");
        q.Open();
        q.Delete();
        q.Close();
        engine::DefaultSession().Commit();
    }
    ExpectConsistent(db, 5);
    EXPECT_EQ(engine::ParseParadox(FileBytes(db), db).records.size(), 2999u);
}

TEST_F(KeyedTable, FileVersionsFourFiveAndSeven) {
    for (int version : {0x04, 0x09, 0x0B, 0x0C}) {
        SCOPED_TRACE(version);
        const std::string db = Path("V.DB");
        PxlibCreateKeyed(db, kNumbered, 1, NumberedRows(120, 10));
        if (version != 0x0C) WriteBytes(db, AsFileVersion(FileBytes(db), version));
        ExpectConsistent(db);
        {
            Query q(true);
            q.AddLine("select * from \"" + db + "\" where NNN=50");
            q.Open();
            q.Edit();
            q.SetInteger("NNN", 5);  // the changed key moves the record to the front
            q.Post();
            q.Close();
            engine::DefaultSession().Commit();
        }
        ExpectConsistent(db);
        EXPECT_EQ(static_cast<int>(FileBytes(db)[0x39]), version);
        const auto keys = Longs(db, "NNN");
        EXPECT_EQ(keys.front(), 5);
        const engine::TableFile t = engine::ParseParadox(FileBytes(db), db);
        EXPECT_EQ(PxlibReadThroughIndex(db), t.records);
        engine::DefaultSession().Discard();
    }
}

TEST_F(KeyedTable, HeaderCountsFollowEveryCommit) {
    const std::string db = Path("H.DB");
    PxlibCreateKeyed(db, kNumbered, 1, NumberedRows(10));
    const std::string before = FileBytes(db);
    {
        Query q(true);
        q.AddLine("select * from \"" + db + "\"");
        q.Open();
        q.Delete();
        q.Close();
        engine::DefaultSession().Commit();
    }
    const std::string after = FileBytes(db);
    EXPECT_EQ(static_cast<unsigned char>(after[0x2D]), static_cast<unsigned char>(before[0x2D] + 1));
    EXPECT_EQ(static_cast<unsigned char>(after[0x70]), static_cast<unsigned char>(before[0x70] + 1));
    const auto stamp = static_cast<std::uint32_t>(
        static_cast<unsigned char>(after[0x60]) | static_cast<unsigned char>(after[0x61]) << 8 |
        static_cast<unsigned char>(after[0x62]) << 16 | static_cast<unsigned char>(after[0x63]) << 24);
    EXPECT_NEAR(static_cast<double>(stamp), static_cast<double>(std::time(nullptr)), 60);
    EXPECT_EQ(after[0x06], 9);  // records
    EXPECT_EQ(after[0x04], 0);  // still keyed
    const std::string index = FileBytes(Path("H.PX"));
    EXPECT_EQ(index[0x1E], 1);  // root block
    EXPECT_EQ(index[0x20], 1);  // levels
    EXPECT_EQ(index[0x06], 1);  // entries
}

// ---- refusals: each names the file, and no file changes ----------------------------------

namespace {

// Expects the run's change to fail with a message holding `fragments`, and no file to change.
void ExpectRefused(const std::string& db, const std::function<void()>& change,
                   const std::vector<std::string>& fragments, const std::vector<std::string>& files) {
    std::vector<std::string> before;
    for (const auto& f : files) before.push_back(FileBytes(f));
    try {
        change();
        engine::DefaultSession().Commit();
        ADD_FAILURE() << "the change of " << db << " was not refused";
    } catch (const EngineError& e) {
        for (const auto& f : fragments) EXPECT_NE(std::string(e.what()).find(f), std::string::npos) << e.what();
    }
    engine::DefaultSession().Discard();
    for (std::size_t i = 0; i < files.size(); ++i) EXPECT_EQ(FileBytes(files[i]), before[i]) << files[i];
}

void AppendKey(const std::string& db, int nnn) {
    Query q(true);
    q.AddLine("select * from \"" + db + "\"");
    q.Open();
    q.Append();
    q.SetInteger("NNN", nnn);
    q.Post();
}

}  // namespace

TEST_F(KeyedTable, DuplicateKeyIsRefusedBeforeAnyFileChanges) {
    const std::string db = Path("D.DB"), other = Path("U.DB");
    PxlibCreateKeyed(db, kNumbered, 1, NumberedRows(30));
    WriteParadoxTable(other, {{"X", FieldType::Long, 0}}, {{Cell::Integer(1)}});
    ExpectRefused(db,
                  [&] {
                      Query u(true);  // another table changed in the same run stays unchanged too
                      u.AddLine("select * from \"" + other + "\"");
                      u.Open();
                      u.Delete();
                      AppendKey(db, 17);
                  },
                  {db, "NNN=17", "twice"}, {db, Path("D.PX"), other});
}

// ---- an index that is not the table's own is derived data: rebuilt from a sound table ------

namespace {

// The index variants that are not the table's own: damaged, cut short, another table's, the
// index of a table keyed on other fields, none at all.
std::vector<std::pair<std::string, std::string>> ForeignIndexes(const std::string& good, const std::string& dir) {
    std::string damaged = good;
    damaged[0x1E] = 9;  // a root beyond the end of the file
    PxlibCreateKeyed(dir + "/O.DB", kNumbered, 1, NumberedRows(300, 2));
    PxlibCreateKeyed(dir + "/TWO.DB", {{"NNN", 'I'}, {"ID", 'I'}}, 2, {{"1", "1"}});
    return {{"damaged", damaged},
            {"cut short", good.substr(0, 0x900)},
            {"another table's", FileBytes(dir + "/O.PX")},
            {"keyed on other fields", FileBytes(dir + "/TWO.PX")},
            {"missing", ""}};
}

void PutIndex(const std::string& px, const std::string& bytes) {
    if (bytes.empty())
        std::filesystem::remove(px);
    else
        WriteBytes(px, bytes);
}

}  // namespace

TEST_F(KeyedTable, AnIndexThatIsNotTheTablesOwnIsRebuiltFromTheTableAndSaidSo) {
    const std::string db = Path("K.DB"), px = Path("K.PX");
    PxlibCreateKeyed(db, kNumbered, 1, NumberedRows(300));
    const std::string table = FileBytes(db), good = FileBytes(px);
    for (const auto& [what, bytes] : ForeignIndexes(good, dir.path())) {
        SCOPED_TRACE(what);
        // A change of the table writes it with an index built anew.
        WriteBytes(db, table);
        PutIndex(px, bytes);
        AppendKey(db, 1000);
        engine::DefaultSession().Commit();
        ExpectConsistent(db);
        EXPECT_EQ(PxlibReadThroughIndex(db), engine::ParseParadox(FileBytes(db), db).records);
        auto notices = engine::DefaultSession().TakeNotices();
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_NE(notices[0].find(px), std::string::npos) << notices[0];
        EXPECT_NE(notices[0].find("rebuilt from the table"), std::string::npos) << notices[0];

        // A table held for writing and left unchanged keeps its bytes and gets its index back,
        // its data blocks indexed where pxlib put them.
        WriteBytes(db, table);
        PutIndex(px, bytes);
        {
            Query q(true);
            q.AddLine("select * from \"" + db + "\"");
            q.Open();
        }
        engine::DefaultSession().Commit();
        EXPECT_EQ(FileBytes(db), table);
        ExpectConsistent(db);
        EXPECT_EQ(PxlibReadThroughIndex(db), engine::ParseParadox(table, db).records);
        EXPECT_EQ(engine::DefaultSession().TakeNotices().size(), 1u);
    }
    // The table's own index is left as it is, and nothing is said.
    {
        Query q(true);
        q.AddLine("select * from \"" + db + "\"");
        q.Open();
    }
    const std::string own = FileBytes(px);
    engine::DefaultSession().Commit();
    EXPECT_EQ(FileBytes(px), own);
    EXPECT_TRUE(engine::DefaultSession().TakeNotices().empty());
}

TEST_F(KeyedTable, AnIndexIsNeverDerivedFromATableThatIsNotSound) {
    const std::string db = Path("U.DB"), px = Path("U.PX");
    // pxlib stores the records in the order given: out of key order, a key twice.
    std::vector<PxRow> unordered = NumberedRows(300), twice = NumberedRows(300);
    std::swap(unordered[10], unordered[200]);
    twice[150][0] = twice[149][0];
    std::string counted;  // a header whose record count is not what its blocks hold
    PxlibCreateKeyed(db, kNumbered, 1, NumberedRows(300));
    counted = FileBytes(db);
    counted[0x06] = static_cast<char>(counted[0x06] + 1);
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"out of key order", "", "out of key order"},
        {"key twice", "", "twice"},
        {"header count", counted, "counts 301 records"}};
    for (const auto& [what, bytes, says] : cases) {
        SCOPED_TRACE(what);
        if (bytes.empty())
            PxlibCreateKeyed(db, kNumbered, 1, what == "key twice" ? twice : unordered);
        else
            WriteBytes(db, bytes);
        const std::string good = FileBytes(px);
        for (const auto& [index, indexBytes] : ForeignIndexes(good, dir.path())) {
            SCOPED_TRACE(index);
            PutIndex(px, indexBytes);
            std::vector<std::string> files = {db};
            if (!indexBytes.empty()) files.push_back(px);
            ExpectRefused(
                db, [&] { AppendKey(db, 1000); }, {px, db, says, "may be damaged"}, files);
            EXPECT_EQ(std::filesystem::exists(px), !indexBytes.empty());
            ExpectRefused(
                db, [&] { engine::RebuildPrimaryIndex(db); }, {db, says, "may be damaged"}, files);
        }
        PutIndex(px, good);
    }
}

TEST_F(KeyedTable, RebuildingAnIndexOnPurposeWritesTheIndexAlone) {
    const std::string db = Path("R.DB"), px = Path("R.PX");
    // Three thousand records of 100 bytes: 150 data blocks, two index levels of 1 KiB blocks.
    std::vector<PxRow> rows;
    for (int n = 1; n <= 3000; ++n) rows.push_back({std::to_string(n), "row", "1", "2", "3", "4"});
    PxlibCreateKeyed(db, {{"NNN", 'I'}, {"TEXT", 'A', 64}, {"A", 'N'}, {"B", 'N'}, {"C", 'N'}, {"D", 'N'}}, 1, rows);
    const std::string table = FileBytes(db);
    for (const auto& [what, bytes] : ForeignIndexes(FileBytes(px), dir.path())) {
        SCOPED_TRACE(what);
        PutIndex(px, bytes);
        const engine::RebuiltIndex r = engine::RebuildPrimaryIndex(db);
        EXPECT_EQ(r.indexPath, px);
        EXPECT_EQ(r.records, 3000u);
        // The old index's block size is kept when it names one; with none, the table's (2 KiB).
        EXPECT_EQ(r.levels, what == "missing" ? 1 : 2);
        EXPECT_NE(r.before.find(what == "missing" ? "missing" : px), std::string::npos) << r.before;
        EXPECT_EQ(FileBytes(db), table);
        ExpectConsistent(db, r.levels);
        EXPECT_EQ(PxlibReadThroughIndex(db), engine::ParseParadox(table, db).records);
    }
    EXPECT_TRUE(engine::RebuildPrimaryIndex(db).before.empty());  // it was the table's own
    // A table without a key has no index to rebuild.
    const std::string plain = Path("P.DB");
    WriteParadoxTable(plain, {{"X", FieldType::Long, 0}}, {{Cell::Integer(1)}});
    try {
        engine::RebuildPrimaryIndex(plain);
        ADD_FAILURE() << "an unkeyed table was given an index";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("no primary key"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(Path("P.PX")));
}

TEST_F(KeyedTable, SecondaryIndexesAreRefusedByName) {
    const std::string db = Path("S.DB");
    PxlibCreateKeyed(db, kNumbered, 1, NumberedRows(20));
    for (const char* name : {"S.X02", "s.y02", "S.XG0", "S.YG1"}) {
        SCOPED_TRACE(name);
        WriteBytes(Path(name), "index");
        ExpectRefused(db, [&] { AppendKey(db, 1000); }, {Path(name), "secondary index"}, {db, Path("S.PX")});
        std::filesystem::remove(Path(name));
    }
    // Files that are not indexes of the table do not stand in the way.
    WriteBytes(Path("S.XLS"), "sheet");
    WriteBytes(Path("SX.X02"), "another table's index");
    AppendKey(db, 1000);
    engine::DefaultSession().Commit();
    ExpectConsistent(db);
    // A table without a key is refused as well: its secondary indexes would go stale.
    const std::string plain = Path("P.DB");
    WriteParadoxTable(plain, {{"NNN", FieldType::Long, 0}}, {{Cell::Integer(1)}});
    for (const char* name : {"P.X01", "P.Y01", "P.XG0"}) {
        SCOPED_TRACE(name);
        WriteBytes(Path(name), "index");
        ExpectRefused(plain, [&] { AppendKey(plain, 2); }, {Path(name), "secondary index", plain}, {plain});
        std::filesystem::remove(Path(name));
    }
}

TEST(KeyOrder, ComparesAsTheTablesEngine) {
    engine::TableFile t = engine::CreateParadox(
        {{"NAME", FieldType::Alpha, 10}, {"N", FieldType::Number, 0}, {"D", FieldType::Date, 0}}, "/x/T.DB");
    t.keyFields = 3;
    const engine::KeyOrder order(t);
    auto rec = [&](const Cell& a, const Cell& n, const Cell& d) {
        std::string r = t.BlankRecord();
        t.Set(r, 0, a);
        t.Set(r, 1, n);
        t.Set(r, 2, d);
        return r;
    };
    auto less = [&](const std::string& a, const std::string& b) { return order.Compare(a.data(), b.data()) < 0; };
    const Cell none = Cell::Blank();
    // Texts: blanks first, digits before letters, Latin before Cyrillic, Ё after Е, case second.
    const std::vector<std::string> texts = {"", "1", "A", "b", "Б"_cp, "Е"_cp, "ё"_cp, "Ж"_cp, "жа"_cp, "Я"_cp};
    for (std::size_t i = 1; i < texts.size(); ++i) {
        const Cell a = texts[i - 1].empty() ? none : Cell::Text(texts[i - 1]);
        EXPECT_TRUE(less(rec(a, none, none), rec(Cell::Text(texts[i]), none, none))) << i;
    }
    EXPECT_TRUE(less(rec(Cell::Text("Ab"), none, none), rec(Cell::Text("ab"), none, none)));
    EXPECT_TRUE(less(rec(Cell::Text("ab"), none, none), rec(Cell::Text("AC"), none, none)));
    // Numbers and dates by value, blanks first; equal values are one key.
    EXPECT_TRUE(less(rec(none, none, none), rec(none, Cell::Real(-1e9), none)));
    EXPECT_TRUE(less(rec(none, Cell::Real(-2.5), none), rec(none, Cell::Real(-1), none)));
    EXPECT_TRUE(less(rec(none, Cell::Real(-1), none), rec(none, Cell::Real(0.5), none)));
    EXPECT_EQ(order.Compare(rec(none, Cell::Real(0.0), none).data(), rec(none, Cell::Real(-0.0), none).data()), 0);
    EXPECT_TRUE(less(rec(none, none, none), rec(none, none, Cell::Date(1))));
    EXPECT_TRUE(less(rec(none, none, Cell::Date(45000)), rec(none, none, Cell::Date(45001))));
    // The "ascii" sort order compares texts by their codes.
    t.sortOrder = "ascii";
    const engine::KeyOrder codes(t);
    EXPECT_LT(codes.Compare(rec(Cell::Text("B"), none, none).data(), rec(Cell::Text("a"), none, none).data()), 0);
}

TEST_F(KeyedTable, AnEmptiedTableKeepsAnEmptyIndexAndTakesRowsAgain) {
    const std::string db = Path("E.DB");
    PxlibCreateKeyed(db, kNumbered, 1, NumberedRows(70));
    auto change = [&](const std::function<void(Query&)>& body) {
        Query q(true);
        q.AddLine("select * from \"" + db + "\"");
        q.Open();
        body(q);
        q.Close();
        engine::DefaultSession().Commit();
    };
    change([](Query& q) {
        while (!q.Eof()) q.Delete();
    });
    EXPECT_TRUE(engine::ParseParadox(FileBytes(db), db).records.empty());
    const std::string index = FileBytes(Path("E.PX"));
    EXPECT_EQ(index.size(), 0x800u);  // the header alone
    ExpectConsistent(db);
    change([](Query& q) {
        for (int n : {7, 3}) {
            q.Append();
            q.SetInteger("NNN", n);
            q.Post();
        }
    });
    ExpectConsistent(db, 1);
    EXPECT_EQ(Longs(db, "NNN"), (std::vector<std::int64_t>{3, 7}));
    const engine::TableFile t = engine::ParseParadox(FileBytes(db), db);
    EXPECT_EQ(PxlibReadThroughIndex(db), t.records);
}

// Every Paradox field type is read or refused by name, and a written table keeps the fields a
// run did not change byte for byte; the tables come from an independent writer (pxlib).
extern "C" {
#include <paradox.h>
}

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/engine/paradox.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "platform/locale/settings.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::testing;
using engine::Query;

namespace {

// NNN, AMOUNT (BCD, 4 decimals), NOTE (memo, 10-byte head), PIC (binary), AT (time), FM
// (formatted memo). Row 1: a memo of 100 bytes in a shared .MB block and a one-byte formatted memo;
// row 2: a memo of 5000 bytes in a block of its own and a binary value; row 3: blanks.
constexpr int kRecord = 4 + 17 + 20 + 10 + 4 + 11;
const std::string kLong = "A" + std::string(4998, 'x') + "Z";

void WriteTypedTable(const std::string& db) {
    auto* f = static_cast<pxfield_t*>(std::calloc(6, sizeof(pxfield_t)));
    const struct {
        const char* name;
        int type, len, decimals;
    } spec[] = {{"NNN", pxfLong, 4, 0},  {"AMOUNT", pxfBCD, 17, 4}, {"NOTE", pxfMemoBLOb, 20, 0},
                {"PIC", pxfBLOb, 10, 0}, {"AT", pxfTime, 4, 0},     {"FM", pxfFmtMemoBLOb, 11, 0}};
    for (int i = 0; i < 6; ++i) {
        f[i].px_fname = strdup(spec[i].name);
        f[i].px_ftype = static_cast<char>(spec[i].type);
        f[i].px_flen = spec[i].len;
        f[i].px_fdc = spec[i].decimals;
    }
    pxdoc_t* px = PX_new();
    ASSERT_EQ(PX_create_file(px, f, 6, db.c_str(), pxfFileTypNonIndexDB), 0);
    const std::string mb = db.substr(0, db.size() - 3) + ".MB";
    ASSERT_EQ(PX_set_blob_file(px, mb.c_str()), 0);
    char rec[kRecord];
    std::string memo = kLong;
    std::memset(rec, 0, sizeof rec);
    PX_put_data_long(px, rec, 4, 1);
    PX_put_data_bcd(px, rec + 4, 4, const_cast<char*>("-12345.6789"));
    PX_put_data_blob(px, rec + 21, 20, memo.data(), 100);
    PX_put_data_long(px, rec + 51, 4, (13 * 3600 + 45 * 60 + 30) * 1000);
    PX_put_data_blob(px, rec + 55, 11, const_cast<char*>("rtf"), 1);
    ASSERT_GE(PX_put_record(px, rec), 0);
    std::memset(rec, 0, sizeof rec);
    PX_put_data_long(px, rec, 4, 2);
    PX_put_data_bcd(px, rec + 4, 4, const_cast<char*>("98765432109876543210.0001"));
    PX_put_data_blob(px, rec + 21, 20, memo.data(), static_cast<int>(memo.size()));
    PX_put_data_blob(px, rec + 41, 10, const_cast<char*>("bin"), 3);
    ASSERT_GE(PX_put_record(px, rec), 0);
    std::memset(rec, 0, sizeof rec);
    PX_put_data_long(px, rec, 4, 3);
    ASSERT_GE(PX_put_record(px, rec), 0);
    PX_close(px);
    PX_delete(px);
}

class FieldTypes : public ::testing::Test {
protected:
    void SetUp() override { WriteTypedTable(db); }
    void TearDown() override {
        engine::DefaultSession().Discard();
        locale::Current().decimalSeparator = '.';
    }
    TempDir dir;
    std::string db = dir / "TYPES.DB";
};

}  // namespace

TEST_F(FieldTypes, BcdMemoAndTimeReadAsTheirValues) {
    Query q;
    q.AddLine("select * from \"" + db + "\"");
    q.Open();
    ASSERT_EQ(q.RowCount(), 3);
    const int amount = q.FieldByName("AMOUNT"), note = q.FieldByName("NOTE"), at = q.FieldByName("AT"),
              fm = q.FieldByName("FM");
    EXPECT_EQ(q.AsText(amount), "-12345.6789");
    EXPECT_DOUBLE_EQ(q.AsReal(amount), -12345.6789);
    EXPECT_EQ(q.AsText(note), kLong.substr(0, 100));
    EXPECT_EQ(q.AsText(at), "13:45:30");
    EXPECT_EQ(q.FieldKind(at), engine::ColumnKind::Time);
    EXPECT_EQ(q.AsText(fm), "r");
    q.Next();
    EXPECT_EQ(q.AsText(amount), "98765432109876543210.0001");  // more digits than a double holds
    EXPECT_EQ(q.AsText(note), kLong);
    locale::Current().decimalSeparator = ',';
    EXPECT_EQ(q.AsText(amount), "98765432109876543210,0001");
    q.Next();
    EXPECT_EQ(q.AsText(amount), "");
    EXPECT_EQ(q.AsText(note), "");
    EXPECT_EQ(q.AsText(at), "");
    q.Close();
    // In a condition and an order, too.
    q.ClearSql();
    q.AddLine("select NNN from \"" + db + "\" where AMOUNT > 0");
    q.Open();
    ASSERT_EQ(q.RowCount(), 1);
    EXPECT_EQ(q.AsInteger(0), 2);
}

TEST_F(FieldTypes, BinaryDataIsAnErrorNamingTableAndField) {
    Query q;
    q.AddLine("select * from \"" + db + "\" where NNN=2");
    q.Open();
    try {
        (void)q.AsText(q.FieldByName("PIC"));
        FAIL() << "a binary field was read";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("PIC"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(db), std::string::npos) << e.what();
    }
    q.Close();
    q.ClearSql();
    q.AddLine("select PIC from \"" + db + "\"");
    EXPECT_THROW(q.Open(), EngineError);
}

TEST_F(FieldTypes, AMissingMemoFileIsAnErrorNamingIt) {
    std::filesystem::remove(dir / "TYPES.MB");
    Query q;
    q.AddLine("select * from \"" + db + "\" where NNN=2");
    q.Open();
    try {
        (void)q.AsText(q.FieldByName("NOTE"));
        FAIL() << "a memo without its file was read";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find(dir / "TYPES.MB"), std::string::npos) << e.what();
    }
}

TEST_F(FieldTypes, WritingKeepsUnchangedFieldsAndTheMemoFile) {
    const std::string mbBefore = FileBytes(dir / "TYPES.MB");
    const engine::TableFile before = engine::ParseParadox(FileBytes(db), db);
    {
        Query q(true);
        q.AddLine("select * from \"" + db + "\"");
        q.Open();
        q.Next();
        q.Edit();
        q.SetInteger("NNN", 20);
        q.Post();
        q.Next();
        q.Delete();
        q.Close();
        engine::DefaultSession().Commit();
    }
    EXPECT_EQ(FileBytes(dir / "TYPES.MB"), mbBefore);
    const engine::TableFile after = engine::ParseParadox(FileBytes(db), db);
    ASSERT_EQ(after.records.size(), 2u);
    EXPECT_EQ(after.records[0], before.records[0]);
    EXPECT_EQ(after.records[1].substr(4), before.records[1].substr(4));  // all but NNN
    EXPECT_EQ(after.Get(1, 0).integer, 20);

    // pxlib reads the rewritten table's BCD values and its long memo back.
    pxdoc_t* px = PX_new();
    ASSERT_EQ(PX_open_file(px, db.c_str()), 0);
    const std::string mb = dir / "TYPES.MB";
    ASSERT_EQ(PX_set_blob_file(px, mb.c_str()), 0);
    char rec[kRecord];
    ASSERT_NE(PX_get_record(px, 1, rec), nullptr);
    char* value = nullptr;
    ASSERT_EQ(PX_get_data_bcd(px, reinterpret_cast<unsigned char*>(rec + 4), 4, &value), 1);
    EXPECT_STREQ(value, "98765432109876543210.0001");
    px->free(px, value);
    int mod = 0, size = 0;
    char* memo = nullptr;
    ASSERT_EQ(PX_get_data_blob(px, rec + 21, 20, &mod, &size, &memo), 1);
    EXPECT_EQ(std::string(memo, static_cast<std::size_t>(size)), kLong);
    px->free(px, memo);
    PX_close(px);
    PX_delete(px);
}

TEST_F(FieldTypes, MemoAndBinaryFieldsCannotBeSet) {
    Query q(true);
    q.AddLine("select * from \"" + db + "\"");
    q.Open();
    q.Edit();
    EXPECT_THROW(q.SetText("NOTE", "new text"), EngineError);
    EXPECT_THROW(q.SetText("PIC", "x"), EngineError);
    q.Cancel();
}

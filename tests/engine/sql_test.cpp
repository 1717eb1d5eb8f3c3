#include <gtest/gtest.h>

#include <filesystem>

#include "platform/engine/query.h"
#include "platform/errors.h"
#include "platform/locale/settings.h"
#include "platform/text/cp1251.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;
using engine::Query;

namespace {

std::vector<NewField> ChapterFields() {
    return {{"NBAL2", FieldType::Alpha, 25}, {"A_P", FieldType::Alpha, 3},   {"IS_RUB", FieldType::Number, 0},
            {"NNN", FieldType::Long, 0},     {"ID_EKZ", FieldType::Long, 0}, {"DT", FieldType::Date, 0}};
}

std::vector<std::string> Column(Query& q, const char* field) {
    std::vector<std::string> out;
    int i = q.FieldByName(field);
    for (q.First(); !q.Eof(); q.Next()) out.push_back(q.AsText(i));
    return out;
}

class SqlTest : public ::testing::Test {
protected:
    void SetUp() override {
        table = dir / "Ф_1.DB"_cp;
        WriteParadoxTable(
            table, ChapterFields(),
            {{Cell::Text("79999 (ИТОГО)"_cp), Cell::Text("А"_cp), Cell::Real(30), Cell::Integer(3), Cell::Integer(5),
              Cell::Blank()},
             {Cell::Text("30102"), Cell::Text("а"_cp), Cell::Real(10.5), Cell::Integer(1), Cell::Integer(5),
              Cell::Date(45000)},
             {Cell::Blank(), Cell::Text("П"_cp), Cell::Blank(), Cell::Integer(2), Cell::Integer(6), Cell::Blank()},
             {Cell::Text("20202"), Cell::Text("А"_cp), Cell::Real(-2), Cell::Integer(4), Cell::Integer(5),
              Cell::Blank()}});
    }
    void TearDown() override { engine::DefaultSession().Discard(); }
    TempDir dir;
    std::string table;
};

}  // namespace

TEST_F(SqlTest, StatementsRunAsWritten) {
    Query q;
    q.AddLine("select * from \"" + table + "\"");
    q.AddLine(" where ID_EKZ=5");
    q.Open();
    EXPECT_EQ(q.FieldCount(), 6);
    EXPECT_EQ(q.FieldName(0), "NBAL2");
    EXPECT_EQ(Column(q, "NBAL2"), (std::vector<std::string>{"79999 (ИТОГО)"_cp, "30102", "20202"}));
    q.Close();

    // Text order compares code page bytes: blanks first, digits before letters.
    q.ClearSql();
    q.AddLine("select NBAL2 from \"" + table + "\" order by NBAL2");
    q.Open();
    EXPECT_EQ(q.FieldCount(), 1);
    EXPECT_EQ(Column(q, "nbal2"), (std::vector<std::string>{"", "20202", "30102", "79999 (ИТОГО)"_cp}));
    q.Close();

    // A blank alpha value is the empty text; blank numbers are null.
    q.ClearSql();
    q.AddLine("select * from \"" + table + "\" where NBAL2='' and IS_RUB is null");
    q.Open();
    EXPECT_EQ(q.RowCount(), 1);
    EXPECT_EQ(q.AsText(q.FieldByName("A_P")), "П"_cp);
    q.Close();

    // Cyrillic literals compare as code page bytes.
    q.ClearSql();
    q.AddLine("select * from \"" + table + "\" where NBAL2='79999 (ИТОГО)'"_cp);
    q.Open();
    EXPECT_EQ(q.RowCount(), 1);
}

TEST_F(SqlTest, TableNamesWithoutExtensionResolveToDbThenDbf) {
    Query q;
    q.AddLine("select * from \"" + dir / "Ф_1"_cp + "\"");
    q.Open();
    EXPECT_EQ(q.RowCount(), 4);
    q.Close();
    q.ClearSql();
    q.AddLine("select * from \"" + dir / "NONE" + "\"");
    try {
        q.Open();
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("NONE.DB"), std::string::npos);
    }
}

TEST_F(SqlTest, FieldValuesAndTheirTextForms) {
    Query q;
    q.AddLine("select * from \"" + table + "\" where NNN=1");
    q.Open();
    EXPECT_EQ(q.AsText(q.FieldByName("IS_RUB")), "10.5");
    EXPECT_EQ(q.AsReal(q.FieldByName("IS_RUB")), 10.5);
    EXPECT_EQ(q.AsInteger(q.FieldByName("NNN")), 1);
    EXPECT_EQ(q.AsText(q.FieldByName("DT")), "15.03.2023");
    EXPECT_EQ(q.AsDate(q.FieldByName("DT")), 45000);
    EXPECT_EQ(q.FieldKind(q.FieldByName("DT")), engine::ColumnKind::Date);
    EXPECT_EQ(q.FieldKind(q.FieldByName("NNN")), engine::ColumnKind::Integer);
    EXPECT_EQ(q.FieldKind(q.FieldByName("IS_RUB")), engine::ColumnKind::Real);
    EXPECT_EQ(q.FindField("MISSING"), -1);
    EXPECT_THROW(q.FieldByName("MISSING"), EngineError);
    {
        locale::ScopedSettings comma({"dd/mm/yyyy", '/', ','});
        EXPECT_EQ(q.AsText(q.FieldByName("IS_RUB")), "10,5");
        EXPECT_EQ(q.AsText(q.FieldByName("DT")), "15/03/2023");
    }
    q.Close();
    // An empty result: empty text, 0, 0.0.
    q.ClearSql();
    q.AddLine("select * from \"" + table + "\" where NNN=99");
    q.Open();
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.AsText(0), "");
    EXPECT_EQ(q.AsInteger(3), 0);
    EXPECT_EQ(q.AsReal(2), 0.0);
}

TEST_F(SqlTest, BadStatementsNameTheProblem) {
    Query q;
    q.AddLine("select * form \"" + table + "\"");
    EXPECT_THROW(q.Open(), EngineError);
    q.ClearSql();
    q.AddLine("select NOSUCH from \"" + table + "\"");
    EXPECT_THROW(q.Open(), EngineError);
    EXPECT_FALSE(q.Active());
    EXPECT_TRUE(q.Eof());
}

TEST_F(SqlTest, LiveCursorChangesTheSharedImage) {
    Query main(true), aux;
    main.AddLine("select * from \"" + table + "\"");
    main.AddLine(" where ID_EKZ=5");
    main.Open();
    // Edit the second row.
    main.First();
    main.Next();
    main.Edit();
    main.SetText("A_P", "А"_cp);
    main.SetText("IS_RUB", "11.25");
    main.Post();
    // Append: the new row is last in the table and in the cursor.
    main.Append();
    main.SetInteger("NNN", 77);
    main.SetInteger("ID_EKZ", 5);
    main.Post();
    EXPECT_EQ(main.RecNo(), 4);
    EXPECT_EQ(main.AsInteger(main.FieldByName("NNN")), 77);
    // Delete the first row: the cursor stands on the following one.
    main.First();
    main.Delete();
    EXPECT_EQ(main.AsText(main.FieldByName("NBAL2")), "30102");
    EXPECT_EQ(main.RowCount(), 3);

    aux.AddLine("select * from \"" + table + "\" order by NNN");
    aux.Open();
    EXPECT_EQ(Column(aux, "NNN"), (std::vector<std::string>{"1", "2", "4", "77"}));
    aux.First();
    EXPECT_EQ(aux.AsText(aux.FieldByName("IS_RUB")), "11.25");

    // Nothing reaches the file before the commit.
    EXPECT_EQ(ReadTable(table).size(), 4u);
    main.Close();
    aux.Close();
    engine::DefaultSession().Commit();
    auto rows = ReadTable(table);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0].text, "30102");
    EXPECT_EQ(rows[0][1].text, "А"_cp);
    EXPECT_EQ(rows[3][3].integer, 77);
}

TEST_F(SqlTest, EditOnAnEmptyResultStartsANewRow) {
    Query main(true);
    main.AddLine("select * from \"" + table + "\" where ID_EKZ=42");
    main.Open();
    main.Edit();
    main.SetText("NBAL2", "10101");
    main.Post();
    main.Close();
    engine::DefaultSession().Commit();
    auto rows = ReadTable(table);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4][0].text, "10101");
}

TEST_F(SqlTest, DiscardWritesNothingAndReadOnlyResultsRefuseChanges) {
    const std::string before = FileBytes(table);
    {
        Query main(true);
        main.AddLine("select * from \"" + table + "\"");
        main.Open();
        main.Delete();
        Query joined(true);
        joined.AddLine("select NBAL2 from \"" + table + "\"");
        joined.Open();
        EXPECT_THROW(joined.Edit(), EngineError);
        EXPECT_THROW(main.SetText("NOSUCH", "1"), EngineError);
        main.Edit();
        EXPECT_THROW(main.SetText("IS_RUB", "1,5"), ConversionError);
        EXPECT_THROW(main.SetText("NBAL2", std::string(26, 'x')), EngineError);
    }
    engine::DefaultSession().Discard();
    EXPECT_EQ(FileBytes(table), before);
}

TEST_F(SqlTest, KeyedTableWithoutItsIndexIsReadButNotChangedWhenItsRecordsAreOutOfKeyOrder) {
    // Mark the table keyed on its first field, as a table with a primary index is; its records
    // are not in the order of that field, so no index can be derived from it.
    std::string bytes = FileBytes(table);
    bytes[0x04] = 0;  // file type: keyed
    bytes[0x23] = 1;  // one key field
    WriteBytes(table, bytes);
    Query main(true);
    main.AddLine("select * from \"" + table + "\"");
    main.Open();
    EXPECT_EQ(main.RowCount(), 4);
    main.Edit();
    main.SetText("A_P", "П"_cp);
    main.Post();
    main.Close();
    try {
        engine::DefaultSession().Commit();
        FAIL() << "a keyed table without its primary index was changed";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("missing"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(dir / "Ф_1.PX"_cp), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("out of key order"), std::string::npos) << e.what();
    }
    EXPECT_EQ(FileBytes(table), bytes);
    EXPECT_FALSE(std::filesystem::exists(dir / "Ф_1.PX"));
}

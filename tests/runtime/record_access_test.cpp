#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "runtime/conversions.h"
#include "runtime/record_access.h"
#include "runtime/report_location.h"
#include "support/in_run.h"
#include "support/printers.h"
#include "support/report.h"
#include "support/tables.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;
using engine::Cell;

namespace {

constexpr std::int32_t kFormF = 901, kTableF = 900001;

class RecordAccess : public ::testing::Test {
protected:
    void SetUp() override { dir = tree.DateDir(kDate); }
    void Run(const hostkit::DescriptorSet& records, std::int32_t table, const std::function<void()>& body,
             std::int32_t instance = 0) {
        RunInside({table, 4, instance, kDate, tree.Protocol(), dir, ""}, records, body);
    }
    const double kDate = locale::EncodeDate(2025, 12, 1);
    ScriptedUi ui;
    ReportTree tree;
    std::string dir;
};

}  // namespace

TEST_F(RecordAccess, ReadingFieldsByTheirTypeLetters) {
    WriteParadoxTable(
        dir + "T.DB",
        {{"ID", engine::FieldType::Long, 0},
         {"NAME", engine::FieldType::Alpha, 20},
         {"DAY", engine::FieldType::Date, 0},
         {"QTY", engine::FieldType::Long, 0},
         {"SUM", engine::FieldType::Number, 0},
         {"NNN", engine::FieldType::Long, 0}},
        {{Cell::Integer(1), Cell::Text("ёлка"_cp), Cell::Date(locale::EncodeDate(2025, 3, 5)), Cell::Integer(7),
          Cell::Real(2.5), Cell::Integer(100)},
         {Cell::Integer(1), Cell::Blank(), Cell::Blank(), Cell::Blank(), Cell::Blank(), Cell::Integer(101)},
         {Cell::Integer(1), Cell::Text("x"), Cell::Blank(), Cell::Blank(), Cell::Blank(), Cell::Integer(102)}});
    hostkit::DescriptorSet records({{kFormF, "FORM"}}, {{kTableF, kFormF, "T", "T", ""}},
                                   {{kTableF, "NAME", 'A', false},
                                    {kTableF, "DAY", 'D', false},
                                    {kTableF, "QTY", 'I', false},
                                    {kTableF, "SUM", 'N', false},
                                    {kTableF, "NNN", 'I', true}});
    std::vector<Value> got;
    Run(records, kTableF, [&] {
        FirstRow();
        for (const char* f : {"name", "DAY", "QTY", "SUM", "NNN", "ROW_NUM", "NOSUCH"}) got.push_back(GetRowField(f));
        NextRow();
        for (const char* f : {"NAME", "DAY", "QTY", "SUM"}) got.push_back(GetRowField(f));
        NextRow();
        got.push_back(GetRowField("ROW_NUM"));
        NextRow();
        got.push_back(Value::Int(RowsEnded()));
    });
    ASSERT_TRUE(ui->messageBoxes.empty()) << ui->messageBoxes[0];
    ASSERT_EQ(got.size(), 13u);
    EXPECT_EQ(got[0], Value::Str("ЁЛКА"_cp));
    EXPECT_EQ(got[1], Value::DateOf(locale::EncodeDate(2025, 3, 5)));
    EXPECT_EQ(got[2], Value::Int(7));
    EXPECT_EQ(got[3], Value::Real(2.5));
    EXPECT_EQ(got[4], Value::Int(100));
    EXPECT_EQ(got[5], Value::Int(1));
    EXPECT_EQ(got[6], Value::Null());
    EXPECT_EQ(got[7], Value::Str(""));
    EXPECT_EQ(got[8], Value::Int(0));   // an empty date
    EXPECT_EQ(got[9], Value::Str(""));  // an empty integer is the empty text, not 0
    EXPECT_EQ(got[10], Value::Str(""));
    EXPECT_EQ(got[11], Value::Int(3));
    EXPECT_EQ(got[12], Value::Int(1));
}

TEST_F(RecordAccess, WritingAppendingAndDeletingRows) {
    WriteParadoxTable(dir + "CH_A.DB", ChapterFields(),
                      {ChapterRow(5, "30102", "а"_cp, {}, 10), ChapterRow(5, "30202", "П"_cp, {}, 20),
                       ChapterRow(6, "40702", "П"_cp, {}, 2000000000)});
    hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
    std::vector<std::int32_t> keys;
    std::string bufferedAfterSet;
    Run(
        records, contract::kTableChapterA,
        [&] {
            FirstRow();
            SetRowField("A_P", Value::Str("А"_cp));
            SetRowField("VX_RUB", Value::Real(1234.5));
            SetRowField("VX_VAL", Value::Int(5));
            SetRowField("row_num", Value::Int(9));
            SetRowField("NOSUCH", Value::Int(9));
            bufferedAfterSet = ValueToText(GetRowField("A_P"));  // still the text of the last row step
            NextRow();
            DeleteRow();  // cursor on the row after it: none for this instance
            AppendRow();
            SetRowField("NBAL2", Value::Str("79999 (ИТОГО)"_cp));
            keys.push_back(GetRowField("NNN").integer);
            AppendRow();
            keys.push_back(GetRowField("NNN").integer);
            keys.push_back(NewRowKey());
        },
        5);
    ASSERT_TRUE(ui->messageBoxes.empty()) << ui->messageBoxes[0];
    EXPECT_EQ(bufferedAfterSet, "А"_cp);  // upper-cased from the buffered "а"
    auto rows = ReadTable(dir + "CH_A.DB");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][2].text, "А"_cp);
    EXPECT_EQ(rows[0][3].real, 1234.5);
    EXPECT_EQ(rows[0][4].real, 5);
    EXPECT_EQ(rows[1][1].text, "40702");
    EXPECT_EQ(rows[2][1].text, "79999 (ИТОГО)"_cp);
    EXPECT_EQ(rows[2][0].integer, 5);  // the instance's ID_EKZ
    // Keys: fresh, increasing, above every key of the table (also other instances' rows).
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_GT(keys[0], 2000000000);
    EXPECT_LT(keys[0], keys[1]);
    EXPECT_LT(keys[1], keys[2]);
    EXPECT_EQ(rows[3][15].integer, keys[1]);
}

TEST_F(RecordAccess, TablesOfKindFSkipTheirSecondColumnAndAreNotAppendedTo) {
    WriteParadoxTable(dir + "KF.DB",
                      {{"K", engine::FieldType::Long, 0},
                       {"ID", engine::FieldType::Long, 0},
                       {"A", engine::FieldType::Alpha, 5},
                       {"B", engine::FieldType::Alpha, 5}},
                      {{Cell::Integer(1), Cell::Integer(1), Cell::Text("a1"), Cell::Text("b1")}});
    hostkit::DescriptorSet records({{kFormF, "FORM"}}, {{kTableF, kFormF, "KF", "KF", "F"}},
                                   {{kTableF, "A", 'A', false}, {kTableF, "B", 'A', false}});
    std::string a, b;
    const std::string before = FileBytes(dir + "KF.DB");
    Run(records, kTableF, [&] {
        FirstRow();
        a = ValueToText(GetRowField("A"));
        b = ValueToText(GetRowField("B"));
        AppendRow();
        DeleteRow();
    });
    EXPECT_EQ(a, "A1");
    EXPECT_EQ(b, "B1");
    EXPECT_EQ(FileBytes(dir + "KF.DB"), before);
}

TEST_F(RecordAccess, AuxFieldsByColumnType) {
    WriteParadoxTable(dir + "CH_A.DB", ChapterFields(), {ChapterRow(0, "1", "А"_cp)});
    WriteParadoxTable(dir + "PS_WORK.DB",
                      {{"BS2_NUM", engine::FieldType::Alpha, 5},
                       {"PS_ACC_DATE_END", engine::FieldType::Date, 0},
                       {"CNT", engine::FieldType::Short, 0},
                       {"RATE", engine::FieldType::Number, 0}},
                      {{Cell::Text("10207"), Cell::Blank(), Cell::Blank(), Cell::Real(0.5)},
                       {Cell::Text("30102"), Cell::Date(45000), Cell::Integer(3), Cell::Blank()}});
    hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
    std::vector<Value> got;
    Run(records, contract::kTableChapterA, [&] {
        OpenAuxTable("!.PS_WORK", "BS2_NUM", "", kDate);
        for (; !AuxTableEnded(); NextAuxRow())
            for (const char* f : {"BS2_NUM", "PS_ACC_DATE_END", "CNT", "RATE", "MISSING", "row_num"})
                got.push_back(GetAuxField(f));
        CloseAuxTable();
        got.push_back(Value::Int(AuxTableEnded()));
    });
    ASSERT_EQ(got.size(), 13u);
    EXPECT_EQ(got[0], Value::Str("10207"));
    EXPECT_EQ(got[1], Value::DateOf(0));
    EXPECT_EQ(got[2], Value::Str(""));
    EXPECT_EQ(got[3], Value::Real(0.5));
    EXPECT_EQ(got[4], Value::Str(""));
    EXPECT_EQ(got[5], Value::Int(1));
    EXPECT_EQ(got[7], Value::DateOf(45000));
    EXPECT_EQ(got[8], Value::Int(3));
    EXPECT_EQ(got[9], Value::Str(""));
    EXPECT_EQ(got[11], Value::Int(2));
    EXPECT_EQ(got[12], Value::Int(1));
}

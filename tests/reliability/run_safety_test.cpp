// Runs that must not lose or corrupt data: chapter tables with fields SQLite reserves, several
// runs in one process, row keys at the end of their range.
#include <gtest/gtest.h>

#include "../controls/chapter_fixture.h"
#include "../controls/controls_fixture_a.h"
#include "controls/procedures.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "runtime/conversions.h"
#include "runtime/record_access.h"
#include "runtime/row_keys.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

class RunSafety : public ::testing::Test, protected ChapterReport {
protected:
    // Chapter А with extra fields after NNN, all of them 0 (as record numbers: the first
    // record, again and again).
    void WriteWithExtraFields(const std::vector<Account>& accounts, const std::vector<std::string>& extra) {
        auto fields = ChapterFields();
        for (const auto& name : extra) fields.push_back({name, engine::FieldType::Long, 0});
        std::vector<std::vector<engine::Cell>> rows;
        std::int32_t key = 1;
        for (const auto& acc : accounts) {
            Amounts am{acc.a[0], acc.a[1], acc.a[2], acc.a[3], acc.a[4],  acc.a[5],
                       acc.a[6], acc.a[7], acc.a[8], acc.a[9], acc.a[10], acc.a[11]};
            rows.push_back(ChapterRow(0, text::FromUtf8(acc.nbal, true), text::FromUtf8(acc.ap, true), am, key++));
            for (std::size_t i = 0; i < extra.size(); ++i) rows.back().push_back(engine::Cell::Integer(0));
        }
        WriteParadoxTable(TablePath(kDate, 'A'), fields, rows);
    }
    std::string SortA() {
        std::filesystem::remove(tree.Protocol());
        hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
        RunInside({contract::kTableChapterA, 7, 0, kDate, tree.Protocol(), tree.DateDir(kDate), ""}, records,
                  controls::SortChapterA);
        return FileBytes(tree.Protocol());
    }
    // The rows of chapter А without their keys and extra fields.
    std::vector<std::string> RowsA() {
        std::vector<std::string> out;
        for (const auto& r : Rows('A')) {
            std::string row;
            for (std::size_t f = 1; f < 15; ++f) row += engine::CellText(r[f], engine::ColumnKind::Text) + "|";
            out.push_back(row);
        }
        return out;
    }
};

}  // namespace

// ---- fields named as SQLite's row id -------------------------------------------------------

TEST_F(RunSafety, AChapterTableWithRowidFieldsIsControlledAndSortedAsWithout) {
    Write(kPrevious, 'A', PreviousA());
    WriteChart(ChartA());
    Write(kDate, 'A', CurrentA());
    const std::string control = ChapterReport::Run(contract::kTableChapterA, controls::ControlChapterA1);
    const auto controlled = RowsA();
    const std::string sort = SortA();
    const auto sorted = RowsA();
    ASSERT_TRUE(ui->messageBoxes.empty()) << ui->messageBoxes[0];

    for (const auto& extra :
         std::vector<std::vector<std::string>>{{"ROWID"}, {"OID", "_ROWID_"}, {"rowid", "oid", "_rowid_"}}) {
        WriteWithExtraFields(CurrentA(), extra);
        EXPECT_EQ(ChapterReport::Run(contract::kTableChapterA, controls::ControlChapterA1), control) << extra[0];
        EXPECT_EQ(RowsA(), controlled) << extra[0];
        EXPECT_EQ(SortA(), sort) << extra[0];
        EXPECT_EQ(RowsA(), sorted) << extra[0];  // every row once, none doubled or dropped
        EXPECT_TRUE(ui->messageBoxes.empty()) << extra[0] << ": " << ui->messageBoxes[0];
    }
}

// ---- several runs in one process -----------------------------------------------------------

TEST_F(RunSafety, RowBufferSlotsKeepTheirValuesThroughRunsOnOtherTables) {
    // A wide table and a narrow one; the narrow table's host describes fields it does not
    // have, whose slots keep what the last row movement of an earlier run put there.
    constexpr std::int32_t kForm = 901, kWide = 900001, kNarrow = 900002;
    const std::string dir = tree.DateDir(kDate);
    WriteParadoxTable(dir + "WIDE.DB",
                      {{"K", engine::FieldType::Long, 0},
                       {"A", engine::FieldType::Alpha, 10},
                       {"B", engine::FieldType::Alpha, 10},
                       {"C", engine::FieldType::Date, 0},
                       {"NNN", engine::FieldType::Long, 0}},
                      {{engine::Cell::Integer(1), engine::Cell::Text("a1"), engine::Cell::Text("b1"),
                        engine::Cell::Date(locale::EncodeDate(2025, 1, 1)), engine::Cell::Integer(1)},
                       {engine::Cell::Integer(2), engine::Cell::Text("a2"), engine::Cell::Text("b2"),
                        engine::Cell::Date(locale::EncodeDate(2025, 2, 2)), engine::Cell::Integer(2)}});
    WriteParadoxTable(dir + "NARROW.DB", {{"K", engine::FieldType::Long, 0}, {"A", engine::FieldType::Alpha, 10}},
                      {{engine::Cell::Integer(1), engine::Cell::Text("n1")}});
    hostkit::DescriptorSet records({{kForm, "FORM"}},
                                   {{kWide, kForm, "W", "WIDE", ""}, {kNarrow, kForm, "N", "NARROW", ""}},
                                   {{kWide, "A", 'A', false},
                                    {kWide, "B", 'A', false},
                                    {kWide, "C", 'D', false},
                                    {kWide, "NNN", 'I', false},
                                    {kNarrow, "A", 'A', false},
                                    {kNarrow, "B", 'A', false},
                                    {kNarrow, "C", 'D', false}});
    auto run = [&](std::int32_t table, const std::function<void()>& body) {
        RunInside({table, 4, 0, kDate, tree.Protocol(), dir, ""}, records, body);
    };
    std::vector<std::string> seen;
    auto read = [&](const char* field) { seen.push_back(ValueToText(GetRowField(field))); };
    for (int round = 0; round < 2; ++round) {
        // A run that changes its table and then fails part way: nothing of it is written.
        run(kWide, [&] {
            FirstRow();
            NextRow();
            read("B");
            SetRowField("A", Value::Str("changed"));
            throw ConversionError("failing part way");
        });
        run(kNarrow, [&] {
            FirstRow();
            read("A");
            read("B");
            read("C");
        });
        // A run that succeeds, its table written at its end; then the narrow table again.
        run(kWide, [&] {
            FirstRow();
            read("C");
            SetRowField("A", Value::Str("x"));
        });
        run(kNarrow, [&] {
            FirstRow();
            read("B");
            read("C");
        });
    }
    EXPECT_EQ(ui->messageBoxes.size(), 2u);
    const std::vector<std::string> once = {"B2", "N1", "B2", "02.02.2025", "01.01.2025", "B1", "01.01.2025"};
    std::vector<std::string> expected = once;
    expected.insert(expected.end(), once.begin(), once.end());
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(ReadTable(dir + "WIDE.DB").size(), 2u);
}

// ---- row keys at the end of their range ----------------------------------------------------

TEST(RowKeys, TheClockKeyWhenFreeThenTheKeyAfterTheLargestThenTheSmallestUnused) {
    int asked = 0;
    RowKeyChooser keys(1000, [&] {
        ++asked;
        return std::vector<std::int64_t>{};
    });
    EXPECT_EQ(keys.Next(5000), 5000);  // the clock's key is free: above every key
    EXPECT_EQ(keys.Next(5000), 5001);  // the same clock value again: the next one
    EXPECT_EQ(keys.Next(10), 5002);    // a clock behind the table's keys
    EXPECT_EQ(keys.Next(2147483647), 2147483647);
    EXPECT_EQ(asked, 0);

    RowKeyChooser full(2147483647, [] { return std::vector<std::int64_t>{2147483647, 5, 0, 1, 3, -4, 3}; });
    std::vector<std::int32_t> got;
    for (int i = 0; i < 4; ++i) got.push_back(full.Next(2000000000));
    EXPECT_EQ(got, (std::vector<std::int32_t>{2, 4, 6, 7}));
}

TEST_F(RunSafety, ATableHoldingTheLargestKeyStillTakesNewRows) {
    auto rows = std::vector<std::vector<engine::Cell>>{ChapterRow(0, "30102", "А"_cp, {}, 2147483645),
                                                       ChapterRow(0, "20202", "А"_cp, {}, 0),
                                                       ChapterRow(0, "10207", "П"_cp, {}, 2)};
    WriteParadoxTable(TablePath(kDate, 'A'), ChapterFields(), rows);
    std::vector<std::int32_t> keys;
    hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
    RunInside({contract::kTableChapterA, 4, 0, kDate, tree.Protocol(), tree.DateDir(kDate), ""}, records, [&] {
        FirstRow();
        for (int i = 0; i < 5; ++i) {
            AppendRow();
            keys.push_back(GetRowField("NNN").integer);
        }
    });
    ASSERT_TRUE(ui->messageBoxes.empty()) << ui->messageBoxes[0];
    // Above the largest key while there is room, then the smallest unused ones in order.
    EXPECT_EQ(keys, (std::vector<std::int32_t>{2147483646, 2147483647, 1, 3, 4}));
    EXPECT_EQ(Rows('A').size(), 8u);

    // A control rebuilds its totals, and a sort puts the rows in order, on such a table.
    Write(kPrevious, 'A', PreviousA());
    WriteChart(ChartA());
    Write(kDate, 'A', CurrentA());
    const std::string control = ChapterReport::Run(contract::kTableChapterA, controls::ControlChapterA1);
    const auto controlled = RowsA();
    const std::string sort = SortA();
    const auto sorted = RowsA();
    auto current = CurrentA();
    Write(kDate, 'A', current);
    rows = Rows('A');
    rows[2][15] = engine::Cell::Integer(2147483647);
    WriteParadoxTable(TablePath(kDate, 'A'), ChapterFields(), rows);
    EXPECT_EQ(ChapterReport::Run(contract::kTableChapterA, controls::ControlChapterA1), control);
    EXPECT_EQ(RowsA(), controlled);
    EXPECT_EQ(SortA(), sort);
    EXPECT_EQ(RowsA(), sorted);
    EXPECT_TRUE(ui->messageBoxes.empty()) << ui->messageBoxes[0];
}

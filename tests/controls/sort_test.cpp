// Sorting the chapter tables.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "chapter_fixture.h"
#include "controls/procedures.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

class Sorting : public ::testing::Test, protected ChapterReport {
protected:
    std::string Sort(std::int32_t table, void (*procedure)()) {
        std::filesystem::remove(tree.Protocol());
        hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
        RunInside({table, 7, 0, kDate, tree.Protocol(), tree.DateDir(kDate), ""}, records, procedure);
        return FileBytes(tree.Protocol());
    }
    std::vector<std::string> Order(char chapter) {
        std::vector<std::string> out;
        for (const auto& r : Rows(chapter)) out.push_back(text::ToUtf8(r[1].text) + "|" + text::ToUtf8(r[2].text));
        return out;
    }
};

std::array<double, 12> Amt(double v) { return {v, 0, v, 0, 0, 0, 0, 0, 0, v, 0, v}; }

}  // namespace

TEST_F(Sorting, RowsComeBackInAccountOrderGroupedBySign) {
    // x (А), y (П), z (А), w (a blank sign); x before z in account order.
    Write(kDate, 'A',
          {{"30102", "П", Amt(1)},
           {"20202", "А", Amt(2)},
           {"40702", "А", Amt(3)},
           {"10207", "", Amt(4)},
           {"", "А", Amt(5)},
           {"30109", "а", Amt(6)},
           {"79999 (ИТОГО)", "А", Amt(5)}});
    EXPECT_EQ(Sort(contract::kTableChapterA, controls::SortChapterA),
              Lines({"**Контроль формы 101 Глава А. Баланс. Cортировка по No б/c"}));
    EXPECT_EQ(Order('A'),
              (std::vector<std::string>{"10207| ", "30109|а", "20202|А", "40702|А", "79999 (ИТОГО)|А", "30102|П"}));
    auto rows = Rows('A');
    EXPECT_EQ(rows[2][3].real, 2);    // amounts travel with their rows
    EXPECT_EQ(rows[0][2].text, " ");  // a missing sign comes back as one blank
    EXPECT_EQ(rows[0][4].real, 0);    // and missing amounts as 0
}

TEST_F(Sorting, TheOffBalanceTotalRowClosesItsGroup) {
    Write(kDate, 'V',
          {{"91999 (ИТОГО)", "П"},
           {"99999", "П"},
           {"91999 (ИТОГО)", "А"},
           {"90701", "А"},
           {"99998", "А"},
           {"91203", "П"}});
    EXPECT_EQ(Sort(contract::kTableChapterV, controls::SortChapterV),
              Lines({"**Контроль формы 101 Глава В. Сортировка внебалансовых счетов"}));
    EXPECT_EQ(Order('V'), (std::vector<std::string>{"90701|А", "99998|А", "91999 (ИТОГО)|А", "91203|П", "99999|П",
                                                    "91999 (ИТОГО)|П"}));
}

TEST_F(Sorting, DepositoryAmountsStayTextsWithZeroDefaults) {
    WriteParadoxTable(
        TablePath(kDate, 'D'), DepoFields(),
        {DepoRow(0, "98020", "П"_cp, {"", "", "112233445566778899.1234", "", "", "", "", "", "", "", "", "1"}),
         DepoRow(0, "98010", "А"_cp, {"1.5", "", "", "", "", "", "", "", "", "", "", ""})});
    EXPECT_EQ(Sort(contract::kTableChapterD, controls::SortChapterD),
              Lines({"**Контроль формы 101 Глава Д. Сортировка счетов ДЕПО"}));
    auto rows = Rows('D');
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1].text, "98010");
    EXPECT_EQ(rows[0][3].text, "1.5");
    EXPECT_EQ(rows[0][4].text, "0.0000");
    EXPECT_EQ(rows[1][5].text, "112233445566778899.1234");
    EXPECT_EQ(rows[1][3].text, "0.0000");
}

TEST_F(Sorting, TablesWithoutAccountsAreLeftAsTheyWere) {
    Write(kDate, 'G', {});
    EXPECT_EQ(Sort(contract::kTableChapterG, controls::SortChapterG),
              Lines({"**Контроль формы 101 Глава Г. Сортировка баланса по срочным сделкам "}));
    EXPECT_TRUE(Rows('G').empty());
    Write(kDate, 'G', {{"", "А", Amt(1)}, {"", "П", Amt(2)}});
    Sort(contract::kTableChapterG, controls::SortChapterG);
    auto rows = Rows('G');
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][3].real, 1);
    EXPECT_EQ(rows[1][3].real, 2);
}

TEST_F(Sorting, ASortThatFailsPartWayKeepsEveryOldRow) {
    // An amount that cannot be written back (not a number) fails the sort after the clearing.
    auto bad = ChapterRow(0, "20202", "А"_cp, {std::numeric_limits<double>::infinity()});
    WriteParadoxTable(TablePath(kDate, 'B'), ChapterFields(),
                      {ChapterRow(0, "30102", "П"_cp), bad, ChapterRow(0, "10207", "А"_cp)});
    const std::string before = FileBytes(TablePath(kDate, 'B'));
    Sort(contract::kTableChapterB, controls::SortChapterB);
    ASSERT_EQ(ui->messageBoxes.size(), 1u);
    EXPECT_EQ(FileBytes(TablePath(kDate, 'B')), before);
}

TEST_F(Sorting, TheThreeThousandAndFirstRowStopsTheSortBeforeAnyChange) {
    std::vector<Account> many;
    for (int i = 0; i < 3001; ++i) many.push_back({std::to_string(20000 + i), "А"});
    Write(kDate, 'A', many);
    const std::string before = FileBytes(TablePath(kDate, 'A'));
    Sort(contract::kTableChapterA, controls::SortChapterA);
    ASSERT_EQ(ui->messageBoxes.size(), 2u);
    EXPECT_EQ(ui->messageBoxes[0], "Превышен максимальный размер 3000 массива BS2P"_cp);
    EXPECT_EQ(FileBytes(TablePath(kDate, 'A')), before);
}

// What a sort must keep: every row of the instance it sorts, once, and nothing of any other
// instance; and a table in which it cannot append and delete rows is left as it was.
class SortingKeepsRows : public ::testing::Test, protected ChapterReport {
protected:
    std::vector<std::string> Order(char chapter, std::int32_t instance) {
        std::vector<std::string> out;
        for (const auto& r : Rows(chapter))
            if (r[0].integer == instance) out.push_back(text::ToUtf8(r[1].text) + "|" + text::ToUtf8(r[2].text));
        return out;
    }
    // Chapter А as a table of kind "F": a leading column of its own before ID_EKZ.
    static std::vector<hostkit::TableRecord> KindF() {
        auto tables = Form101Tables();
        tables[0].kind = "F";
        return tables;
    }
    void WriteKindF(const std::vector<std::pair<std::string, std::string>>& rows) {
        auto fields = ChapterFields();
        fields.insert(fields.begin(), {"K", engine::FieldType::Long, 0});
        std::vector<std::vector<engine::Cell>> cells;
        std::int32_t key = 1;
        for (const auto& [nbal, ap] : rows) {
            auto row = ChapterRow(0, text::FromUtf8(nbal, true), text::FromUtf8(ap, true), {}, key);
            row.insert(row.begin(), engine::Cell::Integer(key++));
            cells.push_back(row);
        }
        WriteParadoxTable(TablePath(kDate, 'A'), fields, cells);
    }
};

const std::string kSortHeaderA = "**Контроль формы 101 Глава А. Баланс. Cортировка по No б/c";

TEST_F(SortingKeepsRows, ATableOfKindFIsNotSortedAndNotChanged) {
    const std::string refusal =
        "СОРТИРОВКА НЕВОЗМОЖНА: В ТАБЛИЦЕ CH_A (Ф_1) НЕЛЬЗЯ ДОБАВЛЯТЬ И УДАЛЯТЬ СТРОКИ. ТАБЛИЦА НЕ ИЗМЕНЕНА";
    // Nothing to sort: the marker's texts must not land on the first row.
    WriteKindF({{"", "П"}, {"", "А"}});
    std::string before = FileBytes(TablePath(kDate, 'A'));
    EXPECT_EQ(RunExported(contract::kTableChapterA, 7, 0, KindF()), Lines({kSortHeaderA, refusal}));
    EXPECT_EQ(FileBytes(TablePath(kDate, 'A')), before);

    // Rows to sort: the sort ends at once (a child process, so that a sort that never ends
    // fails the test instead of hanging it).
    WriteKindF({{"30102", "П"}, {"20202", "А"}, {"10207", "А"}});
    before = FileBytes(TablePath(kDate, 'A'));
    EXPECT_EXIT(
        {
            ::alarm(20);
            RunExported(contract::kTableChapterA, 7, 0, KindF());
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(FileBytes(tree.Protocol()), Lines({kSortHeaderA, refusal}));
    EXPECT_EQ(FileBytes(TablePath(kDate, 'A')), before);
}

TEST_F(SortingKeepsRows, SignsOfEitherCaseOfIoAndTheMarkersAccountTextSortLikeAnyOtherRow) {
    Write(kDate, 'A',
          {{"30102", "А", Amt(1)},
           {"20202", "ё", Amt(2)},
           {"УДАЛИ", "Ё", Amt(3)},
           {"10207", "Ё", Amt(4)},
           {"удали", "ё", Amt(5)},
           {"40702", "П", Amt(6)}});
    EXPECT_EQ(RunExported(contract::kTableChapterA, 7), Lines({kSortHeaderA}));
    EXPECT_EQ(Order('A', 0),
              (std::vector<std::string>{"10207|Ё", "20202|ё", "УДАЛИ|Ё", "удали|ё", "30102|А", "40702|П"}));
    auto rows = Rows('A');
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1][3].real, 2);  // amounts travel with their rows
    EXPECT_EQ(rows[3][3].real, 5);
}

TEST_F(SortingKeepsRows, ASortOfOneInstanceReadsClearsAndWritesBackOnlyItsOwnRows) {
    // Two instances of one bank: instance 1 unchanged, instance 3 marked as changed.
    WriteRepEkz(tree.DateDir(kDate), {{1, "1481", "0", ""}, {3, "1481", "0", "1"}});
    WriteParadoxTable(TablePath(kDate, 'B'), ChapterFields(),
                      {ChapterRow(1, "80201", "П"_cp, {}, 1), ChapterRow(3, "80302", "П"_cp, {.vxRub = 3}, 2),
                       ChapterRow(1, "80101", "А"_cp, {}, 3), ChapterRow(3, "80105", "А"_cp, {.vxRub = 5}, 4),
                       ChapterRow(3, "80103", "А"_cp, {.vxRub = 7}, 5)});
    EXPECT_EQ(RunExported(contract::kTableChapterB, 7, 3),
              Lines({"**Контроль формы 101 Глава Б. Сортировка счетов довер.управления"}));
    EXPECT_EQ(Order('B', 3), (std::vector<std::string>{"80103|А", "80105|А", "80302|П"}));
    EXPECT_EQ(Order('B', 1), (std::vector<std::string>{"80201|П", "80101|А"}));  // untouched, in place
    for (const auto& r : Rows('B')) {
        if (r[1].text == "80103") {
            EXPECT_EQ(r[3].real, 7);  // amounts travel with their rows
        }
    }
}

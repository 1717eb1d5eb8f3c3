// The depository chapter Д: exact decimal texts end to end.
#include <gtest/gtest.h>

#include "chapter_fixture.h"
#include "controls/procedures.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

const std::string kHeader = "**Контроль формы 101 Глава Д. Баланс счетов ДЕПО";

struct Depo {
    std::string nbal, ap, vx, ak, pas, is;
};

class ChapterD : public ::testing::Test, protected ChapterReport {
protected:
    void SetUp() override { WriteChart({{"98010", "1"}, {"98020", "2"}, {"99001", "1"}}); }
    void WriteDepo(double date, const std::vector<Depo>& rows) {
        std::vector<std::vector<engine::Cell>> cells;
        std::int32_t key = 1;
        for (const auto& r : rows)
            cells.push_back(DepoRow(0, text::FromUtf8(r.nbal), text::FromUtf8(r.ap),
                                    {"", "", r.vx, "", "", r.ak, "", "", r.pas, "", "", r.is}, key++));
        WriteParadoxTable(TablePath(date, 'D'), DepoFields(), cells);
    }
    std::string Control() { return ChapterReport::Run(contract::kTableChapterD, controls::ControlChapterD); }
};

}  // namespace

TEST_F(ChapterD, ExactSumsBeyondTheRangeOfDoublesAndNormalisedTexts) {
    WriteDepo(kDate, {{"98010", "а", "112233445566778899.1234", "0.0001", "0", "112233445566778899.1235"},
                      {"98020", "П", "112233445566778899.1234", "", "+.0001", "112233445566778899.1235"},
                      {"98999 (ИТОГО)", "А", "1", "1", "1", "1"}});
    WriteDepo(kPrevious, {{"98010", "А", "", "", "", "112233445566778899.1234"},
                          {"98020", "П", "", "", "", "112233445566778899.1234"}});
    EXPECT_EQ(Control(), Lines({kHeader}));
    auto rows = Rows('D');
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][2].text, "А"_cp);
    EXPECT_EQ(rows[0][5].text, "112233445566778899.1234");
    EXPECT_EQ(rows[0][8].text, "0.0001");
    EXPECT_EQ(rows[0][3].text, "0.0000");  // rouble and currency columns carry zeros
    EXPECT_EQ(rows[1][11].text, "0.0001");
    EXPECT_TRUE(rows[1][8].IsBlank());  // an empty turnover normalises to the empty text
    EXPECT_EQ(rows[2][1].text, "98999 (ИТОГО)"_cp);
    EXPECT_EQ(rows[2][14].text, "112233445566778899.1235");
    EXPECT_EQ(rows[3][2].text, "П"_cp);
    EXPECT_EQ(rows[3][11].text, "0.0001");
    EXPECT_EQ(rows[3][12].text, "0.0000");
}

TEST_F(ChapterD, EnteredAmountsAreValidatedAndComparedAsTexts) {
    WriteDepo(kDate, {{"98010", "А", "10", "1.5", "0", "11.5"},
                      {"98020", "П", "12a", "", "0", "12"},
                      {"97001", "А", "", "1.23456", "", ""}});
    WriteDepo(kPrevious, {{"98010", "А", "", "", "", "10"}, {"98020", "П", "", "", "", "12"}});
    EXPECT_EQ(Control(),
              Lines({kHeader, "2: E46100 СЧЕТ- 98020. ВХОДЯЩИЙ ОСТАТОК ВВЕДЕН НЕКОРРЕКТНО - <12A>",
                     "3: E101197 СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <97001>",
                     "3: W101134 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХОДЯЩЕГО -НЕТ Б/С 98020П                    12 <> 0",
                     "2: E101771 СЧЕТ- 98020П ВВОД СОДЕРЖИТ НЕ ТОЛЬКО ЦИФРЫ - <>",
                     "2: W101114 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 98020П (12.0000<>0)",
                     "2: E101126 НЕ БАЛАНСИРУЕТСЯ Б/С 98020П (0-0+0.0000<>12.0000)",
                     "3: E101771 СЧЕТ- 97001А ВВОД СОДЕРЖИТ НЕ ТОЛЬКО ЦИФРЫ - <>",
                     "3: E101772 СЧЕТ- 97001А БОЛЕЕ 4 ЗНАКОВ ПОСЛЕ ЗАПЯТОЙ - <1.23456>",
                     "3: E101771 СЧЕТ- 97001А ВВОД СОДЕРЖИТ НЕ ТОЛЬКО ЦИФРЫ - <>",
                     "3: E101771 СЧЕТ- 97001А ВВОД СОДЕРЖИТ НЕ ТОЛЬКО ЦИФРЫ - <>",
                     "3: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 97001А",
                     "3: W101114 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 97001А (0.0000<>0)",
                     "3: E101123 НЕ БАЛАНСИРУЕТСЯ Б/С 97001А (0+1.23456-0<>0)",
                     "3: E101229 НЕ РАВНЫ ИТОГОВЫЕ ВХ. ОСТАТКИ ПО АКТ./ПАССИВНЫМ Б/С  ( 0.0000<>10.0000)",
                     "3: E101230 НЕ РАВНЫ ИТОГОВЫЕ ИСХ.ОСТАТКИ ПО АКТ./ПАССИВНЫМ Б/С  (12.0000<>11.5000)",
                     "3: E101231 НЕ РАВНЫ ПО ДЕБЕТУ-КРЕДИТУ СУММАРНЫЕ ОБОРОТЫ ПО АКТ./ПАССИВНЫМ Б/С  "
                     "(2.7345+0.0000<>0.0000+0.0000)"}));
}

TEST_F(ChapterD, NegativeQuantitiesAndAnEmptyChapter) {
    WriteDepo(kDate, {{"98010", "А", "-1", "1", "0", "0"}, {"98020", "П", "-1", "0", "1", "0"}});
    std::filesystem::remove(TablePath(kPrevious, 'D'));
    EXPECT_EQ(
        Control(),
        Lines({kHeader, "2: W101101 ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ НА 01.11.2025 - ОТСУТСТВУЕТ. CРАВНЕНИЯ НЕ БУДЕТ...",
               "1: E101116 НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С 98010А (-1.0000,1.0000,0.0000,0.0000) -ИСПРАВИТЬ!",
               "2: E101116 НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С 98020П (-1.0000,0.0000,1.0000,0.0000) -ИСПРАВИТЬ!"}));
    WriteDepo(kDate, {{"97001", "А", "1", "", "", "1"}});
    EXPECT_EQ(Control(), Lines({kHeader, "1: E101197 СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <97001>",
                                "1: W101198 СЧЕТА ДЕПО ВВЕДЕНЫ НУЛЕВЫЕ"}));
    EXPECT_EQ(Rows('D').size(), 1u);
}

TEST_F(ChapterD, TheChapterEndsWithExactlyOneTotalRowOfEachSign) {
    auto totals = [&] {
        std::vector<std::string> out;
        for (const auto& r : Rows('D'))
            if (text::ToUtf8(r[1].text) == "98999 (ИТОГО)" || r[1].text == "98999")
                out.push_back(text::ToUtf8(r[2].text) + " " + r[5].text + " " + r[14].text);
        return out;
    };
    // Three adjacent old total rows: RemoveOldTotalRows deletes two and steps over the third,
    // which CheckRows sees; with two rows left, RemoveTotalRowsLeft deletes it. A fresh active
    // total row takes its place.
    WriteDepo(kDate, {{"98999 (ИТОГО)", "П", "1", "1", "1", "1"},
                      {"98999 (ИТОГО)", "П", "1", "1", "1", "1"},
                      {"98999 (ИТОГО)", "А", "1", "1", "1", "1"},
                      {"98010", "А", "0", "0", "0", "0"}});
    WriteDepo(kPrevious, {{"98010", "А", "", "", "", "0"}});
    EXPECT_EQ(RunExported(contract::kTableChapterD, 4), Lines({kHeader}));
    EXPECT_EQ(totals(), (std::vector<std::string>{"А 0.0000 0.0000", "П 0.0000 0.0000"}));

    // Six adjacent old total rows leave two active ones written as "98999 (ИТОГО)" behind: the
    // chapter still ends with one active total row holding the sums.
    WriteDepo(kDate, {{"98999 (ИТОГО)", "А", "1", "1", "1", "1"},
                      {"98999 (ИТОГО)", "П", "1", "1", "1", "1"},
                      {"98999 (ИТОГО)", "А", "1", "1", "1", "1"},
                      {"98999 (ИТОГО)", "П", "1", "1", "1", "1"},
                      {"98999 (ИТОГО)", "П", "1", "1", "1", "1"},
                      {"98999 (ИТОГО)", "А", "1", "1", "1", "1"},
                      {"98010", "А", "0", "0", "0", "0"}});
    EXPECT_EQ(RunExported(contract::kTableChapterD, 4), Lines({kHeader}));
    EXPECT_EQ(totals(), (std::vector<std::string>{"А 0.0000 0.0000", "П 0.0000 0.0000"}));
}

TEST_F(ChapterD, AnEmptyPreviousOutgoingBalanceIsZero) {
    WriteDepo(kDate, {{"98010", "А", "0.0000", "0", "0", "0"}, {"98020", "П", "0", "0", "0", "0"}});
    // 98010 present now with 0.0000, 98030 gone since: neither had a previous balance.
    WriteDepo(kPrevious,
              {{"98010", "А", "", "", "", ""}, {"98020", "П", "", "", "", "0"}, {"98030", "П", "", "", "", ""}});
    EXPECT_EQ(RunExported(contract::kTableChapterD, 4), Lines({kHeader}));
}

TEST_F(ChapterD, NumbersInMessagesAreNeverCut) {
    WriteDepo(kDate, {{"98010", "А", "0", "0", "0", "0"}, {"98020", "П", "0", "0", "0", "0"}});
    WriteDepo(kPrevious, {{"98010", "А", "", "", "", "0"},
                          {"98020", "П", "", "", "", "0"},
                          {"98030", "П", "", "", "", "112122095554817445.0000"}});
    EXPECT_EQ(
        RunExported(contract::kTableChapterD, 4),
        Lines({kHeader,
               "2: W101134 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХОДЯЩЕГО -НЕТ Б/С 98030П112122095554817445.0000 <> 0"}));
}

TEST_F(ChapterD, TheTotalRowWrittenAsTheBareAccountKeepsTheSumsAndTheOthersGo) {
    // Two runs of three old total rows: RemoveOldTotalRows leaves the third of each. Of the two
    // passive ones, the one written "98999 (ИТОГО)" goes and the one written "98999" keeps the sums.
    WriteDepo(kDate, {{"98010", "А", "1", "0", "0", "1"},
                      {"98999 (ИТОГО)", "П", "7", "0", "0", "7"},
                      {"98999 (ИТОГО)", "П", "7", "0", "0", "7"},
                      {"98999 (ИТОГО)", "П", "7", "0", "0", "7"},
                      {"98020", "П", "1", "0", "0", "1"},
                      {"98999", "П", "7", "0", "0", "7"},
                      {"98999", "П", "7", "0", "0", "7"},
                      {"98999", "П", "7", "0", "0", "7"}});
    Control();
    auto rows = Rows('D');
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1][1].text, "98020");
    EXPECT_EQ(rows[2][1].text, "98999");
    EXPECT_EQ(rows[2][5].text, "1.0000");
    EXPECT_EQ(rows[2][14].text, "1.0000");
    EXPECT_EQ(rows[3][1].text, "98999 (ИТОГО)"_cp);
    EXPECT_EQ(rows[3][2].text, "А"_cp);
}

TEST_F(ChapterD, InATableOfKindFOnlyTheFirstBareTotalRowOfASignTakesTheSums) {
    auto tables = Form101Tables();
    for (auto& t : tables)
        if (t.id == contract::kTableChapterD) t.kind = "F";
    auto fields = DepoFields();
    fields.insert(fields.begin(), {"K", engine::FieldType::Long, 0});
    const std::vector<Depo> depo = {{"98010", "А", "1", "0", "0", "1"},
                                    {"98999 (ИТОГО)", "А", "7", "0", "0", "7"},
                                    {"98999", "А", "7", "0", "0", "7"},
                                    {"98999", "А", "7", "0", "0", "7"}};
    std::vector<std::vector<engine::Cell>> cells;
    std::int32_t key = 1;
    for (const auto& r : depo) {
        auto row = DepoRow(0, text::FromUtf8(r.nbal), text::FromUtf8(r.ap),
                           {"", "", r.vx, "", "", r.ak, "", "", r.pas, "", "", r.is}, key);
        row.insert(row.begin(), engine::Cell::Integer(key++));
        cells.push_back(row);
    }
    WriteParadoxTable(TablePath(kDate, 'D'), fields, cells);
    RunExported(contract::kTableChapterD, 4, 0, tables);
    auto rows = Rows('D');
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1][6].text, "7");  // stale, as entered
    EXPECT_EQ(rows[2][6].text, "1.0000");
    EXPECT_EQ(rows[2][15].text, "1.0000");
    EXPECT_EQ(rows[3][6].text, "7");
}

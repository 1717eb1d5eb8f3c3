// The balance controls of chapters Б, В and Г: what differs from chapter А.
#include <gtest/gtest.h>

#include "chapter_fixture.h"
#include "controls/procedures.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

const std::string kHeaderB = "**Контроль формы 101 Глава Б. Баланс счетов доверит.управления";
const std::string kHeaderV = "**Контроль формы 101 Глава В. Внебалансовые счета";
const std::string kHeaderG = "**Контроль формы 101 Глава Г. Баланс по срочным сделкам";

std::array<double, 12> Balance(double in, double debit, double credit, bool active) {
    double out = active ? in + debit - credit : in - debit + credit;
    return {in, 0, in, debit, 0, debit, credit, 0, credit, out, 0, out};
}

class OtherChapters : public ::testing::Test, protected ChapterReport {
protected:
    void SetUp() override {
        WriteChart({{"80101", "1"},
                    {"80201", "2"},
                    {"90701", "1"},
                    {"91203", "2"},
                    {"93001", "1"},
                    {"93002", "2"},
                    {"99998", "1"},
                    {"99999", "2"}});
    }
    std::string Control(std::int32_t table, void (*procedure)()) { return ChapterReport::Run(table, procedure); }
};

}  // namespace

TEST_F(OtherChapters, CleanChaptersGiveTheirHeadersAlone) {
    Write(kDate, 'B', {{"80101", "А", Balance(10, 5, 0, true)}, {"80201", "П", Balance(10, 0, 5, false)}});
    Write(kPrevious, 'B', {{"80101", "А", Balance(0, 0, -10, true)}, {"80201", "П", Balance(0, 0, 10, false)}});
    EXPECT_EQ(Control(contract::kTableChapterB, controls::ControlChapterB), Lines({kHeaderB}));
    auto rows = Rows('B');
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2][1].text, "89999 (ИТОГО)"_cp);
    EXPECT_EQ(rows[2][14].real, 15);

    // Off-balance: the accounts 99998 and 99999 mirror the others.
    Write(kDate, 'V',
          {{"90701", "А", Balance(7, 0, 0, true)},
           {"91203", "П", Balance(3, 0, 0, false)},
           {"99998", "А", Balance(3, 0, 0, true)},
           {"99999", "П", Balance(7, 0, 0, false)}});
    Write(kPrevious, 'V',
          {{"90701", "А", Balance(0, 7, 0, true)},
           {"91203", "П", Balance(0, 0, 3, false)},
           {"99998", "А", Balance(0, 3, 0, true)},
           {"99999", "П", Balance(0, 0, 7, false)}});
    EXPECT_EQ(Control(contract::kTableChapterV, controls::ControlChapterV), Lines({kHeaderV}));

    Write(kDate, 'G', {{"93001", "А", Balance(5, 0, 0, true)}, {"93002", "П", Balance(5, 0, 0, false)}});
    Write(kPrevious, 'G', {{"93001", "А", Balance(0, 5, 0, true)}, {"93002", "П", Balance(0, 0, 5, false)}});
    EXPECT_EQ(Control(contract::kTableChapterG, controls::ControlChapterG), Lines({kHeaderG}));
}

TEST_F(OtherChapters, AnEmptyChapterStillReportsVanishedAccountsThenEnds) {
    Write(kDate, 'B', {{"79999", "А"}, {"89999 (ИТОГО)", "А"}});
    Write(kPrevious, 'B', {{"80101", "А", Balance(0, 4, 0, true)}});
    EXPECT_EQ(Control(contract::kTableChapterB, controls::ControlChapterB),
              Lines({kHeaderB, "1: E101197 СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ: <79999>",
                     "2: W101132 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С 80101А  РУБЛИ              4 <> 0",
                     "2: W101134 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С 80101А  ИТОГО              4 <> 0",
                     "2: W101198 СЧЕТА ДОВЕРИТЕЛЬНОГО УПРАВЛЕНИЯ ВВЕДЕНЫ НУЛЕВЫЕ"}));
    // Without any earlier report: no W101101 either.
    std::filesystem::remove(TablePath(kPrevious, 'B'));
    EXPECT_EQ(Control(contract::kTableChapterB, controls::ControlChapterB),
              Lines({kHeaderB, "1: E101197 СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ: <79999>",
                     "2: W101198 СЧЕТА ДОВЕРИТЕЛЬНОГО УПРАВЛЕНИЯ ВВЕДЕНЫ НУЛЕВЫЕ"}));
}

TEST_F(OtherChapters, OffBalanceSpecialAccountsAndTheirSum) {
    Write(kDate, 'V',
          {{"90701", "А", Balance(7, 0, 0, true)},
           {"91203", "П", Balance(3, 0, 0, false)},
           {"99998", "А", Balance(3, 0, 0, true)},
           {"99999", "П", Balance(8, 0, 0, false)},
           {"91999", "П"},
           {"99997", "А"}});
    std::filesystem::remove(tree.DateDir(kDate) + "PS_WORK.DB");  // no E101177 here
    EXPECT_EQ(
        Control(contract::kTableChapterV, controls::ControlChapterV),
        Lines({kHeaderV, "6: E101197 СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <99997>",
               "6: W101101 ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ НА 01.11.2025 - ОТСУТСТВУЕТ. CРАВНЕНИЯ НЕ БУДЕТ...",
               "1: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 90701А", "2: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 91203П",
               "3: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 99998А", "4: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 99999П",
               "5: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 99997А",
               "5: E101336 СУММА ВНЕБ.СЧЕТОВ ПО АКТИВУ+ПАССИВУ(КР.99999,99998) НЕ РАВНА СЧ.99998+99999  (10<>11)",
               "1: E101229 НЕ РАВНЫ ИТОГОВЫЕ ВХОДЯЩИE ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ ",
               "1: E101230 НЕ РАВНЫ ИТОГОВЫЕ ИСХОДЯЩИЕ ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ "}));
}

TEST_F(OtherChapters, NegativeAmountsAndWideSumsInTheOtherChapters) {
    std::array<double, 12> odd = Balance(5, 0, 0, true);
    odd[2] = 6;   // VX_ITOG <> VX_RUB + VX_VAL
    odd[11] = 6;  // and the balance equation of totals holds again
    Write(kDate, 'G', {{"93001", "А", odd}, {"93002", "П", Balance(-5, 0, 0, false)}});
    Write(kPrevious, 'G', {{"93001", "А", Balance(0, 5, 0, true)}, {"93002", "П", Balance(0, 0, -5, false)}});
    EXPECT_EQ(
        Control(contract::kTableChapterG, controls::ControlChapterG),
        Lines({kHeaderG, "1: W101114 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 93001А  ИТОГО              5 <> 6",
               "1: E101117 ВХОДЯЩИЙ ОСТАТОК  Б/С 93001А  ИТОГО <>  РУБЛИ + ВАЛЮТА                         6 <> 5+0",
               "1: E101120 ИСХОДЯЩИЙ ОСТАТОК Б/С 93001А  ИТОГО <>  РУБЛИ + ВАЛЮТА                         6 <> 5+0",
               "2: E101116 НЕ ДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С 93002П - ИСПРАВИТЬ!",
               "1: E101229 НЕ РАВНЫ ИТОГОВЫЕ ВХОДЯЩИE ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ ",
               "1: E101230 НЕ РАВНЫ ИТОГОВЫЕ ИСХОДЯЩИЕ ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ "}));
}

TEST_F(OtherChapters, EachChapterEndsWithExactlyOneTotalRowOfEachSign) {
    // Three adjacent old total rows: RemoveOldTotalRows deletes two and steps over the third,
    // which CheckRows sees; with two rows left, RemoveTotalRowsLeft deletes it. A fresh active
    // total row takes its place.
    const std::array<double, 12> stale = {1, 1, 2, 1, 1, 2, 1, 1, 2, 1, 1, 2};
    struct Case {
        char chapter;
        std::int32_t table;
        std::string header, total, account;
    };
    for (const Case& c : {Case{'B', contract::kTableChapterB, kHeaderB, "89999 (ИТОГО)", "80101"},
                          Case{'V', contract::kTableChapterV, kHeaderV, "91999 (ИТОГО)", "90701"},
                          Case{'G', contract::kTableChapterG, kHeaderG, "97999 (ИТОГО)", "93001"}}) {
        Write(kDate, c.chapter,
              {{c.total, "П", stale}, {c.total, "П", stale}, {c.total, "А", stale}, {c.account, "А"}});
        Write(kPrevious, c.chapter, {{c.account, "А"}});
        EXPECT_EQ(RunExported(c.table, 4), Lines({c.header})) << c.chapter;
        std::vector<std::string> totals;
        for (const auto& r : Rows(c.chapter))
            if (text::ToUtf8(r[1].text) == c.total)
                totals.push_back(text::ToUtf8(r[2].text) + " " + std::to_string(r[14].real));
        EXPECT_EQ(totals, (std::vector<std::string>{"А 0.000000", "П 0.000000"})) << c.chapter;
    }
}

TEST_F(OtherChapters, NumbersInMessagesAreNeverCut) {
    Write(kDate, 'B', {{"80101", "А", Balance(10, 5, 0, true)}, {"80201", "П", Balance(10, 0, 5, false)}});
    Write(kPrevious, 'B',
          {{"80101", "А", Balance(0, 0, -10, true)},
           {"80201", "П", Balance(0, 0, 10, false)},
           {"80301", "П", Balance(0, 0, 112122095554817445.0, false)}});
    EXPECT_EQ(
        RunExported(contract::kTableChapterB, 4),
        Lines({kHeaderB,
               "2: W101132 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С 80301П  РУБЛИ 1.12122095554817E17 <> 0",
               "2: W101134 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С 80301П  ИТОГО 1.12122095554817E17 <> 0"}));
}

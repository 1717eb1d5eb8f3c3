// The balance control of chapter А, end to end over report trees written by the engine.
#include <gtest/gtest.h>

#include "controls/procedures.h"
#include "controls_fixture_a.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

const std::string kHeader = "**Контроль формы 101 Глава А. Баланс 1-я часть";

class ChapterA : public ::testing::Test, protected ChapterReport {
protected:
    void SetUp() override {
        Write(kDate, 'A', CurrentA());
        Write(kPrevious, 'A', PreviousA());
        WriteChart(ChartA());
    }
    std::string Control() { return ChapterReport::Run(contract::kTableChapterA, controls::ControlChapterA1); }
};

}  // namespace

TEST_F(ChapterA, ACleanReportGivesTheHeaderAloneAndRebuildsTheTotals) {
    EXPECT_EQ(Control(), Lines({kHeader}));
    EXPECT_TRUE(ui->messageBoxes.empty());
    auto rows = Rows('A');
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1][2].text, "А"_cp);  // the lower-case sign written back in upper case
    EXPECT_EQ(rows[4][1].text, "79999 (ИТОГО)"_cp);
    EXPECT_EQ(rows[4][2].text, "А"_cp);
    EXPECT_EQ(rows[5][2].text, "П"_cp);
    const double active[12] = {500, 100, 600, 250, 50, 300, 130, 20, 150, 620, 130, 750};
    const double passive[12] = {500, 100, 600, 130, 20, 150, 250, 50, 300, 620, 130, 750};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(rows[4][3 + i].real, active[i]) << i;
        EXPECT_EQ(rows[5][3 + i].real, passive[i]) << i;
    }
    // A second run finds the rebuilt table clean as well.
    EXPECT_EQ(Control(), Lines({kHeader}));
}

TEST_F(ChapterA, NoPreviousReportAndNoChart) {
    std::filesystem::remove(TablePath(kPrevious, 'A'));
    std::filesystem::remove(tree.DateDir(kDate) + "PS_WORK.DB");
    EXPECT_EQ(
        Control(),
        Lines({kHeader, "6: W101101 ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ НА 01.11.2025 - ОТСУТСТВУЕТ. CРАВНЕНИЯ НЕ БУДЕТ...",
               "6: E101177 СПРАВОЧНИК PS_WORK - ПЛАН СЧЕТОВ ПУСТОЙ...  ПРОИЗОШЛО РАЗРУШЕНИЕ ДАННЫХ?!...",
               "1: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 10207П", "2: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 20202А",
               "3: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 30102А",
               "4: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 40702П"}));
}

TEST_F(ChapterA, AnEmptyPreviousReportIsComparedAsZeros) {
    Write(kPrevious, 'A', {{"79999 (ИТОГО)", "А"}});
    std::string out = Control();
    EXPECT_EQ(out.substr(0, Lines({kHeader, "6: W101102 ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ - НУЛЕВАЯ...   01.11.2025"}).size()),
              Lines({kHeader, "6: W101102 ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ - НУЛЕВАЯ...   01.11.2025"}));
    EXPECT_NE(out.find(text::FromUtf8(
                  "1: W101112 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 10207П  РУБЛИ              0 <> 300\r\n")),
              std::string::npos);
}

TEST_F(ChapterA, ComparisonWithThePreviousMonth) {
    auto previous = PreviousA();
    previous[1].a[9] = 90;   // 20202 IS_RUB
    previous[1].a[11] = 90;  // 20202 IS_ITOG
    previous.insert(previous.begin() + 4, Account{"47422", "П", {0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 5}});
    Write(kPrevious, 'A', previous);
    EXPECT_EQ(
        Control(),
        Lines({kHeader, "2: W101112 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 20202А  РУБЛИ             90 <> 100",
               "2: W101114 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 20202А  ИТОГО             90 <> 100",
               "1: W101132 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С 47422П  РУБЛИ              5 <> 0",
               "1: W101134 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С 47422П  ИТОГО              5 <> 0"}));
}

TEST_F(ChapterA, BalanceEquationsSumsAndNegativeAmounts) {
    auto current = CurrentA();
    current[2].a[9] = 501;  // 30102 IS_RUB: neither the equation nor rouble+currency hold
    current.insert(current.begin() + 4, Account{"47423", "П", {-5, 0, -5, 0, 0, 0, 0, 0, 0, -5, 0, -5}});
    current.insert(current.begin() + 5, Account{"47424", "А", {-5, 0, -5, 0, 0, 0, 0, 0, 0, -5, 0, -5}});
    Write(kDate, 'A', current);
    auto previous = PreviousA();
    previous.insert(previous.begin() + 4, Account{"47423", "П", {0, 0, 0, 0, 0, 0, 0, 0, 0, -5, 0, -5}});
    previous.insert(previous.begin() + 5, Account{"47424", "А", {0, 0, 0, 0, 0, 0, 0, 0, 0, -5, 0, -5}});
    Write(kPrevious, 'A', previous);
    auto chart = ChartA();
    chart.push_back({"47423", "2"});
    chart.push_back({"47424", "1"});
    std::sort(chart.begin(), chart.end(), [](auto& x, auto& y) { return x.number < y.number; });
    WriteChart(chart);
    EXPECT_EQ(
        Control(),
        Lines({kHeader, "3: E101120 ИСХОДЯЩИЙ ОСТАТОК Б/С 30102А  ИТОГО <>  РУБЛИ + ВАЛЮТА             630 <> 501+130",
               "3: E101121 НЕ БАЛАНСИРУЕТСЯ Б/С 30102А   РУБЛИ  400+200-100 <> 501",
               "5: E101116 НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С 47423П - ИСПРАВИТЬ!",
               "6: E101116 НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С 47424А - ИСПРАВИТЬ!",
               "1: E101229  АКТИВ.ИСХОДЯЩИЕ ОСТАТКИ. СУММА РУБ+ВАЛ.<> (616+130 <> 745)"}));
}

TEST_F(ChapterA, RulesOfTheChartOfAccounts) {
    auto chart = ChartA();
    chart[0].end = locale::EncodeDate(2025, 10, 1);   // 10207 closed before the period
    chart[0].ap = "1";                                // and active in the chart
    chart[1].zero = "M";                              // 20202: no balance at the end of a month
    chart[2].currency = "1";                          // 30102: roubles only
    chart[3].end = locale::EncodeDate(2025, 11, 15);  // 40702 closed in the period
    WriteChart(chart);
    EXPECT_EQ(Control(),
              Lines({kHeader, "1: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 10207П",
                     "1: E101028 СЧЕТ ЗАКРЫТ ДО НАЧАЛА ОТЧЕТНОГО ПЕРИОДА Б/С 10207П",
                     "2: W101108 НЕДОПУСТИМ ОСТАТОК НА КОНЕЦ МЕСЯЦА. НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 20202А 120",
                     "3: W101104 НЕДОПУСТИМЫ ВАЛЮТНЫЕ ОСТАТКИ/ОБОРОТЫ Б/С 30102  <100><50><20><130>",
                     "4: E101030 СЧЕТ ЗАКРЫТ В ОТЧЕТНОМ ПЕРИОДЕ. ИСХОДЯЩИЕ ОСТАТКИ НЕДОПУСТИМЫ Б/С 40702П   <450>"}));
}

TEST_F(ChapterA, AccountShapesAndSigns) {
    auto current = CurrentA();
    current[1].ap = "X";
    current.insert(current.begin() + 4, Account{"2020 1", "А"});
    current.insert(current.begin() + 5, Account{"101011", "П"});
    current.insert(current.begin() + 6, Account{"80101", "А"});
    Write(kDate, 'A', current);
    auto chart = ChartA();
    chart.insert(chart.begin(), {"10101", "2"});
    WriteChart(chart);
    EXPECT_EQ(
        Control(),
        Lines({kHeader, "7: E101197 СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <80101>",
               "2: E101107 АКТИВ ИЛИ ПАССИВ? БУКВЫ ДОЛЖНЫ БЫТЬ РУССКИЕ,ЗАГЛАВНЫЕ А ИЛИ П  Б/С 20202X",
               "2: E101107 ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С 20202X",
               "2: E101111 АКТИВНЫЙ ИЛИ ПАССИВНЫЙ?  НЕОБХОДИМО ПРОСТАВИТЬ ПРИЗНАК Б/С 20202",
               "5: E101109 В НОМЕРЕ БАЛАНСОВОГО СЧЕТА ДОЛЖНЫ БЫТЬ ТОЛЬКО ЦИФРЫ И БЕЗ ПРОБЕЛОВ  <2020 >",
               "6: E101109 В НОМЕРЕ БАЛАНСОВОГО СЧЕТА ДОЛЖНЫ БЫТЬ ТОЛЬКО 5 ЦИФР  <101011>",
               "1: E101229 НЕ РАВНЫ ИТОГОВЫЕ ВХОДЯЩИE ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ  (600<>500)",
               "1: E101230 НЕ РАВНЫ ИТОГОВЫЕ ИСХОДЯЩИЕ ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ   (750<>630)",
               "1: E101231 НЕ РАВНЫ ПО ДЕБЕТУ-КРЕДИТУ СУММАРНЫЕ ОБОРОТЫ ПО АКТИВНЫМ И ПАССИВНЫМ   (800 <> 840)"}));
    // 80101 lies outside the chapter but is in the chart as an active account: no chart line.
}

TEST_F(ChapterA, RepeatedAccountsAreReported) {
    auto current = CurrentA();
    current.insert(current.begin() + 4, Account{"30102", "А"});
    Write(kDate, 'A', current);
    EXPECT_EQ(
        Control(),
        Lines({kHeader, "5: W101112 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 30102А  РУБЛИ            400 <> 0",
               "5: W101113 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 30102А ВАЛЮТА            100 <> 0",
               "5: W101114 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 30102А  ИТОГО            500 <> 0",
               "1: W101132 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С 30102А  РУБЛИ            400 <> 0",
               "1: W101133 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С 30102А ВАЛЮТА            100 <> 0",
               "1: W101134 ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С 30102А  ИТОГО            500 <> 0",
               "1: E1010125 НЕ УНИКАЛЕН?! - Б/С 30102  - ИСПРАВЬТЕ..!"}));
}

TEST_F(ChapterA, OnlyAccountsOutsideTheChapterStopAfterTheFirstPass) {
    Write(kDate, 'A', {{"80101", "а"}, {"9999", "П"}, {"79999 (ИТОГО)", "А"}});
    EXPECT_EQ(Control(), Lines({kHeader, "1: E101197 СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <80101>",
                                "2: E101197 СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <9999>"}));
    auto rows = Rows('A');
    ASSERT_EQ(rows.size(), 3u);  // the total row is not rebuilt
    EXPECT_EQ(rows[0][2].text, "А"_cp);
}

TEST_F(ChapterA, TheThreeThousandAndFirstAccountEndsTheRunAndChangesNothing) {
    std::vector<Account> many;
    for (int i = 0; i < 3001; ++i) many.push_back({std::to_string(20000 + i), "а"});
    Write(kDate, 'A', many);
    const std::string before = FileBytes(TablePath(kDate, 'A'));
    EXPECT_EQ(Control(), Lines({kHeader}));
    ASSERT_EQ(ui->messageBoxes.size(), 2u);
    EXPECT_EQ(ui->messageBoxes[0], "Превышен максимальный размер 3000 массива F1RUB"_cp);
    EXPECT_NE(ui->messageBoxes[1].find("range check error"), std::string::npos);
    EXPECT_EQ(FileBytes(TablePath(kDate, 'A')), before);
}

namespace {

// Old total rows whose amounts pass every row check; the rebuilt ones hold zeros here.
const std::array<double, 12> kStale = {1, 1, 2, 1, 1, 2, 1, 1, 2, 1, 1, 2};

// The signs of the table's total rows, and whether each holds the sums (all zero here).
std::vector<std::string> TotalRows(const std::vector<std::vector<engine::Cell>>& rows, const std::string& totalText) {
    std::vector<std::string> out;
    for (const auto& r : rows) {
        if (text::ToUtf8(r[1].text) != totalText) continue;
        bool zero = true;
        for (int i = 3; i < 15; ++i) zero = zero && r[i].real == 0;
        out.push_back(text::ToUtf8(r[2].text) + (zero ? " sums" : " stale"));
    }
    return out;
}

}  // namespace

TEST_F(ChapterA, TheChapterEndsWithExactlyOneTotalRowOfEachSign) {
    // Three adjacent old total rows: RemoveOldTotalRows deletes two and steps over the third,
    // which CheckRows sees; with two rows left, RemoveTotalRowsLeft deletes it. A fresh active
    // total row takes its place.
    Write(kDate, 'A',
          {{"79999 (ИТОГО)", "П", kStale},
           {"79999 (ИТОГО)", "П", kStale},
           {"79999 (ИТОГО)", "А", kStale},
           {"20202", "А"}});
    Write(kPrevious, 'A', {{"20202", "А"}});
    EXPECT_EQ(RunExported(contract::kTableChapterA, 4),
              Lines({"**Контроль формы 101 Глава А. Баланс 2-я часть",
                     "4: E101136 В РЕКВИЗИТАХ СОСТОЯНИЕ КО МОЖЕТ БЫТЬ ТОЛЬКО БУКВОЙ D,O ИЛИ L,  А НЕ <>", kHeader}));
    EXPECT_EQ(TotalRows(Rows('A'), "79999 (ИТОГО)"), (std::vector<std::string>{"А sums", "П sums"}));

    // Six adjacent old total rows leave two active ones behind; one of them takes the sums.
    Write(kDate, 'A',
          {{"79999 (ИТОГО)", "А", kStale},
           {"79999 (ИТОГО)", "П", kStale},
           {"79999 (ИТОГО)", "А", kStale},
           {"79999 (ИТОГО)", "П", kStale},
           {"79999 (ИТОГО)", "П", kStale},
           {"79999 (ИТОГО)", "А", kStale},
           {"20202", "А"}});
    EXPECT_EQ(RunExported(contract::kTableChapterA, 4),
              Lines({"**Контроль формы 101 Глава А. Баланс 2-я часть",
                     "7: E101136 В РЕКВИЗИТАХ СОСТОЯНИЕ КО МОЖЕТ БЫТЬ ТОЛЬКО БУКВОЙ D,O ИЛИ L,  А НЕ <>", kHeader}));
    EXPECT_EQ(TotalRows(Rows('A'), "79999 (ИТОГО)"), (std::vector<std::string>{"А sums", "П sums"}));
}

TEST_F(ChapterA, NumbersInMessagesAreNeverCut) {
    auto previous = PreviousA();
    previous[1].a[11] = 112122095554817445.0;  // 20202 IS_ITOG, wider than its 14 places
    Write(kPrevious, 'A', previous);
    auto current = CurrentA();
    current[2].a[2] = 512122095554817445.0;  // 30102 VX_ITOG, wider than its 15 places
    Write(kDate, 'A', current);
    const std::string out = RunExported(contract::kTableChapterA, 4);
    EXPECT_NE(
        out.find(text::FromUtf8(
            "2: W101114 ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С 20202А  ИТОГО 1.12122095554817E17 <> 100\r\n")),
        std::string::npos)
        << text::ToUtf8(out);
    EXPECT_NE(
        out.find(text::FromUtf8(
            "3: E101117 ВХОДЯЩИЙ ОСТАТОК  Б/С 30102А  ИТОГО <>  РУБЛИ + ВАЛЮТА 5.12122095554817E17 <> 400+100\r\n")),
        std::string::npos)
        << text::ToUtf8(out);
}

TEST_F(ChapterA, InATableOfKindFEveryOldTotalRowOfASignTakesTheSums) {
    // A table of kind "F" (a column of its own before ID_EKZ) takes no new rows and loses none:
    // its old total rows stay, and each of them holds its sign's sums.
    auto tables = Form101Tables();
    tables[0].kind = "F";
    auto fields = ChapterFields();
    fields.insert(fields.begin(), {"K", engine::FieldType::Long, 0});
    const std::vector<Account> accounts = {{"20202", "А", {5, 0, 5, 0, 0, 0, 0, 0, 0, 5, 0, 5}},
                                           {"79999", "А", kStale},
                                           {"79999 (ИТОГО)", "А", kStale},
                                           {"79999 (ИТОГО)", "П", kStale}};
    std::vector<std::vector<engine::Cell>> cells;
    std::int32_t key = 1;
    for (const auto& acc : accounts) {
        Amounts am{acc.a[0], acc.a[1], acc.a[2], acc.a[3], acc.a[4],  acc.a[5],
                   acc.a[6], acc.a[7], acc.a[8], acc.a[9], acc.a[10], acc.a[11]};
        auto row = ChapterRow(0, text::FromUtf8(acc.nbal, true), text::FromUtf8(acc.ap, true), am, key);
        row.insert(row.begin(), engine::Cell::Integer(key++));
        cells.push_back(row);
    }
    WriteParadoxTable(TablePath(kDate, 'A'), fields, cells);
    RunExported(contract::kTableChapterA, 4, 0, tables);
    const auto rows = Rows('A');
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t r = 1; r < 3; ++r)
        for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(rows[r][4 + i].real, accounts[0].a[i]) << r << " " << i;
    for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(rows[3][4 + i].real, 0) << i;
}

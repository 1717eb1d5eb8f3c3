// The constants of the four balance chapters, and their procedures.
#include "controls/balance_chapter.h"
#include "controls/procedures.h"
#include "platform/text/cp1251.h"
#include "tesma/tesmaC.h"

namespace tesma::controls {

namespace {

using namespace tesma::literals;

constexpr BalanceChapter kChapterA{
    .family = ChapterFamily::A,
    .procedure = contract::kProcedureControlChapterA1,
    .header = "**Контроль формы 101 Глава А. Баланс 1-я часть"_cpv,
    .tableCode = "Ф_1"_cpv,
    .totalAccount = "79999",
    .totalText = "79999 (ИТОГО)"_cpv,
    .lower = 10000,
    .upper = 79999,
    .offBalance = false,
    .chartFrom = 10000,
    .chartStop = 79999,
    .wholeKey = false,
    .vanishedByFirstFive = false,
    .rangeMessage = "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <"_cpv,
    .negativeMessage = "НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК "_cpv,
    .emptyMessage = "",
    .sumPad = 15,
};

constexpr BalanceChapter kChapterB{
    .family = ChapterFamily::Other,
    .procedure = contract::kProcedureControlChapterB,
    .header = "**Контроль формы 101 Глава Б. Баланс счетов доверит.управления"_cpv,
    .tableCode = "Ф_2"_cpv,
    .totalAccount = "89999",
    .totalText = "89999 (ИТОГО)"_cpv,
    .lower = 79999,
    .upper = 89999,
    .offBalance = false,
    .chartFrom = 79999,
    .chartStop = 89999,
    .wholeKey = false,
    .vanishedByFirstFive = false,
    .rangeMessage = "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ: <"_cpv,  // one blank before "<" in this chapter
    .negativeMessage = "НЕ ДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК "_cpv,
    .emptyMessage = "СЧЕТА ДОВЕРИТЕЛЬНОГО УПРАВЛЕНИЯ ВВЕДЕНЫ НУЛЕВЫЕ"_cpv,
    .sumPad = 25,
};

constexpr BalanceChapter kChapterV{
    .family = ChapterFamily::Other,
    .procedure = contract::kProcedureControlChapterV,
    .header = "**Контроль формы 101 Глава В. Внебалансовые счета"_cpv,
    .tableCode = "Ф_3"_cpv,
    .totalAccount = "91999",
    .totalText = "91999 (ИТОГО)"_cpv,
    .lower = 89999,
    .upper = 91999,
    .offBalance = true,
    .chartFrom = 89999,
    .chartStop = 0,
    .wholeKey = true,
    .vanishedByFirstFive = false,
    .rangeMessage = "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <"_cpv,
    .negativeMessage = "НЕ ДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК "_cpv,
    .emptyMessage = "ВНЕБАЛАНСОВЫЕ СЧЕТА ВВЕДЕНЫ НУЛЕВЫЕ"_cpv,
    .sumPad = 25,
};

constexpr BalanceChapter kChapterG{
    .family = ChapterFamily::Other,
    .procedure = contract::kProcedureControlChapterG,
    .header = "**Контроль формы 101 Глава Г. Баланс по срочным сделкам"_cpv,
    .tableCode = "Ф_4"_cpv,
    .totalAccount = "97999",
    .totalText = "97999 (ИТОГО)"_cpv,
    .lower = 91999,
    .upper = 97999,
    .offBalance = false,
    .chartFrom = 91999,
    .chartStop = 97999,
    .wholeKey = false,
    .vanishedByFirstFive = true,
    .rangeMessage = "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <"_cpv,
    .negativeMessage = "НЕ ДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК "_cpv,
    .emptyMessage = "БАЛАНС ПО СРОЧНЫМ СДЕЛКАМ - НУЛЕВОЙ"_cpv,
    .sumPad = 25,
};

}  // namespace

void ControlChapterA1() { ControlBalanceChapter(kChapterA); }
void ControlChapterB() { ControlBalanceChapter(kChapterB); }
void ControlChapterV() { ControlBalanceChapter(kChapterV); }
void ControlChapterG() { ControlBalanceChapter(kChapterG); }

}  // namespace tesma::controls

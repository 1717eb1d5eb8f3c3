// The constants of the four balance chapters, and their procedures.
#include "controls/balance_chapter.h"
#include "controls/procedures.h"
#include "platform/text/cp1251.h"

namespace tesma::controls {

namespace {

using namespace tesma::literals;

constexpr BalanceChapter kChapterA{
    ChapterFamily::A,
    "**Контроль формы 101 Глава А. Баланс 1-я часть"_cpv,
    "Ф_1"_cpv, "79999", "79999 (ИТОГО)"_cpv,
    10000, 79999, false,
    10000, 79999,
    false, false,
    "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <"_cpv,
    "НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК "_cpv,
    "",
    15,
};

constexpr BalanceChapter kChapterB{
    ChapterFamily::Other,
    "**Контроль формы 101 Глава Б. Баланс счетов доверит.управления"_cpv,
    "Ф_2"_cpv, "89999", "89999 (ИТОГО)"_cpv,
    79999, 89999, false,
    79999, 89999,
    false, false,
    "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ: <"_cpv,  // one blank before "<" in this chapter
    "НЕ ДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК "_cpv,
    "СЧЕТА ДОВЕРИТЕЛЬНОГО УПРАВЛЕНИЯ ВВЕДЕНЫ НУЛЕВЫЕ"_cpv,
    25,
};

constexpr BalanceChapter kChapterV{
    ChapterFamily::Other,
    "**Контроль формы 101 Глава В. Внебалансовые счета"_cpv,
    "Ф_3"_cpv, "91999", "91999 (ИТОГО)"_cpv,
    89999, 91999, true,
    89999, 0,
    true, false,
    "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <"_cpv,
    "НЕ ДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК "_cpv,
    "ВНЕБАЛАНСОВЫЕ СЧЕТА ВВЕДЕНЫ НУЛЕВЫЕ"_cpv,
    25,
};

constexpr BalanceChapter kChapterG{
    ChapterFamily::Other,
    "**Контроль формы 101 Глава Г. Баланс по срочным сделкам"_cpv,
    "Ф_4"_cpv, "97999", "97999 (ИТОГО)"_cpv,
    91999, 97999, false,
    91999, 97999,
    false, true,
    "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <"_cpv,
    "НЕ ДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК "_cpv,
    "БАЛАНС ПО СРОЧНЫМ СДЕЛКАМ - НУЛЕВОЙ"_cpv,
    25,
};

}  // namespace

void ControlChapterA1() { ControlBalanceChapter(kChapterA); }
void ControlChapterB() { ControlBalanceChapter(kChapterB); }
void ControlChapterV() { ControlBalanceChapter(kChapterV); }
void ControlChapterG() { ControlBalanceChapter(kChapterG); }

}  // namespace tesma::controls

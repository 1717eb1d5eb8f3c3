// The finding codes of the form 101 controls, in one table. The message shapes are the protocol
// texts in UTF-8 with their variable parts in braces: {account} the five-digit account, {sign}
// its А/П letter, {nbal} the whole account text of the row, {side} the column name ("  РУБЛИ ",
// " ВАЛЮТА ", "  ИТОГО "), amounts by what they hold. Latin letters inside Russian words are kept
// as the protocol writes them (the C of CРАВНЕНИЯ, the E of ВХОДЯЩИE, the P of ПPИ, the A of
// "A ДОЛЖНО").
#include "rule_catalogue.h"

namespace tesma::f101 {

namespace {

constexpr std::string_view kAll = "АБВГД";
constexpr std::string_view kBalance = "АБВГ";

constexpr Rule kRules[] = {
    // Row checks of every chapter.
    {"E101107",
     kAll,
     "balance",
     {"АКТИВ ИЛИ ПАССИВ? БУКВЫ ДОЛЖНЫ БЫТЬ РУССКИЕ,ЗАГЛАВНЫЕ А ИЛИ П  Б/С {nbal}{sign}",
      "ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С {nbal}{sign}"},
     "The row's sign is not a Cyrillic capital А or П, or the account with this sign is not in the chart of accounts "
     "(PS_WORK). Fix the A_P letter (Cyrillic, not Latin), or the account number, or bring the chart up to date.",
     "Признак счёта (поле A_P) не является русской заглавной буквой А или П, либо счёта с таким признаком нет в плане "
     "счетов (PS_WORK). Исправьте букву признака (кириллицей, не латиницей) или номер счёта либо обновите план "
     "счетов."},
    {"E101109",
     kAll,
     "balance",
     {"В НОМЕРЕ БАЛАНСОВОГО СЧЕТА ДОЛЖНЫ БЫТЬ ТОЛЬКО ЦИФРЫ И БЕЗ ПРОБЕЛОВ  <{first five characters}>",
      "В НОМЕРЕ БАЛАНСОВОГО СЧЕТА ДОЛЖНЫ БЫТЬ ТОЛЬКО 5 ЦИФР  <{nbal}>"},
     "The account number NBAL2 must be exactly five digits, without blanks or letters. Retype the account.",
     "Номер балансового счёта (NBAL2) должен состоять ровно из пяти цифр, без пробелов и букв. Введите номер счёта "
     "заново."},
    {"E101111",
     kAll,
     "balance",
     {"АКТИВНЫЙ ИЛИ ПАССИВНЫЙ?  НЕОБХОДИМО ПРОСТАВИТЬ ПРИЗНАК Б/С {nbal}"},
     "The row has no valid active/passive sign. Set A_P to А (active) or П (passive) as the chart says.",
     "У строки не проставлен признак активного или пассивного счёта. Укажите в A_P букву А (активный) или П "
     "(пассивный), как в плане счетов."},
    {"W101104",
     kBalance,
     "balance",
     {"НЕДОПУСТИМЫ ВАЛЮТНЫЕ ОСТАТКИ/ОБОРОТЫ Б/С {nbal}  <{incoming}><{debit}><{credit}><{outgoing}>",
      "НЕДОПУСТИМЫ РУБЛЕВЫЕ ОСТАТКИ/ОБОРОТЫ Б/С {nbal}  <{incoming}><{debit}><{credit}><{outgoing}>"},
     "The chart says the account is kept in roubles only (or in currency only) but the row has currency (or rouble) "
     "amounts. Move the amounts to the right columns or explain them to the regulator.",
     "По плану счетов счёт ведётся только в рублях (или только в валюте), а в строке есть суммы в валюте (или в "
     "рублях). Перенесите суммы в нужные графы или подготовьте пояснения для регулятора."},
    {"W101108",
     kAll,
     "balance",
     {"НЕДОПУСТИМ ОСТАТОК НА КОНЕЦ {ДНЯ|МЕСЯЦА|КВАРТАЛА|ПОЛУГОДИЯ|ГОДА}. НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С {nbal}{sign} "
      "{outgoing}"},
     "The chart says the account must be closed out (zero balance) at the end of each day, month, quarter, half-year "
     "or year, and the outgoing balance is not zero at such a date. Check the balance or prepare an explanation.",
     "По плану счетов счёт должен закрываться (иметь нулевой остаток) на конец дня, месяца, квартала, полугодия или "
     "года, а исходящий остаток на эту дату не нулевой. Проверьте остаток или подготовьте пояснения."},
    {"E101028",
     kAll,
     "balance",
     {"СЧЕТ ЗАКРЫТ ДО НАЧАЛА ОТЧЕТНОГО ПЕРИОДА Б/С {nbal}{sign}"},
     "The chart closes the account before the reporting month began, yet the report still carries it. Move the "
     "amounts to the account that replaced it, or update the chart.",
     "Счёт закрыт в плане счетов до начала отчётного месяца, а в отчёте он ещё есть. Перенесите суммы на счёт, который "
     "его заменил, или обновите план счетов."},
    {"E101030",
     kAll,
     "balance",
     {"СЧЕТ ЗАКРЫТ В ОТЧЕТНОМ ПЕРИОДЕ. ИСХОДЯЩИЕ ОСТАТКИ НЕДОПУСТИМЫ Б/С {nbal}{sign}   <{outgoing}>"},
     "The account was closed during the reporting month, so it may not have an outgoing balance. Transfer the "
     "balance to the successor account.",
     "Счёт закрыт в течение отчётного месяца, поэтому исходящего остатка на нём быть не должно. Перенесите остаток на "
     "счёт-преемник."},
    {"W101112",
     kBalance,
     "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С {nbal}{sign}  РУБЛИ {previous outgoing:14} <> {incoming}"},
     "The rouble incoming balance differs from the rouble outgoing balance of the previous month's report. Correct "
     "one of the two reports.",
     "Входящий остаток в рублях не совпадает с исходящим остатком в рублях по отчёту за предыдущий месяц. Исправьте "
     "один из двух отчётов."},
    {"W101113",
     kBalance,
     "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С {nbal}{sign} ВАЛЮТА {previous outgoing:14} <> {incoming}"},
     "The currency incoming balance differs from the currency outgoing balance of the previous month's report "
     "(a revaluation booked outside the turnovers, or a typing error).",
     "Входящий остаток в валюте не совпадает с исходящим остатком в валюте по отчёту за предыдущий месяц (переоценка "
     "отражена вне оборотов или допущена опечатка)."},
    {"W101114",
     kAll,
     "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С {nbal}{sign}  ИТОГО {previous outgoing:14} <> {incoming}",
      "ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С {nbal}{sign} ({previous outgoing}<>{incoming})"},
     "The total incoming balance differs from the total outgoing balance of the previous month's report. Correct "
     "one of the two reports.",
     "Входящий остаток (итого) не совпадает с исходящим остатком (итого) по отчёту за предыдущий месяц. Исправьте один "
     "из двух отчётов."},
    {"E101116",
     kAll,
     "balance",
     {"НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С {nbal}{sign} - ИСПРАВИТЬ!",
      "НЕ ДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С {nbal}{sign} - ИСПРАВИТЬ!",
      "НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С {nbal}{sign} ({incoming},{debit},{credit},{outgoing}) -ИСПРАВИТЬ!"},
     "An amount of the row is negative; balances and turnovers are always written as positive numbers. Usually "
     "the sign of the account (А/П) is wrong or a turnover was typed with a minus.",
     "В строке есть отрицательная сумма, а остатки и обороты всегда записываются положительными числами. Обычно "
     "неверен признак счёта (А/П) или оборот введён со знаком минус."},
    {"E101117",
     kBalance,
     "balance",
     {"ВХОДЯЩИЙ ОСТАТОК  Б/С {nbal}{sign}  ИТОГО <>  РУБЛИ + ВАЛЮТА {total:pad} <> {roubles}+{currency}"},
     "Incoming balance: roubles + currency must equal the total column. Fix the column that was mistyped.",
     "Входящий остаток: сумма в рублях плюс сумма в валюте должна равняться графе «итого». Исправьте графу, в которой "
     "допущена ошибка."},
    {"E101118",
     kBalance,
     "balance",
     {"ОБОРОТ ПО ДЕБЕТУ  Б/С {nbal}{sign}  ИТОГО <>  РУБЛИ + ВАЛЮТА {total:pad} <> {roubles}+{currency}"},
     "Debit turnover: roubles + currency must equal the total column.",
     "Оборот по дебету: сумма в рублях плюс сумма в валюте должна равняться графе «итого». Исправьте графу, в которой "
     "допущена ошибка."},
    {"E101119",
     kBalance,
     "balance",
     {"ОБОРОТ ПО КРЕДИТУ Б/С {nbal}{sign}  ИТОГО <>  РУБЛИ + ВАЛЮТА {total:pad} <> {roubles}+{currency}"},
     "Credit turnover: roubles + currency must equal the total column.",
     "Оборот по кредиту: сумма в рублях плюс сумма в валюте должна равняться графе «итого». Исправьте графу, в которой "
     "допущена ошибка."},
    {"E101120",
     kBalance,
     "balance",
     {"ИСХОДЯЩИЙ ОСТАТОК Б/С {nbal}{sign}  ИТОГО <>  РУБЛИ + ВАЛЮТА {total:pad} <> {roubles}+{currency}"},
     "Outgoing balance: roubles + currency must equal the total column.",
     "Исходящий остаток: сумма в рублях плюс сумма в валюте должна равняться графе «итого». Исправьте графу, в которой "
     "допущена ошибка."},
    {"E101121",
     kBalance,
     "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}А   РУБЛИ  {incoming}+{debit}-{credit} <> {outgoing}"},
     "Active account, roubles: incoming + debit − credit must equal outgoing. One of the four amounts is wrong, "
     "or the account is passive.",
     "Активный счёт, рубли: входящий остаток плюс оборот по дебету минус оборот по кредиту должен равняться исходящему "
     "остатку. Одна из четырёх сумм неверна или счёт на самом деле пассивный."},
    {"E101122",
     kBalance,
     "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}А  ВАЛЮТА  {incoming}+{debit}-{credit} <> {outgoing}"},
     "Active account, currency: incoming + debit − credit must equal outgoing.",
     "Активный счёт, валюта: входящий остаток плюс оборот по дебету минус оборот по кредиту должен равняться "
     "исходящему остатку. Одна из четырёх сумм неверна."},
    {"E101123",
     kAll,
     "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}А   ИТОГО  {incoming}+{debit}-{credit} <> {outgoing}",
      "НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}А ({incoming}+{debit}-{credit}<>{outgoing})"},
     "Active account, total: incoming + debit − credit must equal outgoing.",
     "Активный счёт, итого: входящий остаток плюс оборот по дебету минус оборот по кредиту должен равняться исходящему "
     "остатку. Одна из четырёх сумм неверна."},
    {"E101124",
     kBalance,
     "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}П   РУБЛИ  {incoming}-{debit}+{credit} <> {outgoing}"},
     "Passive account, roubles: incoming − debit + credit must equal outgoing. One of the four amounts is wrong, "
     "or the account is active.",
     "Пассивный счёт, рубли: входящий остаток минус оборот по дебету плюс оборот по кредиту должен равняться "
     "исходящему остатку. Одна из четырёх сумм неверна или счёт на самом деле активный."},
    {"E101125",
     kBalance,
     "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}П  ВАЛЮТА  {incoming}-{debit}+{credit} <> {outgoing}"},
     "Passive account, currency: incoming − debit + credit must equal outgoing.",
     "Пассивный счёт, валюта: входящий остаток минус оборот по дебету плюс оборот по кредиту должен равняться "
     "исходящему остатку. Одна из четырёх сумм неверна."},
    {"E101126",
     kAll,
     "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}П   ИТОГО  {incoming}-{debit}+{credit} <> {outgoing}",
      "НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}П ({incoming}-{debit}+{credit}<>{outgoing})"},
     "Passive account, total: incoming − debit + credit must equal outgoing.",
     "Пассивный счёт, итого: входящий остаток минус оборот по дебету плюс оборот по кредиту должен равняться "
     "исходящему остатку. Одна из четырёх сумм неверна."},
    {"E101197",
     kAll,
     "balance",
     {"СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <{account}>",
      "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ: <{account}>"},
     "The account does not belong to the chapter's range (А 10001-79999, Б 80000-89999, В 90000-91999, "
     "Г 92000-97999, Д 98000-98999). Move the row to its chapter or correct the number.",
     "Счёт не относится к диапазону счетов главы (А 10001–79999, Б 80000–89999, В 90000–91999, Г 92000–97999, Д "
     "98000–98999). Перенесите строку в её главу или исправьте номер счёта."},
    {"E1010125",
     kAll,
     "balance",
     {"НЕ УНИКАЛЕН?! - Б/С {nbal}  - ИСПРАВЬТЕ..!"},
     "The account occurs in more than one row of the chapter. Merge the rows into one.",
     "Счёт встречается в главе больше чем в одной строке. Объедините эти строки в одну."},
    {"E101199",
     kAll,
     "balance",
     {"НЕТ ОДНОЙ ИЗ ИТОГОВЫХ СТРОК БАЛАНСА - <{total row text}>", "НЕТ ИТОГОВЫХ СТРОК  БАЛАНСА - <{total row text}>"},
     "After the control the chapter should hold two total rows (active and passive). One or both are missing, "
     "usually because the table forbids appending rows. Add the total rows.",
     "После контроля в главе должны быть две итоговые строки (по активу и по пассиву). Одной или обеих нет — обычно "
     "потому, что в таблицу нельзя добавлять строки. Добавьте итоговые строки."},
    // Chapter-level checks.
    {"E101229",
     kAll,
     "balance",
     {"НЕ РАВНЫ ИТОГОВЫЕ ВХОДЯЩИE ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ  ({passive}<>{active})",
      "{ПАССИВ.| АКТИВ.}{ВХОДЯЩИЕ|ИСХОДЯЩИЕ} ОСТАТКИ. СУММА РУБ+ВАЛ.<> ({roubles}+{currency} <> {total})",
      "НЕ РАВНЫ ИТОГОВЫЕ ВХ. ОСТАТКИ ПО АКТ./ПАССИВНЫМ Б/С  ( {passive}<>{active})"},
     "The chapter does not balance: the incoming totals of active and passive accounts differ, or a side's rouble "
     "and currency sums do not add up to its total. Look for the account rows with their own findings first.",
     "Глава не сбалансирована: итоговые входящие остатки по активным и пассивным счетам различаются либо суммы в "
     "рублях и в валюте одной из сторон не складываются в её итог. Сначала ищите строки счетов, по которым есть свои "
     "ошибки."},
    {"E101230",
     kAll,
     "balance",
     {"НЕ РАВНЫ ИТОГОВЫЕ ИСХОДЯЩИЕ ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ   ({passive}<>{active})",
      "НЕ РАВНЫ ИТОГОВЫЕ ИСХ.ОСТАТКИ ПО АКТ./ПАССИВНЫМ Б/С  ({passive}<>{active})"},
     "The outgoing totals of active and passive accounts differ: the chapter does not balance at the end of the "
     "month.",
     "Итоговые исходящие остатки по активным и пассивным счетам различаются: глава не сбалансирована на конец месяца. "
     "Сначала ищите строки счетов, по которым есть свои ошибки."},
    {"E101231",
     kAll,
     "balance",
     {"НЕ РАВНЫ ПО ДЕБЕТУ-КРЕДИТУ СУММАРНЫЕ ОБОРОТЫ ПО АКТИВНЫМ И ПАССИВНЫМ   ({debit} <> {credit})",
      "НЕ РАВНЫ ПО ДЕБЕТУ-КРЕДИТУ СУММАРНЫЕ ОБОРОТЫ ПО АКТ./ПАССИВНЫМ Б/С  ({active debit}+{passive debit}<>{active "
      "credit}+{passive credit})"},
     "The sum of debit turnovers differs from the sum of credit turnovers over the chapter: every posting has two "
     "sides, so a turnover is missing or mistyped.",
     "Сумма оборотов по дебету по главе не равна сумме оборотов по кредиту. У каждой проводки две стороны, значит, "
     "какой-то оборот пропущен или введён с ошибкой."},
    {"E101177",
     "А",
     "balance",
     {"СПРАВОЧНИК PS_WORK - ПЛАН СЧЕТОВ ПУСТОЙ...  ПРОИЗОШЛО РАЗРУШЕНИЕ ДАННЫХ?!..."},
     "The chart of accounts (PS_WORK) has no account for the report date. Restore the chart before checking.",
     "В плане счетов (PS_WORK) нет ни одного счёта на отчётную дату. Восстановите план счетов и повторите контроль."},
    {"E101336",
     "В",
     "balance",
     {"СУММА ВНЕБ.СЧЕТОВ ПО АКТИВУ+ПАССИВУ(КР.99999,99998) НЕ РАВНА СЧ.99998+99999  ({other accounts}<>{99998+99999})"},
     "The outgoing balances of the off-balance accounts other than 99998 and 99999 must add up to the balances of "
     "99998 and 99999 (the counter-accounts). A counter-entry is missing.",
     "Исходящие остатки внебалансовых счетов, кроме 99998 и 99999, должны в сумме равняться остаткам счетов 99998 и "
     "99999 (счетов для корреспонденции). Не хватает встречной записи."},
    // Previous report.
    {"W101101",
     kAll,
     "balance",
     {"ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ НА {DD.MM.YYYY} - ОТСУТСТВУЕТ. CРАВНЕНИЯ НЕ БУДЕТ..."},
     "There is no report for the previous month, so incoming balances cannot be compared with last month's "
     "outgoing ones. Import the previous month's report if it exists.",
     "Отчёта за предыдущий месяц нет, поэтому входящие остатки нельзя сверить с исходящими остатками прошлого месяца. "
     "Загрузите отчёт за предыдущий месяц, если он есть."},
    {"W101102",
     kAll,
     "balance",
     {"ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ - НУЛЕВАЯ...   {DD.MM.YYYY}"},
     "The previous month's report exists but has no account rows; it is compared as all zeros.",
     "Отчёт за предыдущий месяц есть, но в нём нет ни одной строки счетов; при сверке все его суммы считаются "
     "нулевыми."},
    {"W101132",
     kBalance,
     "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С {nbal}{sign}  РУБЛИ {previous outgoing:14} <> 0"},
     "Last month the account had a rouble outgoing balance; this month it has no incoming balance. A row is "
     "missing or the balance was lost.",
     "В прошлом месяце у счёта был исходящий остаток в рублях, а в этом месяце входящего остатка нет. Пропущена строка "
     "или потерян остаток."},
    {"W101133",
     kBalance,
     "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С {nbal}{sign} ВАЛЮТА {previous outgoing:14} <> 0"},
     "Last month the account had a currency outgoing balance; this month it has no incoming balance.",
     "В прошлом месяце у счёта был исходящий остаток в валюте, а в этом месяце входящего остатка нет. Пропущена строка "
     "или потерян остаток."},
    {"W101134",
     kAll,
     "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С {nbal}{sign}  ИТОГО {previous outgoing:14} <> 0",
      "ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХОДЯЩЕГО -НЕТ Б/С {nbal}{sign}{previous outgoing:22} <> 0"},
     "Last month the account had an outgoing balance; this month it has no incoming balance. A row is missing.",
     "В прошлом месяце у счёта был исходящий остаток, а в этом месяце входящего остатка нет. Пропущена строка счёта."},
    {"W101198",
     "БВГД",
     "balance",
     {"СЧЕТА ДОВЕРИТЕЛЬНОГО УПРАВЛЕНИЯ ВВЕДЕНЫ НУЛЕВЫЕ", "ВНЕБАЛАНСОВЫЕ СЧЕТА ВВЕДЕНЫ НУЛЕВЫЕ",
      "БАЛАНС ПО СРОЧНЫМ СДЕЛКАМ - НУЛЕВОЙ | СЧЕТА ДЕПО ВВЕДЕНЫ НУЛЕВЫЕ"},
     "The chapter has no account row. Often right (no trust management, no forward deals); otherwise the chapter "
     "was not filled in.",
     "В главе нет ни одной строки счетов. Часто так и должно быть (нет доверительного управления, нет срочных сделок); "
     "иначе глава не заполнена."},
    // Depository amounts (chapter Д): texts with up to four decimals.
    {"E101771",
     "Д",
     "balance",
     {"СЧЕТ- {account}{sign} ВВОД СОДЕРЖИТ НЕ ТОЛЬКО ЦИФРЫ - <{amount}>"},
     "A depository amount must be a number (digits, one decimal point). Retype it.",
     "Сумма по счёту депо должна быть числом (цифры и одна десятичная точка). Введите сумму заново."},
    {"E101772",
     "Д",
     "balance",
     {"СЧЕТ- {account}{sign} БОЛЕЕ 4 ЗНАКОВ ПОСЛЕ ЗАПЯТОЙ - <{amount}>"},
     "Depository quantities have at most four decimals. Round or retype the amount.",
     "Количество ценных бумаг на счетах депо указывается не более чем с четырьмя знаками после запятой. Округлите или "
     "введите сумму заново."},
    {"E46100",
     "Д",
     "balance",
     {"СЧЕТ- {account}. {ВХОДЯЩИЙ ОСТАТОК|ДЕБЕТОВЫЙ ОБОРОТ|КРЕДИТОВЫЙ ОБОРОТ|ИСХОДЯЩИЙ ОСТАТОК} ВВЕДЕН НЕКОРРЕКТНО - "
      "<{amount}>"},
     "A total column of a depository row (or the previous report's outgoing balance) is not a valid number; it is "
     "taken as 0. Retype the amount.",
     "Графа «итого» строки счёта депо (или исходящий остаток по предыдущему отчёту) не является правильным числом и "
     "принимается за 0. Введите сумму заново."},
    // Cross-checks of chapter А against the bank's requisites and fixed account relations.
    {"E101136",
     "А",
     "cross-checks",
     {"В РЕКВИЗИТАХ СОСТОЯНИЕ КО МОЖЕТ БЫТЬ ТОЛЬКО БУКВОЙ D,O ИЛИ L,  А НЕ <{state}>"},
     "The requisite BNK_STATE (state of the credit institution) must be one of the Latin letters D, O, L (or S). "
     "Fix the form requisites.",
     "Реквизит BNK_STATE (состояние кредитной организации) может быть только одной из латинских букв D, O, L (или S). "
     "Исправьте реквизиты формы."},
    {"E101137",
     "А",
     "cross-checks",
     {"В РЕКВИЗИТАХ КОЛИЧЕСТВО ФИЛИАЛОВ МОЖЕТ БЫТЬ ТОЛЬКО ЦИФРОВЫМ И БЕЗ ПРОБЕЛОВ  <{branches}>"},
     "The requisite BNK_NFIL (number of branches) must be digits only. Fix the form requisites.",
     "Реквизит BNK_NFIL (количество филиалов) должен состоять только из цифр. Исправьте реквизиты формы."},
    {"W101138",
     "А",
     "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30301"},
     "A head office without branches should not use interbranch account 30301. Explain, or fix BNK_NFIL.",
     "У головного офиса без филиалов не должно быть счёта межфилиальных расчётов 30301. Подготовьте пояснения или "
     "исправьте BNK_NFIL."},
    {"W101139",
     "А",
     "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30302"},
     "A head office without branches should not use interbranch account 30302.",
     "У головного офиса без филиалов не должно быть счёта межфилиальных расчётов 30302. Подготовьте пояснения или "
     "исправьте BNK_NFIL."},
    {"W101140",
     "А",
     "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30303"},
     "A head office without branches should not use interbranch account 30303.",
     "У головного офиса без филиалов не должно быть счёта межфилиальных расчётов 30303. Подготовьте пояснения или "
     "исправьте BNK_NFIL."},
    {"W101141",
     "А",
     "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30304"},
     "A head office without branches should not use interbranch account 30304.",
     "У головного офиса без филиалов не должно быть счёта межфилиальных расчётов 30304. Подготовьте пояснения или "
     "исправьте BNK_NFIL."},
    {"W101142",
     "А",
     "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30305"},
     "A head office without branches should not use interbranch account 30305.",
     "У головного офиса без филиалов не должно быть счёта межфилиальных расчётов 30305. Подготовьте пояснения или "
     "исправьте BNK_NFIL."},
    {"W101143",
     "А",
     "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30306"},
     "A head office without branches should not use interbranch account 30306.",
     "У головного офиса без филиалов не должно быть счёта межфилиальных расчётов 30306. Подготовьте пояснения или "
     "исправьте BNK_NFIL."},
    {"E101144",
     "А",
     "cross-checks",
     {"В БАЛАНСЕ У ФИЛИАЛОВ НЕ ДОЛЖЕН БЫТЬ Б/С 10701"},
     "A branch's balance sheet may not carry account 10701 (the head office's retained earnings).",
     "В балансе филиала не может быть счёта 10701 (нераспределённая прибыль головного офиса). Перенесите остаток в "
     "баланс головного офиса."},
    {"E101145",
     "А",
     "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ ОСТАТКОВ У ФИЛИАЛОВ НА КОНЕЦ ГОДА, {account}=({outgoing})"},
     "In a branch's year-end report (1 January) the result accounts 70301, 70401, 70501 must be closed out to the "
     "head office.",
     "В годовом отчёте филиала (на 1 января) счета финансового результата 70301, 70401, 70501 должны быть закрыты на "
     "головной офис."},
    {"E101146",
     "А",
     "cross-checks",
     {"В БАЛАНСЕ У ФИЛИАЛОВ НЕ ДОЛЖЕН БЫТЬ Б/С {nbal}"},
     "A branch's balance sheet may not carry capital accounts of the groups 102, 104 and 105.",
     "В балансе филиала не может быть счетов капитала групп 102, 104 и 105. Перенесите остатки в баланс головного "
     "офиса."},
    {"W101149",
     "А",
     "cross-checks",
     {"ОСТАТКИ НА СЧЕТАХ 30301 И 30302 ДОЛЖНЫ БЫТЬ РАВНЫ. НЕОБХОДИМЫ ПОЯСНЕНИЯ. (30301={30301}) <>(30302={30302})"},
     "In a year-end head-office report the interbranch accounts 30301 and 30302 must balance each other.",
     "В годовом отчёте головного офиса остатки на межфилиальных счетах 30301 и 30302 должны быть равны. Сверьте "
     "расчёты с филиалами или подготовьте пояснения."},
    {"W101150",
     "А",
     "cross-checks",
     {"ОСТАТКИ НА СЧЕТАХ 30303 И 30304 ДОЛЖНЫ БЫТЬ РАВНЫ. НЕОБХОДИМЫ ПОЯСНЕНИЯ. (30303={30303}) <>(30304={30304})"},
     "In a year-end head-office report the interbranch accounts 30303 and 30304 must balance each other.",
     "В годовом отчёте головного офиса остатки на межфилиальных счетах 30303 и 30304 должны быть равны. Сверьте "
     "расчёты с филиалами или подготовьте пояснения."},
    {"W101151",
     "А",
     "cross-checks",
     {"ОСТАТКИ НА СЧЕТАХ 30305 И 30306 ДОЛЖНЫ БЫТЬ РАВНЫ. НЕОБХОДИМЫ ПОЯСНЕНИЯ. (30305={30305}) <>(30306={30306})"},
     "In a year-end head-office report the interbranch accounts 30305 and 30306 must balance each other.",
     "В годовом отчёте головного офиса остатки на межфилиальных счетах 30305 и 30306 должны быть равны. Сверьте "
     "расчёты с филиалами или подготовьте пояснения."},
    {"W101152",
     "А",
     "cross-checks",
     {"ЕСЛИ 70301>0, ТО 70401 ДОЛЖЕН БЫТЬ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ.  {70301}>0,  {70401}<>0"},
     "At year end profit (70301) and loss (70401) of the past year exclude each other.",
     "На конец года прибыль (70301) и убыток (70401) прошлого года исключают друг друга: если есть остаток на 70301, "
     "на 70401 остатка быть не должно."},
    {"W101153",
     "А",
     "cross-checks",
     {"ЕСЛИ 70401>0, ТО 70301 ДОЛЖЕН БЫТЬ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ.  {70401}>0,  {70301}<>0"},
     "At year end loss (70401) and profit (70301) of the past year exclude each other.",
     "На конец года убыток (70401) и прибыль (70301) прошлого года исключают друг друга: если есть остаток на 70401, "
     "на 70301 остатка быть не должно."},
    {"W101154",
     "А",
     "cross-checks",
     {"ЕСЛИ 70401>0, ТО 70501 ДОЛЖЕН БЫТЬ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ.  {70401}>0,  {70501}<>0"},
     "At year end the accounts 70401 and 70501 exclude each other.",
     "На конец года счета 70401 и 70501 исключают друг друга: если есть остаток на 70401, на 70501 остатка быть не "
     "должно."},
    {"W101155",
     "А",
     "cross-checks",
     {"ЕСЛИ 70501>0, ТО 70401 ДОЛЖЕН БЫТЬ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ.  {70501}>0,  {70401}<>0"},
     "At year end the accounts 70501 and 70401 exclude each other.",
     "На конец года счета 70501 и 70401 исключают друг друга: если есть остаток на 70501, на 70401 остатка быть не "
     "должно."},
    {"E101156",
     "А",
     "cross-checks",
     {"40102-40104 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "The balance of 40102 less that of 40104 may not be negative.",
     "Остаток счёта 40102 за вычетом остатка счёта 40104 не может быть отрицательным. Проверьте остатки обоих счетов."},
    {"E101157",
     "А",
     "cross-checks",
     {"60401+60501-60601-60607 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Fixed assets (60401, 60501) less their depreciation (60601, 60607) may not be negative.",
     "Основные средства (60401, 60501) за вычетом их амортизации (60601, 60607) не могут быть отрицательными. "
     "Проверьте остатки по основным средствам и амортизации."},
    {"E101158",
     "А",
     "cross-checks",
     {"60402+60502-60602-60608 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Assets 60402, 60502 less their depreciation (60602, 60608) may not be negative.",
     "Активы 60402, 60502 за вычетом их амортизации (60602, 60608) не могут быть отрицательными. Проверьте остатки по "
     "активам и амортизации."},
    {"E101159",
     "А",
     "cross-checks",
     {"60403+60503-60603-60609 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Equipment (60403, 60503) less its depreciation (60603, 60609) may not be negative.",
     "Оборудование (60403, 60503) за вычетом его амортизации (60603, 60609) не может быть отрицательным. Проверьте "
     "остатки по оборудованию и амортизации."},
    {"E101160",
     "А",
     "cross-checks",
     {"60405+60505-60604-60610 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Assets 60405, 60505 less their depreciation (60604, 60610) may not be negative.",
     "Активы 60405, 60505 за вычетом их амортизации (60604, 60610) не могут быть отрицательными. Проверьте остатки по "
     "активам и амортизации."},
    {"E101161",
     "А",
     "cross-checks",
     {"60801+60802-60803 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Accounts 60801 + 60802 less 60803 may not be negative.",
     "Сумма остатков счетов 60801 и 60802 за вычетом остатка счёта 60803 не может быть отрицательной. Проверьте "
     "остатки этих счетов."},
    {"E101162",
     "А",
     "cross-checks",
     {"60901+60902-60903 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Intangible assets (60901, 60902) less their amortisation (60903) may not be negative.",
     "Нематериальные активы (60901, 60902) за вычетом их амортизации (60903) не могут быть отрицательными. Проверьте "
     "остатки по нематериальным активам и амортизации."},
    {"E101163",
     "А",
     "cross-checks",
     {"61101+61102-61103 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Accounts 61101 + 61102 less 61103 may not be negative.",
     "Сумма остатков счетов 61101 и 61102 за вычетом остатка счёта 61103 не может быть отрицательной. Проверьте "
     "остатки этих счетов."},
};

}  // namespace

std::span<const Rule> Rules() { return kRules; }

const Rule* FindRule(std::string_view code) {
    for (const Rule& r : kRules)
        if (r.code == code) return &r;
    return nullptr;
}

}  // namespace tesma::f101

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
    {"E101107", kAll, "balance",
     {"АКТИВ ИЛИ ПАССИВ? БУКВЫ ДОЛЖНЫ БЫТЬ РУССКИЕ,ЗАГЛАВНЫЕ А ИЛИ П  Б/С {nbal}{sign}",
      "ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ Б/С {nbal}{sign}"},
     "The row's sign is not a Cyrillic capital А or П, or the account with this sign is not in the chart of accounts "
     "(PS_WORK). Fix the A_P letter (Cyrillic, not Latin), or the account number, or bring the chart up to date."},
    {"E101109", kAll, "balance",
     {"В НОМЕРЕ БАЛАНСОВОГО СЧЕТА ДОЛЖНЫ БЫТЬ ТОЛЬКО ЦИФРЫ И БЕЗ ПРОБЕЛОВ  <{first five characters}>",
      "В НОМЕРЕ БАЛАНСОВОГО СЧЕТА ДОЛЖНЫ БЫТЬ ТОЛЬКО 5 ЦИФР  <{nbal}>"},
     "The account number NBAL2 must be exactly five digits, without blanks or letters. Retype the account."},
    {"E101111", kAll, "balance",
     {"АКТИВНЫЙ ИЛИ ПАССИВНЫЙ?  НЕОБХОДИМО ПРОСТАВИТЬ ПРИЗНАК Б/С {nbal}"},
     "The row has no valid active/passive sign. Set A_P to А (active) or П (passive) as the chart says."},
    {"W101104", kBalance, "balance",
     {"НЕДОПУСТИМЫ ВАЛЮТНЫЕ ОСТАТКИ/ОБОРОТЫ Б/С {nbal}  <{incoming}><{debit}><{credit}><{outgoing}>",
      "НЕДОПУСТИМЫ РУБЛЕВЫЕ ОСТАТКИ/ОБОРОТЫ Б/С {nbal}  <{incoming}><{debit}><{credit}><{outgoing}>"},
     "The chart says the account is kept in roubles only (or in currency only) but the row has currency (or rouble) "
     "amounts. Move the amounts to the right columns or explain them to the regulator."},
    {"W101108", kAll, "balance",
     {"НЕДОПУСТИМ ОСТАТОК НА КОНЕЦ {ДНЯ|МЕСЯЦА|КВАРТАЛА|ПОЛУГОДИЯ|ГОДА}. НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С {nbal}{sign} {outgoing}"},
     "The chart says the account must be closed out (zero balance) at the end of each day, month, quarter, half-year "
     "or year, and the outgoing balance is not zero at such a date. Check the balance or prepare an explanation."},
    {"E101028", kAll, "balance",
     {"СЧЕТ ЗАКРЫТ ДО НАЧАЛА ОТЧЕТНОГО ПЕРИОДА Б/С {nbal}{sign}"},
     "The chart closes the account before the reporting month began, yet the report still carries it. Move the "
     "amounts to the account that replaced it, or update the chart."},
    {"E101030", kAll, "balance",
     {"СЧЕТ ЗАКРЫТ В ОТЧЕТНОМ ПЕРИОДЕ. ИСХОДЯЩИЕ ОСТАТКИ НЕДОПУСТИМЫ Б/С {nbal}{sign}   <{outgoing}>"},
     "The account was closed during the reporting month, so it may not have an outgoing balance. Transfer the "
     "balance to the successor account."},
    {"W101112", kBalance, "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С {nbal}{sign}  РУБЛИ {previous outgoing:14} <> {incoming}"},
     "The rouble incoming balance differs from the rouble outgoing balance of the previous month's report. Correct "
     "one of the two reports."},
    {"W101113", kBalance, "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С {nbal}{sign} ВАЛЮТА {previous outgoing:14} <> {incoming}"},
     "The currency incoming balance differs from the currency outgoing balance of the previous month's report "
     "(a revaluation booked outside the turnovers, or a typing error)."},
    {"W101114", kAll, "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С {nbal}{sign}  ИТОГО {previous outgoing:14} <> {incoming}",
      "ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ Б/С {nbal}{sign} ({previous outgoing}<>{incoming})"},
     "The total incoming balance differs from the total outgoing balance of the previous month's report. Correct "
     "one of the two reports."},
    {"E101116", kAll, "balance",
     {"НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С {nbal}{sign} - ИСПРАВИТЬ!",
      "НЕ ДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С {nbal}{sign} - ИСПРАВИТЬ!",
      "НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК Б/С {nbal}{sign} ({incoming},{debit},{credit},{outgoing}) -ИСПРАВИТЬ!"},
     "An amount of the row is negative; balances and turnovers are always written as positive numbers. Usually "
     "the sign of the account (А/П) is wrong or a turnover was typed with a minus."},
    {"E101117", kBalance, "balance",
     {"ВХОДЯЩИЙ ОСТАТОК  Б/С {nbal}{sign}  ИТОГО <>  РУБЛИ + ВАЛЮТА {total:pad} <> {roubles}+{currency}"},
     "Incoming balance: roubles + currency must equal the total column. Fix the column that was mistyped."},
    {"E101118", kBalance, "balance",
     {"ОБОРОТ ПО ДЕБЕТУ  Б/С {nbal}{sign}  ИТОГО <>  РУБЛИ + ВАЛЮТА {total:pad} <> {roubles}+{currency}"},
     "Debit turnover: roubles + currency must equal the total column."},
    {"E101119", kBalance, "balance",
     {"ОБОРОТ ПО КРЕДИТУ Б/С {nbal}{sign}  ИТОГО <>  РУБЛИ + ВАЛЮТА {total:pad} <> {roubles}+{currency}"},
     "Credit turnover: roubles + currency must equal the total column."},
    {"E101120", kBalance, "balance",
     {"ИСХОДЯЩИЙ ОСТАТОК Б/С {nbal}{sign}  ИТОГО <>  РУБЛИ + ВАЛЮТА {total:pad} <> {roubles}+{currency}"},
     "Outgoing balance: roubles + currency must equal the total column."},
    {"E101121", kBalance, "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}А   РУБЛИ  {incoming}+{debit}-{credit} <> {outgoing}"},
     "Active account, roubles: incoming + debit − credit must equal outgoing. One of the four amounts is wrong, "
     "or the account is passive."},
    {"E101122", kBalance, "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}А  ВАЛЮТА  {incoming}+{debit}-{credit} <> {outgoing}"},
     "Active account, currency: incoming + debit − credit must equal outgoing."},
    {"E101123", kAll, "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}А   ИТОГО  {incoming}+{debit}-{credit} <> {outgoing}",
      "НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}А ({incoming}+{debit}-{credit}<>{outgoing})"},
     "Active account, total: incoming + debit − credit must equal outgoing."},
    {"E101124", kBalance, "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}П   РУБЛИ  {incoming}-{debit}+{credit} <> {outgoing}"},
     "Passive account, roubles: incoming − debit + credit must equal outgoing. One of the four amounts is wrong, "
     "or the account is active."},
    {"E101125", kBalance, "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}П  ВАЛЮТА  {incoming}-{debit}+{credit} <> {outgoing}"},
     "Passive account, currency: incoming − debit + credit must equal outgoing."},
    {"E101126", kAll, "balance",
     {"НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}П   ИТОГО  {incoming}-{debit}+{credit} <> {outgoing}",
      "НЕ БАЛАНСИРУЕТСЯ Б/С {nbal}П ({incoming}-{debit}+{credit}<>{outgoing})"},
     "Passive account, total: incoming − debit + credit must equal outgoing."},
    {"E101197", kAll, "balance",
     {"СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <{account}>", "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ: <{account}>"},
     "The account does not belong to the chapter's range (А 10001-79999, Б 80000-89999, В 90000-91999, "
     "Г 92000-97999, Д 98000-98999). Move the row to its chapter or correct the number."},
    {"E1010125", kAll, "balance",
     {"НЕ УНИКАЛЕН?! - Б/С {nbal}  - ИСПРАВЬТЕ..!"},
     "The account occurs in more than one row of the chapter. Merge the rows into one."},
    {"E101199", kAll, "balance",
     {"НЕТ ОДНОЙ ИЗ ИТОГОВЫХ СТРОК БАЛАНСА - <{total row text}>", "НЕТ ИТОГОВЫХ СТРОК  БАЛАНСА - <{total row text}>"},
     "After the control the chapter should hold two total rows (active and passive). One or both are missing, "
     "usually because the table forbids appending rows. Add the total rows."},
    // Chapter-level checks.
    {"E101229", kAll, "balance",
     {"НЕ РАВНЫ ИТОГОВЫЕ ВХОДЯЩИE ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ  ({passive}<>{active})",
      "{ПАССИВ.| АКТИВ.}{ВХОДЯЩИЕ|ИСХОДЯЩИЕ} ОСТАТКИ. СУММА РУБ+ВАЛ.<> ({roubles}+{currency} <> {total})",
      "НЕ РАВНЫ ИТОГОВЫЕ ВХ. ОСТАТКИ ПО АКТ./ПАССИВНЫМ Б/С  ( {passive}<>{active})"},
     "The chapter does not balance: the incoming totals of active and passive accounts differ, or a side's rouble "
     "and currency sums do not add up to its total. Look for the account rows with their own findings first."},
    {"E101230", kAll, "balance",
     {"НЕ РАВНЫ ИТОГОВЫЕ ИСХОДЯЩИЕ ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ   ({passive}<>{active})",
      "НЕ РАВНЫ ИТОГОВЫЕ ИСХ.ОСТАТКИ ПО АКТ./ПАССИВНЫМ Б/С  ({passive}<>{active})"},
     "The outgoing totals of active and passive accounts differ: the chapter does not balance at the end of the "
     "month."},
    {"E101231", kAll, "balance",
     {"НЕ РАВНЫ ПО ДЕБЕТУ-КРЕДИТУ СУММАРНЫЕ ОБОРОТЫ ПО АКТИВНЫМ И ПАССИВНЫМ   ({debit} <> {credit})",
      "НЕ РАВНЫ ПО ДЕБЕТУ-КРЕДИТУ СУММАРНЫЕ ОБОРОТЫ ПО АКТ./ПАССИВНЫМ Б/С  ({active debit}+{passive debit}<>{active "
      "credit}+{passive credit})"},
     "The sum of debit turnovers differs from the sum of credit turnovers over the chapter: every posting has two "
     "sides, so a turnover is missing or mistyped."},
    {"E101177", "А", "balance",
     {"СПРАВОЧНИК PS_WORK - ПЛАН СЧЕТОВ ПУСТОЙ...  ПРОИЗОШЛО РАЗРУШЕНИЕ ДАННЫХ?!..."},
     "The chart of accounts (PS_WORK) has no account for the report date. Restore the chart before checking."},
    {"E101336", "В", "balance",
     {"СУММА ВНЕБ.СЧЕТОВ ПО АКТИВУ+ПАССИВУ(КР.99999,99998) НЕ РАВНА СЧ.99998+99999  ({other accounts}<>{99998+99999})"},
     "The outgoing balances of the off-balance accounts other than 99998 and 99999 must add up to the balances of "
     "99998 and 99999 (the counter-accounts). A counter-entry is missing."},
    // Previous report.
    {"W101101", kAll, "balance",
     {"ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ НА {DD.MM.YYYY} - ОТСУТСТВУЕТ. CРАВНЕНИЯ НЕ БУДЕТ..."},
     "There is no report for the previous month, so incoming balances cannot be compared with last month's "
     "outgoing ones. Import the previous month's report if it exists."},
    {"W101102", kAll, "balance",
     {"ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ - НУЛЕВАЯ...   {DD.MM.YYYY}"},
     "The previous month's report exists but has no account rows; it is compared as all zeros."},
    {"W101132", kBalance, "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С {nbal}{sign}  РУБЛИ {previous outgoing:14} <> 0"},
     "Last month the account had a rouble outgoing balance; this month it has no incoming balance. A row is "
     "missing or the balance was lost."},
    {"W101133", kBalance, "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С {nbal}{sign} ВАЛЮТА {previous outgoing:14} <> 0"},
     "Last month the account had a currency outgoing balance; this month it has no incoming balance."},
    {"W101134", kAll, "balance",
     {"ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ Б/С {nbal}{sign}  ИТОГО {previous outgoing:14} <> 0",
      "ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХОДЯЩЕГО -НЕТ Б/С {nbal}{sign}{previous outgoing:22} <> 0"},
     "Last month the account had an outgoing balance; this month it has no incoming balance. A row is missing."},
    {"W101198", "БВГД", "balance",
     {"СЧЕТА ДОВЕРИТЕЛЬНОГО УПРАВЛЕНИЯ ВВЕДЕНЫ НУЛЕВЫЕ", "ВНЕБАЛАНСОВЫЕ СЧЕТА ВВЕДЕНЫ НУЛЕВЫЕ",
      "БАЛАНС ПО СРОЧНЫМ СДЕЛКАМ - НУЛЕВОЙ | СЧЕТА ДЕПО ВВЕДЕНЫ НУЛЕВЫЕ"},
     "The chapter has no account row. Often right (no trust management, no forward deals); otherwise the chapter "
     "was not filled in."},
    // Depository amounts (chapter Д): texts with up to four decimals.
    {"E101771", "Д", "balance",
     {"СЧЕТ- {account}{sign} ВВОД СОДЕРЖИТ НЕ ТОЛЬКО ЦИФРЫ - <{amount}>"},
     "A depository amount must be a number (digits, one decimal point). Retype it."},
    {"E101772", "Д", "balance",
     {"СЧЕТ- {account}{sign} БОЛЕЕ 4 ЗНАКОВ ПОСЛЕ ЗАПЯТОЙ - <{amount}>"},
     "Depository quantities have at most four decimals. Round or retype the amount."},
    {"E46100", "Д", "balance",
     {"СЧЕТ- {account}. {ВХОДЯЩИЙ ОСТАТОК|ДЕБЕТОВЫЙ ОБОРОТ|КРЕДИТОВЫЙ ОБОРОТ|ИСХОДЯЩИЙ ОСТАТОК} ВВЕДЕН НЕКОРРЕКТНО - <{amount}>"},
     "A total column of a depository row (or the previous report's outgoing balance) is not a valid number; it is "
     "taken as 0. Retype the amount."},
    // Cross-checks of chapter А against the bank's requisites and fixed account relations.
    {"E101136", "А", "cross-checks",
     {"В РЕКВИЗИТАХ СОСТОЯНИЕ КО МОЖЕТ БЫТЬ ТОЛЬКО БУКВОЙ D,O ИЛИ L,  А НЕ <{state}>"},
     "The requisite BNK_STATE (state of the credit institution) must be one of the Latin letters D, O, L (or S). "
     "Fix the form requisites."},
    {"E101137", "А", "cross-checks",
     {"В РЕКВИЗИТАХ КОЛИЧЕСТВО ФИЛИАЛОВ МОЖЕТ БЫТЬ ТОЛЬКО ЦИФРОВЫМ И БЕЗ ПРОБЕЛОВ  <{branches}>"},
     "The requisite BNK_NFIL (number of branches) must be digits only. Fix the form requisites."},
    {"W101138", "А", "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30301"},
     "A head office without branches should not use interbranch account 30301. Explain, or fix BNK_NFIL."},
    {"W101139", "А", "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30302"},
     "A head office without branches should not use interbranch account 30302."},
    {"W101140", "А", "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30303"},
     "A head office without branches should not use interbranch account 30303."},
    {"W101141", "А", "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30304"},
     "A head office without branches should not use interbranch account 30304."},
    {"W101142", "А", "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30305"},
     "A head office without branches should not use interbranch account 30305."},
    {"W101143", "А", "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30306"},
     "A head office without branches should not use interbranch account 30306."},
    {"E101144", "А", "cross-checks",
     {"В БАЛАНСЕ У ФИЛИАЛОВ НЕ ДОЛЖЕН БЫТЬ Б/С 10701"},
     "A branch's balance sheet may not carry account 10701 (the head office's retained earnings)."},
    {"E101145", "А", "cross-checks",
     {"НЕ ДОЛЖНО БЫТЬ ОСТАТКОВ У ФИЛИАЛОВ НА КОНЕЦ ГОДА, {account}=({outgoing})"},
     "In a branch's year-end report (1 January) the result accounts 70301, 70401, 70501 must be closed out to the "
     "head office."},
    {"E101146", "А", "cross-checks",
     {"В БАЛАНСЕ У ФИЛИАЛОВ НЕ ДОЛЖЕН БЫТЬ Б/С {nbal}"},
     "A branch's balance sheet may not carry capital accounts of the groups 102, 104 and 105."},
    {"W101149", "А", "cross-checks",
     {"ОСТАТКИ НА СЧЕТАХ 30301 И 30302 ДОЛЖНЫ БЫТЬ РАВНЫ. НЕОБХОДИМЫ ПОЯСНЕНИЯ. (30301={30301}) <>(30302={30302})"},
     "In a year-end head-office report the interbranch accounts 30301 and 30302 must balance each other."},
    {"W101150", "А", "cross-checks",
     {"ОСТАТКИ НА СЧЕТАХ 30303 И 30304 ДОЛЖНЫ БЫТЬ РАВНЫ. НЕОБХОДИМЫ ПОЯСНЕНИЯ. (30303={30303}) <>(30304={30304})"},
     "In a year-end head-office report the interbranch accounts 30303 and 30304 must balance each other."},
    {"W101151", "А", "cross-checks",
     {"ОСТАТКИ НА СЧЕТАХ 30305 И 30306 ДОЛЖНЫ БЫТЬ РАВНЫ. НЕОБХОДИМЫ ПОЯСНЕНИЯ. (30305={30305}) <>(30306={30306})"},
     "In a year-end head-office report the interbranch accounts 30305 and 30306 must balance each other."},
    {"W101152", "А", "cross-checks",
     {"ЕСЛИ 70301>0, ТО 70401 ДОЛЖЕН БЫТЬ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ.  {70301}>0,  {70401}<>0"},
     "At year end profit (70301) and loss (70401) of the past year exclude each other."},
    {"W101153", "А", "cross-checks",
     {"ЕСЛИ 70401>0, ТО 70301 ДОЛЖЕН БЫТЬ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ.  {70401}>0,  {70301}<>0"},
     "At year end loss (70401) and profit (70301) of the past year exclude each other."},
    {"W101154", "А", "cross-checks",
     {"ЕСЛИ 70401>0, ТО 70501 ДОЛЖЕН БЫТЬ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ.  {70401}>0,  {70501}<>0"},
     "At year end the accounts 70401 and 70501 exclude each other."},
    {"W101155", "А", "cross-checks",
     {"ЕСЛИ 70501>0, ТО 70401 ДОЛЖЕН БЫТЬ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ.  {70501}>0,  {70401}<>0"},
     "At year end the accounts 70501 and 70401 exclude each other."},
    {"E101156", "А", "cross-checks", {"40102-40104 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "The balance of 40102 less that of 40104 may not be negative."},
    {"E101157", "А", "cross-checks", {"60401+60501-60601-60607 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Fixed assets (60401, 60501) less their depreciation (60601, 60607) may not be negative."},
    {"E101158", "А", "cross-checks", {"60402+60502-60602-60608 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Assets 60402, 60502 less their depreciation (60602, 60608) may not be negative."},
    {"E101159", "А", "cross-checks", {"60403+60503-60603-60609 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Equipment (60403, 60503) less its depreciation (60603, 60609) may not be negative."},
    {"E101160", "А", "cross-checks", {"60405+60505-60604-60610 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Assets 60405, 60505 less their depreciation (60604, 60610) may not be negative."},
    {"E101161", "А", "cross-checks", {"60801+60802-60803 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Accounts 60801 + 60802 less 60803 may not be negative."},
    {"E101162", "А", "cross-checks", {"60901+60902-60903 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Intangible assets (60901, 60902) less their amortisation (60903) may not be negative."},
    {"E101163", "А", "cross-checks", {"61101+61102-61103 < 0, A ДОЛЖНО БЫТЬ >= 0"},
     "Accounts 61101 + 61102 less 61103 may not be negative."},
};

}  // namespace

std::span<const Rule> Rules() { return kRules; }

const Rule* FindRule(std::string_view code) {
    for (const Rule& r : kRules)
        if (r.code == code) return &r;
    return nullptr;
}

}  // namespace tesma::f101

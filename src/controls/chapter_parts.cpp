#include "controls/chapter_parts.h"

#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "runtime/conversions.h"
#include "runtime/numbers.h"
#include "runtime/record_access.h"
#include "runtime/report_location.h"
#include "runtime/texts.h"

namespace tesma::controls {

using namespace tesma::literals;

Period FindPeriod() {
    Period p;
    p.d = ReportDate();
    const double previous = PreviousReportDate();
    p.prevExists = !TrimText(DatePartText("YYYY", previous)).empty();
    p.dd = DatePartText("DD", p.d);
    p.mm = DatePartText("MM", p.d - 1);
    p.yyyy = DatePartText("YYYY", p.d - 1);
    p.m1 = TextToDate("01." + p.mm + "." + p.yyyy, "DD.MM.YYYY");
    if (p.prevExists) {
        if (p.m1 != previous) {
            p.prevExists = false;
        } else {
            p.dd = DatePartText("DD", p.m1);
            p.mm = DatePartText("MM", p.m1);
            p.yyyy = DatePartText("YYYY", p.m1);
            p.prevExists = !p.yyyy.empty();
        }
    }
    return p;
}

bool ReadPreviousReport(std::int32_t row, const Period& period, bool hasRows, const std::function<bool()>& load) {
    const std::string date = period.dd + "." + period.mm + "." + period.yyyy;
    if (!period.prevExists) {
        // The message carries a Latin C at the start of "CРАВНЕНИЯ": hosts and their users match
        // the text byte for byte, so the letter is written apart, where it shows.
        if (hasRows)
            Report(row, "W101101",
                   "ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ НА "_cp + date + " - ОТСУТСТВУЕТ. C"_cp + "РАВНЕНИЯ НЕ БУДЕТ..."_cp);
        return false;
    }
    if (load()) return true;
    if (!hasRows) return false;
    Report(row, "W101102", "ПРЕДЫДУЩАЯ ОТЧЕТНОСТЬ - НУЛЕВАЯ...   "_cp + date);
    return true;
}

bool TotalRule::IsTotal(const Value& nbal) const {
    const std::string t = ValueToText(nbal);
    return t == account || UpperText(t) == text;
}

bool AccountIsDigits(std::int32_t row, const std::string& nbal, const std::string& acc) {
    if (DigitsOnly(acc)) return true;
    Report(row, "E101109", "В НОМЕРЕ БАЛАНСОВОГО СЧЕТА ДОЛЖНЫ БЫТЬ ТОЛЬКО ЦИФРЫ И БЕЗ ПРОБЕЛОВ  <"_cp + acc + ">",
           About(nbal).With(Cell("NBAL2")));
    return false;
}

void CheckAccountText(std::int32_t row, const std::string& nbal, const std::string& ap, const std::string& label,
                      bool signKnown) {
    if (TrimText(nbal).size() > 5)
        Report(row, "E101109", "В НОМЕРЕ БАЛАНСОВОГО СЧЕТА ДОЛЖНЫ БЫТЬ ТОЛЬКО 5 ЦИФР  <"_cp + nbal + ">",
               About(nbal).With(Cell("NBAL2")));
    if (!signKnown)
        Report(row, "E101107", "АКТИВ ИЛИ ПАССИВ? БУКВЫ ДОЛЖНЫ БЫТЬ РУССКИЕ,ЗАГЛАВНЫЕ А ИЛИ П  "_cp + label,
               About(nbal, ap).With(Cell("A_P")));
}

void ReportMissingSign(std::int32_t row, const std::string& nbal) {
    Report(row, "E101111", "АКТИВНЫЙ ИЛИ ПАССИВНЫЙ?  НЕОБХОДИМО ПРОСТАВИТЬ ПРИЗНАК Б/С "_cp + nbal,
           About(nbal).With(Cell("A_P")));
}

void Chart::Declare() const {
    plaN_.Declare();
    plAp_.Declare();
    plRv_.Declare();
    pDmqy_.Declare();
    pEnd_.Declare();
}

long double Chart::Load(double date, const std::function<bool(long double)>& keep, long double stopAbove) {
    long double last = 0;
    bool stop = false;
    ForEachAuxRow("!.ps_work", "BS2_NUM", date, [&] {
        if (stop) return;
        const std::string bs2 = ValueToText(GetAuxField("BS2_NUM"));
        if (bs2.empty()) return;
        const long double n = TextToNumber(bs2);
        last = n;
        if (!keep(n)) return;
        pEnd_[n] = ValueToReal(GetAuxField("PS_ACC_DATE_END"));
        plaN_[n] = bs2;
        pDmqy_[n] = ValueToText(GetAuxField("PS_ZERO"));
        const std::string ap = TrimText(ValueToText(GetAuxField("AP")));
        if (ap == "1" || ap == "А"_cpv)
            plAp_[n] = "А"_cp;
        else if (ap == "2" || ap == "П"_cpv)
            plAp_[n] = "П"_cp;
        else if (ap == "0" || ap == "А/П"_cpv)
            plAp_[n] = "А/П"_cp;
        std::string rv = ValueToText(GetAuxField("PS_ACC_CURRENCY"));
        if (TrimText(rv) == "1")
            rv = "R";
        else if (TrimText(rv) == "2")
            rv = "V";
        plRv_[n] = rv;
        // The rest of the chart is not needed.
        if (stopAbove != 0 && n > stopAbove) stop = true;
    });
    return last;
}

void Chart::CheckRow(const RowFacts& r, const Period& period) {
    const long double n = r.account;
    if (!plaN_.Has(n)) {
        // An account the chart lacks: never closed, no rule on its balances, no sign.
        pEnd_[n] = locale::EncodeDate(2099, 12, 31);
        plaN_[n] = "NULL";
        pDmqy_[n] = "0";
        plAp_[n] = "0";
        plRv_[n] = "0";
    }
    const bool inChart = plaN_[n] == r.acc;
    const std::string chartSign = plAp_[n];
    if (!(inChart && (r.ap == chartSign || chartSign == "А/П"_cpv)))
        Report(r.row, "E101107", "ОТСУТСТВУЕТ В ПЛАНЕ СЧЕТОВ "_cp + r.label,
               About(r.nbal, r.ap).With(Cell("NBAL2")).With(Cell("A_P")));
    // The outgoing balance the period-end rules and the closing date forbid.
    auto outgoing = [&] { return About(r.nbal, r.ap).With(Field("IS_ITOG", r.outgoing)); };
    if (inChart && r.outgoingNonZero) {
        const std::string rule = pDmqy_[n];
        const std::string tail = r.label + r.restTail;
        const std::string& mm = period.mm;
        const bool quarterEnd = mm == "03" || mm == "06" || mm == "09" || mm == "12";
        if (rule == "D")
            Report(r.row, "W101108", "НЕДОПУСТИМ ОСТАТОК НА КОНЕЦ ДНЯ. НЕОБХОДИМЫ ПОЯСНЕНИЯ. "_cp + tail, outgoing());
        if (rule == "M")
            Report(r.row, "W101108", "НЕДОПУСТИМ ОСТАТОК НА КОНЕЦ МЕСЯЦА. НЕОБХОДИМЫ ПОЯСНЕНИЯ. "_cp + tail,
                   outgoing());
        if (quarterEnd && rule == "Q")
            Report(r.row, "W101108", "НЕДОПУСТИМ ОСТАТОК НА КОНЕЦ КВАРТАЛА. НЕОБХОДИМЫ ПОЯСНЕНИЯ. "_cp + tail,
                   outgoing());
        if (mm == "06" && rule == "H")
            Report(r.row, "W101108", "НЕДОПУСТИМ ОСТАТОК НА КОНЕЦ ПОЛУГОДИЯ. НЕОБХОДИМЫ ПОЯСНЕНИЯ. "_cp + tail,
                   outgoing());
        if (mm == "12" && rule == "Y")
            Report(r.row, "W101108", "НЕДОПУСТИМ ОСТАТОК НА КОНЕЦ ГОДА. НЕОБХОДИМЫ ПОЯСНЕНИЯ. "_cp + tail, outgoing());
    }
    const double end = pEnd_[n];
    if (CompareNumbers("<", end, period.m1))
        Report(r.row, "E101028", "СЧЕТ ЗАКРЫТ ДО НАЧАЛА ОТЧЕТНОГО ПЕРИОДА "_cp + r.label,
               About(r.nbal, r.ap).With(Cell("NBAL2")));
    if (CompareNumbers(">=", end, period.m1) && CompareNumbers("<", end, period.d) && r.outgoingNonZero)
        Report(r.row, "E101030",
               "СЧЕТ ЗАКРЫТ В ОТЧЕТНОМ ПЕРИОДЕ. ИСХОДЯЩИЕ ОСТАТКИ НЕДОПУСТИМЫ "_cp + r.label + r.closedTail,
               outgoing());
}

std::int32_t RemoveTotalRows(const std::function<bool()>& currentRowIsTotal) {
    std::int32_t row = 1;
    for (FirstRow(); !RowsEnded(); ++row, NextRow()) {
        if (!currentRowIsTotal()) continue;
        DeleteRow();
        if (!RowsEnded() && currentRowIsTotal()) DeleteRow();
    }
    return row - 1;
}

std::int32_t RemoveOldTotalRows(const TotalRule& totals) {
    return RemoveTotalRows([&] {
        const std::string nbal = ValueToText(GetRowField("NBAL2"));
        return !nbal.empty() && SubText(nbal, 1, 5) == totals.account;
    });
}

std::int32_t RemoveTotalRowsLeft(std::int32_t rowsChecked, const TotalRule& totals) {
    // Three adjacent old total rows leave one behind, which the row checks visit; with no
    // account row beside them, the chapter holds exactly the two.
    constexpr std::int32_t kRowsThatMayHoldAnOldTotal = 2;
    if (rowsChecked != kRowsThatMayHoldAnOldTotal) return rowsChecked;
    return RemoveTotalRows([&] { return totals.IsTotal(GetRowField("NBAL2")); });
}

std::int32_t KeepOneTotalRow(const TotalRule& totals, std::string_view sign, bool seen,
                             const std::array<Value, 12>& sums, const TotalRowKeeping& how) {
    auto writeSums = [&] {
        for (std::size_t i = 0; i < kAmountFields.size(); ++i) SetRowField(kAmountFields[i], sums[i]);
    };
    auto appendTotal = [&] {
        AppendRow();
        SetRowField("NBAL2", Value::Str(std::string(totals.text)));
        SetRowField("A_P", Value::Str(std::string(sign)));
        writeSums();
    };
    const bool changeable = MainTableTakesNewRows();
    std::int32_t row = 1;
    FirstRow();
    // The chapter got past its first pass (it had an account row in range): it ends with a
    // total row of each sign, also when the removal of the old total rows took every row along
    // (an account written as the total account and a digit) and the sums are zeros.
    if (!seen) {
        if (changeable) appendTotal();
        if (how.stepPastAppended) NextRow();
        return row;
    }
    // The total row that CheckRows saw may be gone since (RemoveTotalRowsLeft), and a run of
    // adjacent old total rows may have left more than one behind: the chapter keeps exactly one
    // total row of the sign, holding the sums.
    bool kept = false;
    while (!RowsEnded()) {
        const Value nbal = GetRowField("NBAL2");
        if (totals.IsTotal(nbal) && ValueToText(GetRowField("A_P")) == sign) {
            if (!kept && (how.anyTotalRowKeeps || ValueToText(nbal) == totals.account)) {
                writeSums();
                kept = true;
                if (!changeable && !how.everyFixedTotalTakesSums) return row;
            } else if (changeable) {
                DeleteRow();
                continue;
            } else if (how.everyFixedTotalTakesSums) {
                writeSums();
            }
        }
        ++row;
        NextRow();
    }
    --row;
    if (!kept && changeable) {
        FirstRow();
        appendTotal();
    }
    return row;
}

void ForEachAuxRow(std::string_view tableRef, std::string_view orderBy, double date, const std::function<void()>& row) {
    OpenAuxTable(tableRef, orderBy, "", date);
    for (; !AuxTableEnded(); NextAuxRow()) row();
    CloseAuxTable();
}

void CheckUniqueness(std::int32_t row, std::string_view tableCode, const TotalRule& totals, bool countEmpty) {
    int count = 0;
    std::string previous = "NULL";
    // The rows of the instance under check, by its own ID_EKZ: the register's lookup of the
    // bank's unchanged instance would count another instance's rows (or none) when the instance
    // is a corrected copy, shares its bank and branch with another, or is not in the register.
    OpenMainRowsOnAux(tableCode, "NBAL2");
    for (; !AuxTableEnded(); NextAuxRow()) {
        const Value nbalValue = GetAuxField("NBAL2");
        const std::string nbal = ValueToText(nbalValue);
        if (nbal.empty()) {
            if (countEmpty) ++count;
            continue;
        }
        if (totals.IsTotal(nbalValue)) {
            ++count;
            continue;
        }
        if (previous == nbal)
            Report(row, "E1010125", "НЕ УНИКАЛЕН?! - Б/С "_cp + nbal + "  - ИСПРАВЬТЕ..!"_cp,
                   About(nbal).With(Cell("NBAL2")));
        previous = nbal;
    }
    CloseAuxTable();
    if (count == 1)
        Report(row, "E101199", "НЕТ ОДНОЙ ИЗ ИТОГОВЫХ СТРОК БАЛАНСА - <"_cp + std::string(totals.text) + ">");
    if (count == 0) Report(row, "E101199", "НЕТ ИТОГОВЫХ СТРОК  БАЛАНСА - <"_cp + std::string(totals.text) + ">");
}

}  // namespace tesma::controls

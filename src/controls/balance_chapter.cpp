#include "controls/balance_chapter.h"

#include "controls/chapter_parts.h"
#include "controls/common.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "runtime/arrays.h"
#include "runtime/conversions.h"
#include "runtime/numbers.h"
#include "runtime/record_access.h"
#include "runtime/report_location.h"
#include "runtime/row_instances.h"
#include "runtime/run.h"
#include "runtime/texts.h"

namespace tesma::controls {

using namespace tesma::literals;

namespace {

constexpr std::string_view kAccount = "Б/С "_cpv;
constexpr std::string_view kRub = "  РУБЛИ "_cpv;
constexpr std::string_view kVal = " ВАЛЮТА "_cpv;
constexpr std::string_view kItog = "  ИТОГО "_cpv;
constexpr std::string_view kActive = "А"_cpv;
constexpr std::string_view kPassive = "П"_cpv;

// The width the previous report's amount is padded to in the previous-month findings (W101112
// to W101114, W101132 to W101134), so that the pairs of a protocol line up.
constexpr std::int32_t kPreviousWidth = 14;

// Chapter В's two counter-accounts of the off-balance double entry: accounts of the chapter
// although they lie above its range, and a check of their own (their sum against all others).
constexpr long double kCounterAccounts[] = {99998, 99999};
bool IsCounterAccount(long double n) { return n == kCounterAccounts[0] || n == kCounterAccounts[1]; }
bool IsCounterAccountText(std::string_view nbal) { return nbal == "99998" || nbal == "99999"; }

// The chapters keep the first old total row of a sign; those that a table of kind "F" cannot
// lose take the sums too.
constexpr TotalRowKeeping kBalanceTotalRows{
    .anyTotalRowKeeps = true, .everyFixedTotalTakesSums = true, .stepPastAppended = true};

// The rouble, currency and total balance checks of an account row: outgoing = incoming + debit
// - credit on an active account, incoming - debit + credit on a passive one.
struct BalanceCheck {
    const char* activeCode;
    const char* passiveCode;
    std::string_view name;
    Amount in, debit, credit, out;
};
constexpr BalanceCheck kBalanceChecks[] = {
    {"E101121", "E101124", kRub, VX_RUB, OB_AK_RUB, OB_PAS_RUB, IS_RUB},
    {"E101122", "E101125", kVal, VX_VAL, OB_AK_VAL, OB_PAS_VAL, IS_VAL},
    {"E101123", "E101126", kItog, VX_ITOG, OB_AK_ITOG, OB_PAS_ITOG, IS_ITOG},
};

// The rouble + currency = total checks of an account row, one per column group.
struct SumCheck {
    const char* code;
    std::string_view title;
    Amount total, rub, val;
};
constexpr SumCheck kSumChecks[] = {
    {"E101117", "ВХОДЯЩИЙ ОСТАТОК  "_cpv, VX_ITOG, VX_RUB, VX_VAL},
    {"E101118", "ОБОРОТ ПО ДЕБЕТУ  "_cpv, OB_AK_ITOG, OB_AK_RUB, OB_AK_VAL},
    {"E101119", "ОБОРОТ ПО КРЕДИТУ "_cpv, OB_PAS_ITOG, OB_PAS_RUB, OB_PAS_VAL},
    {"E101120", "ИСХОДЯЩИЙ ОСТАТОК "_cpv, IS_ITOG, IS_RUB, IS_VAL},
};

// W101104: an account whose chart says roubles only ("R") or currency only ("V") shows amounts of
// the other kind.
struct CurrencyRule {
    std::string_view rule;
    std::string_view what;
    Amount in, debit, credit, out;
};
constexpr CurrencyRule kCurrencyRules[] = {
    {"R", "НЕДОПУСТИМЫ ВАЛЮТНЫЕ ОСТАТКИ/ОБОРОТЫ "_cpv, VX_VAL, OB_AK_VAL, OB_PAS_VAL, IS_VAL},
    {"V", "НЕДОПУСТИМЫ РУБЛЕВЫЕ ОСТАТКИ/ОБОРОТЫ "_cpv, VX_RUB, OB_AK_RUB, OB_PAS_RUB, IS_RUB},
};

// One run of the procedure: its arrays, flags, sums and row counter.
class BalanceControl {
public:
    explicit BalanceControl(const BalanceChapter& c) : c_(c), totals_{c.totalAccount, c.totalText} {}
    void Run();

private:
    bool IsTotal(const Value& nbal) const { return totals_.IsTotal(nbal); }
    bool InChapter(long double n) const {
        if (c_.offBalance) return (n > c_.lower && n < c_.upper) || IsCounterAccount(n);
        return n > c_.lower && n <= c_.upper;
    }
    bool InChart(long double n) const {
        if (c_.offBalance) return (n > c_.lower && n < c_.upper) || IsCounterAccount(n);
        return n > c_.chartFrom;
    }
    std::string Label(const std::string& nbal, const std::string& ap) const {
        return std::string(kAccount) + nbal + ap;
    }
    void Line(std::string_view code, const std::string& message, const About& about = About()) {
        Report(row_, code, message, about);
    }

    void Prepare();
    void IncomingPass();
    bool LoadPrevious();
    void VanishedAccounts();
    void ReadChart();
    void CheckRows();
    void CheckRow(const Amounts& a, const std::string& nbal, const std::string& ap);
    void WriteTotals(std::string_view sign, bool seen, const Amounts& sums);
    void ChapterChecks();

    const BalanceChapter& c_;
    const TotalRule totals_;
    std::int32_t row_ = 0;
    Period period_;
    bool prevExists_ = false, hasRows_ = false, activeTotalSeen_ = false, passiveTotalSeen_ = false;
    long double specialSum_ = 0, otherSum_ = 0;
    Amounts active_{}, passive_{};

    Chart chart_;
    ControlArray<long double> f2Rub_{"F2RUB"}, f2Val_{"F2VAL"}, f2Ito_{"F2ITO"}, f1Rub_{"F1RUB"}, f1Val_{"F1VAL"},
        f1Ito_{"F1ITO"};
};

void BalanceControl::Prepare() {
    ResetArrays();
    chart_.Declare();
    f2Rub_.Declare();
    f2Val_.Declare();
    f2Ito_.Declare();
    f1Rub_.Declare();
    f1Val_.Declare();
    f1Ito_.Declare();
    WriteHeaderLine(c_.procedure, c_.header);
    period_ = FindPeriod();
    prevExists_ = period_.prevExists;
}

void BalanceControl::IncomingPass() {
    row_ = 1;
    for (FirstRow(); !RowsEnded(); ++row_, NextRow()) {
        const Value nbalValue = GetRowField("NBAL2");
        const std::string nbal = ValueToText(nbalValue);
        if (nbal.empty() || IsTotal(nbalValue)) continue;
        const std::string acc = SubText(nbal, 1, 5);
        if (!DigitsOnly(acc)) continue;
        long double n = TextToNumber(acc);
        SetRowField("A_P", Value::Str(UpperText(ValueToText(GetRowField("A_P")))));
        if (c_.wholeKey) {
            // A whole account text that is no number is outside the chapter like any other.
            if (!IsNumberText(TrimText(nbal))) {
                Line("E101197", std::string(c_.rangeMessage) + nbal + ">", About(nbal).With(Cell("NBAL2")));
                continue;
            }
            n = TextToNumber(TrimText(nbal));
        }
        if (InChapter(n)) {
            f1Rub_[n] = AmountOf(GetRowField("VX_RUB"));
            f1Val_[n] = AmountOf(GetRowField("VX_VAL"));
            f1Ito_[n] = AmountOf(GetRowField("VX_ITOG"));
            hasRows_ = true;
        } else {
            Line("E101197", std::string(c_.rangeMessage) + Num(n) + ">", About(nbal).With(Cell("NBAL2")));
        }
    }
    --row_;
}

// Loads the previous report's outgoing balances; true when a usable row was there.
bool BalanceControl::LoadPrevious() {
    bool loaded = false;
    ForEachAuxRow(c_.tableCode, "NBAL2", period_.m1, [&] {
        const Value nbalValue = GetAuxField("NBAL2");
        const std::string nbal = ValueToText(nbalValue);
        if (nbal.empty() || IsTotal(nbalValue)) return;
        long double n;
        if (c_.family == ChapterFamily::A) {
            if (!DigitsOnly(nbal)) return;
            n = TextToNumber(nbal);
        } else {
            const std::string acc = SubText(nbal, 1, 5);
            if (!DigitsOnly(acc)) return;
            if (c_.wholeKey) {
                if (!IsNumberText(TrimText(nbal))) return;
                n = TextToNumber(TrimText(nbal));
            } else {
                n = TextToNumber(acc);
            }
        }
        f2Rub_[n] = AuxAmount("IS_RUB");
        f2Val_[n] = AuxAmount("IS_VAL");
        f2Ito_[n] = AuxAmount("IS_ITOG");
        loaded = true;
    });
    return loaded;
}

void BalanceControl::VanishedAccounts() {
    ForEachAuxRow(c_.tableCode, "NBAL2", period_.m1, [&] {
        const Value nbalValue = GetAuxField("NBAL2");
        const std::string nbal = ValueToText(nbalValue);
        const std::string keyText = c_.vanishedByFirstFive ? SubText(nbal, 1, 5) : nbal;
        if (nbal.empty() || !DigitsOnly(keyText) || IsTotal(nbalValue)) return;
        const long double n = TextToNumber(keyText);
        const std::string ap = ValueToText(GetAuxField("A_P"));
        const std::string label = Label(nbal, ap);
        struct Side {
            ControlArray<long double>& current;
            const char* field;
            Amount incoming;
            const char* code;
            std::string_view name;
        };
        for (Side s : {Side{f1Rub_, "IS_RUB", VX_RUB, "W101132", kRub}, Side{f1Val_, "IS_VAL", VX_VAL, "W101133", kVal},
                       Side{f1Ito_, "IS_ITOG", VX_ITOG, "W101134", kItog}}) {
            const long double current = s.current[n];  // a missing cell is created as 0
            const long double previous = AmountOf(GetAuxField(s.field));
            if (current == 0 && previous != 0)
                Line(s.code,
                     "ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХ.-НЕТ "_cp + label + std::string(s.name) +
                         PairText(kPreviousWidth, "<>", previous, 0),
                     About(nbal, ap).Compare("<>", previous, current, {Field(s.field, previous, From::Previous)},
                                             {Field(kAmountFields[s.incoming], current, From::Current)}, 'x'));
        }
    });
}

void BalanceControl::ReadChart() {
    const long double last = chart_.Load(
        period_.d, [&](long double n) { return InChart(n); }, c_.offBalance ? 0 : c_.chartStop);
    if (c_.family == ChapterFamily::A && last == 0)
        Line("E101177", "СПРАВОЧНИК PS_WORK - ПЛАН СЧЕТОВ ПУСТОЙ...  ПРОИЗОШЛО РАЗРУШЕНИЕ ДАННЫХ?!..."_cp);
}

void BalanceControl::CheckRow(const Amounts& a, const std::string& nbal, const std::string& ap) {
    const std::string acc = SubText(nbal, 1, 5);
    const std::string label = Label(nbal, ap);
    const bool signKnown = ap == kActive || ap == kPassive;
    CheckAccountText(row_, nbal, ap, label, signKnown);
    const long double n = TextToNumber(acc);
    chart_.CheckRow({row_, n, nbal, acc, label, ap, a[IS_ITOG] != 0, " " + Num(a[IS_ITOG]),
                     "   <" + Num(a[IS_ITOG]) + ">", a[IS_ITOG]},
                    period_);
    const std::string currency = chart_.CurrencyRule(n);
    for (const CurrencyRule& r : kCurrencyRules)
        if ((a[r.in] != 0 || a[r.debit] != 0 || a[r.credit] != 0 || a[r.out] != 0) && currency == r.rule) {
            About about(nbal);
            for (Amount f : {r.in, r.debit, r.credit, r.out}) about.With(Field(kAmountFields[f], a[f]));
            Line("W101104",
                 std::string(r.what) + std::string(kAccount) + nbal + "  <" + Num(a[r.in]) + "><" + Num(a[r.debit]) +
                     "><" + Num(a[r.credit]) + "><" + Num(a[r.out]) + ">",
                 about);
        }
    if (!signKnown) ReportMissingSign(row_, nbal);
    if (prevExists_) {
        const std::string lead = "ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ "_cp + label;
        struct Previous {
            const char* code;
            long double previous;  // a missing cell is created as 0
            const char* field;
            Amount incoming;
            std::string_view name;
        };
        for (const Previous& p : {Previous{"W101112", f2Rub_[n], "IS_RUB", VX_RUB, kRub},
                                  Previous{"W101113", f2Val_[n], "IS_VAL", VX_VAL, kVal},
                                  Previous{"W101114", f2Ito_[n], "IS_ITOG", VX_ITOG, kItog}})
            if (CompareNumbers("<>", p.previous, a[p.incoming]))
                Line(p.code, lead + std::string(p.name) + PairText(kPreviousWidth, "<>", p.previous, a[p.incoming]),
                     About(nbal, ap).Compare("<>", p.previous, a[p.incoming],
                                             {Field(p.field, p.previous, From::Previous)},
                                             {Field(kAmountFields[p.incoming], a[p.incoming])}, 'x'));
    }
    bool negative = false;
    for (long double x : a) negative = negative || x < 0;
    if (negative) {
        About about(nbal, ap);
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i] < 0) about.With(Field(kAmountFields[i], a[i]));
        Line("E101116", std::string(c_.negativeMessage) + label + " - ИСПРАВИТЬ!"_cp, about);
    }
}

void BalanceControl::CheckRows() {
    row_ = 1;
    for (FirstRow(); !RowsEnded(); ++row_, NextRow()) {
        const Amounts a = ReadRowAmounts();
        const Value nbalValue = GetRowField("NBAL2");
        const std::string nbal = ValueToText(nbalValue);
        const std::string ap = ValueToText(GetRowField("A_P"));
        const bool total = IsTotal(nbalValue);
        if (c_.offBalance && !nbal.empty() && !total) {
            if (IsCounterAccountText(nbal))
                specialSum_ += a[IS_ITOG];
            else
                otherSum_ += a[IS_ITOG];
        }
        if (nbal.empty()) continue;
        const std::string acc = SubText(nbal, 1, 5);
        if (!AccountIsDigits(row_, nbal, acc)) continue;
        if (acc != c_.totalAccount) CheckRow(a, nbal, ap);

        const std::string label = Label(nbal, ap);
        auto field = [&](Amount f) { return Field(kAmountFields[f], a[f]); };
        for (const SumCheck& s : kSumChecks) {
            const long double sum = a[s.rub] + a[s.val];
            if (CompareNumbers("<>", a[s.total], sum))
                Line(s.code,
                     std::string(s.title) + label + std::string(kItog) + "<>" + std::string(kRub) + "+" +
                         std::string(kVal) + Pad(a[s.total], c_.sumPad) + " <> " + Num(a[s.rub]) + "+" + Num(a[s.val]),
                     About(nbal, ap).Compare("<>", a[s.total], sum, {field(s.total)}, {field(s.rub), field(s.val)}));
        }
        const bool active = ap == kActive, passive = ap == kPassive;
        for (const BalanceCheck& b : kBalanceChecks) {
            auto lead = [&] { return "НЕ БАЛАНСИРУЕТСЯ "_cp + label + " " + std::string(b.name) + " " + Num(a[b.in]); };
            if (active) {
                const long double rule = a[b.in] + a[b.debit] - a[b.credit];
                if (CompareNumbers("<>", a[b.out], rule))
                    Line(b.activeCode, lead() + "+" + Num(a[b.debit]) + "-" + Num(a[b.credit]) + " <> " + Num(a[b.out]),
                         About(nbal, ap).Compare("<>", a[b.out], rule, {field(b.out)},
                                                 {field(b.in), field(b.debit), Minus(field(b.credit))}));
            }
            if (passive) {
                const long double rule = a[b.in] - a[b.debit] + a[b.credit];
                if (CompareNumbers("<>", a[b.out], rule))
                    Line(b.passiveCode,
                         lead() + "-" + Num(a[b.debit]) + "+" + Num(a[b.credit]) + " <> " + Num(a[b.out]),
                         About(nbal, ap).Compare("<>", a[b.out], rule, {field(b.out)},
                                                 {field(b.in), Minus(field(b.debit)), field(b.credit)}));
            }
        }

        if (total) {
            if (ap == kActive) activeTotalSeen_ = true;
            if (ap == kPassive) passiveTotalSeen_ = true;
        } else {
            Amounts* sums = ap == kActive ? &active_ : ap == kPassive ? &passive_ : nullptr;
            if (sums)
                for (std::size_t i = 0; i < a.size(); ++i) (*sums)[i] += a[i];
        }
    }
    --row_;
}

void BalanceControl::WriteTotals(std::string_view sign, bool seen, const Amounts& sums) {
    std::array<Value, 12> values;
    for (std::size_t i = 0; i < sums.size(); ++i) values[i] = Value::Real(static_cast<double>(sums[i]));
    row_ = KeepOneTotalRow(totals_, sign, seen, values, kBalanceTotalRows);
}

void BalanceControl::ChapterChecks() {
    const Amounts& A = active_;
    const Amounts& P = passive_;
    // The terms of a rule over the sums of the active or passive account rows.
    auto terms = [](const Amounts& s, From side, std::initializer_list<Amount> fields) {
        FieldList out;
        for (Amount f : fields) out.Add(Field(kAmountFields[f], s[f], side));
        return out;
    };
    auto both = [&](Amount rub, Amount val, Amount itog) {
        FieldList out = terms(P, From::Passive, {rub, val, itog});
        for (const auto& t : terms(A, From::Active, {rub, val, itog})) out.Add(t);
        return out;
    };
    const long double debit = P[OB_AK_RUB] + P[OB_AK_VAL] + P[OB_AK_ITOG] + A[OB_AK_RUB] + A[OB_AK_VAL] + A[OB_AK_ITOG];
    const long double credit =
        P[OB_PAS_RUB] + P[OB_PAS_VAL] + P[OB_PAS_ITOG] + A[OB_PAS_RUB] + A[OB_PAS_VAL] + A[OB_PAS_ITOG];
    auto turnovers = [&] {
        return About().Compare("<>", debit, credit, both(OB_AK_RUB, OB_AK_VAL, OB_AK_ITOG),
                               both(OB_PAS_RUB, OB_PAS_VAL, OB_PAS_ITOG));
    };
    // The message carries a Latin E at the end of "ВХОДЯЩИE": hosts and their users match the
    // text byte for byte, so the letter is written apart, where it shows.
    const std::string incoming = "НЕ РАВНЫ ИТОГОВЫЕ ВХОДЯЩИ"_cp + "E ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ "_cp;
    const std::string outgoing = "НЕ РАВНЫ ИТОГОВЫЕ ИСХОДЯЩИЕ ОСТАТКИ ПО АКТИВНЫМ И ПАССИВНЫМ "_cp;
    if (c_.family == ChapterFamily::Other) {
        struct Sides {
            const char* code;
            const std::string& message;
            Amount rub, val, itog;
        };
        for (const Sides& s : {Sides{"E101229", incoming, VX_RUB, VX_VAL, VX_ITOG},
                               Sides{"E101230", outgoing, IS_RUB, IS_VAL, IS_ITOG}}) {
            const long double passive = P[s.rub] + P[s.val] + P[s.itog], active = A[s.rub] + A[s.val] + A[s.itog];
            if (CompareNumbers("<>", passive, active))
                Line(s.code, s.message,
                     About().Compare("<>", passive, active, terms(P, From::Passive, {s.rub, s.val, s.itog}),
                                     terms(A, From::Active, {s.rub, s.val, s.itog})));
        }
        if (CompareNumbers("<>", debit, credit))
            Line("E101231", "НЕ РАВНЫ ПО ДЕБЕТУ-КРЕДИТУ СУММАРНЫЕ ОБОРОТЫ ПО АКТИВНЫМ И ПАССИВНЫМ "_cp, turnovers());
        return;
    }
    auto sideSum = [&](std::string_view title, const Amounts& s, From side, Amount rub, Amount val, Amount itog) {
        const long double sum = s[rub] + s[val];
        if (CompareNumbers("<>", sum, s[itog]))
            Line("E101229", std::string(title) + " (" + Num(s[rub]) + "+" + Num(s[val]) + " <> " + Num(s[itog]) + ")",
                 About().Compare("<>", sum, s[itog], terms(s, side, {rub, val}), terms(s, side, {itog})));
    };
    auto totals = [&](Amount itog) {
        return About().Compare("<>", P[itog], A[itog], terms(P, From::Passive, {itog}), terms(A, From::Active, {itog}));
    };
    if (CompareNumbers("<>", P[VX_ITOG], A[VX_ITOG]))
        Line("E101229", incoming + " (" + Num(P[VX_ITOG]) + "<>" + Num(A[VX_ITOG]) + ")", totals(VX_ITOG));
    sideSum("ПАССИВ.ВХОДЯЩИЕ ОСТАТКИ. СУММА РУБ+ВАЛ.<>"_cpv, P, From::Passive, VX_RUB, VX_VAL, VX_ITOG);
    sideSum(" АКТИВ.ВХОДЯЩИЕ ОСТАТКИ. СУММА РУБ+ВАЛ.<>"_cpv, A, From::Active, VX_RUB, VX_VAL, VX_ITOG);
    if (CompareNumbers("<>", P[IS_ITOG], A[IS_ITOG]))
        Line("E101230", outgoing + "  (" + Num(P[IS_ITOG]) + "<>" + Num(A[IS_ITOG]) + ")", totals(IS_ITOG));
    sideSum("ПАССИВ.ИСХОДЯЩИЕ ОСТАТКИ. СУММА РУБ+ВАЛ.<>"_cpv, P, From::Passive, IS_RUB, IS_VAL, IS_ITOG);
    sideSum(" АКТИВ.ИСХОДЯЩИЕ ОСТАТКИ. СУММА РУБ+ВАЛ.<>"_cpv, A, From::Active, IS_RUB, IS_VAL, IS_ITOG);
    if (CompareNumbers("<>", debit, credit))
        Line("E101231",
             "НЕ РАВНЫ ПО ДЕБЕТУ-КРЕДИТУ СУММАРНЫЕ ОБОРОТЫ ПО АКТИВНЫМ И ПАССИВНЫМ  "_cp + " (" + Num(debit) + " <> " +
                 Num(credit) + ")",
             turnovers());
}

void BalanceControl::Run() {
    // The rows of one instance: never a mixture of several.
    RequireOneInstance();
    Prepare();
    IncomingPass();

    if (c_.family == ChapterFamily::A) {
        if (!hasRows_) return;
        prevExists_ = ReadPreviousReport(row_, period_, hasRows_, [&] { return LoadPrevious(); });
    } else {
        prevExists_ = ReadPreviousReport(row_, period_, hasRows_, [&] { return LoadPrevious(); });
        if (prevExists_) VanishedAccounts();
        if (!hasRows_) {
            Line("W101198", std::string(c_.emptyMessage));
            return;
        }
    }

    ReadChart();
    if (c_.offBalance) specialSum_ = otherSum_ = 0;
    row_ = RemoveOldTotalRows(totals_);
    CheckRows();
    if (c_.offBalance && CompareNumbers("<>", specialSum_, otherSum_))
        Line("E101336",
             "СУММА ВНЕБ.СЧЕТОВ ПО АКТИВУ+ПАССИВУ(КР.99999,99998) НЕ РАВНА СЧ.99998+99999  ("_cp + Num(otherSum_) +
                 "<>" + Num(specialSum_) + ")",
             About().Compare("<>", specialSum_, otherSum_, {Field("IS_ITOG", specialSum_, From::Counter)},
                             {Field("IS_ITOG", otherSum_, From::Others)}));
    row_ = RemoveTotalRowsLeft(row_, totals_);
    WriteTotals(kActive, activeTotalSeen_, active_);
    WriteTotals(kPassive, passiveTotalSeen_, passive_);
    ChapterChecks();
    if (c_.family == ChapterFamily::A && prevExists_) VanishedAccounts();
    CheckUniqueness(row_, c_.tableCode, totals_, false);
}

}  // namespace

void ControlBalanceChapter(const BalanceChapter& chapter) { BalanceControl(chapter).Run(); }

}  // namespace tesma::controls

// Chapter Д, depository accounts: quantities of securities with up to four decimals, beyond
// the exact range of binary floating point, so every amount is an exact decimal text.
#include "controls/chapter_parts.h"
#include "controls/common.h"
#include "controls/procedures.h"
#include "platform/text/cp1251.h"
#include "runtime/arrays.h"
#include "runtime/conversions.h"
#include "runtime/numbers.h"
#include "runtime/record_access.h"
#include "runtime/row_instances.h"
#include "runtime/run.h"
#include "runtime/texts.h"
#include "tesma/tesmaC.h"

namespace tesma::controls {

using namespace tesma::literals;

namespace {

constexpr std::string_view kHeader = "**Контроль формы 101 Глава Д. Баланс счетов ДЕПО"_cpv;
constexpr std::string_view kTable = "Ф_5"_cpv;
constexpr std::string_view kZero = "0.0000";
// The chapter's range of accounts: kLower < n <= kUpper.
constexpr long double kLower = 97999, kUpper = 98999;
// The width the previous report's amount is padded to in W101134, wide enough for the
// chapter's exact quantities.
constexpr std::int32_t kPreviousWidth = 22;
const TotalRule kTotals{"98999", "98999 (ИТОГО)"_cpv};

// The chapter keeps its total row "98999" of a sign; rows written as "98999 (ИТОГО)" are old
// ones and go. In a table of kind "F", which cannot lose them, the first "98999" row of the sign
// takes the sums and no other.
constexpr TotalRowKeeping kDepoTotalRows{
    .anyTotalRowKeeps = false, .everyFixedTotalTakesSums = false, .stepPastAppended = false};

// The four column groups of a row (incoming, debit, credit, outgoing), by their rouble column;
// the currency and total columns follow it. The debit total is checked as entered, so that
// only its check sees more than four decimals; the others are checked normalised.
struct Group {
    Amount rub;
    bool asEntered;
};
constexpr std::array<Group, 4> kGroups = {{{VX_RUB, false}, {OB_AK_RUB, true}, {OB_PAS_RUB, false}, {IS_RUB, false}}};

// A number text with exactly four decimals; the empty text for anything else.
std::string Normalised(const std::string& text) { return AddNumberTexts(text, "0"); }

// An outgoing balance of the previous report, normalised; an empty one is "0.0000", as an
// empty amount counts as "0" wherever an amount is entered.
std::string PreviousAmount(const Value& stored) {
    return Normalised(ValueToText(NullToDefault(stored, Value::Str("0"))));
}

// Whether a number text stands for a value below zero: a minus sign and a digit other than 0.
bool IsNegative(const std::string& text) {
    return !text.empty() && text[0] == '-' && text.find_first_of("123456789") != std::string::npos;
}

std::string DepoPairText(const std::string& a, std::int32_t width, std::string_view op, const std::string& b) {
    return PadNumberText(a, width) + " " + std::string(op) + " " + b;
}

struct TextSums {
    std::string vx{kZero}, ak{kZero}, pas{kZero}, is{kZero};
    void Add(const std::string& v, const std::string& a, const std::string& p, const std::string& i) {
        vx = AddNumberTexts(vx, v);
        ak = AddNumberTexts(ak, a);
        pas = AddNumberTexts(pas, p);
        is = AddNumberTexts(is, i);
    }
};

class DepoControl {
public:
    void Run();

private:
    void Line(std::string_view code, const std::string& message, const About& about = About()) {
        Report(row_, code, message, about);
    }
    static std::string Text(std::string_view field) { return ValueToText(GetRowField(field)); }
    // An entered amount: a number text (an empty one counts as "0").
    static bool Valid(const Value& v) { return IsNumberText(ValueToText(NullToDefault(v, Value::Str("0")))); }
    std::string CheckDepoAmount(const std::string& s, std::string_view field, const std::string& account,
                                const std::string& sign);

    void IncomingPass();
    bool LoadPrevious();
    void VanishedAccounts();
    void CheckRows();
    void WriteTotals(std::string_view sign, bool seen, const TextSums& sums);
    void ChapterChecks();

    std::int32_t row_ = 0;
    Period period_;
    bool prevExists_ = false, hasRows_ = false, activeTotalSeen_ = false, passiveTotalSeen_ = false;
    TextSums active_, passive_;
    Chart chart_;
    ControlArray<std::string> f2Ito_{"F2ITO"}, f1Ito_{"F1ITO"};
};

std::string DepoControl::CheckDepoAmount(const std::string& s, std::string_view field, const std::string& account,
                                         const std::string& sign) {
    std::string result = s;
    if (!IsNumberText(s)) {
        Line("E101771", "СЧЕТ- "_cp + account + sign + " ВВОД СОДЕРЖИТ НЕ ТОЛЬКО ЦИФРЫ - <"_cp + s + ">",
             About(account, sign).With(Cell(field)));
        result = "0";
    }
    const std::int32_t p = TextPos(s, ".");
    if (p > 0 && static_cast<std::int32_t>(TrimText(s).size()) - p > 4)
        Line("E101772", "СЧЕТ- "_cp + account + sign + " БОЛЕЕ 4 ЗНАКОВ ПОСЛЕ ЗАПЯТОЙ - <"_cp + s + ">",
             About(account, sign).With(IsNumberText(s) ? Field(field, Number(s)) : Cell(field)));
    return result;
}

void DepoControl::IncomingPass() {
    struct Total {
        const char* field;
        std::string_view what;
    };
    static const Total kTotalsChecked[] = {{"VX_ITOG", ". ВХОДЯЩИЙ ОСТАТОК ВВЕДЕН НЕКОРРЕКТНО - <"_cpv},
                                           {"OB_AK_ITOG", ". ДЕБЕТОВЫЙ ОБОРОТ ВВЕДЕН НЕКОРРЕКТНО - <"_cpv},
                                           {"OB_PAS_ITOG", ". КРЕДИТОВЫЙ ОБОРОТ ВВЕДЕН НЕКОРРЕКТНО - <"_cpv},
                                           {"IS_ITOG", ". ИСХОДЯЩИЙ ОСТАТОК ВВЕДЕН НЕКОРРЕКТНО - <"_cpv}};
    row_ = 1;
    for (FirstRow(); !RowsEnded(); ++row_, NextRow()) {
        const Value nbalValue = GetRowField("NBAL2");
        const std::string nbal = ValueToText(nbalValue);
        if (nbal.empty() || kTotals.IsTotal(nbalValue)) continue;
        const std::string acc = SubText(nbal, 1, 5);
        if (!DigitsOnly(acc)) continue;
        const long double n = TextToNumber(acc);
        SetRowField("A_P", Value::Str(UpperText(Text("A_P"))));
        if (!(n > kLower && n <= kUpper)) {
            Line("E101197", "СЧЕТ НЕ ПРИНАДЛЕЖИТ ДАННОМУ ДАПАЗОНУ СЧЕТОВ:  <"_cp + Num(n) + ">",
                 About(nbal).With(Cell("NBAL2")));
            continue;
        }
        for (const Total& t : kTotalsChecked) {
            const Value v = GetRowField(t.field);
            const bool incoming = std::string_view(t.field) == "VX_ITOG";
            if (Valid(v)) {
                const std::string normal = Normalised(ValueToText(v));
                SetRowField(t.field, Value::Str(normal));
                if (incoming) f1Ito_[n] = normal;
            } else {
                Line("E46100", "СЧЕТ- "_cp + Num(n) + std::string(t.what) + ValueToText(v) + ">",
                     About(nbal).With(Cell(t.field)));
                if (incoming) f1Ito_[n] = std::string(kZero);
            }
        }
        hasRows_ = true;
    }
    --row_;
}

bool DepoControl::LoadPrevious() {
    bool loaded = false;
    ForEachAuxRow(kTable, "NBAL2", period_.m1, [&] {
        const Value nbalValue = GetAuxField("NBAL2");
        const std::string nbal = ValueToText(nbalValue);
        if (nbal.empty() || kTotals.IsTotal(nbalValue)) return;
        const std::string acc = SubText(nbal, 1, 5);
        if (!DigitsOnly(acc)) return;
        const long double n = TextToNumber(acc);
        const Value is = GetAuxField("IS_ITOG");
        if (Valid(is)) {
            f2Ito_[n] = PreviousAmount(is);
        } else {
            Line("E46100",
                 "СЧЕТ- "_cp + Num(n) + ". ВХОДЯЩИЙ ОСТАТОК ВВЕДЕН НЕКОРРЕКТНО - <"_cp + ValueToText(is) + ">",
                 About(nbal).With(Cell("IS_ITOG", From::Previous)));
            f2Ito_[n] = std::string(kZero);
        }
        loaded = true;
    });
    return loaded;
}

void DepoControl::VanishedAccounts() {
    ForEachAuxRow(kTable, "NBAL2", period_.m1, [&] {
        const Value nbalValue = GetAuxField("NBAL2");
        const std::string nbal = ValueToText(nbalValue);
        if (nbal.empty() || kTotals.IsTotal(nbalValue) || !DigitsOnly(nbal)) return;
        const long double n = TextToNumber(nbal);
        if (!f1Ito_.Has(n)) f1Ito_[n] = std::string(kZero);
        const Value stored = GetAuxField("IS_ITOG");
        const std::string previous = ValueToText(stored);
        if (f1Ito_[n] == kZero && PreviousAmount(stored) != kZero) {
            const std::string ap = ValueToText(GetAuxField("A_P")), compared = PreviousAmount(stored);
            Line("W101134",
                 "ПРЕДЫД.ИСХ.ОСТАТОК ЕСТЬ,ТЕКУЩЕГО ВХОДЯЩЕГО -НЕТ Б/С "_cp + nbal + ap +
                     DepoPairText(previous, kPreviousWidth, "<>", "0"),
                 About(nbal, ap).Compare("<>", Number(compared), Number(kZero),
                                         {Field("IS_ITOG", Number(compared), From::Previous)},
                                         {Field("VX_ITOG", Number(kZero), From::Current)}, 'x'));
        }
    });
}

void DepoControl::CheckRows() {
    const Value zero = Value::Str(std::string(kZero));
    row_ = 1;
    for (FirstRow(); !RowsEnded(); ++row_, NextRow()) {
        const Value nbalValue = GetRowField("NBAL2");
        const std::string nbal = ValueToText(nbalValue);
        const std::string ap = Text("A_P");
        // Every row, group by group: the rouble and currency columns carry nothing in this
        // chapter, and the total column's quantity is checked.
        std::array<std::string, 4> totals;
        for (std::size_t g = 0; g < kGroups.size(); ++g) {
            SetRowField(kAmountFields[kGroups[g].rub], zero);
            SetRowField(kAmountFields[kGroups[g].rub + 1], zero);
            const char* total = kAmountFields[kGroups[g].rub + 2];
            totals[g] =
                CheckDepoAmount(kGroups[g].asEntered ? ValueToText(NullToDefault(GetRowField(total), Value::Str("0")))
                                                     : Normalised(Text(total)),
                                total, nbal, ap);
        }
        const std::string &vx = totals[0], &oa = totals[1], &op = totals[2], &is = totals[3];

        if (nbal.empty()) continue;
        const std::string acc = SubText(nbal, 1, 5);
        if (!AccountIsDigits(row_, nbal, acc)) continue;
        const std::string label = "Б/С "_cp + nbal + ap;
        const bool signKnown = ap == "А"_cpv || ap == "П"_cpv;
        if (acc != kTotals.account) {
            CheckAccountText(row_, nbal, ap, label, signKnown);
            const long double n = TextToNumber(acc);
            chart_.CheckRow({row_, n, nbal, acc, label, ap, is != kZero, " (" + is + ")", " (" + is + ")", Number(is)},
                            period_);
            if (!signKnown) ReportMissingSign(row_, nbal);
            if (prevExists_) {
                if (!f2Ito_.Has(n)) f2Ito_[n] = std::string(kZero);
                const std::string previous = f2Ito_[n];
                if (previous != vx)
                    Line("W101114",
                         "ПРЕДЫД.ИСХ.ОСТАТОК <> ТЕКУЩЕМУ ВХ.ОСТАТКУ "_cp + label + " (" + previous + "<>" + vx + ")",
                         About(nbal, ap).Compare("<>", Number(previous), Number(vx),
                                                 {Field("IS_ITOG", Number(previous), From::Previous)},
                                                 {Field("VX_ITOG", Number(vx))}, 'x'));
            }
            if (IsNegative(vx) || IsNegative(oa) || IsNegative(op) || IsNegative(is)) {
                About about(nbal, ap);
                for (std::size_t g = 0; g < kGroups.size(); ++g)
                    if (IsNegative(totals[g])) about.With(Field(kAmountFields[kGroups[g].rub + 2], Number(totals[g])));
                Line("E101116",
                     "НЕДОПУСТИМ ОТРИЦАТЕЛЬНЫЙ ОСТАТОК "_cp + label + " (" + vx + "," + oa + "," + op + "," + is +
                         ") -ИСПРАВИТЬ!"_cp,
                     about);
            }
        }
        auto field = [&](std::size_t g) { return Field(kAmountFields[kGroups[g].rub + 2], Number(totals[g])); };
        if (ap == "А"_cpv) {
            const std::string rule = SubtractNumberTexts(AddNumberTexts(vx, oa), op);
            if (is != rule)
                Line("E101123", "НЕ БАЛАНСИРУЕТСЯ "_cp + label + " (" + vx + "+" + oa + "-" + op + "<>" + is + ")",
                     About(nbal, ap).Compare("<>", Number(is), Number(rule), {field(3)},
                                             {field(0), field(1), Minus(field(2))}));
        }
        if (ap == "П"_cpv) {
            const std::string rule = AddNumberTexts(SubtractNumberTexts(vx, oa), op);
            if (is != rule)
                Line("E101126", "НЕ БАЛАНСИРУЕТСЯ "_cp + label + " (" + vx + "-" + oa + "+" + op + "<>" + is + ")",
                     About(nbal, ap).Compare("<>", Number(is), Number(rule), {field(3)},
                                             {field(0), Minus(field(1)), field(2)}));
        }
        if (kTotals.IsTotal(nbalValue)) {
            if (ap == "А"_cpv) activeTotalSeen_ = true;
            if (ap == "П"_cpv) passiveTotalSeen_ = true;
        } else if (ap == "А"_cpv) {
            active_.Add(vx, oa, op, is);
        } else if (ap == "П"_cpv) {
            passive_.Add(vx, oa, op, is);
        }
    }
    --row_;
}

void DepoControl::WriteTotals(std::string_view sign, bool seen, const TextSums& sums) {
    // The rouble and currency columns carry zeros, the total columns the sums.
    std::array<Value, 12> values;
    values.fill(Value::Str(std::string(kZero)));
    values[VX_ITOG] = Value::Str(sums.vx);
    values[OB_AK_ITOG] = Value::Str(sums.ak);
    values[OB_PAS_ITOG] = Value::Str(sums.pas);
    values[IS_ITOG] = Value::Str(sums.is);
    KeepOneTotalRow(kTotals, sign, seen, values, kDepoTotalRows);
}

void DepoControl::ChapterChecks() {
    const std::string tail = "Б/С "_cp;
    auto totals = [&](const char* field, const std::string& passive, const std::string& active) {
        return About().Compare("<>", Number(passive), Number(active), {Field(field, Number(passive), From::Passive)},
                               {Field(field, Number(active), From::Active)});
    };
    if (passive_.vx != active_.vx)
        Line("E101229",
             "НЕ РАВНЫ ИТОГОВЫЕ ВХ. ОСТАТКИ ПО АКТ./ПАССИВНЫМ "_cp + tail + " ( " + passive_.vx + "<>" + active_.vx +
                 ")",
             totals("VX_ITOG", passive_.vx, active_.vx));
    if (passive_.is != active_.is)
        Line(
            "E101230",
            "НЕ РАВНЫ ИТОГОВЫЕ ИСХ.ОСТАТКИ ПО АКТ./ПАССИВНЫМ "_cp + tail + " (" + passive_.is + "<>" + active_.is + ")",
            totals("IS_ITOG", passive_.is, active_.is));
    const std::string debit = AddNumberTexts(active_.ak, passive_.ak),
                      credit = AddNumberTexts(active_.pas, passive_.pas);
    if (debit != credit)
        Line("E101231",
             "НЕ РАВНЫ ПО ДЕБЕТУ-КРЕДИТУ СУММАРНЫЕ ОБОРОТЫ ПО АКТ./ПАССИВНЫМ "_cp + tail + " (" + active_.ak + "+" +
                 passive_.ak + "<>" + active_.pas + "+" + passive_.pas + ")",
             About().Compare("<>", Number(debit), Number(credit),
                             {Field("OB_AK_ITOG", Number(active_.ak), From::Active),
                              Field("OB_AK_ITOG", Number(passive_.ak), From::Passive)},
                             {Field("OB_PAS_ITOG", Number(active_.pas), From::Active),
                              Field("OB_PAS_ITOG", Number(passive_.pas), From::Passive)}));
}

void DepoControl::Run() {
    // The rows of one instance: never a mixture of several.
    RequireOneInstance();
    ResetArrays();
    chart_.Declare();
    f2Ito_.Declare();
    f1Ito_.Declare();
    WriteHeaderLine(contract::kProcedureControlChapterD, kHeader);
    period_ = FindPeriod();
    prevExists_ = period_.prevExists;

    IncomingPass();
    prevExists_ = ReadPreviousReport(row_, period_, hasRows_, [&] { return LoadPrevious(); });
    if (prevExists_) VanishedAccounts();
    if (!hasRows_) {
        Line("W101198", "СЧЕТА ДЕПО ВВЕДЕНЫ НУЛЕВЫЕ"_cp);
        return;
    }
    chart_.Load(
        period_.d, [](long double n) { return n > kLower; }, kUpper);
    row_ = RemoveOldTotalRows(kTotals);
    CheckRows();
    row_ = RemoveTotalRowsLeft(row_, kTotals);
    WriteTotals("А"_cpv, activeTotalSeen_, active_);
    WriteTotals("П"_cpv, passiveTotalSeen_, passive_);
    ChapterChecks();
    CheckUniqueness(row_, kTable, kTotals, true);
}

}  // namespace

void ControlChapterD() { DepoControl().Run(); }

}  // namespace tesma::controls

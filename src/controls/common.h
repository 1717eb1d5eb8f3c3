#pragma once
// Pieces shared by the control procedures of form 101: finding lines, number texts in
// messages, account-number tests and typed storage behind the control arrays.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"
#include "runtime/arrays.h"
#include "runtime/line_facts.h"
#include "runtime/value.h"

namespace tesma::controls {

// The twelve amount fields of a chapter row, in field order.
inline constexpr std::array<const char*, 12> kAmountFields = {"VX_RUB",      "VX_VAL",     "VX_ITOG",    "OB_AK_RUB",
                                                              "OB_AK_VAL",   "OB_AK_ITOG", "OB_PAS_RUB", "OB_PAS_VAL",
                                                              "OB_PAS_ITOG", "IS_RUB",     "IS_VAL",     "IS_ITOG"};
enum Amount {
    VX_RUB,
    VX_VAL,
    VX_ITOG,
    OB_AK_RUB,
    OB_AK_VAL,
    OB_AK_ITOG,
    OB_PAS_RUB,
    OB_PAS_VAL,
    OB_PAS_ITOG,
    IS_RUB,
    IS_VAL,
    IS_ITOG
};
using Amounts = std::array<long double, 12>;

// What a finding is about, for the host's finding record: the account and sign its message
// names, the fields it concerns, and the values its rule compared.
using runtime::Cell;
using runtime::FieldList;
using runtime::From;
using runtime::Number;
struct About : runtime::LineFacts {
    About() = default;
    explicit About(std::string_view accountText, std::string_view signText = {}) {
        account = accountText;
        sign = signText;
    }
    // A field it concerns besides those of its comparison.
    About& With(const runtime::FieldValue& field) {
        fields.Add(field);
        return *this;
    }
    // X op Y held; xTerms and yTerms say how X and Y were formed; `previous` ('x' or 'y') names
    // the value from the previous period's report.
    About& Compare(std::string_view op, Number x, Number y, FieldList xTerms, FieldList yTerms, char previous = 0) {
        compared = {op, x, y, xTerms, yTerms, previous};
        return *this;
    }
};
// A field with its value; Minus: subtracted in a rule; Constant: a number in a rule.
inline runtime::FieldValue Field(std::string_view name, Number value, From from = From::Row) {
    return {name, from, {}, value, true, '+'};
}
inline runtime::FieldValue FieldOf(std::string_view name, std::string_view account, Number value) {
    return {name, From::Account, account, value, true, '+'};
}
inline runtime::FieldValue Minus(runtime::FieldValue f) {
    f.sign = '-';
    return f;
}
inline runtime::FieldValue Constant(Number value) { return {{}, From::Row, {}, value, true, '+'}; }

// A finding line: "<row>: <code> <message>", with what it is about.
void Report(std::int32_t row, std::string_view code, std::string_view message, const About& about = About());

// The text of an amount in a message (the general number text, "." as the decimal point).
std::string Num(long double x);
// A number text padded on the left with blanks to `width`. A longer text is kept whole: a
// message must never show a figure with its last digits cut off.
std::string PadNumberText(std::string_view text, std::int32_t width);
// A pair of numbers for a message: the first padded to `width`, then op, then the second.
std::string PairText(std::int32_t width, std::string_view op, long double a, long double b);
// The text of a value, padded on the left with blanks to `width`.
std::string Pad(long double x, std::int32_t width);

// Whether the main table's kind lets a procedure append and delete rows (a table of kind "F"
// does not: AppendRow and DeleteRow leave it as it is).
bool MainTableTakesNewRows();

// A text from which TranslateChars(" 0123456789" -> " ") removes everything: digits only,
// and the empty text too.
bool DigitsOnly(std::string_view text);

// A field value read as an amount: null and the empty text are 0.
long double AmountOf(const Value& v);

// The current main row's twelve amounts.
Amounts ReadRowAmounts();
// The current aux row's value of a field as an amount (null or empty: 0).
long double AuxAmount(std::string_view field);

// Storage of one control array: the cells of the slots that ArrayIndex hands out, at most
// 3000; the 3001st key is reported by the array's message box and then ends the procedure.
template <typename T>
class ControlArray {
public:
    ControlArray(std::string name, T initial = T{}) : name_(std::move(name)), initial_(initial) {}
    void Declare() const { DeclareArray(name_, kCapacity); }
    T& operator[](long double key) {
        const std::int32_t slot = ArrayIndex(name_, key, cache_);
        if (slot < 1 || slot > kCapacity)
            throw RangeError("range check error: slot " + std::to_string(slot) + " of array " + name_);
        if (cells_.size() < static_cast<std::size_t>(slot)) cells_.resize(static_cast<std::size_t>(slot), initial_);
        return cells_[static_cast<std::size_t>(slot - 1)];
    }
    bool Has(long double key) const { return ArrayHasKey(name_, key, cache_); }

    static constexpr std::int32_t kCapacity = 3000;

private:
    std::string name_;
    T initial_;
    std::vector<T> cells_;
    mutable ArrayCache cache_;
};

}  // namespace tesma::controls

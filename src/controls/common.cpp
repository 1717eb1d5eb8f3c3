#include "controls/common.h"

#include "runtime/conversions.h"
#include "runtime/record_access.h"
#include "runtime/run.h"
#include "runtime/texts.h"

namespace tesma::controls {

void Report(std::int32_t row, std::string_view code, std::string_view message, const About& about) {
    std::string line = std::to_string(row);
    line += ": ";
    line += code;
    line += ' ';
    line += message;
    runtime::LineFacts facts = about;
    facts.kind = runtime::LineKind::Finding;
    facts.row = row;
    facts.code = code;
    WriteProtocolLine(line, facts);
}

std::string Num(long double x) { return ValueToText(Value::Real(static_cast<double>(x))); }

std::string PadNumberText(std::string_view text, std::int32_t width) {
    if (width <= 0 || text.size() >= static_cast<std::size_t>(width)) return std::string(text);
    return PadLeftText(text, width, " ");
}

std::string PairText(std::int32_t width, std::string_view op, long double a, long double b) {
    return PadNumberText(Num(a), width) + " " + std::string(op) + " " + Num(b);
}

std::string Pad(long double x, std::int32_t width) { return PadNumberText(Num(x), width); }

bool MainTableTakesNewRows() { return runtime::CurrentRun().MainTableKind != "F"; }

bool DigitsOnly(std::string_view text) { return TranslateChars(text, " 0123456789", " ").empty(); }

long double AmountOf(const Value& v) { return ValueToReal(NullToDefault(v, Value::Int(0))); }

Amounts ReadRowAmounts() {
    Amounts a{};
    for (std::size_t i = 0; i < kAmountFields.size(); ++i) a[i] = AmountOf(GetRowField(kAmountFields[i]));
    return a;
}

long double AuxAmount(std::string_view field) { return AmountOf(GetAuxField(field)); }

}  // namespace tesma::controls

#include "html_rule.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tesma::f101 {

namespace {

struct Term {
    bool minus = false;
    std::string reference;
};

// "VX_RUB+OB_AK_RUB-OB_PAS_RUB" into its terms (a leading "-" negates the first).
std::vector<Term> TermsOf(std::string_view rule) {
    std::vector<Term> terms;
    Term term;
    for (char c : rule) {
        if ((c == '+' || c == '-') && !term.reference.empty()) {
            terms.push_back(term);
            term = {c == '-', {}};
        } else if (c == '-' && term.reference.empty()) {
            term.minus = !term.minus;
        } else if (c != '+' && c != ' ') {
            term.reference += c;
        }
    }
    if (!term.reference.empty()) terms.push_back(term);
    return terms;
}

bool IsNumber(std::string_view text) {
    if (text.empty()) return false;
    const std::string s(text);
    char* end = nullptr;
    std::strtold(s.c_str(), &end);
    return end == s.c_str() + s.size();
}

std::size_t Decimals(std::string_view number) {
    const std::size_t dot = number.find('.');
    return dot == std::string_view::npos ? 0 : number.size() - dot - 1;
}

constexpr std::string_view kMinus = "\u2212";

// One side of the comparison: its terms by name and by value.
struct Side {
    std::string names, numbers;
    bool compound = false;  // more than one term: the numbers end with " = <value>"
};

Side SideOf(const hostkit::FindingRecord& record, std::string_view rule, const std::string& value) {
    Side side;
    const std::vector<Term> terms = TermsOf(rule);
    if (terms.empty()) return {value, value, false};
    side.compound = terms.size() > 1;
    bool everyValue = true;
    std::string numbers;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        const Term& t = terms[i];
        const std::string operand = IsNumber(t.reference) ? t.reference : ValueOf(record, t.reference);
        if (operand.empty()) everyValue = false;
        const std::string sign = i == 0 ? (t.minus ? std::string(kMinus) : "")
                                        : (t.minus ? " " + std::string(kMinus) + " " : std::string(" + "));
        side.names += sign + t.reference;
        numbers += sign + (!operand.empty() && operand[0] == '-' && i > 0 ? "(" + operand + ")" : operand);
    }
    if (!side.compound)
        side.numbers = value.empty() ? numbers : value;
    else if (everyValue)
        side.numbers = numbers + " = " + value;
    else
        side.numbers = value;
    return side;
}

std::string Difference(const std::string& x, const std::string& y) {
    if (!IsNumber(x) || !IsNumber(y)) return {};
    const long double d = std::fabs(std::strtold(x.c_str(), nullptr) - std::strtold(y.c_str(), nullptr));
    char text[64];
    std::snprintf(text, sizeof text, "%.*Lf", static_cast<int>(std::max(Decimals(x), Decimals(y))), d);
    return text;
}

}  // namespace

std::string ValueOf(const hostkit::FindingRecord& record, std::string_view field) {
    if (record.values.size() != record.fields.size()) return {};
    for (std::size_t i = 0; i < record.fields.size(); ++i)
        if (record.fields[i] == field) return record.values[i];
    return {};
}

FieldReference SplitReference(std::string_view reference) {
    const std::size_t at = reference.find('@');
    if (at == std::string_view::npos) return {std::string(reference), {}};
    return {std::string(reference.substr(0, at)), std::string(reference.substr(at + 1))};
}

std::string PlaceWords(const PageWords& words, std::string_view where) {
    if (where.empty()) return std::string(words.row);
    if (where == "previous") return std::string(words.previous);
    if (where == "current") return std::string(words.current);
    if (where == "active") return std::string(words.active);
    if (where == "passive") return std::string(words.passive);
    if (where == "counter") return std::string(words.counter);
    if (where == "others") return std::string(words.others);
    return std::string(words.ofAccount) + " " + std::string(where);
}

std::optional<RuleArithmetic> ArithmeticOf(const hostkit::FindingRecord& record) {
    if (record.op.empty() || (record.x.empty() && record.y.empty())) return std::nullopt;
    Side x = SideOf(record, record.xRule, record.x);
    Side y = SideOf(record, record.yRule, record.y);
    std::string op = record.op == "<>" ? "\u2260" : record.op;
    // The side that is formed of several values reads first, as an accountant writes the
    // rule ("incoming + debit − credit ≠ outgoing"); the comparison turns with it.
    if (!x.compound && y.compound) {
        std::swap(x, y);
        if (op == "<")
            op = ">";
        else if (op == ">")
            op = "<";
    }
    RuleArithmetic a;
    a.names = x.names + " " + op + " " + y.names;
    a.numbers = x.numbers + " " + op + " " + y.numbers;
    a.difference = Difference(record.x, record.y);
    return a;
}

}  // namespace tesma::f101

#include "host/finding_record.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "tesma/tesmaC.h"

namespace tesma::host {

namespace {

using runtime::FieldValue;
using runtime::From;
using runtime::LineFacts;
using runtime::LineKind;

void AppendEscaped(std::string& out, std::string_view value) {
    for (char c : value) {
        switch (c) {
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
}

void Put(std::string& out, std::string_view key, std::string_view value) {
    if (value.empty()) return;
    if (!out.empty()) out += '\t';
    out += key;
    out += '=';
    AppendEscaped(out, value);
}

std::string_view KindWord(LineKind kind) {
    switch (kind) {
        case LineKind::Header:
            return contract::kKindHeader;
        case LineKind::Finding:
            return contract::kKindFinding;
        case LineKind::Stop:
            return contract::kKindStop;
        default:
            return contract::kKindOther;
    }
}

std::string_view FromWord(From from) {
    switch (from) {
        case From::Previous:
            return "previous";
        case From::Current:
            return "current";
        case From::Active:
            return "active";
        case From::Passive:
            return "passive";
        case From::Counter:
            return "counter";
        case From::Others:
            return "others";
        default:
            return "";
    }
}

// "VX_RUB", "IS_RUB@previous", "IS_ITOG@30301"; a constant is its number.
std::string Reference(const FieldValue& f) {
    if (f.field.empty()) return RecordNumber(f.value);
    std::string out(f.field);
    if (f.from == From::Account) {
        out += '@';
        out += f.account;
    } else if (f.from != From::Row) {
        out += '@';
        out += FromWord(f.from);
    }
    return out;
}

std::string Rule(const runtime::FieldList& terms) {
    std::string out;
    for (const FieldValue& t : terms) {
        if (t.sign == '-' || !out.empty()) out += t.sign;
        out += Reference(t);
    }
    return out;
}

template <typename T>
std::string Shortest(T v) {
    char buffer[128];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed);
    return std::string(buffer, result.ec == std::errc() ? result.ptr : buffer);
}

// An exact decimal text in the record's form, every digit kept: blanks and a "+" dropped, a
// "0" before a bare decimal point; empty when the text is no number.
std::string Canonical(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    std::string out;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        if (text.front() == '-') out += '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    auto digits = [](std::string_view s) { return s.find_first_not_of("0123456789") == std::string_view::npos; };
    if (!digits(whole) || !digits(fraction) || (whole.empty() && fraction.empty())) return "";
    out += whole.empty() ? "0" : std::string(whole);
    if (!fraction.empty()) out += "." + std::string(fraction);
    return out;
}

}  // namespace

std::string RecordNumber(const runtime::Number& n) {
    if (n.isExact) return Canonical(n.exact);
    const long double v = n.binary;
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
    if (v == 0) return "0";
    const double d = static_cast<double>(v);
    return static_cast<long double>(d) == v ? Shortest(d) : Shortest(v);
}

std::string FindingRecord(const LineFacts& facts) {
    std::string out;
    Put(out, contract::kRecordKind, KindWord(facts.kind));
    Put(out, contract::kRecordProcedure, facts.procedure);
    if (facts.kind == LineKind::Finding) {
        Put(out, contract::kRecordRow, std::to_string(facts.row));
        Put(out, contract::kRecordCode, facts.code);
    }
    Put(out, contract::kRecordAccount, facts.account);
    Put(out, contract::kRecordSign, facts.sign);

    // The fields: those of the comparison in the order the rule reads them, then the others;
    // each once.
    const runtime::Comparison& c = facts.compared;
    std::vector<const FieldValue*> fields;
    std::vector<std::string> references;
    auto add = [&](const FieldValue& f) {
        if (f.field.empty()) return;
        std::string reference = Reference(f);
        for (const std::string& r : references)
            if (r == reference) return;
        references.push_back(std::move(reference));
        fields.push_back(&f);
    };
    for (const FieldValue& f : c.xTerms) add(f);
    for (const FieldValue& f : c.yTerms) add(f);
    for (const FieldValue& f : facts.fields) add(f);
    std::string list, values;
    bool allValues = !fields.empty();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            list += ',';
            values += ',';
        }
        list += references[i];
        const std::string value = fields[i]->hasValue ? RecordNumber(fields[i]->value) : "";
        if (value.empty()) allValues = false;
        values += value;
    }
    Put(out, contract::kRecordFields, list);
    if (allValues) Put(out, contract::kRecordValues, values);

    if (!c.op.empty()) {
        Put(out, contract::kRecordOp, c.op);
        Put(out, contract::kRecordX, RecordNumber(c.x));
        Put(out, contract::kRecordY, RecordNumber(c.y));
        Put(out, contract::kRecordXRule, Rule(c.xTerms));
        Put(out, contract::kRecordYRule, Rule(c.yTerms));
        if (c.previous) Put(out, contract::kRecordPrevious, std::string(1, c.previous));
    }
    out += '\n';
    return out;
}

}  // namespace tesma::host

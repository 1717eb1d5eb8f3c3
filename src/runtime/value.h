#pragma once
// The tagged value in which field values travel. The kind codes are those of the platform's
// variant type, and the operations test them.
#include <cstdint>
#include <string>

namespace tesma {

enum class ValueKind : int {
    Unassigned = 0,
    Null = 1,
    SmallInt = 2,
    Integer = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    Text = 256,
};

struct Value {
    ValueKind kind = ValueKind::Unassigned;
    std::int32_t integer = 0;  // SmallInt, Integer
    double real = 0;           // Single, Double, Currency, Date (day count)
    std::string text;          // Text (code page 1251)

    static Value Null() { return {ValueKind::Null, 0, 0, {}}; }
    static Value Int(std::int32_t v) { return {ValueKind::Integer, v, 0, {}}; }
    static Value Real(double v) { return {ValueKind::Double, 0, v, {}}; }
    static Value DateOf(double v) { return {ValueKind::Date, 0, v, {}}; }
    static Value Str(std::string v) { return {ValueKind::Text, 0, 0, std::move(v)}; }

    bool IsNull() const { return kind == ValueKind::Null; }
    bool IsText() const { return kind == ValueKind::Text; }
    bool IsNumeric() const {
        return kind == ValueKind::SmallInt || kind == ValueKind::Integer || kind == ValueKind::Single ||
               kind == ValueKind::Double || kind == ValueKind::Currency;
    }

    friend bool operator==(const Value&, const Value&) = default;
};

// For test failure messages: the kind code and the content.
inline std::string DescribeValue(const Value& v) {
    switch (v.kind) {
        case ValueKind::Text:
            return "text '" + v.text + "'";
        case ValueKind::SmallInt:
        case ValueKind::Integer:
            return "integer " + std::to_string(v.integer);
        case ValueKind::Null:
            return "null";
        case ValueKind::Unassigned:
            return "unassigned";
        default:
            return "kind " + std::to_string(static_cast<int>(v.kind)) + " " + std::to_string(v.real);
    }
}

}  // namespace tesma

#pragma once
// One field value as the table engine holds it.
#include <cstdint>
#include <string>

namespace tesma::engine {

enum class FieldType {
    Alpha,     // text, code page 1251 bytes
    Date,      // day count
    Short,     // 16-bit integer
    Long,      // 32-bit integer
    AutoInc,   // 32-bit integer filled by the table
    Number,    // double
    Currency,  // double
    Logical,
    Time,       // time of day, as a day fraction
    Timestamp,  // day count with time of day
    Bcd,        // exact decimal of up to 32 digits
    Memo,       // text, its head in the record and the rest in the .MB file
    FormattedMemo,
    Binary,  // blobs and bytes: kept as they are, never read
    Ole,
    Graphic,
    Bytes,
    Other,  // a type this library does not know: read as blank
};

// The kind a column shows to callers: text, integer, real, date, logical.
enum class ColumnKind { Text, Integer, Real, Date, DateTime, Time, Logical, Other };
ColumnKind KindOf(FieldType type);

struct Cell {
    enum class Kind { Blank, Text, Integer, Real, Date, Logical } kind = Kind::Blank;
    std::string text;  // Text; for an exact decimal (Real), its digits with "." before the fraction
    std::int64_t integer = 0;
    double real = 0;  // Real and Date (day count)

    static Cell Blank() { return {}; }
    static Cell Text(std::string t) { return {Kind::Text, std::move(t), 0, 0}; }
    static Cell Integer(std::int64_t v) { return {Kind::Integer, {}, v, 0}; }
    static Cell Real(double v) { return {Kind::Real, {}, 0, v}; }
    static Cell Decimal(std::string exact, double v) { return {Kind::Real, std::move(exact), 0, v}; }
    static Cell Date(double v) { return {Kind::Date, {}, 0, v}; }
    static Cell Logical(bool v) { return {Kind::Logical, {}, v ? 1 : 0, 0}; }
    bool IsBlank() const { return kind == Kind::Blank; }
};

struct FieldDef {
    std::string name;  // as stored in the file
    FieldType type = FieldType::Alpha;
    int size = 0;    // bytes in the record
    int offset = 0;  // from the record start
    int decimals = 0;
};

}  // namespace tesma::engine

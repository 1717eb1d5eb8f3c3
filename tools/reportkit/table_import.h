#pragma once
// A Paradox table made from rows of values, whatever file they come from (CSV, a workbook's
// sheet): the header's names checked against the field list (or giving it, when they carry their
// types), every value converted to its field's type with the same checks and messages, and the
// table written only when every row is good.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/engine/paradox.h"

namespace tesma::reportkit {

// One value as the source holds it (UTF-8): a text, or a number the source keeps as a number
// (then `text` is its shortest exact decimal form).
struct ImportValue {
    std::string text;
    std::optional<double> number;
};

class TableImport {
public:
    // `header`: the first row's names, typed ("NBAL2:A25") or not; `fields`: the field list given,
    // or none (the header's types then). `headerWhere` and `source` name the header row and the
    // file in messages. `decimalComma`: a value of a numeric field or an amount field with one
    // comma and no point is read with the comma as the decimal point.
    TableImport(const std::vector<std::string>& header, const std::vector<engine::NewField>& fields,
                const std::string& tablePath, const std::string& headerWhere, bool decimalComma);

    std::size_t FieldCount() const { return table_.fields.size(); }
    // A row of at most FieldCount() values (missing ones are blank); `where(i)` names value i's
    // place in messages ("book.xlsx: sheet 'F101_1' cell C17"). A bad value is a
    // std::runtime_error naming the place and the field.
    void AddRow(const std::vector<ImportValue>& values, const std::function<std::string(std::size_t)>& where);
    std::size_t Rows() const { return table_.records.size(); }
    // Writes the table (atomically: the old file stays until the new one is whole).
    void Write(const std::string& tablePath);

private:
    engine::TableFile table_;
    std::vector<bool> decimalCommaFields_;
};

// Whether a field's values are numbers that a decimal comma may stand in: the numeric fields and
// the chapter tables' amount fields, whatever their type.
bool TakesDecimalComma(const engine::FieldDef& field);

// The shortest decimal text (digits and a point, no exponent) that reads back as the same double.
std::string ExactDecimalText(double value);

// The existing-table check of every import: an existing file is written over only with --replace.
void RequireNewTable(const std::string& tablePath, bool replace);

}  // namespace tesma::reportkit

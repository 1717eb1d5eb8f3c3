#include "table_import.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "field_list.h"
#include "form101.h"
#include "platform/engine/files.h"
#include "platform/engine/keyed_table.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "report_folder.h"

namespace tesma::reportkit {

namespace {

bool IsRealField(const engine::FieldDef& f) { return engine::KindOf(f.type) == engine::ColumnKind::Real; }

// "-123.45": digits with at most one point, nothing else; read to the nearest double, exactly
// as a spreadsheet reads it.
std::optional<double> PlainDecimal(const std::string& s) {
    const std::size_t digitsFrom = !s.empty() && s[0] == '-' ? 1 : 0;
    if (s.size() == digitsFrom) return std::nullopt;
    int points = 0;
    for (std::size_t i = digitsFrom; i < s.size(); ++i) {
        if (s[i] == '.')
            ++points;
        else if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
    }
    if (points > 1 || s.back() == '.' || s[digitsFrom] == '.') return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

engine::Cell Convert(const ImportValue& value, std::string text, const engine::FieldDef& def) {
    if (text.empty() && !value.number) return engine::Cell::Blank();
    if (value.number && IsRealField(def)) return engine::Cell::Real(*value.number);
    if (value.number && def.type == engine::FieldType::Date) {
        // A spreadsheet keeps a date as its day count from 30 December 1899, as the table does.
        if (*value.number != std::floor(*value.number) || *value.number < 1 || *value.number > 2958465)
            throw ConversionError("'" + text + "' is not a date (a day count with no time of day)");
        return engine::Cell::Date(*value.number);
    }
    if (IsRealField(def))
        if (auto v = PlainDecimal(text)) return engine::Cell::Real(*v);
    // Dates also in the ISO form.
    int y, m, d;
    if (def.type == engine::FieldType::Date && text.size() == 10 &&
        std::sscanf(text.c_str(), "%4d-%2d-%2d", &y, &m, &d) == 3) {
        if (!locale::IsValidDate(y, m, d)) throw ConversionError("'" + text + "' is not a valid date");
        return engine::Cell::Date(locale::EncodeDate(y, m, d));
    }
    return engine::CellFromText(text::FromUtf8(text, true), def);
}

}  // namespace

std::string ExactDecimalText(double v) {
    char text[400];
    return std::string(text, std::to_chars(text, text + sizeof text, v, std::chars_format::fixed).ptr);
}

bool TakesDecimalComma(const engine::FieldDef& field) { return IsRealField(field) || IsAmountField(field.name); }

void RequireNewTable(const std::string& tablePath, bool replace) {
    if (!replace && std::filesystem::exists(tablePath))
        throw std::runtime_error(tablePath + ": the table exists (give --replace to write over it)");
}

TableImport::TableImport(const std::vector<std::string>& givenHeader, const std::vector<engine::NewField>& givenFields,
                         const std::string& tablePath, const std::string& headerWhere, bool decimalComma) {
    // A typed header gives the fields when no field list does; the names are compared without the types.
    std::vector<std::string> header = givenHeader;
    std::vector<engine::NewField> fields = givenFields;
    for (std::size_t i = 0; i < header.size(); ++i) {
        auto typed = SplitTypedName(header[i]);
        if (givenFields.empty()) {
            if (!typed)
                throw UsageError(headerWhere + ": column " + std::to_string(i + 1) + " '" + header[i] +
                                 "' has no type: give --fields, or export the table with --with-types");
            fields.push_back(ParseFieldList(typed->first + ":" + typed->second).front());
        }
        if (typed) header[i] = typed->first;
    }
    table_ = engine::CreateParadox(fields, text::FromUtf8(tablePath, true));
    if (header.size() != fields.size())
        throw std::runtime_error(headerWhere + ": " + std::to_string(header.size()) + " columns, the field list has " +
                                 std::to_string(fields.size()));
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (text::LatinUpper(text::FromUtf8(header[i])) != text::LatinUpper(fields[i].name))
            throw std::runtime_error(headerWhere + ": column " + std::to_string(i + 1) + " is '" + header[i] +
                                     "', the field list says '" + text::ToUtf8(fields[i].name) + "'");
    for (const engine::FieldDef& f : table_.fields) decimalCommaFields_.push_back(decimalComma && TakesDecimalComma(f));
}

void TableImport::AddRow(const std::vector<ImportValue>& values, const std::function<std::string(std::size_t)>& where) {
    std::string record = table_.BlankRecord();
    for (std::size_t i = 0; i < values.size() && i < table_.fields.size(); ++i) {
        const engine::FieldDef& def = table_.fields[i];
        std::string text = values[i].text;
        // Spreadsheets of a Russian locale write the decimal comma.
        if (decimalCommaFields_[i] && !values[i].number && text.find('.') == std::string::npos &&
            std::count(text.begin(), text.end(), ',') == 1)
            text[text.find(',')] = '.';
        try {
            table_.Set(record, static_cast<int>(i), Convert(values[i], text, def));
        } catch (const std::exception& e) {
            throw std::runtime_error(where(i) + ": field " + text::ToUtf8(def.name) + ": " + text::ToUtf8(e.what()));
        }
    }
    table_.records.push_back(std::move(record));
}

void TableImport::Write(const std::string& tablePath) {
    // A table that is there is replaced under its lock, the one a run of the library holds while
    // it reads and rewrites the table: replaced under a run, the table would lose the run's rows
    // or have them written over the imported ones.
    std::optional<engine::FileLock> lock;
    if (std::filesystem::exists(tablePath)) {
        lock = engine::FileLock::TryExclusive(tablePath);
        if (!lock)
            throw std::runtime_error(tablePath + (::access(tablePath.c_str(), R_OK) == 0
                                                      ? ": the table is locked by another process (a check, sort "
                                                        "or fill is working on it); it was not replaced"
                                                      : ": cannot be opened to lock it; it was not replaced"));
    }
    engine::ReplaceFileAtomically(tablePath, engine::SerializeParadox(table_), tablePath);
    // The new table has no key: the indexes of the table it replaced index nothing now.
    engine::RemoveIndexesOfReplacedTable(text::FromUtf8(tablePath, true));
}

}  // namespace tesma::reportkit

#include "table_csv.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "csv.h"
#include "field_list.h"
#include "gz_stream.h"
#include "platform/engine/blob_file.h"
#include "platform/engine/dbase.h"
#include "platform/engine/files.h"
#include "platform/engine/keyed_table.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "report_folder.h"
#include "table_import.h"

namespace tesma::reportkit {

namespace fs = std::filesystem;

namespace {

bool IsDbase(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext == ".DBF";
}

}  // namespace

engine::TableFile ReadTableFile(const std::string& tablePath) {
    const std::string bytes = engine::ReadWholeFile(tablePath, tablePath);
    engine::TableFile t =
        IsDbase(tablePath) ? engine::ParseDbase(bytes, tablePath) : engine::ParseParadox(bytes, tablePath);
    // Memo texts longer than their head in the record lie in the .MB file beside the table.
    engine::ReadBlobFileBeside(t, text::FromUtf8(tablePath, true));
    return t;
}

void ExportTable(const std::string& tablePath, std::ostream& file, const CsvFormat& format) {
    const engine::TableFile t = ReadTableFile(tablePath);
    const char sep = format.separator ? format.separator : ',';
    const bool decimalComma = format.DecimalComma(sep);
    std::ostringstream out;
    for (std::size_t f = 0; f < t.fields.size(); ++f) {
        std::string name = text::ToUtf8(t.fields[f].name);
        if (format.withTypes) name += ":" + TypeOf(t.fields[f]);
        out << (f ? std::string(1, sep) : "") << CsvField(name, sep);
    }
    out << '\n';
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        for (std::size_t f = 0; f < t.fields.size(); ++f) {
            const engine::Cell cell = t.Get(r, static_cast<int>(f));
            const engine::ColumnKind kind = engine::KindOf(t.fields[f].type);
            std::string value = engine::CellText(cell, kind);
            // A double that its general text (15 digits) would round is written with every digit it needs.
            if (kind == engine::ColumnKind::Real && cell.kind == engine::Cell::Kind::Real && cell.text.empty() &&
                std::isfinite(cell.real) && std::strtod(value.c_str(), nullptr) != cell.real)
                value = ExactDecimalText(cell.real);
            if (decimalComma && TakesDecimalComma(t.fields[f]) && std::count(value.begin(), value.end(), '.') == 1 &&
                value.find(',') == std::string::npos)
                value[value.find('.')] = ',';
            out << (f ? std::string(1, sep) : "") << CsvField(text::ToUtf8(value), sep);
        }
        out << '\n';
    }
    file << EncodeCsvText(out.str(), format);
}

void ImportTable(const std::string& csvPath, const std::string& tablePath,
                 const std::vector<engine::NewField>& givenFields, bool replace, const CsvFormat& format) {
    RequireNewTable(tablePath, replace);
    const std::string utf8 = DecodeCsvText(ReadMaybeGzip(csvPath), format.encoding, csvPath);
    const char sep = format.separator ? format.separator : DetectSeparator(utf8.substr(0, utf8.find('\n')), csvPath);
    std::istringstream in(utf8);
    CsvReader csv(in, sep);
    auto header = csv.Next();
    if (!header) throw std::runtime_error(csvPath + ": empty file");
    TableImport table(*header, givenFields, tablePath, csvPath + ":1", format.DecimalComma(sep));
    std::vector<ImportValue> values;
    while (auto row = csv.Next()) {
        const std::string where = csvPath + ":" + std::to_string(csv.Line());
        if (row->size() != table.FieldCount())
            throw std::runtime_error(where + ": " + std::to_string(row->size()) + " values, expected " +
                                     std::to_string(table.FieldCount()));
        values.assign(row->size(), {});
        for (std::size_t i = 0; i < row->size(); ++i) values[i].text = std::move((*row)[i]);
        table.AddRow(values, [&](std::size_t) { return where; });
    }
    table.Write(tablePath);
}

}  // namespace tesma::reportkit

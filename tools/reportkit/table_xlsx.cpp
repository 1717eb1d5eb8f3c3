#include "table_xlsx.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "field_list.h"
#include "platform/engine/files.h"
#include "platform/engine/query.h"
#include "platform/text/cp1251.h"
#include "table_csv.h"
#include "table_import.h"
#include "workbook.h"
#include "xlsx_reader.h"

namespace tesma::reportkit {

namespace {

std::string HeaderName(const engine::FieldDef& f) {
    const std::string name = text::ToUtf8(f.name);
    try {
        return name + ":" + TypeOf(f);
    } catch (const std::runtime_error&) {
        return name;  // a type import cannot create: the bare name
    }
}

}  // namespace

void WriteTableSheet(Workbook& book, Workbook::Sheet& sheet, const engine::TableFile& t,
                     const std::function<std::uint32_t(std::size_t, std::size_t)>& fill) {
    const auto columns = static_cast<std::uint16_t>(t.fields.size());
    for (std::uint16_t f = 0; f < columns; ++f) {
        const std::string name = HeaderName(t.fields[f]);
        sheet.Text(0, f, name, book.Bold());
        sheet.Width(f, std::max<double>(10, static_cast<double>(name.size()) + 2));
    }
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        const auto row = static_cast<std::uint32_t>(r + 1);
        for (std::uint16_t f = 0; f < columns; ++f) {
            const engine::Cell c = t.Get(r, f);
            const engine::ColumnKind kind = engine::KindOf(t.fields[f].type);
            const std::uint32_t colour = fill ? fill(r, f) : 0;
            lxw_format* format = colour ? book.Fill(colour) : nullptr;
            switch (c.kind) {
                case engine::Cell::Kind::Blank:
                    if (format) sheet.Text(row, f, "", format);
                    break;
                case engine::Cell::Kind::Integer:
                    sheet.Number(row, f, static_cast<double>(c.integer), format);
                    break;
                case engine::Cell::Kind::Logical:
                    sheet.Boolean(row, f, c.integer != 0, format);
                    break;
                case engine::Cell::Kind::Date:
                    if (kind == engine::ColumnKind::Date)
                        sheet.Date(row, f, c.real, colour ? book.Fill(colour, true) : nullptr);
                    else
                        sheet.Text(row, f, text::ToUtf8(engine::CellText(c, kind)), format);
                    break;
                case engine::Cell::Kind::Real:
                    // An exact decimal keeps its digits as text; a double is a number where the
                    // workbook keeps it exactly.
                    if (kind == engine::ColumnKind::Real && c.text.empty() && WorkbookKeepsExactly(c.real))
                        sheet.Number(row, f, c.real, format);
                    else if (kind == engine::ColumnKind::Real && c.text.empty())
                        sheet.Text(row, f, ExactDecimalText(c.real), format);
                    else
                        sheet.Text(row, f, text::ToUtf8(engine::CellText(c, kind)), format);
                    break;
                case engine::Cell::Kind::Text:
                    sheet.Text(row, f, text::ToUtf8(c.text), format);
                    break;
            }
        }
    }
    sheet.HeaderRow(columns, static_cast<std::uint32_t>(t.records.size() + 1));
}

void ExportTableXlsx(const std::string& tablePath, const std::string& xlsxPath) {
    const engine::TableFile t = ReadTableFile(tablePath);
    if (t.records.size() + 1 > Workbook::kMaxRows)
        throw std::runtime_error(tablePath + ": " + std::to_string(t.records.size()) +
                                 " records do not fit a sheet (at most " + std::to_string(Workbook::kMaxRows - 1) +
                                 ")");
    Workbook book(xlsxPath);
    Workbook::Sheet sheet = book.AddSheet(std::filesystem::path(tablePath).stem().string());
    WriteTableSheet(book, sheet, t);
    book.Close();
}

void ImportTableXlsx(const std::string& xlsxPath, const std::string& sheetName, const std::string& tablePath,
                     const std::vector<engine::NewField>& fields, bool replace) {
    RequireNewTable(tablePath, replace);
    XlsxReader book(engine::ReadWholeFile(xlsxPath, xlsxPath), xlsxPath);
    const std::string sheet = sheetName.empty() ? book.SheetNames().front() : sheetName;
    const std::string where = xlsxPath + ": sheet '" + sheet + "'";
    std::optional<TableImport> table;
    std::vector<ImportValue> values;
    book.ReadSheet(sheet, [&](const SheetRow& row) {
        if (!table) {
            std::vector<std::string> header;
            for (const SheetCell& c : row.cells) {
                if (c.column != header.size())
                    throw std::runtime_error(where + " cell " +
                                             CellName(row.row, static_cast<std::uint32_t>(header.size())) +
                                             ": the header row has an empty column");
                header.push_back(c.text);
            }
            table.emplace(header, fields, tablePath, where + " row " + std::to_string(row.row), true);
            return;
        }
        values.assign(table->FieldCount(), {});
        for (const SheetCell& c : row.cells) {
            if (c.column >= values.size())
                throw std::runtime_error(where + " cell " + CellName(row.row, c.column) + ": a value beyond the " +
                                         std::to_string(values.size()) + " fields of the table");
            ImportValue& v = values[c.column];
            v.text = c.text;
            if (c.kind == SheetCell::Kind::Number) v.number = c.number;
        }
        table->AddRow(
            values, [&](std::size_t i) { return where + " cell " + CellName(row.row, static_cast<std::uint32_t>(i)); });
    });
    if (!table) throw std::runtime_error(where + ": the sheet is empty (no header row)");
    table->Write(tablePath);
}

}  // namespace tesma::reportkit

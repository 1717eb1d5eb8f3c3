#pragma once
// Tables as workbooks (.xlsx): a table written as one sheet (a typed header row, then a row per
// record), and a Paradox table created from a workbook's sheet, by the same rules as from CSV
// (table_csv.h).
#include <functional>
#include <string>
#include <vector>

#include "platform/engine/paradox.h"
#include "workbook.h"

namespace tesma::reportkit {

// One sheet named after the table: the header row's names carry their types ("NBAL2:A25"; the
// bare name for a type import cannot create); text as text, integers, dates (as the day counts a
// spreadsheet keeps, shown dd.mm.yyyy) and truth values as such, a number as a number when the
// workbook keeps it exactly and otherwise as its exact decimal text, never rounded.
void ExportTableXlsx(const std::string& tablePath, const std::string& xlsxPath);

// The table's header row and records on a sheet of a workbook being written, as ExportTableXlsx
// writes them; `fill(record, field)` (from 0) gives the colour a cell is filled in (0: none).
void WriteTableSheet(Workbook& book, Workbook::Sheet& sheet, const engine::TableFile& table,
                     const std::function<std::uint32_t(std::size_t, std::size_t)>& fill = {});

// Creates the table from a sheet (`sheet` empty: the first): its first row holding a value is
// the header, every further row holding a value a record. A bad value is a std::runtime_error
// naming the sheet, the cell ("C17") and the field, and no table is written then.
void ImportTableXlsx(const std::string& xlsxPath, const std::string& sheet, const std::string& tablePath,
                     const std::vector<engine::NewField>& fields, bool replace);

}  // namespace tesma::reportkit

#pragma once
// Tables as CSV: export of a Paradox or dBASE table (UTF-8, header row), and creation of a
// Paradox table from CSV with a field list (field_list.h).
#include <ostream>
#include <string>
#include <vector>

#include "csv_dialect.h"
#include "platform/engine/paradox.h"

namespace tesma::reportkit {

// A .DB (Paradox) or .DBF (dBASE) table read whole.
engine::TableFile ReadTableFile(const std::string& tablePath);

void ExportTable(const std::string& tablePath, std::ostream& out, const CsvFormat& format = {});

// Creates the table; an existing file is kept unless `replace`, and replaced under its lock
// (refused, naming it, while a run of the library holds it). A bad row is a
// std::runtime_error naming the CSV file, line and field, and no table is written then. With
// no fields given, the header's names must carry their types ("NBAL2:A25", as export
// --with-types writes them).
void ImportTable(const std::string& csvPath, const std::string& tablePath, const std::vector<engine::NewField>& fields,
                 bool replace, const CsvFormat& format = {});

}  // namespace tesma::reportkit

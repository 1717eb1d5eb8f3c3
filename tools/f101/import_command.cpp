// `f101 import CSV TABLE`: a Paradox table created from CSV.
#include <memory>

#include "command_support.h"
#include "commands.h"
#include "field_list.h"
#include "table_csv.h"

namespace tesma::f101 {

namespace {

struct ImportOptions {
    std::string csv, table, fields;
    bool replace = false;
    reportkit::CsvFormat format;
};

}  // namespace

Command AddImport(CLI::App& app) {
    auto o = std::make_shared<ImportOptions>();
    CLI::App* cmd = app.add_subcommand("import", "Create a Paradox table from CSV (UTF-8, header row)");
    cmd->add_option("CSV", o->csv, "CSV file")->required();
    cmd->add_option("TABLE", o->table, "Table file to create (.DB)")->required();
    cmd->add_option("--fields", o->fields,
                    "NAME:TYPE,... with A<size>, N, $, I, S, +, D, L (default: the types in the header, as "
                    "export --with-types writes them)");
    AddSeparatorOption(*cmd, o->format, "Field separator: ',', ';' or tab (default: the one the header line uses)");
    cmd->add_option(
           "--encoding", o->format.encoding,
           "utf8 or cp1251 (default: UTF-8, with or without a byte-order mark; other text is refused with a message)")
        ->check(CLI::IsMember({"utf8", "cp1251"}));
    cmd->add_flag("--replace", o->replace, "Write over an existing table");
    cmd->footer(
        "Exit status: 0 table written, 2 usage error (bad option, field list, encoding or header), 3 a bad row, a "
        "file that could not be read or written, or a table that a run is working on (no table is written then).");
    return {cmd, [o] {
                return Guarded([&] {
                    RequireFile(o->csv);
                    reportkit::ImportTable(
                        o->csv, o->table,
                        o->fields.empty() ? std::vector<engine::NewField>{} : reportkit::ParseFieldList(o->fields),
                        o->replace, o->format);
                    return int{kClean};
                });
            }};
}

}  // namespace tesma::f101

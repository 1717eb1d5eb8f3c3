// `f101 export TABLE`: a Paradox or dBASE table printed as CSV, or written as a workbook.
#include <iostream>
#include <memory>

#include "command_support.h"
#include "commands.h"
#include "table_csv.h"
#include "table_xlsx.h"

namespace tesma::f101 {

namespace {

struct ExportOptions {
    std::string table, xlsx;
    reportkit::CsvFormat format;
};

}  // namespace

Command AddExport(CLI::App& app) {
    auto o = std::make_shared<ExportOptions>();
    CLI::App* cmd = app.add_subcommand("export", "Print a Paradox or dBASE table as CSV (UTF-8)");
    cmd->add_option("TABLE", o->table, "Table file (.DB or .DBF)")->required();
    cmd->add_flag("--with-types", o->format.withTypes,
                  "Write the field types in the header (NBAL2:A25), so that import needs no --fields");
    CLI::Option* separator = AddSeparatorOption(*cmd, o->format, "Field separator: ',' (default), ';' or tab");
    CLI::Option* encoding = cmd->add_option("--encoding", o->format.encoding, "utf8 (default) or cp1251")
                                ->check(CLI::IsMember({"utf8", "cp1251"}));
    CLI::Option* bom =
        cmd->add_flag("--bom", o->format.bom, "Begin UTF-8 output with a byte-order mark, as spreadsheets expect");
    CLI::Option* comma = AddDecimalOptions(*cmd, o->format, "write");
    cmd->add_option("--xlsx", o->xlsx,
                    "Write the table as a workbook to this file (a typed header row; numbers as numbers where a "
                    "workbook keeps them exactly, else as text)")
        ->excludes(separator, encoding, bom, comma);
    cmd->footer("Exit status: 0 written, 2 usage error (no such table, bad option), 3 the table could not be read.");
    return {cmd, [o] {
                return Guarded([&] {
                    RequireFile(o->table);
                    if (!o->xlsx.empty())
                        reportkit::ExportTableXlsx(o->table, o->xlsx);
                    else
                        reportkit::ExportTable(o->table, std::cout, o->format);
                    return int{kClean};
                });
            }};
}

}  // namespace tesma::f101

// `f101 import FILE TABLE`: a Paradox table created from CSV or from a workbook's sheet.
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

#include "command_support.h"
#include "commands.h"
#include "field_list.h"
#include "table_csv.h"
#include "table_xlsx.h"

namespace tesma::f101 {

namespace {

struct ImportOptions {
    std::string csv, table, fields, sheet;
    bool replace = false;
    reportkit::CsvFormat format;
};

// A workbook by its name, or by the zip archive it is (a workbook renamed keeps its content).
bool IsWorkbook(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".xlsx") return true;
    char magic[4] = {};
    std::ifstream(path, std::ios::binary).read(magic, sizeof magic);
    return std::string_view(magic, 4) == std::string_view("PK\x03\x04", 4);
}

}  // namespace

Command AddImport(CLI::App& app) {
    auto o = std::make_shared<ImportOptions>();
    CLI::App* cmd = app.add_subcommand("import", "Create a Paradox table from CSV (UTF-8, header row) or a workbook");
    cmd->add_option("FILE", o->csv, "CSV file, or workbook (.xlsx)")->required();
    cmd->add_option("TABLE", o->table, "Table file to create (.DB)")->required();
    cmd->add_option("--fields", o->fields,
                    "NAME:TYPE,... with A<size>, N, $, I, S, +, D, L (default: the types in the header, as "
                    "export --with-types writes them)");
    AddSeparatorOption(*cmd, o->format, "Field separator: ',', ';' or tab (default: the one the header line uses)");
    cmd->add_option(
           "--encoding", o->format.encoding,
           "utf8 or cp1251 (default: UTF-8, with or without a byte-order mark; other text is refused with a message)")
        ->check(CLI::IsMember({"utf8", "cp1251"}));
    AddDecimalOptions(*cmd, o->format, "read");
    cmd->add_option("--sheet", o->sheet, "The workbook's sheet to read (default: the first)");
    cmd->add_flag("--replace", o->replace, "Write over an existing table");
    cmd->footer(
        "Exit status: 0 table written, 2 usage error (bad option, field list, encoding, header or sheet name), 3 a bad "
        "row or cell, a file that could not be read or written, or a table that a run is working on (no table is "
        "written then).");
    return {cmd, [o] {
                return Guarded([&] {
                    RequireFile(o->csv);
                    const auto fields =
                        o->fields.empty() ? std::vector<engine::NewField>{} : reportkit::ParseFieldList(o->fields);
                    if (IsWorkbook(o->csv))
                        reportkit::ImportTableXlsx(o->csv, o->sheet, o->table, fields, o->replace);
                    else if (!o->sheet.empty())
                        throw reportkit::UsageError("--sheet is for workbooks (.xlsx); " + o->csv + " is not one");
                    else
                        reportkit::ImportTable(o->csv, o->table, fields, o->replace, o->format);
                    return int{kClean};
                });
            }};
}

}  // namespace tesma::f101

// f101: the command-line host of the form 101 controls.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli_options.h"
#include "command_line.h"
#include "commands.h"

using namespace tesma::f101;

int main(int argc, char** argv) {
    CLI::App app{"f101: checks, sorts and completes the turnover sheet of a credit institution (form 0409101)", "f101"};
    app.set_version_flag("-V,--version", "f101 " TESMA_VERSION);
    app.require_subcommand(1);

    CheckOptions check;
    auto* checkCmd = app.add_subcommand("check", "Run the controls of the chapter tables of a report folder");
    checkCmd
        ->add_option("DIR", check.dirs,
                     "Report folders .../<form folder>/<YYYYMMDD>/ (with --recursive: folders to search)")
        ->required();
    checkCmd->add_option("--chapter", check.chapters, "А, Б, В, Г, Д (or A, B, V, G, D), or all (default)");
    checkCmd->add_option("--instance", check.instance,
                         "ID_EKZ of the report instance (default: the folder's only instance, else none)");
    checkCmd->add_option("--override", check.overrideDir,
                         "Folder of the tables named \"!.<file>\" (the chart of accounts)");
    checkCmd->add_option("--protocol", check.protocol, "Protocol file (default <DIR>/protocol.txt)");
    checkCmd->add_flag("--json", check.json, "Print the findings as JSON Lines");
    AddCheckOptions(*checkCmd, check);

    std::string sortDir, sortChapter, sortProtocol;
    std::int32_t sortInstance = -1, fillInstance = 0;
    bool sortJson = false;
    auto* sortCmd = app.add_subcommand("sort", "Sort a chapter table in account order, grouped by sign");
    sortCmd->add_option("DIR", sortDir, "Report folder")->required();
    sortCmd->add_option("--chapter", sortChapter, "А, Б, В, Г or Д (or A, B, V, G, D)")->required();
    sortCmd->add_option("--instance", sortInstance,
                        "ID_EKZ of the report instance (default: the folder's only instance)");
    sortCmd->add_option("--protocol", sortProtocol, "Protocol file (default <DIR>/protocol.txt)");
    sortCmd->add_flag("--json", sortJson, "Print the protocol lines as JSON Lines");
    sortCmd->footer(
        "Exit status: 0 sorted, 1 errors found, 2 usage error, 3 the table could not be sorted (nothing changed).");

    std::string fillDir, fillProtocol;
    bool fillJson = false;
    auto* fillCmd = app.add_subcommand("fill", "Fill the requisites of the electronic report message");
    fillCmd->add_option("DIR", fillDir, "Report folder")->required();
    fillCmd->add_option("--instance", fillInstance, "ID_EKZ of the report instance (default 0: the report as a whole)");
    fillCmd->add_option("--protocol", fillProtocol, "Protocol file (default <DIR>/protocol.txt)");
    fillCmd->add_flag("--json", fillJson, "Print the protocol lines as JSON Lines");
    fillCmd->footer(
        "Exit status: 0 filled, 1 errors found, 2 usage error, 3 the requisites could not be filled (nothing "
        "changed).");

    std::string exportTable;
    auto* exportCmd = app.add_subcommand("export", "Print a Paradox or dBASE table as CSV (UTF-8)");
    exportCmd->add_option("TABLE", exportTable, "Table file (.DB or .DBF)")->required();
    tesma::reportkit::CsvFormat exportFormat;
    AddExportOptions(*exportCmd, exportFormat);

    std::string importCsv, importTable, importFields;
    bool importReplace = false;
    auto* importCmd = app.add_subcommand("import", "Create a Paradox table from CSV (UTF-8, header row)");
    importCmd->add_option("CSV", importCsv, "CSV file")->required();
    importCmd->add_option("TABLE", importTable, "Table file to create (.DB)")->required();
    importCmd->add_option("--fields", importFields,
                          "NAME:TYPE,... with A<size>, N, $, I, S, +, D, L (default: the types in the header, as "
                          "export --with-types writes them)");
    tesma::reportkit::CsvFormat importFormat;
    AddImportOptions(*importCmd, importFormat);
    importCmd->add_flag("--replace", importReplace, "Write over an existing table");

    std::string pubCsv, pubRegn, pubOut, pubChart, pubNames;
    bool pubReplace = false;
    auto* pubCmd =
        app.add_subcommand("import-published", "Build a report tree from the central bank's published sheets");
    pubCmd->add_option("CSV", pubCsv, "Published sheets (CSV, may be gzip-compressed)")->required();
    pubCmd
        ->add_option(
            "--regn", pubRegn,
            "Registration number of the institution; a comma-separated list, or all (each tree under <out>/<regn>/)")
        ->required()
        ->check(CLI::Validator(
            [](const std::string& v) {
                std::string list;
                for (char c : v)
                    if (c != ' ') list += c;
                const bool numbers = !list.empty() && list.find_first_not_of("0123456789,") == std::string::npos &&
                                     list.front() != ',' && list.back() != ',' && list.find(",,") == std::string::npos;
                return numbers || v == "all"
                           ? std::string()
                           : "a registration number is digits (or a list of them, or all), not '" + v + "'";
            },
            "REGN"));
    pubCmd->add_option("--out", pubOut, "Root folder of the report tree")->required();
    pubCmd->add_flag("--replace", pubReplace, "Write over a report folder of the same date, protocol file and all");
    pubCmd->add_option("--chart", pubChart,
                       "Chart of accounts: CSV with NUM_SC and A_P (default: account-signs-observed.csv beside CSV)");
    pubCmd->add_option("--names", pubNames,
                       "Bank names: CSV with REGN and NAME_B (default: bank-names-2013-01-01.csv.gz beside CSV)");

    pubCmd->footer(
        "Exit status: 0 trees written (their folders printed), 2 usage error (bad --regn, no chart), 3 a bad sheet "
        "file or row, or a registration number without rows.");

    std::string demoDir, demoData;
    bool demoJson = false;
    auto* demoCmd = app.add_subcommand("demo", "Build the demo report, run every control and print the protocol");
    demoCmd->add_option("DIR", demoDir, "Folder for the demo report tree (default ./f101-demo)");
    demoCmd->add_option("--data", demoData, "Folder of the demo's source sheets");
    demoCmd->add_flag("--json", demoJson, "Print the protocol lines as JSON Lines");
    demoCmd->footer("Exit status: 0 the demo ran, 2 usage error, 3 the demo tree could not be built or checked.");

    std::vector<std::string> ruleCodes;
    bool rulesJson = false;
    auto* rulesCmd =
        app.add_subcommand("rules", "List the finding codes: severity, chapters, message and what fixes it");
    rulesCmd->add_option("CODE", ruleCodes, "Finding codes to show (default: all)");
    rulesCmd->add_flag("--json", rulesJson, "Print the rules as JSON Lines");
    rulesCmd->footer("Exit status: 0 listed, 2 unknown code or usage error.");

    if (auto handled = BeforeParse(app, argc, argv)) return *handled;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return ReportParseError(app, e, argc, argv);
    }
    if (*checkCmd) return Check(check);
    if (*rulesCmd) return ListRules(ruleCodes, rulesJson);
    if (*sortCmd) return SortChapter(sortDir, sortChapter, sortInstance, sortProtocol, sortJson);
    if (*fillCmd) return Fill(fillDir, fillInstance, fillProtocol, fillJson);
    if (*exportCmd) return Export(exportTable, exportFormat);
    if (*importCmd) return Import(importCsv, importTable, importFields, importReplace, importFormat);
    if (*pubCmd) return ImportPublished(pubCsv, pubRegn, pubOut, pubChart, pubNames, pubReplace);
    if (*demoCmd) return Demo(demoDir, demoData, demoJson);
    return kUsage;
}

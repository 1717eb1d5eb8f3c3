#pragma once
// Pieces the commands share: the chapters a command is asked for, an input file named on the
// command line, the CSV separator option, and the mapping of failures to exit statuses (the
// instance: instance_choice.h; the run options: run_options.h).
#include <CLI/CLI.hpp>

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "csv_dialect.h"
#include "exit_status.h"
#include "form101.h"
#include "platform/text/cp1251.h"
#include "report_folder.h"

namespace tesma::f101 {

// The chapters named by letters ("all": every chapter the folder holds).
std::vector<reportkit::Chapter> ChosenChapters(const std::vector<std::string>& letters,
                                               const reportkit::ReportFolder& folder);

// Refuses, before any run, a table among `tableIds` whose first column is a field the procedures
// read or write (NBAL2 first in a table keyed on it, say): the library never sees a table's first
// column, so the run would pass over that field in silence. A std::runtime_error naming the table
// and the column.
void RefuseHiddenFirstColumns(const reportkit::ReportFolder& folder, const std::vector<std::int32_t>& tableIds);

// An input file named on the command line: a usage error when there is none or it is a folder.
void RequireFile(const std::string& path);

// --separator of export and import: ',', ';' or tab.
CLI::Option* AddSeparatorOption(CLI::App& command, reportkit::CsvFormat& format, const char* what);

// --decimal-comma and --decimal-point of export ("write") and import ("read"); neither: a comma
// in ';' files. Returns --decimal-comma (the two exclude each other).
CLI::Option* AddDecimalOptions(CLI::App& command, reportkit::CsvFormat& format, const char* readOrWrite);

// Runs a command body: a UsageError or std::invalid_argument is exit 2, any other failure exit 3,
// each said in one line on standard error.
template <typename Body>
int Guarded(Body body) {
    try {
        return body();
    } catch (const reportkit::UsageError& e) {
        std::cerr << "f101: " << e.what() << '\n';
        return kUsage;
    } catch (const std::invalid_argument& e) {
        std::cerr << "f101: " << e.what() << '\n';
        return kUsage;
    } catch (const std::exception& e) {
        std::cerr << "f101: " << text::ToUtf8(e.what()) << '\n';
        return kCouldNotCheck;
    }
}

}  // namespace tesma::f101

#pragma once
// Command-line options of `f101 check` beyond the single-report basics.
#include <CLI/CLI.hpp>

#include "commands.h"

namespace tesma::f101 {

inline void AddCheckOptions(CLI::App& cmd, CheckOptions& o) {
    cmd.add_flag("--explain", o.explain, "Show each finding's rule explanation (f101 rules CODE)");
    cmd.add_option("--severity", o.severity, "Show only findings of this severity or worse: error or warning")
        ->check(CLI::IsMember({"error", "warning"}));
    cmd.add_flag("--quiet", o.quiet, "Print only the summary");
    cmd.add_flag("--dry-run", o.dryRun,
                 "Run every control but change no file: the protocol goes to a scratch file (unless --protocol), "
                 "the rebuilt totals and normalised amounts are dropped");
    cmd.add_flag("--recursive", o.recursive, "Check every dated report folder under the folders given");
    cmd.add_option("-j,--jobs", o.jobs,
                   "Reports checked at once, each in its own process (default: the number of cores)")
        ->check(CLI::PositiveNumber);
    cmd.add_option("--summary-csv", o.summaryCsv, "With several reports: write the summary table to this CSV file");
    cmd.add_option("--counts-file", o.countsFile, "Where a worker of a batch leaves its counts")->group("");
    cmd.footer(
        "Exit status: 0 no error found, 1 errors found, 2 usage error (bad folder or option), 3 a report could not be "
        "checked (damaged table, failure of the library), 130 stopped. With several reports: the worst of them.");
}

namespace detail {

inline CLI::Option* AddSeparator(CLI::App& cmd, reportkit::CsvFormat& f, const char* what) {
    return cmd
        .add_option_function<std::string>(
            "--separator", [&f](const std::string& s) { f.separator = s == "tab" ? '\t' : s[0]; }, what)
        ->check(CLI::IsMember({",", ";", "tab"}));
}

}  // namespace detail

inline void AddExportOptions(CLI::App& cmd, reportkit::CsvFormat& f) {
    cmd.add_flag("--with-types", f.withTypes,
                 "Write the field types in the header (NBAL2:A25), so that import needs no --fields");
    detail::AddSeparator(cmd, f, "Field separator: ',' (default), ';' or tab");
    cmd.add_option("--encoding", f.encoding, "utf8 (default) or cp1251")->check(CLI::IsMember({"utf8", "cp1251"}));
    cmd.add_flag("--bom", f.bom, "Begin UTF-8 output with a byte-order mark, as spreadsheets expect");
    cmd.footer("Exit status: 0 written, 2 usage error (no such table, bad option), 3 the table could not be read.");
}

inline void AddImportOptions(CLI::App& cmd, reportkit::CsvFormat& f) {
    detail::AddSeparator(cmd, f, "Field separator: ',', ';' or tab (default: the one the header line uses)");
    cmd.add_option(
           "--encoding", f.encoding,
           "utf8 or cp1251 (default: UTF-8, with or without a byte-order mark; other text is refused with a message)")
        ->check(CLI::IsMember({"utf8", "cp1251"}));
    cmd.footer(
        "Exit status: 0 table written, 2 usage error (bad option, field list, encoding or header), 3 a bad row or a "
        "file that could not be read or written (no table is written then).");
}

}  // namespace tesma::f101

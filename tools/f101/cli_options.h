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
    cmd.add_option("-j,--jobs", o.jobs, "Reports checked at once, each in its own process (default: the number of cores)")
        ->check(CLI::PositiveNumber);
    cmd.add_option("--summary-csv", o.summaryCsv, "With several reports: write the summary table to this CSV file");
    cmd.add_option("--counts-file", o.countsFile, "Where a worker of a batch leaves its counts")->group("");
    cmd.footer(
        "Exit status: 0 no error found, 1 errors found, 2 usage error (bad folder or option), 3 a report could not be "
        "checked (damaged table, failure of the library), 130 stopped. With several reports: the worst of them.");
}

}  // namespace tesma::f101

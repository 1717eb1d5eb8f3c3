// `f101 check DIR...`: one report folder checked in this process, several (or --recursive) each
// by a worker process of its own.
#include <memory>

#include "check.h"
#include "commands.h"

namespace tesma::f101 {

Command AddCheck(CLI::App& app) {
    auto o = std::make_shared<CheckOptions>();
    CLI::App* cmd = app.add_subcommand("check", "Run the controls of the chapter tables of a report folder");
    cmd->add_option("DIR", o->dirs,
                    "Report folders .../<form folder>/<YYYYMMDD>/ (with --recursive: folders to search)")
        ->required();
    cmd->add_option("--chapter", o->chapters, "А, Б, В, Г, Д (or A, B, V, G, D), or all (default)");
    AddRunOptions(*cmd, o->run,
                  {"ID_EKZ of the report instance (default: the folder's only instance, else none)",
                   "Print the findings as JSON Lines", true});
    cmd->add_flag("--explain", o->explain, "Show each finding's rule explanation (f101 rules CODE)");
    AddLanguageOption(*cmd, o->language);
    cmd->add_option("--severity", o->severity, "Show only findings of this severity or worse: error or warning")
        ->check(CLI::IsMember({"error", "warning"}));
    cmd->add_flag("--quiet", o->quiet, "Print only the summary");
    cmd->add_flag("--dry-run", o->dryRun,
                  "Run every control but change no file: the protocol goes to a scratch file (unless --protocol), "
                  "the rebuilt totals and normalised amounts are dropped");
    cmd->add_flag("--recursive", o->recursive, "Check every dated report folder under the folders given");
    cmd->add_option("-j,--jobs", o->jobs,
                    "Reports checked at once, each in its own process (default: the number of cores)")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--summary-csv", o->summaryCsv, "With several reports: write the summary table to this CSV file");
    cmd->add_option("--html", o->html,
                    "Write the findings as a page to read in a browser, each with its row and the rule's arithmetic "
                    "(with several reports: a folder with index.html and a page per report)");
    cmd->add_option("--results-file", o->resultsFile, "Where a worker of a batch writes its results")->group("");
    cmd->footer(
        "Exit status: 0 no error found, 1 errors found, 2 usage error (bad folder or option), 3 a report could not be "
        "checked (damaged table, failure of the library), 130 stopped. With several reports: the worst of them.");
    return {cmd, [o] {
                if (o->recursive || o->dirs.size() > 1) return CheckBatch(*o);
                return CheckReport(*o, o->dirs.empty() ? std::string() : o->dirs.front());
            }};
}

}  // namespace tesma::f101

// `f101 check DIR...`: one report folder checked in this process, several (or --recursive) by
// worker processes.
#include <cctype>
#include <memory>

#include "batch_worker.h"
#include "check.h"
#include "commands.h"
#include "rule_catalogue.h"

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
    cmd->add_option("-j,--jobs", o->jobs, "Worker processes checking reports at once (default: the number of cores)")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--summary-csv", o->summaryCsv, "Write the summary table (one row per report) to this CSV file");
    cmd->add_option("--ignore", o->ignore, "Drop these finding codes from the output, the counts and the exit status")
        ->delimiter(',')
        ->type_name("CODE[,CODE...]")
        ->transform(CLI::Validator(
            [](std::string& code) {
                for (char& c : code) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                return FindRule(code) ? std::string() : "no finding code " + code + " (f101 rules lists them all)";
            },
            ""));
    cmd->add_option("--baseline", o->baseline,
                    "Set aside the findings recorded in this file by --write-baseline (matched by report, chapter, "
                    "code, account and sign)");
    cmd->add_option("--write-baseline", o->writeBaseline, "Record the findings of this check in this file");
    cmd->add_flag("--statistics", o->statistics,
                  "Count the findings by code after them (with --quiet: the counts alone)");
    cmd->add_option("--xlsx", o->xlsx,
                    "Also write the findings as a workbook: every finding on one sheet, each chapter table with "
                    "its findings' cells in colour and notes (with several reports: a summary sheet first)");
    cmd->add_option("--html", o->html,
                    "Write the findings as a page to read in a browser, each with its row and the rule's arithmetic "
                    "(with several reports: a folder with index.html and a page per report)");
    cmd->add_option("--report-timeout", o->reportTimeout,
                    "With several reports: a report not checked within this many seconds is a failure, its worker "
                    "killed (default 300)")
        ->check(CLI::PositiveNumber);
    cmd->add_flag("--batch-worker", o->batchWorker, "A worker process of a batch")->group("");
    cmd->footer(
        "Exit status: 0 no error found, 1 errors found, 2 usage error (bad folder or option), 3 a report could not be "
        "checked (damaged table, failure of the library), 130 stopped. With several reports: the worst of them. "
        "Findings dropped by --ignore or set aside by --baseline count for nothing.");
    return {cmd, [o] {
                if (o->batchWorker) return RunBatchWorker(*o);
                if (o->recursive || o->dirs.size() > 1) return CheckBatch(*o);
                return CheckReport(*o, o->dirs.empty() ? std::string() : o->dirs.front());
            }};
}

}  // namespace tesma::f101

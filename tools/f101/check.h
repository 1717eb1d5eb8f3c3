#pragma once
// `f101 check`: the controls of one report folder (check_report.cpp), or of many, each in a
// process of its own (check_batch.cpp).
#include <string>
#include <vector>

#include "check_sink.h"
#include "language.h"
#include "run_options.h"

namespace tesma::f101 {

struct CheckOptions {
    std::vector<std::string> dirs;      // report folders, or with `recursive` roots to search
    std::vector<std::string> chapters;  // letters; "all" for every chapter present
    RunOptions run;
    bool explain = false;                   // each finding with the rule's explanation
    Language language = Language::English;  // of the explanations (--lang, else the locale's)
    bool quiet = false;                     // the summary only
    std::string severity;                   // "error" or "warning": the least severity shown
    bool dryRun = false;                    // check without changing any file
    bool recursive = false;                 // every dated report folder under the roots
    int jobs = 0;                           // reports checked at once (0: the number of cores)
    std::string summaryCsv;                 // the batch's summary table as CSV
    std::string html;                       // the report's page; with several reports, their folder
    // (internal) a batch's worker: where it writes its results (check_result_json.h) instead
    // of printing them
    std::string resultsFile;
};

// Checks one report folder, handing each chapter's run and then the report to `sink`; returns
// the report's result (a refusal or failure of the folder included: this never throws for them).
ReportResult CheckReport(const CheckOptions& options, const std::string& dir, CheckSink& sink);
// `f101 check DIR`: prints the report's results (or, in a batch's worker, writes them for the
// batch) and returns the exit status.
int CheckReport(const CheckOptions& options, const std::string& dir);
int CheckBatch(const CheckOptions& options);

}  // namespace tesma::f101

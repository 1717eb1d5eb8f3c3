#pragma once
// `f101 check`: the controls of one report folder (check_report.cpp), or of many, checked by
// worker processes (check_batch.cpp, batch_worker.h).
#include <string>
#include <vector>

#include "check_output.h"
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
    std::string summaryCsv;                 // the summary table as CSV
    std::vector<std::string> ignore;        // finding codes dropped from output, counts and exit status
    std::string baseline;                   // findings recorded there are set aside
    std::string writeBaseline;              // where the findings of this check are recorded
    bool statistics = false;                // counts by code after the findings
    std::string xlsx;                       // the results as a workbook (check_workbook.h)
    std::string html;                       // the report's page; with several reports, their folder
    int reportTimeout = 300;                // a batch's time limit per report, in seconds
    // (internal) a batch's worker: checks the report folders the batch hands it (batch_worker.h)
    bool batchWorker = false;
};

// What the output shows of the results, with colours where its stream is a terminal that takes them.
CheckView ViewOf(const CheckOptions& options);

// Checks one report folder, handing each chapter's run and then the report to `sink`; returns
// the report's result (a refusal or failure of the folder included: this never throws for them).
ReportResult CheckReport(const CheckOptions& options, const std::string& dir, CheckSink& sink);
// `f101 check DIR`: prints the report's results and returns the exit status.
int CheckReport(const CheckOptions& options, const std::string& dir);
int CheckBatch(const CheckOptions& options);

}  // namespace tesma::f101

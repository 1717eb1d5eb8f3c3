#pragma once
// A worker process of a batch (`f101 check - --batch-worker [options]`, started by the batch,
// never by a user): it loads the library once and checks report after report as the batch
// hands them out, each exactly as `f101 check DIR` checks it, and sends each report's results
// back as they come (check_result_json.h).
//
// The batch writes each report folder to the worker's standard input, ended by a NUL byte; the
// worker writes the results to descriptor kResultsFd: a line per chapter's run as it ends, then
// the report's line, after which it reads the next folder. It ends at the end of its input, or
// after the report it is on when the operator's stop (SIGINT or SIGTERM) reaches it; that
// report is then a stopped one, as in a check of its own.
#include "check.h"

namespace tesma::f101 {

inline constexpr int kResultsFd = 3;

int RunBatchWorker(const CheckOptions& options);

}  // namespace tesma::f101

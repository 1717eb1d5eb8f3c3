#pragma once
// `f101 check` over many reports: each report checked by its own f101 process, as a host
// runs one report, several at once; their output printed whole, report by report, in the
// order given; a summary table at the end; the worst exit status of all.
#include <string>
#include <vector>

#include "commands.h"

namespace tesma::f101 {

// The dated report folders (…/<form folder>/<YYYYMMDD>/ with an rfdef.DB) under the roots, sorted.
std::vector<std::string> FindReportFolders(const std::vector<std::string>& roots);

int CheckBatch(const CheckOptions& options);

}  // namespace tesma::f101

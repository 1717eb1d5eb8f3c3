#pragma once
// Report trees built from published sheets: the form folder F101 and the dated folder with the
// five chapter tables, rfdef.DB, REP_EKZ.DB, the form requisites, the chart of accounts PS_WORK
// and the requisites table of the electronic report message.
#include <cstdint>
#include <string>
#include <vector>

#include "published_sheet.h"

namespace tesma::reportkit {

// What a report tree is built for: where it goes, and the institution and instance it holds.
struct ReportTreePlan {
    std::string root;  // UTF-8: the tree goes to <root>/F101/<YYYYMMDD>/
    std::string regn;
    std::string bankName;  // UTF-8, may be empty
    std::int32_t instance = 1;
    // Each table synced to disk as it is written. A tool that writes many new trees at once
    // leaves this off and syncs the file system once at the end instead.
    bool syncEachTable = true;
};

// The dated folder <root>/F101/<YYYYMMDD> of the rows' reporting date.
std::string ReportTreeFolder(const std::string& root, const std::vector<PublishedRow>& rows);

// Report folders that import would write over: with `replace` they may go, otherwise the first
// one is a usage error (nothing is written); a folder that is no report folder is never removed.
void RefuseExistingReports(const std::vector<std::string>& trees, bool replace);

// Writes the dated folder for the rows (of one institution and one date); returns its path.
std::string WriteReportTree(const ReportTreePlan& tree, const std::vector<PublishedRow>& rows,
                            const std::vector<ChartEntry>& chart);

// As WriteReportTree, but the folder appears whole or not at all, so that no half-written folder
// ever looks like a report: the part of the tree that is not there yet (from the first missing
// folder on the way to the dated one) is built under a scratch name beside where it goes and
// renamed into place; a dated folder that is there already is replaced, protocol file and all,
// by the same rename. A failure leaves nothing of the new tree behind and the old one as it was.
std::string PlaceReportTree(const ReportTreePlan& tree, const std::vector<PublishedRow>& rows,
                            const std::vector<ChartEntry>& chart);

}  // namespace tesma::reportkit

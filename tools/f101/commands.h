#pragma once
// The commands of f101. Each returns the process exit status.
#include <string>
#include <vector>

#include "csv_dialect.h"

namespace tesma::f101 {

enum ExitStatus { kClean = 0, kFindings = 1, kUsage = 2, kCouldNotCheck = 3, kStopped = 130 };

struct CheckOptions {
    std::vector<std::string> dirs;      // report folders, or with `recursive` roots to search
    std::vector<std::string> chapters;  // letters; "all" for every chapter present
    std::int32_t instance = -1;         // -1: the folder's only instance, or none
    std::string overrideDir;
    std::string protocol;  // default: <dir>/protocol.txt
    bool json = false;
    bool explain = false;    // each finding with the rule's explanation
    bool quiet = false;      // the summary only
    std::string severity;    // "error" or "warning": the least severity shown
    bool dryRun = false;     // check without changing any file
    bool recursive = false;  // every dated report folder under the roots
    int jobs = 0;            // reports checked at once (0: the number of cores)
    std::string summaryCsv;  // the batch's summary table as CSV
    std::string countsFile;  // (internal) where a batch's worker leaves its counts
};

int Check(const CheckOptions& options);
int SortChapter(const std::string& dir, const std::string& chapter, std::int32_t instance, const std::string& protocol,
                bool json);
int Fill(const std::string& dir, std::int32_t instance, const std::string& protocol, bool json);
int Export(const std::string& table, const reportkit::CsvFormat& format);
int Import(const std::string& csv, const std::string& table, const std::string& fields, bool replace,
           const reportkit::CsvFormat& format);
int ImportPublished(const std::string& csv, const std::string& regn, const std::string& out, const std::string& chart,
                    const std::string& names, bool replace);
int CheckReport(const CheckOptions& options, const std::string& dir);
int ListRules(const std::vector<std::string>& codes, bool json);
int Demo(const std::string& dir, const std::string& data, bool json);

}  // namespace tesma::f101

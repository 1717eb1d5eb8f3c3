#pragma once
// A synthetic report of form 101 at the capacity of the control arrays: 3000 balanced accounts
// per chapter (as many as the chapter's account range holds), with the previous month, the
// chart of accounts and the requisites, built as the import builds real reports.
#include <string>

namespace tesma::bench {

struct SyntheticReport {
    std::string current;  // UTF-8 dated folder, with a closing "/"
    std::string previous;
    int rows[5] = {};  // account rows per chapter А..Д
};

SyntheticReport BuildSyntheticReport(const std::string& root, int accountsPerChapter);

}  // namespace tesma::bench

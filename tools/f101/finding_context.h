#pragma once
// Protocol lines of one run with what an analyst needs beside the text: the report folder, the
// chapter and procedure that wrote the line, the table file, and the account and sign the line
// is about, as the library's finding records say them.
#include <optional>
#include <string>
#include <vector>

#include "finding_records.h"
#include "protocol_output.h"

namespace tesma::f101 {

struct Finding {
    reportkit::ProtocolLine line;
    std::string report;                        // the dated folder, UTF-8
    std::string chapter;                       // А, Б, В, Г, Д (UTF-8); empty for runs that are not a chapter's
    std::string procedure;                     // "balance", "cross-checks", "sort", "fill"
    std::string table;                         // the table file name, UTF-8
    std::optional<std::string> account, sign;  // UTF-8, for a finding about an account row
    // What the library's finding record says of the line: the fields the rule compares, their
    // values, X op Y and how X and Y were formed (empty `keys` when the run gave no record).
    hostkit::FindingRecord record;
    std::optional<std::string> explanation;  // the rule's explanation, when it was asked for

    bool operator==(const Finding&) const = default;
};

struct RunContext {
    std::string report, chapter, table;
    std::string procedure;  // the run's procedure; chapter А's control run tells its two apart by their headers
};

// The findings of a run's lines, each with its context; `records` are the run's finding
// records, record i about line i.
std::vector<Finding> WithContext(const std::vector<reportkit::ProtocolLine>& lines,
                                 const std::vector<hostkit::FindingRecord>& records, const RunContext& context);

}  // namespace tesma::f101

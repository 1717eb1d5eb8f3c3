#pragma once
// What f101 prints of its runs: protocol lines as UTF-8 text, or as JSON Lines records (row, code,
// severity, message); a failure as a record of its own with severity "failure" and the file it
// concerns, and a stop with severity "stopped", so that a script never takes a cut-short run for
// a clean one.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "protocol_lines.h"

namespace tesma::f101 {

// What went wrong in a run, said once in a command however many runs meet it.
struct Failure {
    std::string message;  // UTF-8
    std::string file;     // the file or table it concerns, when known

    bool operator==(const Failure&) const = default;
};

// Error and warning lines, and the failures said.
struct FindingCounts {
    int errors = 0, warnings = 0, failures = 0;

    bool operator==(const FindingCounts&) const = default;
};

// {"row", "code", "severity", "message"}
nlohmann::json LineRecord(const reportkit::ProtocolLine& line);
// {"row": null, "code": null, "severity": "failure", "message", "file"}
nlohmann::json FailureRecord(const Failure& failure);
// One record, one line (text that is not UTF-8 is replaced, never a reason to fail).
void PrintRecord(std::ostream& out, const nlohmann::json& record);

void PrintText(std::ostream& out, const std::vector<reportkit::ProtocolLine>& lines);
void PrintJson(std::ostream& out, const std::vector<reportkit::ProtocolLine>& lines);

inline constexpr const char* kStoppedMessage = "stopped by the operator; the rest of the command was not run";
// {"row": null, "code": null, "severity": "stopped", "message", "file": null}
nlohmann::json StoppedRecord(const std::string& message);
// The stop said on standard error (and as a record with --json).
void SayStopped(bool json);

}  // namespace tesma::f101

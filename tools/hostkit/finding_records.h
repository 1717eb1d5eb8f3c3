#pragma once
// Reading the finding records a run writes to the file named by TESMA_ENV_FINDINGS (tesmaC.h
// documents the format): one record per protocol line the run appended, in the same order.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tesma::hostkit {

struct FindingRecord {
    std::string kind;       // contract::kKind*: header, finding, stop, other
    std::string procedure;  // contract::kProcedure*, empty when none wrote a header yet
    std::optional<std::int64_t> row;
    std::string code;
    std::string account, sign;        // code page 1251; empty when the finding is about none
    std::vector<std::string> fields;  // "VX_RUB", "IS_RUB@previous", "IS_ITOG@30301"
    std::vector<std::string> values;  // one per field, or none
    std::string op, x, y, xRule, yRule;
    std::string previous;  // "x", "y" or empty
    // Every key and its value as the record holds them (unescaped), those above included.
    std::vector<std::pair<std::string, std::string>> keys;

    // The value of a key; empty when the record has none.
    std::string Value(std::string_view key) const;

    bool operator==(const FindingRecord&) const = default;
};

// One record from its line (without the line feed).
FindingRecord ParseFindingRecord(std::string_view line);
// The records of a findings file's bytes.
std::vector<FindingRecord> ParseFindingRecords(std::string_view bytes);

}  // namespace tesma::hostkit

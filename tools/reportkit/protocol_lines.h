#pragma once
// The lines a run appends to the protocol, read back into their parts: the row the procedure was
// on, the finding code and its severity, and the message.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tesma::reportkit {

struct ProtocolLine {
    std::optional<std::int64_t> row;
    std::string code;      // E101116, W101101, ... ; empty for header and interruption lines
    std::string severity;  // "error", "warning", "info"
    std::string message;   // UTF-8

    bool operator==(const ProtocolLine&) const = default;
};

// Splits code page 1251 protocol bytes (CR LF lines) into parsed lines.
std::vector<ProtocolLine> ParseProtocol(const std::string& bytes);

}  // namespace tesma::reportkit

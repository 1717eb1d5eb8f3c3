#pragma once
// Protocol lines for the terminal: UTF-8 text, or JSON Lines (row, code, severity, message).
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tesma::f101 {

struct ProtocolLine {
    std::optional<std::int64_t> row;
    std::string code;      // E101116, W101101, ... ; empty for header and interruption lines
    std::string severity;  // "error", "warning", "info"
    std::string message;   // UTF-8
};

// Splits code page 1251 protocol bytes (CR LF lines) into parsed lines.
std::vector<ProtocolLine> ParseProtocol(const std::string& bytes);

void PrintText(std::ostream& out, const std::vector<ProtocolLine>& lines);
void PrintJson(std::ostream& out, const std::vector<ProtocolLine>& lines);

}  // namespace tesma::f101

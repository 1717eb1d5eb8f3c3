#pragma once
// Protocol lines for the terminal: UTF-8 text, or JSON Lines (row, code, severity, message).
#include <ostream>
#include <vector>

#include "protocol_lines.h"

namespace tesma::f101 {

void PrintText(std::ostream& out, const std::vector<reportkit::ProtocolLine>& lines);
void PrintJson(std::ostream& out, const std::vector<reportkit::ProtocolLine>& lines);

}  // namespace tesma::f101

#include "protocol_output.h"

#include <nlohmann/json.hpp>

namespace tesma::f101 {

using reportkit::ProtocolLine;

void PrintText(std::ostream& out, const std::vector<reportkit::ProtocolLine>& lines) {
    for (const auto& l : lines) {
        if (l.row)
            out << *l.row << ": " << l.code << ' ' << l.message << '\n';
        else
            out << l.message << '\n';
    }
}

void PrintJson(std::ostream& out, const std::vector<reportkit::ProtocolLine>& lines) {
    for (const auto& l : lines) {
        nlohmann::json j;
        j["row"] = l.row ? nlohmann::json(*l.row) : nlohmann::json(nullptr);
        j["code"] = l.code.empty() ? nlohmann::json(nullptr) : nlohmann::json(l.code);
        j["severity"] = l.severity;
        j["message"] = l.message;
        out << j.dump() << '\n';
    }
}

}  // namespace tesma::f101

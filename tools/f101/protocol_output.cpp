#include "protocol_output.h"

#include <nlohmann/json.hpp>
#include <regex>

#include "platform/text/cp1251.h"

namespace tesma::f101 {

std::vector<ProtocolLine> ParseProtocol(const std::string& bytes) {
    static const std::regex finding(R"(^(-?[0-9]+): ([EW][0-9]+) (.*)$)");
    std::vector<ProtocolLine> out;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        const std::string text = text::ToUtf8(bytes.substr(start, end - start));
        start = end + 2;
        ProtocolLine line;
        std::smatch m;
        if (std::regex_match(text, m, finding)) {
            line.row = std::stoll(m[1].str());
            line.code = m[2].str();
            line.severity = line.code[0] == 'E' ? "error" : "warning";
            line.message = m[3].str();
        } else {
            line.severity = "info";
            line.message = text;
        }
        out.push_back(std::move(line));
    }
    return out;
}

void PrintText(std::ostream& out, const std::vector<ProtocolLine>& lines) {
    for (const auto& l : lines) {
        if (l.row)
            out << *l.row << ": " << l.code << ' ' << l.message << '\n';
        else
            out << l.message << '\n';
    }
}

void PrintJson(std::ostream& out, const std::vector<ProtocolLine>& lines) {
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

#include "protocol_lines.h"

#include <regex>

#include "platform/text/cp1251.h"

namespace tesma::reportkit {

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

}  // namespace tesma::reportkit

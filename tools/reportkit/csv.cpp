#include "csv.h"

#include <stdexcept>

namespace tesma::reportkit {

std::optional<std::vector<std::string>> CsvReader::Next() {
    std::string line;
    if (!std::getline(in_, line)) return std::nullopt;
    ++line_;
    const int first = line_;
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0;; ++i) {
        if (i == line.size()) {
            if (!quoted) break;
            // A line break inside a quoted field.
            std::string more;
            if (!std::getline(in_, more))
                throw std::runtime_error("unterminated quoted field from line " + std::to_string(first));
            ++line_;
            fields.back() += '\n';
            line = std::move(more);
            i = static_cast<std::size_t>(-1);
            continue;
        }
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator_) {
            fields.emplace_back();
        } else if (c == '\r' && i + 1 == line.size()) {
            break;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string CsvField(const std::string& value, char separator) {
    if (value.find_first_of(std::string("\"\r\n") + separator) == std::string::npos) return value;
    std::string out = "\"";
    for (char c : value) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace tesma::reportkit

#include "csv_dialect.h"

#include <algorithm>
#include <stdexcept>

#include "platform/text/cp1251.h"
#include "report_folder.h"

namespace tesma::reportkit {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The offset of the first byte that is not part of well-formed UTF-8, or npos.
std::size_t FirstInvalidUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return i;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return i;
        if (n == 2 && c < 0xC2) return i;  // overlong
        i += n;
    }
    return std::string::npos;
}

}  // namespace

std::string DecodeCsvText(const std::string& bytes, const std::string& encoding, const std::string& path) {
    if (encoding == "cp1251") return text::ToUtf8(bytes);
    if (!encoding.empty() && encoding != "utf8") throw UsageError("--encoding " + encoding + ": give utf8 or cp1251");
    std::string s = bytes.rfind(kBom, 0) == 0 ? bytes.substr(kBom.size()) : bytes;
    if (const std::size_t bad = FirstInvalidUtf8(s); bad != std::string::npos) {
        const auto line = 1 + std::count(s.begin(), s.begin() + static_cast<long>(bad), '\n');
        throw UsageError(
            path + ":" + std::to_string(line) +
            ": the file is not UTF-8 text; if a spreadsheet saved it in code page 1251 (Windows Cyrillic), "
            "give --encoding cp1251");
    }
    return s;
}

std::string EncodeCsvText(const std::string& utf8, const CsvFormat& format) {
    if (format.encoding == "cp1251") return text::FromUtf8(utf8, true);
    return format.bom ? std::string(kBom) + utf8 : utf8;
}

char DetectSeparator(const std::string& headerLine, const std::string& path) {
    bool comma = false, semicolon = false, quoted = false;
    for (char c : headerLine) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            comma = true;
        else if (!quoted && c == ';')
            semicolon = true;
    }
    if (comma && semicolon)
        throw UsageError(path + ":1: the header has both ',' and ';': give --separator ',' or --separator ';'");
    return semicolon ? ';' : ',';
}

}  // namespace tesma::reportkit

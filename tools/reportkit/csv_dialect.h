#pragma once
// CSV as spreadsheets save it: a UTF-8 byte-order mark or none, code page 1251 when asked for,
// ',' or ';' between fields (a header's names may carry the field types: field_list.h).
#include <optional>
#include <string>

namespace tesma::reportkit {

struct CsvFormat {
    std::string encoding;    // "utf8" or "cp1251"; on reading, empty: UTF-8, with or without a byte-order mark
    char separator = 0;      // 0 on reading: from the header line
    bool bom = false;        // on writing: begin with a UTF-8 byte-order mark
    bool withTypes = false;  // on writing: the header names carry the field types
    // Whether numbers (the numeric fields and the chapter tables' amount fields) carry a decimal
    // comma; unset: they do in files separated by ';', as spreadsheets of a Russian locale keep them.
    std::optional<bool> decimalComma;

    bool DecimalComma(char usedSeparator) const { return decimalComma.value_or(usedSeparator == ';'); }
};

// The file's text in UTF-8. Text that is not UTF-8 is not guessed at: the message names the
// file and line and the option to give.
std::string DecodeCsvText(const std::string& bytes, const std::string& encoding, const std::string& path);
// The text as the file should hold it.
std::string EncodeCsvText(const std::string& utf8, const CsvFormat& format);

// The separator of a header line: the one it uses; a line with both is a usage error naming
// the option to give.
char DetectSeparator(const std::string& headerLine, const std::string& path);

}  // namespace tesma::reportkit

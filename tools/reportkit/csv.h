#pragma once
// Comma-separated values (RFC 4180): quoted fields, doubled quotes, CR LF or LF line ends.
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace tesma::reportkit {

class CsvReader {
public:
    explicit CsvReader(std::istream& in, char separator = ',') : in_(in), separator_(separator) {}
    // The next record, or nothing at the end. A quote left open is std::runtime_error naming the line.
    std::optional<std::vector<std::string>> Next();
    int Line() const { return line_; }

private:
    std::istream& in_;
    int line_ = 0;
    char separator_;
};

std::string CsvField(const std::string& value, char separator = ',');  // quoted when it needs to be

}  // namespace tesma::reportkit

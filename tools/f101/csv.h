#pragma once
// Comma-separated values (RFC 4180): quoted fields, doubled quotes, CR LF or LF line ends.
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace tesma::f101 {

class CsvReader {
public:
    explicit CsvReader(std::istream& in) : in_(in) {}
    // The next record, or nothing at the end. A quote left open is std::runtime_error naming the line.
    std::optional<std::vector<std::string>> Next();
    int Line() const { return line_; }

private:
    std::istream& in_;
    int line_ = 0;
};

std::string CsvField(const std::string& value);  // quoted when it needs to be

}  // namespace tesma::f101

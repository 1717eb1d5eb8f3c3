#pragma once
// A table file read whole as text, for showing it to a person: the field names and every
// record's values as UTF-8 texts, in the order of the file (the order the controls read it).
#include <string>
#include <vector>

namespace tesma::reportkit {

struct TableText {
    std::vector<std::string> fields;             // UTF-8 field names
    std::vector<std::vector<std::string>> rows;  // one text per field; a blank value is empty

    // The index of a field by its name, or -1.
    int FieldIndex(const std::string& name) const;
};

// Reads a Paradox (.DB) or dBASE (.DBF) table; a file that cannot be read or parsed is a
// std::runtime_error naming it.
TableText ReadTableText(const std::string& tablePath);

}  // namespace tesma::reportkit

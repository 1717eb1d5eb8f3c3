#pragma once
// The order of a keyed Paradox table: records compare by their key, the first `keyFields`
// fields, as the table's engine compares them: texts in the table's sort order, numbers, dates
// and times by value, a blank value before any other.
#include <string>
#include <string_view>

#include "platform/engine/table_file.h"

namespace tesma::engine {

class KeyOrder {
public:
    explicit KeyOrder(const TableFile& table);

    // Bytes of the key at the start of a record (or of an index entry).
    std::size_t KeySize() const { return keySize_; }
    // Negative, zero or positive as the key at `a` sorts before, with or after the key at `b`.
    int Compare(const char* a, const char* b) const;
    bool Less(const std::string& a, const std::string& b) const { return Compare(a.data(), b.data()) < 0; }
    // The key of a record for messages: "NNN=5, ID_EKZ=3".
    std::string Describe(const char* record) const;

private:
    int CompareText(std::string_view a, std::string_view b) const;

    const TableFile& table_;
    int keyFields_ = 0;
    std::size_t keySize_ = 0;
    bool byteOrder_ = false;  // the "ascii" sort order: texts by their bytes
};

}  // namespace tesma::engine

#pragma once
// What a host application holds: descriptor records of its report form at the byte offsets of
// the library's interface, and the lists of references to them. Used by the command-line host
// and by the tests, which call the exports exactly as a host application would.
#include <cstdint>
#include <string>
#include <vector>

namespace tesma::hostkit {

struct FormRecord {
    std::int32_t id = 0;
    std::string dirName;  // code page 1251
};

struct TableRecord {
    std::int32_t id = 0;
    std::int32_t formId = 0;
    std::string code;      // e.g. "Ф_1" in code page 1251
    std::string fileName;  // without ".DB"
    std::string kind;
};

struct FieldRecord {
    std::int32_t tableId = 0;
    std::string name;
    char type = 'A';  // 'A' text, 'D' date, 'I' integer, 'N' number
    bool key = false;
};

// The records laid out byte for byte, and the lists of their addresses.
class DescriptorSet {
public:
    DescriptorSet(const std::vector<FormRecord>& forms, const std::vector<TableRecord>& tables,
                  const std::vector<FieldRecord>& fields);
    DescriptorSet(const DescriptorSet&) = delete;
    DescriptorSet& operator=(const DescriptorSet&) = delete;

    const void* const* Forms() const { return forms_.data(); }
    const void* const* Tables() const { return tables_.data(); }
    const void* const* Fields() const { return fields_.data(); }
    std::int32_t FormCount() const { return formCount_; }
    std::int32_t TableCount() const { return tableCount_; }
    std::int32_t FieldCount() const { return fieldCount_; }

private:
    std::vector<std::vector<unsigned char>> records_;
    std::vector<const void*> forms_, tables_, fields_;  // padded with nulls to the capacities
    std::int32_t formCount_ = 0, tableCount_ = 0, fieldCount_ = 0;
};

}  // namespace tesma::hostkit

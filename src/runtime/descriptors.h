#pragma once
// The host's descriptor lists: snapshots of its arrays of references, and readers of the
// fields of its records at their fixed byte offsets. Positions are 1-based, as the host's.
#include <cstdint>
#include <string>
#include <vector>

namespace tesma::runtime {

class DescriptorList {
public:
    DescriptorList() = default;
    // Copies at most `capacity` references (never more than the caller's count: a list is not
    // read beyond what the caller said it holds). A count beyond the capacity stays recorded,
    // so that a walk to it fails with a range failure at the first position past the capacity.
    DescriptorList(const void* const* list, std::int32_t count, std::int32_t capacity, const char* name);

    std::int32_t Count() const { return count_; }
    // The record at `position`; beyond the capacity, or an empty reference: RangeError.
    const unsigned char* At(std::int32_t position) const;

    std::int32_t Int32(std::int32_t position, std::size_t offset) const;
    std::string ShortString(std::int32_t position, std::size_t offset) const;
    unsigned char Byte(std::int32_t position, std::size_t offset) const;

private:
    std::vector<const unsigned char*> refs_;
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
    const char* name_ = "";
};

struct HostLists {
    DescriptorList forms, tables, fields, extras;

    // FormDescriptor
    std::int32_t FormId(std::int32_t i) const;
    std::string FormDirName(std::int32_t i) const;
    // TableDescriptor
    std::int32_t TableId(std::int32_t i) const;
    std::int32_t TableFormId(std::int32_t i) const;
    std::string TableCode(std::int32_t i) const;
    std::string TableFileName(std::int32_t i) const;
    std::string TableKind(std::int32_t i) const;
    // FieldDescriptor
    std::int32_t FieldTableId(std::int32_t i) const;
    std::string FieldName(std::int32_t i) const;
    char FieldType(std::int32_t i) const;
    bool FieldIsKey(std::int32_t i) const;
};

}  // namespace tesma::runtime

#include "runtime/descriptors.h"

#include <cstring>

#include "platform/errors.h"
#include "tesma/tesmaC.h"

namespace tesma::runtime {

DescriptorList::DescriptorList(const void* const* list, std::int32_t count, std::int32_t capacity, const char* name)
    : count_(count < 0 ? 0 : count), capacity_(capacity), name_(name) {
    std::int32_t n = count_ < capacity ? count_ : capacity;
    if (!list) n = 0;
    refs_.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) refs_.push_back(static_cast<const unsigned char*>(list[i]));
}

const unsigned char* DescriptorList::At(std::int32_t position) const {
    if (position < 1 || position > capacity_)
        throw RangeError(std::string("range check error: position ") + std::to_string(position) + " of the " + name_ +
                         " list of " + std::to_string(capacity_));
    if (position > static_cast<std::int32_t>(refs_.size()) || refs_[static_cast<std::size_t>(position - 1)] == nullptr)
        throw RangeError(std::string("the ") + name_ + " list has no record at position " + std::to_string(position));
    return refs_[static_cast<std::size_t>(position - 1)];
}

std::int32_t DescriptorList::Int32(std::int32_t position, std::size_t offset) const {
    std::int32_t v;
    std::memcpy(&v, At(position) + offset, sizeof v);
    return v;
}

std::string DescriptorList::ShortString(std::int32_t position, std::size_t offset) const {
    const unsigned char* p = At(position) + offset;
    return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

unsigned char DescriptorList::Byte(std::int32_t position, std::size_t offset) const { return At(position)[offset]; }

std::int32_t HostLists::FormId(std::int32_t i) const { return forms.Int32(i, TESMA_FORM_ID); }
std::string HostLists::FormDirName(std::int32_t i) const { return forms.ShortString(i, TESMA_FORM_DIR_NAME); }
std::int32_t HostLists::TableId(std::int32_t i) const { return tables.Int32(i, TESMA_TABLE_ID); }
std::int32_t HostLists::TableFormId(std::int32_t i) const { return tables.Int32(i, TESMA_TABLE_FORM_ID); }
std::string HostLists::TableCode(std::int32_t i) const { return tables.ShortString(i, TESMA_TABLE_CODE); }
std::string HostLists::TableFileName(std::int32_t i) const { return tables.ShortString(i, TESMA_TABLE_FILE_NAME); }
std::string HostLists::TableKind(std::int32_t i) const { return tables.ShortString(i, TESMA_TABLE_KIND); }
std::int32_t HostLists::FieldTableId(std::int32_t i) const { return fields.Int32(i, TESMA_FIELD_TABLE_ID); }
std::string HostLists::FieldName(std::int32_t i) const { return fields.ShortString(i, TESMA_FIELD_NAME); }
char HostLists::FieldType(std::int32_t i) const { return static_cast<char>(fields.Byte(i, TESMA_FIELD_TYPE)); }
bool HostLists::FieldIsKey(std::int32_t i) const { return fields.Byte(i, TESMA_FIELD_IS_KEY) != 0; }

}  // namespace tesma::runtime

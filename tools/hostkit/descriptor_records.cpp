#include "descriptor_records.h"

#include <cstring>
#include <stdexcept>

#include "tesma/tesmaC.h"

namespace tesma::hostkit {

namespace {

void PutInt(std::vector<unsigned char>& r, std::size_t at, std::int32_t v) { std::memcpy(r.data() + at, &v, 4); }

void PutShortString(std::vector<unsigned char>& r, std::size_t at, const std::string& s) {
    if (s.size() > 255) throw std::invalid_argument("short string longer than 255 characters: " + s);
    r[at] = static_cast<unsigned char>(s.size());
    std::memcpy(r.data() + at + 1, s.data(), s.size());
}

}  // namespace

DescriptorSet::DescriptorSet(const std::vector<FormRecord>& forms, const std::vector<TableRecord>& tables,
                             const std::vector<FieldRecord>& fields)
    : formCount_(static_cast<std::int32_t>(forms.size())),
      tableCount_(static_cast<std::int32_t>(tables.size())),
      fieldCount_(static_cast<std::int32_t>(fields.size())) {
    records_.reserve(forms.size() + tables.size() + fields.size());
    for (const auto& f : forms) {
        auto& r = records_.emplace_back(TESMA_FORM_DESCRIPTOR_SIZE, 0);
        PutInt(r, TESMA_FORM_ID, f.id);
        PutShortString(r, TESMA_FORM_DIR_NAME, f.dirName);
        forms_.push_back(r.data());
    }
    for (const auto& t : tables) {
        auto& r = records_.emplace_back(TESMA_TABLE_DESCRIPTOR_SIZE, 0);
        PutInt(r, TESMA_TABLE_ID, t.id);
        PutInt(r, TESMA_TABLE_FORM_ID, t.formId);
        PutShortString(r, TESMA_TABLE_CODE, t.code);
        PutShortString(r, TESMA_TABLE_FILE_NAME, t.fileName);
        PutShortString(r, TESMA_TABLE_KIND, t.kind);
        tables_.push_back(r.data());
    }
    for (const auto& f : fields) {
        auto& r = records_.emplace_back(TESMA_FIELD_DESCRIPTOR_SIZE, 0);
        PutInt(r, TESMA_FIELD_TABLE_ID, f.tableId);
        PutShortString(r, TESMA_FIELD_NAME, f.name);
        r[TESMA_FIELD_TYPE] = static_cast<unsigned char>(f.type);
        r[TESMA_FIELD_IS_KEY] = f.key ? 1 : 0;
        fields_.push_back(r.data());
    }
    // The host's arrays have their full capacities; the unused entries are empty.
    auto pad = [](std::vector<const void*>& list, std::size_t capacity) {
        if (list.size() < capacity) list.resize(capacity, nullptr);
    };
    pad(forms_, TESMA_MAX_FORMS);
    pad(tables_, TESMA_MAX_TABLES);
    pad(fields_, TESMA_MAX_FIELDS);
}

}  // namespace tesma::hostkit

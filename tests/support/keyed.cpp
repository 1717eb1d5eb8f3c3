#include "support/keyed.h"

#include <algorithm>
#include <stdexcept>

#include "platform/engine/files.h"
#include "platform/engine/keyed_table.h"
#include "platform/engine/paradox.h"
#include "platform/engine/primary_index.h"
#include "support/tables.h"

namespace tesma::testing {

void MakeKeyed(const std::string& path, const std::vector<std::string>& keyFields, int indexBlockSize) {
    const engine::TableFile old = engine::ParseParadox(FileBytes(path), path);
    std::vector<int> order;
    for (const auto& k : keyFields) {
        const int f = old.FieldIndex(k);
        if (f < 0) throw std::runtime_error("no field " + k + " in " + path);
        order.push_back(f);
    }
    for (int f = 0; f < static_cast<int>(old.fields.size()); ++f)
        if (std::find(order.begin(), order.end(), f) == order.end()) order.push_back(f);
    std::vector<NewField> fields;
    for (int f : order) {
        const auto& d = old.fields[static_cast<std::size_t>(f)];
        fields.push_back({d.name, d.type, d.type == FieldType::Alpha ? d.size : 0});
    }
    engine::TableFile t = engine::CreateParadox(fields, path);
    t.header[0x04] = 0;  // keyed
    t.header[0x23] = static_cast<char>(keyFields.size());
    t.keyed = true;
    t.keyFields = static_cast<int>(keyFields.size());
    for (const auto& r : old.records) {
        std::string record;
        for (int f : order) {
            const auto& d = old.fields[static_cast<std::size_t>(f)];
            record += r.substr(static_cast<std::size_t>(d.offset), static_cast<std::size_t>(d.size));
        }
        t.records.push_back(std::move(record));
    }
    engine::SortByKey(t);
    const std::string index = path.substr(0, path.size() - 3) + ".PX";
    WriteBytes(path, engine::SerializeParadox(t));
    WriteBytes(index, engine::BuildPrimaryIndex(engine::NewPrimaryIndex(t, index, indexBlockSize), t));
}

std::string AsFileVersion(const std::string& bytes, int version) {
    const std::size_t headerSize = static_cast<unsigned char>(bytes[2]) | (static_cast<unsigned char>(bytes[3]) << 8);
    const std::size_t numFields = static_cast<unsigned char>(bytes[0x21]);
    const std::size_t nameAt = 0x78 + numFields * 6 + 4;  // after the descriptors and pointers
    std::string h = bytes.substr(0, nameAt) + bytes.substr(nameAt, 79) + bytes.substr(nameAt + 261, headerSize - nameAt - 261);
    h[0x39] = static_cast<char>(version);
    if (version < 5) h.erase(0x58, 0x20);
    else h[0x58] = h[0x5A] = static_cast<char>(version);
    h.resize(headerSize, '\0');  // the data blocks stay where they were
    return h + bytes.substr(headerSize);
}

}  // namespace tesma::testing

#include "keyed_copy.h"

#include <algorithm>

#include "platform/engine/files.h"
#include "platform/engine/keyed_table.h"
#include "platform/engine/paradox.h"
#include "platform/engine/primary_index.h"
#include "platform/errors.h"

namespace tesma::reportkit {

void MakeKeyed(const std::string& path, const std::vector<std::string>& keyFields, int indexBlockSize) {
    const engine::TableFile old = engine::ParseParadox(engine::ReadWholeFile(engine::DiskPath(path), path), path);
    std::vector<int> order;
    for (const auto& k : keyFields) {
        const int f = old.FieldIndex(k);
        if (f < 0) throw EngineError("no field " + k + " in table " + path);
        order.push_back(f);
    }
    for (int f = 0; f < static_cast<int>(old.fields.size()); ++f)
        if (std::find(order.begin(), order.end(), f) == order.end()) order.push_back(f);
    std::vector<engine::NewField> fields;
    for (int f : order) {
        const auto& d = old.fields[static_cast<std::size_t>(f)];
        fields.push_back({d.name, d.type, d.type == engine::FieldType::Alpha ? d.size : 0});
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
    const std::string indexBytes = engine::BuildPrimaryIndex(engine::NewPrimaryIndex(t, index, indexBlockSize), t);
    engine::ReplaceFileAtomically(engine::DiskPath(path), engine::SerializeParadox(t), path);
    engine::ReplaceFileAtomically(engine::DiskPath(index), indexBytes, index);
}

}  // namespace tesma::reportkit

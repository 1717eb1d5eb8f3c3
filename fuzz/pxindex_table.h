#pragma once
// The keyed table the primary index fuzz target checks its inputs against, and whose index
// seeds the corpus: 2000 records keyed on ID_EKZ + NNN in 1 KiB blocks, so that a 1 KiB index
// block cannot hold an entry for each data block and the index has two levels.
#include <string>

#include "platform/engine/paradox.h"

namespace tesma::fuzzing {

inline engine::TableFile KeyedFuzzTable() {
    using engine::FieldType;
    engine::TableFile t = engine::CreateParadox(
        {{"ID_EKZ", FieldType::Long, 0}, {"NNN", FieldType::Long, 0}, {"NBAL2", FieldType::Alpha, 30}}, "fuzz.DB");
    t.header[0x04] = 0;  // keyed
    t.header[0x05] = 1;  // 1 KiB blocks
    t.header[0x23] = 2;
    t.blockSize = 1024;
    for (int i = 0; i < 2000; ++i) {
        std::string r = t.BlankRecord();
        t.Set(r, 0, engine::Cell::Integer(1 + i / 1000));
        t.Set(r, 1, engine::Cell::Integer(i % 1000));
        t.Set(r, 2, engine::Cell::Text(std::to_string(10000 + i)));
        t.records.push_back(r);
    }
    // As read from its file, with its data blocks.
    return engine::ParseParadox(engine::SerializeParadox(t), "fuzz.DB");
}

}  // namespace tesma::fuzzing

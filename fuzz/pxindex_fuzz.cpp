// The primary index reader on any bytes, checked against a fixed keyed table: an EngineError,
// or an index that describes the table, which then rebuilds to an index that checks again.
#include <cstdint>
#include <string_view>

#include "platform/engine/primary_index.h"
#include "platform/errors.h"
#include "pxindex_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const tesma::engine::TableFile table = tesma::fuzzing::KeyedFuzzTable();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tesma::engine::PrimaryIndexFile index;
    try {
        index = tesma::engine::CheckPrimaryIndex(bytes, "fuzz.PX", table);
    } catch (const tesma::EngineError&) {
        return 0;
    }
    try {
        const std::string again = tesma::engine::BuildPrimaryIndex(index, table);
        (void)tesma::engine::CheckPrimaryIndex(again, "fuzz.PX", table);
    } catch (const tesma::EngineError&) {
        __builtin_trap();  // an index we accepted must rebuild to one we accept
    }
    return 0;
}

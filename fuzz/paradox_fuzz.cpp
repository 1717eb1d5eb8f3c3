// The Paradox reader on any bytes: an EngineError or a table whose every value decodes and
// which writes back.
#include <cstdint>
#include <string_view>

#include "platform/engine/paradox.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        tesma::engine::TableFile t = tesma::engine::ParseParadox(bytes, "fuzz.DB");
        for (std::size_t r = 0; r < t.records.size(); ++r)
            for (std::size_t f = 0; f < t.fields.size(); ++f) (void)t.Get(r, static_cast<int>(f));
        if (!t.keyed && t.records.size() < 5000) {
            const std::string again = tesma::engine::SerializeParadox(t);
            tesma::engine::TableFile u = tesma::engine::ParseParadox(again, "fuzz.DB");
            if (u.records != t.records) __builtin_trap();
        }
    } catch (const tesma::EngineError&) {
    }
    return 0;
}

// The dBASE reader on any bytes: an EngineError or a table whose every value decodes.
#include <cstdint>
#include <string_view>

#include "platform/engine/dbase.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        tesma::engine::TableFile t =
            tesma::engine::ParseDbase(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.DBF");
        for (std::size_t r = 0; r < t.records.size(); ++r)
            for (std::size_t f = 0; f < t.fields.size(); ++f) (void)t.Get(r, static_cast<int>(f));
    } catch (const tesma::EngineError&) {
    }
    return 0;
}

// The workbook reader on any bytes: a clear refusal (std::runtime_error) or every sheet read.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "xlsx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        tesma::reportkit::XlsxReader book(std::string(reinterpret_cast<const char*>(data), size), "fuzz.xlsx");
        const auto names = book.SheetNames();
        std::size_t cells = 0;
        for (const std::string& name : names)
            book.ReadSheet(name, [&](const tesma::reportkit::SheetRow& row) { cells += row.cells.size(); });
    } catch (const std::runtime_error&) {
    }
    return 0;
}

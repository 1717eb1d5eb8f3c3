// Opening an existing protocol file of any content: the end-of-file cut, appending, closing.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/errors.h"
#include "runtime/protocol_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("tesma-fuzz-protocol-" + std::to_string(::getpid()) + ".txt"))
            .string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::string before(reinterpret_cast<const char*>(data), size);
    tesma::runtime::ProtocolFile protocol;
    if (protocol.Open(path) != 0) __builtin_trap();
    protocol.WriteLine("line");
    protocol.Close();
    std::ifstream in(path, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The old content, cut at the first character 26 among its last 128 bytes, then the line.
    std::string expected = before;
    const std::size_t from = before.size() > 128 ? before.size() - 128 : 0;
    const auto eof = before.find('\x1A', from);
    if (eof != std::string::npos) expected.resize(eof);
    expected += "line\r\n";
    if (after != expected) __builtin_trap();
    return 0;
}

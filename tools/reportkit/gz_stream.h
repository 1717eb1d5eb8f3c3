#pragma once
// Reads a file, transparently gunzipping it when it is gzip-compressed (".gz").
#include <sstream>
#include <string>

namespace tesma::reportkit {

// The whole (decompressed) content; std::runtime_error naming the file when it cannot be read.
std::string ReadMaybeGzip(const std::string& path);

}  // namespace tesma::reportkit

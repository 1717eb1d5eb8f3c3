#include "gz_stream.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tesma::reportkit {

std::string ReadMaybeGzip(const std::string& path) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) throw std::runtime_error(path + ": cannot open: " + std::strerror(errno ? errno : ENOENT));
    std::string out;
    char buf[1 << 16];
    while (true) {
        int n = gzread(f, buf, sizeof buf);
        if (n < 0) {
            int code = 0;
            std::string msg = gzerror(f, &code);
            gzclose(f);
            throw std::runtime_error(path + ": cannot read: " + msg);
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    gzclose(f);
    return out;
}

}  // namespace tesma::reportkit

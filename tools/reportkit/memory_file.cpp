#include "memory_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tesma::reportkit {

MemoryFile::MemoryFile(const char* name) : fd_(::memfd_create(name, MFD_CLOEXEC)) {
    if (!fd_) throw std::system_error(errno, std::generic_category(), "memfd_create");
    path_ = "/proc/self/fd/" + std::to_string(fd_.Get());
}

std::string MemoryFile::Contents() const {
    std::string out;
    char buffer[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd_.Get(), buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
    return out;
}

std::string MemoryFile::Take() {
    std::string out = Contents();
    if (!out.empty()) {
        (void)::ftruncate(fd_.Get(), 0);
        ::lseek(fd_.Get(), 0, SEEK_SET);
    }
    return out;
}

}  // namespace tesma::reportkit

#pragma once
// An anonymous file in memory that the library can open by name (/proc/self/fd/N) while this
// process lives. Nothing is left on disk, however the process ends.
#include <string>

#include "platform/unique_fd.h"

namespace tesma::reportkit {

class MemoryFile {
public:
    explicit MemoryFile(const char* name);  // std::system_error when the system has none to give
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const std::string& Path() const { return path_; }
    int Fd() const { return fd_.Get(); }
    std::string Contents() const;
    // The contents, the file then emptied (a process that shares its descriptor, and so its
    // offset, goes on writing from the start).
    std::string Take();

private:
    UniqueFd fd_;
    std::string path_;
};

}  // namespace tesma::reportkit

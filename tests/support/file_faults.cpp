#include "support/file_faults.h"

#include <fcntl.h>

#include <cerrno>

namespace tesma::testing {

FileFaults::FileFaults(Rule rule) : rule_(std::move(rule)), system_(engine::SystemFileSystem()) {
    engine::SetFileSystem(this);
}

FileFaults::~FileFaults() { engine::SetFileSystem(nullptr); }

bool FileFaults::Fails(Step step, const std::string& path) {
    const int err = rule_(step, path);
    if (err == 0) return false;
    errno = err;
    return true;
}

const std::string& FileFaults::PathOf(int fd) const {
    static const std::string unknown;
    auto it = paths_.find(fd);
    return it == paths_.end() ? unknown : it->second;
}

UniqueFd FileFaults::Open(const std::string& path, int flags, mode_t mode) {
    if (Fails(flags & O_CREAT ? Step::Create : Step::Open, path)) return UniqueFd();
    UniqueFd fd = system_.Open(path, flags, mode);
    if (fd) paths_[fd.Get()] = path;
    return fd;
}

ssize_t FileFaults::Write(int fd, const void* data, std::size_t size) {
    return Fails(Step::Write, PathOf(fd)) ? -1 : system_.Write(fd, data, size);
}

int FileFaults::Sync(int fd) { return Fails(Step::Sync, PathOf(fd)) ? -1 : system_.Sync(fd); }

int FileFaults::SyncFolder(const std::string& path) {
    return Fails(Step::SyncFolder, path) ? -1 : system_.SyncFolder(path);
}

int FileFaults::Truncate(int fd, off_t length) {
    return Fails(Step::Truncate, PathOf(fd)) ? -1 : system_.Truncate(fd, length);
}

int FileFaults::Rename(const std::string& from, const std::string& to) {
    return Fails(Step::Rename, to) ? -1 : system_.Rename(from, to);
}

int FileFaults::Unlink(const std::string& path) { return Fails(Step::Unlink, path) ? -1 : system_.Unlink(path); }

int FileFaults::Lock(int fd, int operation) { return Fails(Step::Lock, PathOf(fd)) ? -1 : system_.Lock(fd, operation); }

}  // namespace tesma::testing

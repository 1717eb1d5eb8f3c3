#include "platform/engine/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tesma::engine {

namespace {

class SystemFiles final : public FileSystem {
public:
    UniqueFd Open(const std::string& path, int flags, mode_t mode) override {
        return UniqueFd(::open(path.c_str(), flags, mode));
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override { return ::write(fd, data, size); }
    int Sync(int fd) override { return ::fsync(fd); }
    int SyncFolder(const std::string& path) override {
        UniqueFd folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder) return -1;
        const int result = ::fsync(folder.Get());
        const int err = errno;
        folder.Reset();
        errno = err;
        return result;
    }
    int Truncate(int fd, off_t length) override { return ::ftruncate(fd, length); }
    int Rename(const std::string& from, const std::string& to) override { return ::rename(from.c_str(), to.c_str()); }
    int Unlink(const std::string& path) override { return ::unlink(path.c_str()); }
    int Lock(int fd, int operation) override { return ::flock(fd, operation); }
};

FileSystem*& InUse() {
    static FileSystem* files = nullptr;
    return files;
}

}  // namespace

FileSystem& SystemFileSystem() {
    static SystemFiles files;
    return files;
}

FileSystem& CurrentFileSystem() { return InUse() ? *InUse() : SystemFileSystem(); }

void SetFileSystem(FileSystem* files) { InUse() = files; }

}  // namespace tesma::engine

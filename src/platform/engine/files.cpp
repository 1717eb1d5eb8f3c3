#include "platform/engine/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <vector>
#include <cstring>

#include "platform/errors.h"
#include "platform/text/cp1251.h"

namespace tesma::engine {

namespace {

WriteFaultHook& Hook() {
    static WriteFaultHook hook;
    return hook;
}

bool IsRegularFile(const std::string& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

[[noreturn]] void WriteFailed(std::string_view shownName, std::string_view step, int err) {
    throw IoError("cannot write " + std::string(shownName) + " (" + std::string(step) + "): " + std::strerror(err));
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != '/') out += '/';
    out += name;
    return out;
}

std::string DiskPath(std::string_view path) { return text::ToUtf8(path); }

std::optional<std::string> FindFile(std::string_view path) {
    std::string disk = DiskPath(path);
    if (IsRegularFile(disk)) return disk;
    std::string raw(path);
    if (raw != disk && IsRegularFile(raw)) return raw;
    auto slash = disk.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : disk.substr(0, slash == 0 ? 1 : slash);
    std::string wanted = text::FullUpper(text::FromUtf8(slash == std::string::npos ? disk : disk.substr(slash + 1)));
    DIR* d = ::opendir(dir.c_str());
    if (!d) return std::nullopt;
    std::optional<std::string> found;
    while (dirent* e = ::readdir(d)) {
        if (text::FullUpper(text::FromUtf8(e->d_name)) == wanted) {
            std::string candidate = (slash == std::string::npos ? std::string() : disk.substr(0, slash + 1)) + e->d_name;
            if (IsRegularFile(candidate)) {
                found = candidate;
                break;
            }
        }
    }
    ::closedir(d);
    return found;
}

std::string ReadWholeFile(const std::string& diskPath, std::string_view shownName) {
    int fd = ::open(diskPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EngineError("cannot open " + std::string(shownName) + ": " + std::strerror(errno));
    std::string data;
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            throw EngineError("cannot read " + std::string(shownName) + ": " + std::strerror(err));
        }
        if (n == 0) break;
        data.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return data;
}

void SetWriteFaultHook(WriteFaultHook hook) { Hook() = std::move(hook); }

int InjectedFault(std::string_view step, std::string_view diskPath) {
    return Hook() ? Hook()(step, diskPath) : 0;
}

namespace {

// Temporary files "<table>.tmp-<pid>" in the folder that writers killed before their rename
// left behind.
void RemoveStaleTemporaries(const std::string& dir) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    std::vector<std::string> stale;
    while (dirent* e = ::readdir(d)) {
        const std::string entry = e->d_name;
        const auto mark = entry.rfind(".tmp-");
        if (mark == std::string::npos || mark + 5 >= entry.size()) continue;
        char* end = nullptr;
        const long pid = std::strtol(entry.c_str() + mark + 5, &end, 10);
        if (*end != '\0') continue;
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) stale.push_back(dir + "/" + entry);
    }
    ::closedir(d);
    for (const auto& f : stale) ::unlink(f.c_str());
}

}  // namespace

void ReplaceFileAtomically(const std::string& diskPath, std::string_view bytes, std::string_view shownName) {
    auto slash = diskPath.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : diskPath.substr(0, slash == 0 ? 1 : slash);
    RemoveStaleTemporaries(dir);
    std::string temp = diskPath + ".tmp-" + std::to_string(::getpid());
    int err = InjectedFault("open", diskPath);
    int fd = err ? -1 : ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) WriteFailed(shownName, "create temporary file", err ? err : errno);
    // Keep the permissions of the file being replaced.
    struct stat st {};
    if (::stat(diskPath.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
    auto fail = [&](std::string_view step, int e) {
        ::close(fd);
        ::unlink(temp.c_str());
        WriteFailed(shownName, step, e);
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        if ((err = InjectedFault("write", diskPath))) fail("write", err);
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("write", errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if ((err = InjectedFault("fsync", diskPath)) || ::fsync(fd) != 0) fail("fsync", err ? err : errno);
    if (::close(fd) != 0) {
        ::unlink(temp.c_str());
        WriteFailed(shownName, "close", errno);
    }
    if ((err = InjectedFault("rename", diskPath)) || ::rename(temp.c_str(), diskPath.c_str()) != 0) {
        int e = err ? err : errno;
        ::unlink(temp.c_str());
        WriteFailed(shownName, "rename", e);
    }
    // The new file is in place; syncing the folder makes the rename itself durable.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

std::optional<FileLock> FileLock::TryExclusive(const std::string& diskPath) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::open(diskPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return std::nullopt;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return std::nullopt;
        }
        // The file may have been replaced between open and lock: the lock must be on the
        // file that the name shows now.
        struct stat a {}, b {};
        if (::fstat(fd, &a) == 0 && ::stat(diskPath.c_str(), &b) == 0 && a.st_ino == b.st_ino && a.st_dev == b.st_dev)
            return FileLock(fd);
        ::close(fd);
    }
    return std::nullopt;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace tesma::engine

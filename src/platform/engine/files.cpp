#include "platform/engine/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <vector>

#include "platform/engine/file_system.h"
#include "platform/errors.h"
#include "platform/text/cp1251.h"

namespace tesma::engine {

namespace {

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
            std::string candidate =
                (slash == std::string::npos ? std::string() : disk.substr(0, slash + 1)) + e->d_name;
            if (IsRegularFile(candidate)) {
                found = candidate;
                break;
            }
        }
    }
    ::closedir(d);
    return found;
}

namespace {

FileStamp StampFrom(const struct stat& st) {
    return {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
            static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
            static_cast<long long>(st.st_mtim.tv_nsec)};
}

}  // namespace

std::optional<FileStamp> StampOf(const std::string& diskPath) {
    struct stat st {};
    if (::stat(diskPath.c_str(), &st) != 0) return std::nullopt;
    return StampFrom(st);
}

std::string ReadWholeFile(const std::string& diskPath, std::string_view shownName, FileStamp* stamp) {
    const UniqueFd fd = CurrentFileSystem().Open(diskPath, O_RDONLY | O_CLOEXEC);
    if (!fd) throw EngineError("cannot open " + std::string(shownName) + ": " + std::strerror(errno));
    if (stamp) {
        struct stat st {};
        if (::fstat(fd.Get(), &st) == 0) *stamp = StampFrom(st);
    }
    std::string data;
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd.Get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EngineError("cannot read " + std::string(shownName) + ": " + std::strerror(errno));
        }
        if (n == 0) break;
        data.append(buf, static_cast<std::size_t>(n));
    }
    return data;
}

namespace {

// A table is written through a temporary file beside it, named ".<table>.tesma-<pid>.tmp":
// hidden, and marked as ours, so that no other program's file can ever be taken for one.
constexpr std::string_view kTempMark = ".tesma-";
constexpr std::string_view kTempEnd = ".tmp";

std::string TemporaryName(const std::string& fileName) {
    return "." + fileName + std::string(kTempMark) + std::to_string(::getpid()) + std::string(kTempEnd);
}

bool IsTemporaryOf(const std::string& entry, const std::string& fileName) {
    const std::string prefix = "." + fileName + std::string(kTempMark);
    if (entry.size() <= prefix.size() + kTempEnd.size() || !entry.starts_with(prefix) || !entry.ends_with(kTempEnd))
        return false;
    const std::string_view digits(entry.data() + prefix.size(), entry.size() - prefix.size() - kTempEnd.size());
    for (char c : digits)
        if (c < '0' || c > '9') return false;
    return true;
}

// Temporaries of this one table that a writer killed before its rename left behind. A writer
// holds a lock on its temporary for as long as it lives, so one that can be locked has no
// writer left (whatever has become of its process id). Called while the table itself is
// held for writing, so no other run is writing this table now.
void RemoveStaleTemporariesIn(const std::string& dir, const std::string& fileName) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    std::vector<std::string> candidates;
    while (dirent* e = ::readdir(d))
        if (IsTemporaryOf(e->d_name, fileName)) candidates.push_back(dir + "/" + e->d_name);
    ::closedir(d);
    FileSystem& files = CurrentFileSystem();
    for (const auto& f : candidates) {
        const UniqueFd fd = files.Open(f, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (!fd) continue;
        struct stat st {};
        if (::fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode) && files.Lock(fd.Get(), LOCK_EX | LOCK_NB) == 0)
            files.Unlink(f);
    }
}

// The file that a path names, through any symbolic links: a table that is a link is written
// where the link points, and the link stays as it is.
std::string LinkTarget(const std::string& diskPath, std::string_view shownName) {
    struct stat st {};
    if (::lstat(diskPath.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return diskPath;
    char* resolved = ::realpath(diskPath.c_str(), nullptr);
    if (!resolved) WriteFailed(shownName, "follow the symbolic link", errno);
    std::string target = resolved;
    std::free(resolved);
    return target;
}

std::pair<std::string, std::string> FolderAndName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {path.substr(0, slash == 0 ? 1 : slash), path.substr(slash + 1)};
}

}  // namespace

void RemoveStaleTemporaries(const std::string& diskPath) {
    struct stat st {};
    if (::lstat(diskPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* resolved = ::realpath(diskPath.c_str(), nullptr);
        if (!resolved) return;
        const auto [dir, name] = FolderAndName(resolved);
        std::free(resolved);
        RemoveStaleTemporariesIn(dir, name);
        return;
    }
    const auto [dir, name] = FolderAndName(diskPath);
    RemoveStaleTemporariesIn(dir, name);
}

FileReplacement::FileReplacement(const std::string& diskPath, std::string_view bytes, std::string_view shownName)
    : target_(LinkTarget(diskPath, shownName)), shown_(shownName) {
    std::string fileName;
    std::tie(folder_, fileName) = FolderAndName(target_);
    RemoveStaleTemporariesIn(folder_, fileName);
    temp_ = folder_ + "/" + TemporaryName(fileName);
    FileSystem& files = CurrentFileSystem();
    fd_ = files.Open(temp_, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (!fd_) {
        done_ = true;  // nothing to remove
        WriteFailed(shown_, "create temporary file", errno);
    }
    // Marks the temporary as having a live writer (see RemoveStaleTemporaries).
    files.Lock(fd_.Get(), LOCK_EX | LOCK_NB);
    // Keep the permissions of the file being replaced.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) ::fchmod(fd_.Get(), st.st_mode & 07777);
    auto fail = [&](std::string_view step, int err) {
        files.Unlink(temp_);
        fd_.Reset();
        done_ = true;
        WriteFailed(shown_, step, err);
    };
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = files.Write(fd_.Get(), bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("write", errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (files.Sync(fd_.Get()) != 0) fail("fsync", errno);
}

FileReplacement::FileReplacement(FileReplacement&& other) noexcept
    : target_(std::move(other.target_)),
      temp_(std::move(other.temp_)),
      folder_(std::move(other.folder_)),
      shown_(std::move(other.shown_)),
      fd_(std::move(other.fd_)),
      done_(other.done_) {
    other.done_ = true;
}

FileReplacement::~FileReplacement() {
    if (done_ || temp_.empty()) return;
    CurrentFileSystem().Unlink(temp_);
}

void FileReplacement::PutInPlace() {
    if (done_) throw IoError("cannot write " + shown_ + ": its new content is no longer there");
    FileSystem& files = CurrentFileSystem();
    if (files.Rename(temp_, target_) != 0) {
        const int err = errno;
        files.Unlink(temp_);
        fd_.Reset();
        done_ = true;
        WriteFailed(shown_, "rename", err);
    }
    done_ = true;
    // The lock on the temporary goes with this close, after the rename: until then it is a
    // live writer's file.
    fd_.Reset();
}

void ReplaceFileAtomically(const std::string& diskPath, std::string_view bytes, std::string_view shownName) {
    FileReplacement replacement(diskPath, bytes, shownName);
    replacement.PutInPlace();
    // The new file is in place; syncing the folder makes the rename itself durable.
    CurrentFileSystem().SyncFolder(replacement.Folder());
}

std::optional<FileLock> FileLock::TryExclusive(const std::string& diskPath) {
    FileSystem& files = CurrentFileSystem();
    for (int attempt = 0; attempt < 3; ++attempt) {
        UniqueFd fd = files.Open(diskPath, O_RDONLY | O_CLOEXEC);
        if (!fd) return std::nullopt;
        if (files.Lock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return std::nullopt;
        // The file may have been replaced between open and lock: the lock must be on the
        // file that the name shows now.
        struct stat a {
        }, b{};
        if (::fstat(fd.Get(), &a) == 0 && ::stat(diskPath.c_str(), &b) == 0 && a.st_ino == b.st_ino &&
            a.st_dev == b.st_dev)
            return FileLock(std::move(fd));
    }
    return std::nullopt;
}

}  // namespace tesma::engine

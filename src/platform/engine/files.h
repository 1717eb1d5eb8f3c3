#pragma once
// The file layer of the engine: names, reading, atomic replacement, advisory locks.
// Paths inside the library are code page 1251 texts; on disk they are UTF-8 names.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tesma::engine {

// A file name inside a folder: one separator between them, whether or not the folder ends with
// one (hosts give data folders as ".../F101/20251201/").
std::string JoinPath(std::string_view folder, std::string_view name);

// The on-disk (UTF-8) form of a library path.
std::string DiskPath(std::string_view path);

// The disk path of an existing regular file, looked up exactly and then, for the last
// component only, without regard to letter case (tables written on Windows keep their
// names in any case). Nothing when there is no such file.
std::optional<std::string> FindFile(std::string_view path);
inline bool FileExists(std::string_view path) { return FindFile(path).has_value(); }

// One version of a file: a writer replaces a table by a new file (another inode), and any
// other change moves its size or modification time.
struct FileStamp {
    unsigned long long device = 0, inode = 0;
    long long size = 0, modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file a path names now (through links); nothing when there is none.
std::optional<FileStamp> StampOf(const std::string& diskPath);

// The whole content of a file, and the stamp of the version read; an unreadable file is an
// EngineError naming it.
std::string ReadWholeFile(const std::string& diskPath, std::string_view shownName, FileStamp* stamp = nullptr);

// Replaces the file by a complete new one: a temporary file beside it, written and synced,
// renamed over the old one, then the folder synced. A crash at any moment leaves the old
// file or the new one. A failure is an IoError naming the file; the old file stays. A path
// that is a symbolic link is written through: its target gets the new content, the link
// stays a link.
void ReplaceFileAtomically(const std::string& diskPath, std::string_view bytes, std::string_view shownName);

// Fault injection for tests: called before each step of a file write ("open", "write",
// "fsync", "rename", "fsync-dir"); a non-zero result is taken as that step failing with
// this errno value.
using WriteFaultHook = std::function<int(std::string_view step, std::string_view diskPath)>;
void SetWriteFaultHook(WriteFaultHook hook);
int InjectedFault(std::string_view step, std::string_view diskPath);

// An exclusive advisory lock on a file, held while the object lives.
class FileLock {
public:
    // Locks the file without waiting. Nothing when another process holds it.
    static std::optional<FileLock> TryExclusive(const std::string& diskPath);
    FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace tesma::engine

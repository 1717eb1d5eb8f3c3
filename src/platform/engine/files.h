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

// The whole content of a file; an unreadable file is an EngineError naming it.
std::string ReadWholeFile(const std::string& diskPath, std::string_view shownName);

// Replaces the file by a complete new one: a temporary file beside it, written and synced,
// renamed over the old one, then the folder synced. A crash at any moment leaves the old
// file or the new one. A failure is an IoError naming the file; the old file stays.
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

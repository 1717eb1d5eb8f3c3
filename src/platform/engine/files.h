#pragma once
// The file layer of the engine: names, reading, atomic replacement, advisory locks. Every change
// to a file goes through the file system in use (file_system.h).
// Paths inside the library are code page 1251 texts; on disk they are UTF-8 names.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/unique_fd.h"

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

// The new content of a file, complete and synced in a temporary file beside it, not yet in
// place: what ReplaceFileAtomically does in two halves, so that several files can be written
// in full before the first of them replaces its old file. A replacement that is never put in
// place removes its temporary file when it ends; the old file stays as it was.
class FileReplacement {
public:
    // Writes and syncs the temporary file (temporaries a killed writer left beside the file
    // are removed first). A failure is an IoError naming the file, with nothing left behind.
    FileReplacement(const std::string& diskPath, std::string_view bytes, std::string_view shownName);
    ~FileReplacement();
    FileReplacement(FileReplacement&& other) noexcept;
    FileReplacement& operator=(FileReplacement&&) = delete;
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Renames the temporary over the file. A failure is an IoError naming the file; the old
    // file stays and the temporary is removed.
    void PutInPlace();
    // The folder whose entries the rename changed: sync it (FileSystem::SyncFolder) once every
    // replacement in it is in place.
    const std::string& Folder() const { return folder_; }

private:
    std::string target_, temp_, folder_, shown_;
    UniqueFd fd_;  // its lock marks the temporary as having a live writer until it is in place
    bool done_ = false;
};

// Removes the temporaries that writers of this file killed before their rename left beside it.
// Called only while the file is held for writing (its table's lock).
void RemoveStaleTemporaries(const std::string& diskPath);

// An exclusive advisory lock on a file, held while the object lives.
class FileLock {
public:
    // Locks the file without waiting. Nothing when another process holds it.
    static std::optional<FileLock> TryExclusive(const std::string& diskPath);

private:
    explicit FileLock(UniqueFd fd) : fd_(std::move(fd)) {}
    UniqueFd fd_;
};

}  // namespace tesma::engine

#pragma once
// The file system under the table engine and the protocol file. Every step by which the library
// changes a file or holds one for writing goes through one FileSystem: opening and creating,
// writing, syncing a file and a folder, cutting, renaming, removing, locking. The system's own
// is in use unless another is put in place: a host or a test that must see or shape those steps
// (a full disk at one write of a commit, a device failing at a sync) puts its own in place. Reads
// go to the system directly; they change nothing.
#include <sys/types.h>

#include <cstddef>
#include <string>

#include "platform/unique_fd.h"

namespace tesma::engine {

class FileSystem {
public:
    FileSystem() = default;
    virtual ~FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    // Each step answers as its system call does: a failure is -1 (an empty UniqueFd from Open)
    // with errno set.

    // open(2): opening an existing file, or creating one when flags hold O_CREAT.
    virtual UniqueFd Open(const std::string& path, int flags, mode_t mode = 0) = 0;
    // write(2): some or all of the bytes, at the descriptor's offset.
    virtual ssize_t Write(int fd, const void* data, std::size_t size) = 0;
    // fsync(2): the file's content on the disk.
    virtual int Sync(int fd) = 0;
    // The folder's entries (a new name, a rename) on the disk: the folder opened, synced, closed.
    virtual int SyncFolder(const std::string& path) = 0;
    // ftruncate(2).
    virtual int Truncate(int fd, off_t length) = 0;
    // rename(2): `to` replaced at once by `from`.
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    // unlink(2).
    virtual int Unlink(const std::string& path) = 0;
    // flock(2): an advisory lock, held until every descriptor of the open file is closed.
    virtual int Lock(int fd, int operation) = 0;
};

// The system's own file system.
FileSystem& SystemFileSystem();

// The file system in use.
FileSystem& CurrentFileSystem();

// Puts `files` in use from now on; nullptr puts the system's own back. The caller keeps
// `files` alive for as long as it is in use.
void SetFileSystem(FileSystem* files);

}  // namespace tesma::engine

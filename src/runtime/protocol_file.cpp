#include "runtime/protocol_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/engine/file_system.h"
#include "platform/engine/files.h"
#include "platform/errors.h"

namespace tesma::runtime {

namespace {

// Closes the descriptor of a failed open and gives an empty one in its place, with errno as
// the failure left it.
UniqueFd Failed(UniqueFd& fd) {
    const int err = errno;
    fd.Reset();
    errno = err;
    return UniqueFd();
}

// Opens an existing file for reading and writing without ever waiting; `st` tells what it is,
// also after a failure when the name exists. A FIFO is opened for writing only: a descriptor
// that read it too would stand in for a reader who is not there, and its closing would end the
// stream of a reader who came meanwhile. Opened so, it refuses at once (ENXIO) while nobody
// reads it. An empty descriptor is a failure, with errno set.
UniqueFd OpenExisting(const std::string& disk, struct stat& st) {
    engine::FileSystem& files = engine::CurrentFileSystem();
    constexpr int kWriteOnly = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const bool fifo = ::stat(disk.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
    UniqueFd fd = files.Open(disk, fifo ? kWriteOnly : O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (!fd) return fd;
    if (!fifo && ::fstat(fd.Get(), &st) == 0 && S_ISFIFO(st.st_mode)) {
        // A FIFO put in the file's place between the look and the open.
        fd.Reset();
        fd = files.Open(disk, kWriteOnly);
        if (!fd) return fd;
    }
    if (::fstat(fd.Get(), &st) != 0) return Failed(fd);
    // Once open, writes wait for a slow reader as writes do.
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

// A write that cannot end the process: a FIFO whose reader went away answers a write with
// the signal SIGPIPE, which would kill the host. The signal is held back while writing and
// taken away when this write raised it; the write fails with EPIPE instead.
ssize_t WriteHoldingSigpipe(int fd, const char* data, std::size_t size) {
    sigset_t pipeOnly, previous, pending;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    sigemptyset(&pending);
    ::sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    const ssize_t n = engine::CurrentFileSystem().Write(fd, data, size);
    const int err = errno;
    if (n < 0 && err == EPIPE && !alreadyPending) {
        const timespec noWait{};
        while (::sigtimedwait(&pipeOnly, nullptr, &noWait) < 0 && errno == EINTR) {
        }
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = err;
    return n;
}

}  // namespace

int ProtocolFile::Open(std::string_view path, const std::function<bool()>& awaitReader) {
    Close();
    path_ = std::string(path);
    const std::string disk = engine::DiskPath(path);
    engine::FileSystem& files = engine::CurrentFileSystem();
    struct stat st {};
    UniqueFd fd = OpenExisting(disk, st);
    int err = fd ? 0 : errno;
    while (err == ENXIO && S_ISFIFO(st.st_mode) && awaitReader && awaitReader()) {
        fd = OpenExisting(disk, st);
        err = fd ? 0 : errno;
    }
    const bool existed = static_cast<bool>(fd);
    if (!existed) {
        if (err != ENOENT) return err;
        fd = files.Open(disk, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (!fd || ::fstat(fd.Get(), &st) != 0) return errno;
    }
    if (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode)) {
        // A folder stays an error; a block device or a socket is never written as a protocol.
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    regular_ = S_ISREG(st.st_mode);
    endsInCR_ = false;
    if (!regular_) {
        // A device or a FIFO takes the lines as they come: it has no end to look at or cut, and
        // any number of runs may write to /dev/null at once.
        fd_ = std::move(fd);
        end_ = lineEnd_ = 0;
        buffer_.clear();
        return 0;
    }
    // One writer at a time: a file held by another run is not opened.
    if (files.Lock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return errno;
    if (existed && st.st_size > 0) {
        off_t from = st.st_size > 128 ? st.st_size - 128 : 0;
        char tail[128];
        ssize_t n = ::pread(fd.Get(), tail, static_cast<std::size_t>(st.st_size - from), from);
        if (n < 0) return errno;
        const void* eof = std::memchr(tail, 26, static_cast<std::size_t>(n));
        if (eof && files.Truncate(fd.Get(), from + (static_cast<const char*>(eof) - tail)) != 0) return errno;
        const std::size_t kept =
            eof ? static_cast<std::size_t>(static_cast<const char*>(eof) - tail) : static_cast<std::size_t>(n);
        endsInCR_ = kept > 0 && tail[kept - 1] == '\r';
    }
    const off_t end = ::lseek(fd.Get(), 0, SEEK_END);
    if (end < 0) return errno;
    fd_ = std::move(fd);
    end_ = lineEnd_ = end;
    buffer_.clear();
    return 0;
}

void ProtocolFile::Flush() {
    std::size_t done = 0;
    auto lineEndIn = [&](std::size_t upTo) {
        // The offset after the last CR LF that ends among the first upTo bytes of the buffer,
        // if any; its CR may be the last byte of the previous flush.
        for (std::size_t i = upTo; i >= 1; --i) {
            const bool crBefore = i >= 2 ? buffer_[i - 2] == '\r' : endsInCR_;
            if (buffer_[i - 1] == '\n' && crBefore) return end_ + static_cast<long long>(i);
        }
        return lineEnd_;
    };
    while (done < buffer_.size()) {
        const char* from = buffer_.data() + done;
        const std::size_t size = buffer_.size() - done;
        ssize_t n = regular_ ? engine::CurrentFileSystem().Write(fd_.Get(), from, size)
                             : WriteHoldingSigpipe(fd_.Get(), from, size);
        if (n < 0) {
            int err = errno;
            if (err == EINTR) continue;
            if (regular_) {
                // Cut the file back to its last whole line, and drop what did not reach it.
                const long long keep = lineEndIn(done);
                if (engine::CurrentFileSystem().Truncate(fd_.Get(), keep) == 0) ::lseek(fd_.Get(), keep, SEEK_SET);
                end_ = lineEnd_ = keep;
            }
            endsInCR_ = false;
            buffer_.clear();
            throw IoError("cannot write the protocol file " + path_ + ": " + std::strerror(err));
        }
        done += static_cast<std::size_t>(n);
    }
    if (buffer_.empty()) return;
    lineEnd_ = lineEndIn(buffer_.size());
    end_ += static_cast<long long>(buffer_.size());
    endsInCR_ = buffer_.back() == '\r';
    buffer_.clear();
}

void ProtocolFile::Put(std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t room = kBufferSize - buffer_.size();
        std::size_t take = bytes.size() < room ? bytes.size() : room;
        buffer_.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (buffer_.size() == kBufferSize) Flush();
    }
}

void ProtocolFile::WriteLine(std::string_view text) {
    if (!fd_) throw IoError("the protocol file is not open");
    Put(text);
    Put("\r\n");
}

void ProtocolFile::WriteLineUnchecked(std::string_view text) noexcept {
    if (!fd_) return;
    try {
        WriteLine(text);
    } catch (...) {
    }
}

void ProtocolFile::Close() noexcept {
    if (!fd_) return;
    try {
        Flush();
    } catch (...) {
    }
    fd_.Reset();
}

}  // namespace tesma::runtime

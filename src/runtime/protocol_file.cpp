#include "runtime/protocol_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/engine/files.h"
#include "platform/errors.h"

namespace tesma::runtime {

int ProtocolFile::Open(std::string_view path) {
    Close();
    path_ = std::string(path);
    const std::string disk = engine::DiskPath(path);
    if (int injected = engine::InjectedFault("protocol-open", disk)) return injected;
    int fd = ::open(disk.c_str(), O_RDWR | O_CLOEXEC);
    bool existed = fd >= 0;
    if (!existed) {
        if (errno != ENOENT) return errno;
        fd = ::open(disk.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) return errno;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return err;
    }
    // One writer at a time: a file held by another run is not opened.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        return err;
    }
    if (existed && st.st_size > 0) {
        off_t from = st.st_size > 128 ? st.st_size - 128 : 0;
        char tail[128];
        ssize_t n = ::pread(fd, tail, static_cast<std::size_t>(st.st_size - from), from);
        if (n < 0) {
            int err = errno;
            ::close(fd);
            return err;
        }
        const void* eof = std::memchr(tail, 26, static_cast<std::size_t>(n));
        if (eof && ::ftruncate(fd, from + (static_cast<const char*>(eof) - tail)) != 0) {
            int err = errno;
            ::close(fd);
            return err;
        }
    }
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0) {
        int err = errno;
        ::close(fd);
        return err;
    }
    fd_ = fd;
    end_ = lineEnd_ = end;
    buffer_.clear();
    return 0;
}

void ProtocolFile::Flush() {
    std::size_t done = 0;
    auto lineEndIn = [&](std::size_t upTo) {
        // The offset after the last CR LF among the first upTo bytes of the buffer, if any.
        for (std::size_t i = upTo; i >= 2; --i)
            if (buffer_[i - 2] == '\r' && buffer_[i - 1] == '\n') return end_ + static_cast<long long>(i);
        return lineEnd_;
    };
    while (done < buffer_.size()) {
        int injected = engine::InjectedFault("protocol-write", engine::DiskPath(path_));
        ssize_t n = injected ? -1 : ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            int err = injected ? injected : errno;
            if (err == EINTR) continue;
            // Cut the file back to its last whole line, and drop what did not reach it.
            const long long keep = lineEndIn(done);
            if (::ftruncate(fd_, keep) == 0) ::lseek(fd_, keep, SEEK_SET);
            end_ = lineEnd_ = keep;
            buffer_.clear();
            throw IoError("cannot write the protocol file " + path_ + ": " + std::strerror(err));
        }
        done += static_cast<std::size_t>(n);
    }
    lineEnd_ = lineEndIn(buffer_.size());
    end_ += static_cast<long long>(buffer_.size());
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
    if (fd_ < 0) throw IoError("the protocol file is not open");
    Put(text);
    Put("\r\n");
}

void ProtocolFile::WriteLineUnchecked(std::string_view text) noexcept {
    if (fd_ < 0) return;
    try {
        WriteLine(text);
    } catch (...) {
    }
}

void ProtocolFile::Close() noexcept {
    if (fd_ < 0) return;
    try {
        Flush();
    } catch (...) {
    }
    ::close(fd_);
    fd_ = -1;
}

}  // namespace tesma::runtime

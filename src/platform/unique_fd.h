#pragma once
// The owner of one open file descriptor: it closes the descriptor when it goes, exactly once,
// whatever path the code that opened it takes. Every descriptor the library and its tools open
// (protocol files, the run record's files, table locks, temporaries, anonymous memory files)
// lives in one of these from the moment open() returns.
#include <unistd.h>

#include <utility>

namespace tesma {

class UniqueFd {
public:
    UniqueFd() noexcept = default;
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.fd_, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }

    // Gives the descriptor up without closing it.
    [[nodiscard]] int Release() noexcept { return std::exchange(fd_, -1); }
    // Closes the descriptor held (if any) and holds `fd` instead.
    void Reset(int fd = -1) noexcept {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Closes the descriptor now and says whether close() succeeded: a write error that only
    // shows at close (a full disk on a network file system) must not pass unseen.
    bool Close() noexcept {
        if (fd_ < 0) return true;
        return ::close(std::exchange(fd_, -1)) == 0;
    }

private:
    int fd_ = -1;
};

}  // namespace tesma

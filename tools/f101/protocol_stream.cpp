#include "protocol_stream.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace tesma::f101 {

namespace {

std::string Reopened(const UniqueFd& fd) { return "/proc/self/fd/" + std::to_string(fd.Get()); }

}  // namespace

ProtocolStream::ProtocolStream(const std::string& path) : path_(path) {
    fifo_ = UniqueFd(::open(path.c_str(), O_PATH | O_CLOEXEC));
    struct stat st {};
    if (!fifo_ || ::fstat(fifo_.Get(), &st) != 0 || !S_ISFIFO(st.st_mode)) {
        fifo_.Reset();
        return;
    }
    // Signals are for the thread that runs the command: the opener starts with all of them held
    // back, so that none breaks its open.
    sigset_t all, previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    opener_ = std::thread([this] {
        int fd;
        do fd = ::open(Reopened(fifo_).c_str(), O_WRONLY | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
        held_ = UniqueFd(fd);
    });
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

ProtocolStream::~ProtocolStream() {
    if (!opener_.joinable()) return;
    // A reader of f101's own, opened without waiting, ends the opener's wait if nobody else
    // came; it reads nothing, so a reader still reading loses no byte.
    const UniqueFd wake(::open(Reopened(fifo_).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    opener_.join();
    held_.Reset();
}

}  // namespace tesma::f101

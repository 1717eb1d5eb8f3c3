#include "pty_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <stdexcept>

#include "tesma/tesmaC.h"

namespace tesma::testing {

PtyProcess::PtyProcess(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                       const std::string& stdoutPath) {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 120;
    pid_ = ::forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ < 0) throw std::runtime_error("forkpty failed");
    if (pid_ == 0) {
        ::unsetenv(TESMA_ENV_UI);  // the terminal decides, unless the test says otherwise
        for (const std::string& e : environment) ::putenv(const_cast<char*>(e.c_str()));
        if (!stdoutPath.empty()) {
            int fd = ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) ::dup2(fd, STDOUT_FILENO);
        }
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
}

PtyProcess::~PtyProcess() {
    if (status_ < 0 && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
}

void PtyProcess::ReadAvailable(int waitMs) {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return;
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0) screen_.append(buffer, static_cast<std::size_t>(n));
}

bool PtyProcess::WaitFor(const std::string& text, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (screen_.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > end) return false;
        ReadAvailable(5);
        if (Reaped()) {
            ReadAvailable(0);
            return screen_.find(text) != std::string::npos;
        }
    }
    return true;
}

bool PtyProcess::Reaped() {
    int raw = 0;
    if (status_ < 0 && ::waitpid(pid_, &raw, WNOHANG) == pid_)
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : 255;
    return status_ >= 0;
}

void PtyProcess::Type(const std::string& bytes) {
    [[maybe_unused]] auto n = ::write(master_, bytes.data(), bytes.size());
}

void PtyProcess::Signal(int sig) { ::kill(pid_, sig); }

int PtyProcess::Wait(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!Reaped()) {
        if (std::chrono::steady_clock::now() > end) return -1;
        ReadAvailable(5);
    }
    for (int i = 0; i < 50; ++i) {  // what is still on its way to the terminal
        const std::size_t before = screen_.size();
        ReadAvailable(10);
        if (screen_.size() == before) break;
    }
    return status_;
}

termios PtyProcess::Settings() const {
    termios t{};
    ::tcgetattr(master_, &t);
    return t;
}

}  // namespace tesma::testing

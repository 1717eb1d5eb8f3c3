#include "worker_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "batch_worker.h"
#include "exit_status.h"
#include "tesma/tesmaC.h"

extern char** environ;

namespace tesma::f101 {

namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::runtime_error(std::string("cannot start a worker process: ") + what + ": " + std::strerror(errno));
}

}  // namespace

WorkerProcess::WorkerProcess(const std::string& program, const std::vector<std::string>& args) {
    int input[2], results[2];
    // The folders go down a socket: a write to a worker that has gone fails, it raises no SIGPIPE.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) Fail("socketpair");
    UniqueFd inputParent(input[0]), inputChild(input[1]);
    if (::pipe2(results, O_CLOEXEC) != 0) Fail("pipe");
    UniqueFd resultsParent(results[0]), resultsChild(results[1]);

    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // The worker never draws a progress line nor waits before its first run.
    const std::string silent = std::string(TESMA_ENV_UI) + "=silent";
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, TESMA_ENV_UI "=", std::strlen(TESMA_ENV_UI) + 1) != 0) envp.push_back(*e);
    envp.push_back(const_cast<char*>(silent.c_str()));
    envp.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) Fail("fork");
    if (pid == 0) {
        // Only async-signal-safe calls from here to exec.
        ::setpgid(0, 0);
        // Dies with the batch, even when the batch is killed outright.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(kCouldNotCheck);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (const int sig : {SIGINT, SIGTERM, SIGPIPE}) ::signal(sig, SIG_DFL);
        if (::dup2(inputChild.Get(), 0) < 0 || ::dup2(output_.Fd(), 1) < 0 || ::dup2(errors_.Fd(), 2) < 0 ||
            ::dup2(resultsChild.Get(), kResultsFd) < 0)
            ::_exit(kCouldNotCheck);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    pid_ = pid;
    ::setpgid(pid, pid);  // also here, so that a signal to the group never finds it missing
    input_ = std::move(inputParent);
    results_ = std::move(resultsParent);
    ::fcntl(results_.Get(), F_SETFL, ::fcntl(results_.Get(), F_GETFL) | O_NONBLOCK);
}

WorkerProcess::~WorkerProcess() {
    if (!reaped_) Kill();
}

bool WorkerProcess::Send(const std::string& dir) {
    std::string bytes = dir;
    bytes += '\0';
    for (std::string_view rest = bytes; !rest.empty();) {
        const ssize_t n = ::send(input_.Get(), rest.data(), rest.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void WorkerProcess::CloseInput() { input_.Reset(); }

bool WorkerProcess::ReadLines(std::vector<std::string>& lines) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(results_.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (n <= 0) return false;
        partial_.append(buffer, static_cast<std::size_t>(n));
        std::size_t from = 0;
        for (std::size_t end; (end = partial_.find('\n', from)) != std::string::npos; from = end + 1)
            lines.push_back(partial_.substr(from, end - from));
        partial_.erase(0, from);
    }
}

std::string WorkerProcess::TakeOutput() { return output_.Take(); }
std::string WorkerProcess::TakeErrors() { return errors_.Take(); }

void WorkerProcess::Signal(int sig) {
    if (!reaped_) ::kill(pid_, sig);
}

void WorkerProcess::Kill() {
    if (reaped_) return;
    ::kill(pid_, SIGKILL);
    Reap();
}

int WorkerProcess::Reap() {
    while (!reaped_) {
        int raw = 0;
        const pid_t done = ::waitpid(pid_, &raw, 0);
        if (done < 0 && errno == EINTR) continue;
        reaped_ = true;
        status_ = done == pid_ ? raw : 0;
    }
    return status_;
}

std::string DescribeEnd(int status) {
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        const char* name = ::strsignal(sig);
        return "was killed by signal " + std::to_string(sig) + (name ? std::string(" (") + name + ")" : std::string());
    }
    return "ended with exit status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

}  // namespace tesma::f101

#pragma once
// A program run on a pseudo-terminal, as a user at a terminal runs it: its standard input and
// standard error are the terminal (standard output may go to a file), the test types keys,
// sends signals and reads what the terminal showed.
#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <string>
#include <vector>

namespace tesma::testing {

class PtyProcess {
public:
    // `environment`: NAME=VALUE settings added to this process's environment; `stdoutPath`:
    // where standard output goes (empty: the terminal too).
    PtyProcess(const std::vector<std::string>& args, const std::vector<std::string>& environment,
               const std::string& stdoutPath = "");
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    // Reads the terminal until it has shown `text` (UTF-8) since the start; false on timeout or exit.
    bool WaitFor(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(60));
    void Type(const std::string& bytes);
    void Signal(int sig);
    // Waits for the end: the exit status, 128 + signal for a killed program, -1 on timeout.
    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(120));
    // Everything the terminal showed.
    const std::string& Screen() const { return screen_; }
    // The terminal's settings as the program left them.
    termios Settings() const;

private:
    void ReadAvailable(int waitMs);
    bool Reaped();
    pid_t pid_ = -1;
    int master_ = -1;
    int status_ = -1;
    std::string screen_;
};

}  // namespace tesma::testing

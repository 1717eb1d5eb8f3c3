#pragma once
// One worker process of a batch, as the batch sees it (the worker's side: batch_worker.h): started
// in a process group of its own (a Ctrl-C on the terminal reaches it only through the batch),
// killed by the system when the batch dies, however it dies; handed report folders on its
// standard input; its results read from a pipe; what it prints itself kept in anonymous files
// in memory, so that nothing of it is ever left on disk.
#include <sys/types.h>

#include <string>
#include <vector>

#include "memory_file.h"
#include "platform/unique_fd.h"

namespace tesma::f101 {

class WorkerProcess {
public:
    // Starts `program` with `args` (args[0] included); std::runtime_error when it cannot.
    WorkerProcess(const std::string& program, const std::vector<std::string>& args);
    // A worker still there is killed and reaped.
    ~WorkerProcess();
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;

    // Hands it a report folder; false when it has gone.
    bool Send(const std::string& dir);
    // No more folders: it ends once the report it is on is done.
    void CloseInput();
    // The descriptor its results come on (to poll).
    int ResultsFd() const { return results_.Get(); }
    // Reads the results that have come: whole lines go to `lines`; false once the stream has
    // ended (the worker ended, or closed it).
    bool ReadLines(std::vector<std::string>& lines);
    // What it printed on its standard output and error since the last call.
    std::string TakeOutput();
    std::string TakeErrors();
    void Signal(int sig);
    // Kills it and waits for it; then Reap() gives how it ended.
    void Kill();
    // Waits for it to end; its wait status (as waitpid gives it).
    int Reap();
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = 0;
    UniqueFd input_, results_;
    reportkit::MemoryFile output_{"f101-worker-output"}, errors_{"f101-worker-errors"};
    std::string partial_;  // a results line not yet whole
};

// How a worker's wait status reads: "ended with exit status 3", "was killed by signal 11 (Segmentation fault)".
std::string DescribeEnd(int status);

}  // namespace tesma::f101

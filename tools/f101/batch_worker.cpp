#include "batch_worker.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>

#include "check_result_json.h"
#include "exit_status.h"
#include "run_host.h"
#include "stop_signals.h"

namespace tesma::f101 {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The results stream on the batch's descriptor, each line sent as soon as it is written.
class ResultPipe : public CheckSink {
public:
    void ChapterDone(const ReportResult& report, const ChapterRun& run) override {
        writer_.ChapterDone(report, run);
        Send();
    }
    void ReportDone(const ReportResult& report) override {
        // What the report's runs printed themselves goes ahead of its result, so that the batch
        // finds it beside this report and not the next.
        std::fflush(nullptr);
        std::cout.flush();
        std::cerr.flush();
        writer_.ReportDone(report);
        Send();
    }

private:
    void Send() {
        if (!WriteAll(kResultsFd, buffer_.str())) ::_exit(kCouldNotCheck);  // the batch has gone
        buffer_.str("");
    }
    std::ostringstream buffer_;
    ResultWriter writer_{buffer_};
};

// The next report folder the batch hands out; nothing at the end of the input.
std::optional<std::string> NextFolder(std::string& pending) {
    for (;;) {
        if (const std::size_t end = pending.find('\0'); end != std::string::npos) {
            std::string dir = pending.substr(0, end);
            pending.erase(0, end + 1);
            return dir;
        }
        char buffer[4096];
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;  // a stop: the folder already on its way is still checked
        if (n <= 0) return std::nullopt;
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace

int RunBatchWorker(const CheckOptions& o) {
    // The operator's stop for the life of the worker: the report under way ends as a stopped one.
    const StopSignals stop({SIGINT, SIGTERM});
    // Loaded once: each report's own load of it only counts a reference.
    std::optional<hostkit::Library> library;
    try {
        library.emplace(reportkit::LibraryPath());
    } catch (const std::exception&) {
        // Each report says it when it cannot load the library itself.
    }
    ResultPipe results;
    std::string pending;
    while (const auto dir = NextFolder(pending)) {
        CheckReport(o, *dir, results);
        if (stop.Asked()) break;
    }
    return 0;
}

}  // namespace tesma::f101

#include "host/run_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "host/finding_record.h"
#include "tesma/tesmaC.h"

namespace tesma::host {

namespace {

int OpenNamed(const char* variable) {
    const char* path = std::getenv(variable);
    if (!path || !*path) return -1;
    // Non-blocking open: a FIFO nobody reads must not hold the run up.
    return ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
}

void WriteAll(int fd, std::string_view bytes) noexcept {
    while (fd >= 0 && !bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace

RunRecord::RunRecord()
    : copy_(OpenNamed(TESMA_ENV_PROTOCOL_COPY)),
      outcome_(OpenNamed(TESMA_ENV_OUTCOME)),
      findings_(OpenNamed(TESMA_ENV_FINDINGS)) {}

RunRecord::~RunRecord() {
    if (copy_ >= 0) ::close(copy_);
    if (outcome_ >= 0) ::close(outcome_);
    if (findings_ >= 0) ::close(findings_);
}

void RunRecord::Line(std::string_view text, const runtime::LineFacts& facts) noexcept {
    try {
        if (copy_ >= 0) {
            std::string line(text);
            line += "\r\n";
            WriteAll(copy_, line);
        }
        if (findings_ >= 0) WriteAll(findings_, FindingRecord(facts));
    } catch (...) {
    }
}

void RunRecord::End(RunEnding ending) noexcept {
    constexpr std::string_view kWords[] = {TESMA_OUTCOME_FINISHED "\n", TESMA_OUTCOME_STOPPED "\n",
                                           TESMA_OUTCOME_FAILED "\n", TESMA_OUTCOME_NO_PROTOCOL "\n"};
    WriteAll(outcome_, kWords[static_cast<int>(ending)]);
}

}  // namespace tesma::host

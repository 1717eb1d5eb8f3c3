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

UniqueFd OpenNamed(const char* variable) {
    const char* path = std::getenv(variable);
    if (!path || !*path) return UniqueFd();
    // Non-blocking open: a FIFO nobody reads must not hold the run up.
    return UniqueFd(::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600));
}

void WriteAll(const UniqueFd& fd, std::string_view bytes) noexcept {
    while (fd && !bytes.empty()) {
        const ssize_t n = ::write(fd.Get(), bytes.data(), bytes.size());
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

void RunRecord::Line(std::string_view text, const runtime::LineFacts& facts) noexcept {
    try {
        if (copy_) {
            std::string line(text);
            line += "\r\n";
            WriteAll(copy_, line);
        }
        if (findings_) WriteAll(findings_, FindingRecord(facts));
    } catch (...) {
    }
}

void RunRecord::End(RunEnding ending) noexcept {
    constexpr std::string_view kWords[] = {TESMA_OUTCOME_FINISHED "\n", TESMA_OUTCOME_STOPPED "\n",
                                           TESMA_OUTCOME_FAILED "\n", TESMA_OUTCOME_NO_PROTOCOL "\n"};
    WriteAll(outcome_, kWords[static_cast<int>(ending)]);
}

}  // namespace tesma::host

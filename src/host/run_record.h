#pragma once
// What a host without a screen learns of a run besides the protocol file itself: the copy of
// the appended lines, a finding record per line, and the word saying how the call ended,
// written to the files the host names in the environment (TESMA_ENV_PROTOCOL_COPY,
// TESMA_ENV_FINDINGS and TESMA_ENV_OUTCOME of tesmaC.h, which documents them).
#include <string_view>

#include "platform/unique_fd.h"
#include "runtime/line_facts.h"

namespace tesma::host {

enum class RunEnding { Finished, Stopped, Failed, NoProtocol };

class RunRecord {
public:
    RunRecord();  // opens the files named in the environment, if any

    // A line the protocol file took (without its CR LF), and what it is about. The record is
    // made only when a host asked for it.
    void Line(std::string_view text, const runtime::LineFacts& facts) noexcept;
    void End(RunEnding ending) noexcept;

private:
    UniqueFd copy_;
    UniqueFd outcome_;
    UniqueFd findings_;
};

}  // namespace tesma::host

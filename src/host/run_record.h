#pragma once
// What a host without a screen learns of a run besides the protocol file itself: the copy of
// the appended lines and the word saying how the call ended, written to the files the host
// names in the environment (TESMA_ENV_PROTOCOL_COPY and TESMA_ENV_OUTCOME of tesmaC.h, which
// documents both).
#include <string_view>

#include "platform/unique_fd.h"

namespace tesma::host {

enum class RunEnding { Finished, Stopped, Failed, NoProtocol };

class RunRecord {
public:
    RunRecord();  // opens the files named in the environment, if any

    // A line the protocol file took (without its CR LF).
    void Line(std::string_view text) noexcept;
    void End(RunEnding ending) noexcept;

private:
    UniqueFd copy_;
    UniqueFd outcome_;
};

}  // namespace tesma::host

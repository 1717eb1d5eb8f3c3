#pragma once
// What a host without a screen learns of a run besides the protocol file itself, through two
// files it names in the environment:
//   TESMA_PROTOCOL_COPY  receives every protocol line the run appended, the same bytes
//                        (code page 1251, CR LF), so a host need not read the protocol back;
//   TESMA_OUTCOME        receives one word when the call ends: "finished", "stopped" (the
//                        operator pressed stop, before or during the run), "failed" (a failure
//                        ended the run) or "no-protocol" (the protocol file could not be opened,
//                        so nothing ran).
// Either may be a regular file or anything that can be opened for writing without waiting
// (a host typically passes /proc/self/fd/N of an anonymous memory file).
#include <string_view>

namespace tesma::host {

enum class RunEnding { Finished, Stopped, Failed, NoProtocol };

class RunRecord {
public:
    RunRecord();  // opens the files named in the environment, if any
    ~RunRecord();
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;

    // A line the protocol file took (without its CR LF).
    void Line(std::string_view text) noexcept;
    void End(RunEnding ending) noexcept;

private:
    int copy_ = -1;
    int outcome_ = -1;
};

}  // namespace tesma::host

#pragma once
// Runs the library's exports on a report folder, as a host application does, and collects what
// the run appended to the protocol, what its message boxes said and how it ended.
#include <cstdint>
#include <string>
#include <vector>

#include "finding_records.h"
#include "library.h"
#include "report_folder.h"

namespace tesma::reportkit {

struct RunRequest {
    std::int32_t tableId = 0;
    std::int32_t mode = contract::kModeControl;
    std::int32_t instance = 0;
    std::string protocol;         // UTF-8 path
    std::string overrideDir;      // UTF-8 path, may be empty
    bool discardChanges = false;  // a dry run: the library computes and checks, and writes no table back
};

enum class RunEnd { Finished, Stopped, Failed, NoProtocol };

struct RunOutcome {
    std::string appended;  // the protocol lines the run added (code page 1251, CR LF)
    // What each of those lines is about, one record per line in the same order.
    std::vector<hostkit::FindingRecord> findings;
    std::vector<std::string> messages;  // message boxes (UTF-8)
    RunEnd end = RunEnd::Finished;
};

// The library beside this program (or named by TESMA_LIB).
std::string LibraryPath();

// The lines come from the library itself as it writes them, never from reading the protocol
// file back: that file may be a terminal, /dev/null, a FIFO, or cut at an end-of-file mark.
RunOutcome RunOnFolder(hostkit::Library& lib, const ReportFolder& folder, const RunRequest& request);

}  // namespace tesma::reportkit

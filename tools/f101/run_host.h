#pragma once
// Runs the library's exports on a report folder, as a host application does, and collects what
// the run appended to the protocol and what its message boxes said.
#include <cstdint>
#include <string>
#include <vector>

#include "library.h"
#include "report_folder.h"

namespace tesma::f101 {

struct RunRequest {
    std::int32_t tableId = 0;
    std::int32_t mode = 4;
    std::int32_t instance = 0;
    std::string protocol;     // UTF-8 path
    std::string overrideDir;  // UTF-8 path, may be empty
    bool discardChanges = false;  // a dry run: the library computes and checks, and writes no table back
};

struct RunOutcome {
    std::string appended;               // the protocol bytes the run added (code page 1251)
    std::vector<std::string> messages;  // message boxes (UTF-8)
    bool protocolOpened = true;
};

// The library beside this program (or named by TESMA_LIB).
std::string LibraryPath();

RunOutcome RunOnFolder(hostkit::Library& lib, const ReportFolder& folder, const RunRequest& request);

}  // namespace tesma::f101

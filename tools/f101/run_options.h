#pragma once
// The options of the commands that run the library on a report folder (check, sort, fill):
// which report instance, the folder of the override tables, where the protocol goes and whether
// the lines print as JSON Lines; registered by one function for all of them.
#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

#include "report_folder.h"

namespace tesma::f101 {

struct RunOptions {
    std::int32_t instance = -1;  // -1: no --instance given
    std::string overrideDir;     // empty: none
    std::string protocol;        // empty: <DIR>/protocol.txt
    bool json = false;

    std::string ProtocolPath(const reportkit::ReportFolder& folder) const;
};

// What the commands say differently of the same options.
struct RunOptionTexts {
    const char* instance;       // --instance, with what a command takes when it is not given
    const char* json;           // --json: what is printed as JSON Lines
    bool withOverride = false;  // whether the command takes --override
};

void AddRunOptions(CLI::App& command, RunOptions& options, const RunOptionTexts& texts);

// --json of a command that runs the library on a report folder of its own making (the demo).
void AddJsonOption(CLI::App& command, bool& json, const char* what);

}  // namespace tesma::f101

#pragma once
#include <map>
#include <string>
#include <vector>

namespace tesma::bench {

struct InProcessRun {
    double seconds = 0;                 // wall clock, from the first worker's start to the last one's end
    std::map<std::string, long> codes;  // findings by code, "(failed runs)" for runs that met a failure
};

// The controls of chapters А..Д of every report folder, run in this program the way a host runs
// them: two processes, each loading the library once and taking every other folder.
InProcessRun RunControlsInProcess(const std::vector<std::string>& folders, const std::string& library);

}  // namespace tesma::bench

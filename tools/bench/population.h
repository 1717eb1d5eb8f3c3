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
// them: two processes, each loading the library once and taking every other folder; each report
// run on the instance f101 runs it on (the register's only instance, else the report as a whole),
// so that the two measure the same work of the library.
InProcessRun RunControlsInProcess(const std::vector<std::string>& folders, const std::string& library);

}  // namespace tesma::bench

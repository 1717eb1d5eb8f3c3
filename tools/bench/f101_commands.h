#pragma once
#include <string>
#include <vector>

namespace tesma::bench {

struct Timing {
    double seconds = 0;  // wall clock
    int status = -1;
    double cpu = 0;  // user and system time of the program and every process it waited for
};

// Runs a program (TESMA_UI=silent) with its output to a file and, when `errors` names one, its
// errors to another; the time it took and its exit status.
Timing Timed(const std::vector<std::string>& args, const std::string& output, const std::string& errors = {});

// Times f101 as an analyst runs it over the whole published population: the import of every
// institution with --regn all, then, on two copies of the same trees, the controls of every
// report run by the library in this program (RunControlsInProcess) and `f101 check --recursive`,
// with their ratio (bound 1.3) and the machine's load before and after. Returns 1 when a command
// fails or the ratio passes its bound.
int RunF101Commands(const std::string& sheets, const std::string& f101, const std::string& library);

}  // namespace tesma::bench

#pragma once
#include <string>

namespace tesma::bench {

// Times f101 as an analyst runs it over the whole published population: the import of every
// institution with --regn all, then, on two copies of the same trees, the controls of every
// report run by the library in this program (RunControlsInProcess) and `f101 check --recursive`,
// with their ratio (bound 1.3) and the machine's load before and after. Returns 1 when a command
// fails or the ratio passes its bound.
int RunF101Commands(const std::string& sheets, const std::string& f101, const std::string& library);

}  // namespace tesma::bench

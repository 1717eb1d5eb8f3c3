#pragma once
#include <string>

namespace tesma::bench {

// Times f101 as an analyst runs it over the whole published population: the import of every
// institution with --regn all, then the check of every report tree with --recursive. Prints
// the times beside their targets and the machine's load.
int RunF101Commands(const std::string& sheets, const std::string& f101);

}  // namespace tesma::bench

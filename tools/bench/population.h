#pragma once
#include <string>

namespace tesma::bench {

// Builds a report tree for every institution of the published sheets, runs the controls of the
// five chapters for each on two processes, and prints the times and the findings by code.
int RunPopulation(const std::string& sheets, const std::string& library);

}  // namespace tesma::bench

#pragma once
// Runs a program as a user would, capturing its output and exit status.
#include <string>
#include <vector>

namespace tesma::testing {

struct ProcessResult {
    int status = -1;
    std::string out, err;
};

ProcessResult RunProgram(const std::vector<std::string>& args, const std::string& environment = "");

}  // namespace tesma::testing

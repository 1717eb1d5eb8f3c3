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

// A program's output with every occurrence of a folder's path left out, to compare the output of
// runs on copies of a report in different folders.
inline std::string WithoutFolder(std::string out, const std::string& folder) {
    for (auto at = out.find(folder); at != std::string::npos; at = out.find(folder)) out.erase(at, folder.size());
    return out;
}

}  // namespace tesma::testing

#pragma once
// Failures and stops as --json records of their own, beside the protocol lines:
// {"row":null,"code":null,"severity":"failure","message":...,"file":...}, and severity "stopped"
// for a command the operator stopped, so a script never takes a cut-short run for a clean one.
#include <ostream>
#include <string>

namespace tesma::f101 {

void PrintFailureJson(std::ostream& out, const std::string& message, const std::string& file);
void PrintStopJson(std::ostream& out);

// The path a failure message names (the first word with a "/"), or empty.
std::string FileInMessage(const std::string& message);
// Whether two paths name the same file.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace tesma::f101

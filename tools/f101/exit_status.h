#pragma once
// The exit statuses of f101: what a script that runs it can tell apart.
namespace tesma::f101 {

enum ExitStatus { kClean = 0, kFindings = 1, kUsage = 2, kCouldNotCheck = 3, kStopped = 130 };

}  // namespace tesma::f101

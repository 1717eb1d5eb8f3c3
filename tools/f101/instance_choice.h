#pragma once
// Which report instance (ID_EKZ) a run works on. Never a guess: a folder whose REP_EKZ.DB holds
// several instances needs --instance, and --instance must name one the register holds, since a
// run on the wrong instance, or on none, rewrites other instances' rows. Without a register (or
// with an empty one) the chapter tables say which instance they hold.
#include <cstdint>

#include "report_folder.h"

namespace tesma::f101 {

// `given` is the --instance value, or -1 when none was given. Without it: the register's only
// instance; with no instance in the register, 0 (the report as a whole, which the library works
// on as the one instance its chapter tables hold) when the chapter tables hold rows of one
// instance at most. A refusal is a UsageError that lists the instances of the register, or
// those the chapter tables hold.
std::int32_t ChooseInstance(const reportkit::ReportFolder& folder, std::int32_t given);

}  // namespace tesma::f101

#pragma once
// Which report instance (ID_EKZ) a run works on. Never a guess: a folder whose REP_EKZ.DB holds
// several instances needs --instance, and --instance must name one the register holds, since a
// run on the wrong instance, or on none, rewrites other instances' rows.
#include <cstdint>

#include "report_folder.h"

namespace tesma::f101 {

// `given` is the --instance value, or -1 when none was given. A refusal is a UsageError that
// lists the register's instances.
std::int32_t ChooseInstance(const reportkit::ReportFolder& folder, std::int32_t given);

}  // namespace tesma::f101

#pragma once
// Report instances among the main table's rows. Several instances (one per bank or branch, a
// corrected copy among them) share the report's tables, told apart by ID_EKZ. A run for an
// instance sees only that instance's rows; a run for the report as a whole (instance 0) sees
// them all, and must never mix them.
#include <cstdint>

namespace tesma {

// The instance (ID_EKZ) of the current main row: 0 when the row carries none (blank or 0) or
// the table has no ID_EKZ column.
std::int32_t RowInstanceId();

// Called by a procedure that works on the rows of one instance, before it writes anything.
// With an instance given, the main cursor holds that instance's rows and nothing is asked.
// For the report as a whole (instance 0), the main table's rows must carry one ID_EKZ (or
// none): the run works on them, and the rows it appends carry that ID_EKZ too. Rows of several
// instances are a Failure that names the table and the instances.
void RequireOneInstance();

// The ID_EKZ a new row of the main table gets: the run's instance, or for the report as a whole
// the one instance of the table's rows (0: none). Rows of several instances: a Failure.
std::int32_t NewRowInstanceId();

}  // namespace tesma

#pragma once
// Which control procedures run for a pair (table id, mode), in their order, looked up in a
// procedure table: the library's exports look them up in the table the control procedures
// publish (controls::ProcedureTable), and the run entry runs what it is given.
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "controls/procedure_table.h"

namespace tesma::host {

using controls::Procedure;
using controls::ProcedureRow;

// The procedures of one run, in the order they run.
using RunProcedures = std::vector<std::function<void()>>;

// The procedures the table lists for the pair; none for a pair it does not list.
RunProcedures ProceduresFor(std::span<const ProcedureRow> table, std::int32_t tableId, std::int32_t mode);

// Runs the procedures; every one of them runs to its end.
void Dispatch(const RunProcedures& procedures);

// Whether the table lists anything to run for the pair.
bool FormIsChecked(std::span<const ProcedureRow> table, std::int32_t tableId, std::int32_t mode);

}  // namespace tesma::host

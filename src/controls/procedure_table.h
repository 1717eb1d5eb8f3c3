#pragma once
// The control procedures of form 101 by table: which run, and in which order, for a table in
// control mode and in sort mode. The host looks a run's procedures up here.
#include <array>
#include <cstdint>
#include <span>

#include "tesma/tesmaC.h"

namespace tesma::controls {

using Procedure = void (*)();

struct ProcedureRow {
    std::int32_t tableId;
    std::array<Procedure, 2> control;  // control mode, in this order; empty slots are null
    Procedure sort;                    // sort mode; null when the table is not sorted
};

// One row per table, in the order the tables are looked up.
std::span<const ProcedureRow> ProcedureTable();

}  // namespace tesma::controls

#pragma once
// The control procedures of form 101 by table: which run, and in which order, for a table in
// control mode and in sort mode. The host looks a run's procedures up here.
#include <array>
#include <cstdint>
#include <span>

namespace tesma::controls {

inline constexpr std::int32_t TableChapterA = 466472;
inline constexpr std::int32_t TableChapterB = 466473;
inline constexpr std::int32_t TableChapterV = 466474;
inline constexpr std::int32_t TableChapterG = 466475;
inline constexpr std::int32_t TableMessageRequisites = 474667;
inline constexpr std::int32_t TableChapterD = 583102;

using Procedure = void (*)();

struct ProcedureRow {
    std::int32_t tableId;
    std::array<Procedure, 2> control;  // control mode, in this order; empty slots are null
    Procedure sort;                    // sort mode; null when the table is not sorted
};

// One row per table, in the order the tables are looked up.
std::span<const ProcedureRow> ProcedureTable();

}  // namespace tesma::controls

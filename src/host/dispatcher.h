#pragma once
// Which control procedures run for a pair (table id, mode), in their order: looked up in the
// table that the control procedures publish.
#include <cstdint>
#include <functional>
#include <vector>

#include "controls/procedure_table.h"

namespace tesma::host {

using controls::Procedure;

std::vector<Procedure> ProceduresFor(std::int32_t tableId, std::int32_t mode);

// Runs the procedures of the pair; every one of them runs to its end.
void Dispatch(std::int32_t tableId, std::int32_t passThroughArg, std::int32_t mode);

// For tests of the run driver: while it lives, Dispatch runs these procedures for every pair
// instead of the table's.
class ScopedDispatchOverride {
public:
    explicit ScopedDispatchOverride(std::vector<std::function<void()>> procedures);
    ~ScopedDispatchOverride();
    ScopedDispatchOverride(const ScopedDispatchOverride&) = delete;
    ScopedDispatchOverride& operator=(const ScopedDispatchOverride&) = delete;
};

// Whether anything runs for the pair.
bool FormIsChecked(std::int32_t tableId, std::int32_t mode);

}  // namespace tesma::host

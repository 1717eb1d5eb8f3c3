#include "host/dispatcher.h"

#include <optional>

namespace tesma::host {

namespace {

std::optional<std::vector<std::function<void()>>>& Override() {
    static std::optional<std::vector<std::function<void()>>> procedures;
    return procedures;
}

}  // namespace

ScopedDispatchOverride::ScopedDispatchOverride(std::vector<std::function<void()>> procedures) {
    Override() = std::move(procedures);
}

ScopedDispatchOverride::~ScopedDispatchOverride() { Override().reset(); }

std::vector<Procedure> ProceduresFor(std::int32_t tableId, std::int32_t mode) {
    std::vector<Procedure> out;
    for (const controls::ProcedureRow& row : controls::ProcedureTable()) {
        if (row.tableId != tableId) continue;
        if (mode == contract::kModeControl)
            for (Procedure p : row.control)
                if (p) out.push_back(p);
        if (mode == contract::kModeSort && row.sort) out.push_back(row.sort);
        break;
    }
    return out;
}

void Dispatch(std::int32_t tableId, std::int32_t /*passThroughArg: no procedure interprets it*/, std::int32_t mode) {
    if (Override()) {
        for (auto& p : *Override()) p();
        return;
    }
    for (Procedure p : ProceduresFor(tableId, mode)) p();
}

bool FormIsChecked(std::int32_t tableId, std::int32_t mode) { return !ProceduresFor(tableId, mode).empty(); }

}  // namespace tesma::host

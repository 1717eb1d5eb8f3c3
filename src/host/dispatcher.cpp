#include "host/dispatcher.h"

#include "tesma/tesmaC.h"

namespace tesma::host {

RunProcedures ProceduresFor(std::span<const ProcedureRow> table, std::int32_t tableId, std::int32_t mode) {
    RunProcedures out;
    for (const ProcedureRow& row : table) {
        if (row.tableId != tableId) continue;
        if (mode == contract::kModeControl)
            for (Procedure p : row.control)
                if (p) out.push_back(p);
        if (mode == contract::kModeSort && row.sort) out.push_back(row.sort);
        break;
    }
    return out;
}

void Dispatch(const RunProcedures& procedures) {
    for (const auto& procedure : procedures) procedure();
}

bool FormIsChecked(std::span<const ProcedureRow> table, std::int32_t tableId, std::int32_t mode) {
    return !ProceduresFor(table, tableId, mode).empty();
}

}  // namespace tesma::host

#include "host/dispatcher.h"

#include <array>
#include <optional>

#include "controls/procedures.h"

namespace tesma::host {

namespace {

struct Row {
    std::int32_t tableId;
    std::array<Procedure, 2> control;  // in this order; empty slots are null
    Procedure sort;
};

using namespace tesma::controls;

constexpr Row kTable[] = {
    {TableChapterA, {ControlChapterA2, ControlChapterA1}, SortChapterA},
    {TableChapterB, {ControlChapterB, nullptr}, SortChapterB},
    {TableChapterV, {ControlChapterV, nullptr}, SortChapterV},
    {TableChapterG, {ControlChapterG, nullptr}, SortChapterG},
    {TableMessageRequisites, {FillReportRequisites, nullptr}, nullptr},
    {TableChapterD, {ControlChapterD, nullptr}, SortChapterD},
};

std::optional<std::vector<std::function<void()>>>& Override() {
    static std::optional<std::vector<std::function<void()>>> procedures;
    return procedures;
}

}  // namespace

ScopedDispatchOverride::ScopedDispatchOverride(std::vector<std::function<void()>> procedures) {
    Override() = std::move(procedures);
}

ScopedDispatchOverride::~ScopedDispatchOverride() {
    Override().reset();
}

std::vector<Procedure> ProceduresFor(std::int32_t tableId, std::int32_t mode) {
    std::vector<Procedure> out;
    for (const Row& row : kTable) {
        if (row.tableId != tableId) continue;
        if (mode == ModeControl)
            for (Procedure p : row.control)
                if (p) out.push_back(p);
        if (mode == ModeSort && row.sort) out.push_back(row.sort);
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

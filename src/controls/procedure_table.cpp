#include "controls/procedure_table.h"

#include "controls/procedures.h"

namespace tesma::controls {

namespace {

using namespace tesma::contract;

constexpr ProcedureRow kTable[] = {
    {.tableId = kTableChapterA, .control = {ControlChapterA2, ControlChapterA1}, .sort = SortChapterA},
    {.tableId = kTableChapterB, .control = {ControlChapterB, nullptr}, .sort = SortChapterB},
    {.tableId = kTableChapterV, .control = {ControlChapterV, nullptr}, .sort = SortChapterV},
    {.tableId = kTableChapterG, .control = {ControlChapterG, nullptr}, .sort = SortChapterG},
    {.tableId = kTableMessageRequisites, .control = {FillReportRequisites, nullptr}, .sort = nullptr},
    {.tableId = kTableChapterD, .control = {ControlChapterD, nullptr}, .sort = SortChapterD},
};

}  // namespace

std::span<const ProcedureRow> ProcedureTable() { return kTable; }

}  // namespace tesma::controls

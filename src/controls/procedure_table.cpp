#include "controls/procedure_table.h"

#include "controls/procedures.h"

namespace tesma::controls {

namespace {

constexpr ProcedureRow kTable[] = {
    {.tableId = TableChapterA, .control = {ControlChapterA2, ControlChapterA1}, .sort = SortChapterA},
    {.tableId = TableChapterB, .control = {ControlChapterB, nullptr}, .sort = SortChapterB},
    {.tableId = TableChapterV, .control = {ControlChapterV, nullptr}, .sort = SortChapterV},
    {.tableId = TableChapterG, .control = {ControlChapterG, nullptr}, .sort = SortChapterG},
    {.tableId = TableMessageRequisites, .control = {FillReportRequisites, nullptr}, .sort = nullptr},
    {.tableId = TableChapterD, .control = {ControlChapterD, nullptr}, .sort = SortChapterD},
};

}  // namespace

std::span<const ProcedureRow> ProcedureTable() { return kTable; }

}  // namespace tesma::controls

#pragma once
// The report's place on disk: dated folders per form, instances told apart by ID_EKZ, and the
// aux cursor opened on any table of this form, of another date or of another form.
#include <cstdint>
#include <string>
#include <string_view>

namespace tesma {

double ReportDate();
std::int32_t ReportInstanceId();
// Folder name of the form that owns the main table; empty when not found.
std::string CurrentFormDirName();
// The path with its rightmost "/YYYYMMDD/" component of curDate changed to newDate.
std::string ReplaceDateDir(std::string_view path, double newDate, double curDate);
// The path with its first "/oldDir/" component replaced by "/newDir/".
std::string ReplacePathDir(std::string_view path, std::string_view oldDir, std::string_view newDir);
// The nearest earlier date (within 1000 days) whose folder holds the main table for this bank
// and branch, else 0. Sets OtherInstanceId.
double PreviousReportDate();
// Opens the referenced table for `date` on the aux cursor, or leaves it closed when the table,
// its folder or its instance is not there. References: "CODE" (a table of this form by code),
// "!.FILE" (a table of this form by file name, in the override folder when there is one),
// "FORM.CODE" (a table of another form), "REP_EKZ" (the instance register).
void OpenAuxTable(std::string_view tableRef, std::string_view orderBy, std::string_view condition, double date);
// Opens on the aux cursor, in the given order, exactly the rows the main cursor holds: the main
// table of the run, limited to the run's own instance. Only when the table code names the main
// table; otherwise the aux cursor is left closed.
void OpenMainRowsOnAux(std::string_view tableCode, std::string_view orderBy);

}  // namespace tesma

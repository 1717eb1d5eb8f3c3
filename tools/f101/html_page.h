#pragma once
// The page of one checked report: who and when, the counts by chapter and severity, each
// chapter's findings grouped by code, each with its row laid out as the chapter's columns (the
// columns the rule compares marked) and the rule written out with the row's numbers, then the
// chapter's whole table with the flagged rows marked and linked both ways. Self-contained: inline
// style, no script, no file or address outside the page; printable.
#include <string>
#include <string_view>

#include "check_result.h"
#include "language.h"

namespace tesma::f101 {

// `indexLink`: the file name of the batch's index the page links back to; empty for a page of
// its own.
std::string ReportPage(const ReportResult& result, Language language, std::string_view indexLink = {});

// The style sheet every page of the check shares.
std::string_view PageStyle();

// The ids the page gives a chapter run's section, its findings (1 for the first) and its table
// rows (1 for the first), for links into it (ASCII: the chapter's Latin letter, else the run's
// position).
std::string ChapterAnchor(const ChapterRun& run, std::size_t runIndex);
std::string FindingAnchor(const ChapterRun& run, std::size_t runIndex, std::size_t finding);
std::string RowAnchor(const ChapterRun& run, std::size_t runIndex, std::size_t row);

}  // namespace tesma::f101

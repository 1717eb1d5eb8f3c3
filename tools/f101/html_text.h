#pragma once
// What the check's pages are made of: text escaped for HTML, and the words of a page in the
// language of the explanations (--lang), so that a Russian reader gets a Russian page around
// the protocol's Russian messages.
#include <string>
#include <string_view>

#include "language.h"

namespace tesma::f101 {

// Appends `text` with &, <, >, " and ' escaped (for element text and quoted attributes alike).
void AppendEscaped(std::string& out, std::string_view text);
std::string Escaped(std::string_view text);

struct PageWords {
    std::string_view lang;  // the page's lang attribute
    std::string_view title, indexTitle, regn, bank, date, instance, checkedAt, version, folder;
    std::string_view chapter, errors, warnings, failures, total, counts;
    std::string_view error, warning, failure, severity;
    std::string_view row, account, difference, rule, table, rows, findings, noFindings, reports, code;
    std::string_view previous, current, active, passive, counter, others, ofAccount;
    std::string_view onlyWithFindings, byCode, allReports, state, stopped, notRun, refused, clean, failed;
    std::string_view time, withErrors, warningsOnly, cutOff, explanation;
};

const PageWords& WordsOf(Language language);

// The word of a severity: "error", "warning", anything else a failure.
std::string_view SeverityWord(const PageWords& words, std::string_view severity);

}  // namespace tesma::f101

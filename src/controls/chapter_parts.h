#pragma once
// Parts that the balance controls and the depository control share: the reporting period, the
// total-row rule, the chart of accounts with its checks, the removal of old total rows, walks
// over aux tables and the uniqueness check.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "controls/common.h"
#include "runtime/value.h"

namespace tesma::controls {

// The reporting date D, the first day M1 of the month that holds D - 1, and whether the
// previous period's report (dated exactly M1 and found as the nearest earlier one) exists.
// DD, MM, YYYY are the texts that the messages print.
struct Period {
    double d = 0, m1 = 0;
    std::string dd, mm, yyyy;
    bool prevExists = false;
};
Period FindPeriod();

// The previous period's report, before the comparisons with it. A chapter with account rows
// of its own says W101101 when there is no such report; otherwise the report is read by
// `load` (true when it held an account row), and one without any gives W101102 and is still
// compared, as all zeros. Returns whether the comparisons run.
bool ReadPreviousReport(std::int32_t row, const Period& period, bool hasRows, const std::function<bool()>& load);

// A chapter's total rows: NBAL2 equal to the total account, or upper-cased equal to its text.
struct TotalRule {
    std::string_view account;  // "79999"
    std::string_view text;     // "79999 (ИТОГО)"
    bool IsTotal(const Value& nbal) const;
};

// The checks of an account's text before the chart: E101109 for a text that begins with no
// five digits (false: the row is not checked further), E101109 for one longer than five
// characters, and E101107 for a sign that is neither А nor П.
bool AccountIsDigits(std::int32_t row, const std::string& nbal, const std::string& acc);
void CheckAccountText(std::int32_t row, const std::string& nbal, const std::string& ap, const std::string& label,
                      bool signKnown);
// E101111: the row carries no sign at all that the control knows.
void ReportMissingSign(std::int32_t row, const std::string& nbal);

// The chart of accounts PS_WORK as the control arrays PLA_N, PL_AP, PL_RV, P_DMQY, P_END.
class Chart {
public:
    void Declare() const;
    // Reads the chart for the date in BS2_NUM order, storing the accounts `keep` accepts and
    // stopping after the first stored one above `stopAbove` (0: read it whole). Returns the
    // last account number read (0 when none).
    long double Load(double date, const std::function<bool(long double)>& keep, long double stopAbove);

    // The checks of an account row against the chart: the sign in the chart (E101107), the
    // balance rules at period ends (W101108), and the closing date (E101028, E101030).
    // `outgoingNonZero` and `outgoingTail` give the row's outgoing balance as the chapter
    // tests and prints it. An account missing from the chart gets placeholder cells first.
    struct RowFacts {
        std::int32_t row;
        long double account;
        std::string nbal, acc, label, ap;
        bool outgoingNonZero;
        std::string restTail;    // after the label in W101108
        std::string closedTail;  // after the label in E101030
        Number outgoing;         // IS_ITOG as the chapter compares it
    };
    void CheckRow(const RowFacts& r, const Period& period);
    // The chart's currency rule of an account (after CheckRow has looked it up).
    std::string CurrencyRule(long double account) { return plRv_[account]; }

private:
    ControlArray<std::string> plaN_{"PLA_N"}, plAp_{"PL_AP"}, plRv_{"PL_RV"}, pDmqy_{"P_DMQY"};
    ControlArray<double> pEnd_{"P_END"};
};

// Deletes the total rows of the main table; after a deletion the row that moved up is tested
// once more. Returns the number of rows visited.
std::int32_t RemoveTotalRows(const std::function<bool()>& currentRowIsTotal);

// Before the row checks: deletes the old total rows, the rows whose account begins with the
// total account. Two adjacent ones go at once; of three adjacent ones the third is stepped over.
// Returns the number of rows visited.
std::int32_t RemoveOldTotalRows(const TotalRule& totals);

// After the row checks, which visited `rowsChecked` rows: a chapter of just two rows may still
// hold an old total row that RemoveOldTotalRows stepped over, and its total rows (by the
// total-row rule) are deleted before the new ones are written. Returns the number of rows the
// chapter then counts: the rows visited by that deletion, or `rowsChecked` when it did not run.
std::int32_t RemoveTotalRowsLeft(std::int32_t rowsChecked, const TotalRule& totals);

// How a chapter keeps one total row of a sign, holding the sums of its account rows.
struct TotalRowKeeping {
    // Which old total row of the sign may take the sums: any total row (the balance chapters),
    // or only one whose account is the bare total account (chapter Д, where a row written as
    // the total text is an old one to delete).
    bool anyTotalRowKeeps;
    // In a table that takes no new rows (kind "F"), whose old total rows cannot be deleted:
    // every one of the sign takes the sums (the balance chapters), or only the first that may
    // keep them, the walk ending there (chapter Д).
    bool everyFixedTotalTakesSums;
    // Whether the cursor moves on past a total row appended to a chapter that had none.
    bool stepPastAppended;
};
// Writes the sums (the twelve amount fields' values, in field order) into the total row of the
// sign, after CheckRows has seen one (`seen`) or not: a chapter that saw none gets one appended,
// also to a table left empty (a table that takes no new rows gets none rather than totals
// written over an account row);
// otherwise the first old total row that may keep the sums takes them, other total rows of the
// sign go, and a chapter left without one gets one appended. Returns the rows visited.
std::int32_t KeepOneTotalRow(const TotalRule& totals, std::string_view sign, bool seen,
                             const std::array<Value, 12>& sums, const TotalRowKeeping& how);

// Walks the rows of an aux table (reference, order, date), calling `row` for each; closes it.
void ForEachAuxRow(std::string_view tableRef, std::string_view orderBy, double date, const std::function<void()>& row);

// E1010125 for each account repeated in NBAL2 order among the rows of the instance under check
// (those of the main table, `tableCode`), then E101199 when there are not two total rows.
// `countEmpty`: rows without an account count as total rows.
void CheckUniqueness(std::int32_t row, std::string_view tableCode, const TotalRule& totals, bool countEmpty);

}  // namespace tesma::controls

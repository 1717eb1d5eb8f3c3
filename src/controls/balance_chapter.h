#pragma once
// The balance control of a chapter of the turnover sheet (chapters А, Б, В, Г): each account
// row on its own, the rebuilt total rows, the chapter as a whole, accounts that vanished since
// the previous report, and unique account numbers. One procedure; the chapters differ in the
// constants below.
#include <string_view>

namespace tesma::controls {

enum class ChapterFamily {
    A,      // chapter А: an empty chapter ends after IncomingPass, previous-month checks at the
            // end, E101177 for an empty chart, rouble+currency chapter sub-checks
    Other,  // chapters Б, В, Г: previous month before the chart, W101198 for an empty
            // chapter, three chapter checks without numbers
};

struct BalanceChapter {
    ChapterFamily family;
    std::string_view procedure;  // its name in finding records (tesmaC.h)
    std::string_view header;
    std::string_view tableCode;     // "Ф_1".."Ф_4"
    std::string_view totalAccount;  // "79999"
    std::string_view totalText;     // "79999 (ИТОГО)"
    // Accounts of the chapter (IncomingPass): lower < n <= upper, or (off-balance) lower < n <
    // upper with the two special accounts 99998 and 99999.
    double lower;
    double upper;
    bool offBalance;  // chapter В
    // The chart of accounts stores accounts above `chartFrom` and stops after the first above
    // `chartStop` (never when offBalance).
    double chartFrom;
    double chartStop;
    // Chapter В keys rows by their whole account text, the others by its first five characters.
    bool wholeKey;
    // Rows of the previous report for the vanished-account check: whole account text digits
    // only (А, Б, В) or its first five characters (Г).
    bool vanishedByFirstFive;
    std::string_view rangeMessage;     // E101197, up to the "<"
    std::string_view negativeMessage;  // E101116 start
    std::string_view emptyMessage;     // W101198 (Б, В, Г)
    int sumPad;                        // width of the total in E101117..E101120
};

void ControlBalanceChapter(const BalanceChapter& chapter);

}  // namespace tesma::controls

#pragma once
// What the central bank publishes: the turnover sheets (one CSV row per account of an
// institution), the institutions' names, and the account signs observed in them (a chart of
// accounts); the report trees built from them: report_tree.h.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tesma::reportkit {

struct PublishedRow {
    std::string regn;                     // registration number, as a whole number text
    std::string plan;                     // chapter letter, UTF-8 Cyrillic
    std::string numSc;                    // account, or ITGAP for a side's total
    std::string ap;                       // "1" active, "2" passive
    std::array<std::string, 12> amounts;  // VR VV VITG ORA OVA OITGA ORP OVP OITGP IR IV IITG
    std::string date;                     // YYYY-MM-DD
};

// The rows of one institution (all when regn is empty). A malformed file or row is a
// std::runtime_error naming the file and line; the short form of the sheet (totals only) is a
// std::invalid_argument saying so.
std::vector<PublishedRow> ReadPublished(const std::string& csvPath, const std::string& regn);

// A registration number as a whole number text: " 0042" and "42.0" name institution 42; nothing
// when the text is no such number.
std::optional<std::string> RegistrationNumber(const std::string& text);

// The institutions' names by registration number, from a CSV (may be gzip-compressed) with the
// columns REGN and NAME_B, in this order, after a header line.
std::map<std::string, std::string> ReadBankNames(const std::string& csvPath);

struct ChartEntry {
    std::string account;  // five digits
    std::string sign;     // "1", "2" or "0" (either)
};
// The chart from a CSV with the columns NUM_SC and A_P (the observed account signs: "1"/"2" or
// the Cyrillic "А"/"П").
std::vector<ChartEntry> ReadChart(const std::string& csvPath);

}  // namespace tesma::reportkit

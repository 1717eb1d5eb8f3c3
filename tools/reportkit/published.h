#pragma once
// The central bank's published turnover sheets (one CSV row per account of an institution) and
// the report trees built from them: the form folder F101 and the dated folder with the five
// chapter tables, rfdef.DB, REP_EKZ.DB, the form requisites, the chart of accounts PS_WORK and
// the requisites table of the electronic report message.
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

struct ReportTreeSpec {
    std::string root;  // UTF-8: the tree goes to <root>/F101/<YYYYMMDD>/
    std::string regn;
    std::string bankName;  // UTF-8, may be empty
    std::int32_t instance = 1;
    // Each table synced to disk as it is written. A tool that writes many new trees at once
    // leaves this off and syncs the file system once at the end instead.
    bool syncEachTable = true;
};

// The dated folder <root>/F101/<YYYYMMDD> of the rows' reporting date.
std::string ReportTreeFolder(const std::string& root, const std::vector<PublishedRow>& rows);

// Report folders that import would write over: with `replace` they may go, otherwise the first
// one is a usage error (nothing is written); a folder that is no report folder is never removed.
void RefuseExistingReports(const std::vector<std::string>& trees, bool replace);
// Removes those of the folders that exist, old protocol file and all.
void RemoveOldReports(const std::vector<std::string>& trees);

// Writes the dated folder for the rows (of one institution and one date); returns its path.
std::string WriteReportTree(const ReportTreeSpec& spec, const std::vector<PublishedRow>& rows,
                            const std::vector<ChartEntry>& chart);

// The total-row text of a chapter letter (UTF-8), e.g. "79999 (ИТОГО)".
std::string TotalText(const std::string& plan);

}  // namespace tesma::reportkit

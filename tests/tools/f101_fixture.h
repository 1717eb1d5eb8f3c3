#pragma once
// f101 run as a separate process on report trees it builds from the bundled published sheets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "process.h"
#include "support/temp_dir.h"

namespace tesma::testing {

inline const std::string kF101 = TESMA_F101_PATH;
inline const std::string kSampleSheets = std::string(TESMA_TEST_DATA) + "/f101-2015-12-01-sample.csv";
inline const std::string kDemoSigns = std::string(TESMA_DEMO_DIR) + "/account-signs.csv";

inline ProcessResult RunF101(std::vector<std::string> args, const std::string& environment = "TESMA_UI=silent") {
    args.insert(args.begin(), kF101);
    return RunProgram(args, environment);
}

// The dated folder of one institution's report, with a closing "/".
inline std::string ImportInstitution(const TempDir& dir, const std::string& regn) {
    ProcessResult r =
        RunF101({"import-published", kSampleSheets, "--regn", regn, "--out", dir / regn, "--chart", kDemoSigns});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out.substr(0, r.out.find('\n'));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::size_t Count(const std::string& haystack, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size()))
        ++n;
    return n;
}

// Replaces a table of the folder by one made from CSV lines (header first).
inline void ReplaceTable(const std::string& table, const std::string& csv, const std::string& fields) {
    WriteText(table + ".csv", csv);
    ProcessResult r = RunF101({"import", table + ".csv", table, "--fields", fields, "--replace"});
    ASSERT_EQ(r.status, 0) << r.err;
}

// The lines of a text, without their line feeds.
inline std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The records of JSON Lines.
inline std::vector<nlohmann::json> JsonLines(const std::string& out) {
    std::vector<nlohmann::json> records;
    for (const std::string& line : TextLines(out)) records.push_back(nlohmann::json::parse(line));
    return records;
}

inline const std::string kChapterFields =
    "ID_EKZ:I,NBAL2:A25,A_P:A3,VX_RUB:N,VX_VAL:N,VX_ITOG:N,OB_AK_RUB:N,OB_AK_VAL:N,OB_AK_ITOG:N,OB_PAS_RUB:N,OB_PAS_"
    "VAL:N,"
    "OB_PAS_ITOG:N,IS_RUB:N,IS_VAL:N,IS_ITOG:N,NNN:I";

// The dated folder of institution 2704's report whose chapter Б is long enough to watch or stop
// in the middle: 2900 rows, each with findings.
inline std::string ImportWithLongChapterB(const TempDir& dir) {
    const std::string folder = ImportInstitution(dir, "2704");
    std::string csv =
        "ID_EKZ,NBAL2,A_P,VX_RUB,VX_VAL,VX_ITOG,OB_AK_RUB,OB_AK_VAL,OB_AK_ITOG,OB_PAS_RUB,OB_PAS_VAL,OB_PAS_ITOG,IS_"
        "RUB,IS_VAL,IS_ITOG,NNN\n";
    for (int i = 0; i < 2900; ++i)
        csv += "1," + std::to_string(80000 + i) + ",А,-5,7,1,3,-4,9,11,2,-6,8,5,1," + std::to_string(i + 1) + "\n";
    ReplaceTable(folder + "F101_2.DB", csv, kChapterFields);
    return folder;
}

}  // namespace tesma::testing

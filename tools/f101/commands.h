#pragma once
// The commands of f101. Each returns the process exit status.
#include <string>
#include <vector>

namespace tesma::f101 {

enum ExitStatus { kClean = 0, kFindings = 1, kUsage = 2, kCouldNotCheck = 3 };

struct CheckOptions {
    std::string dir;
    std::vector<std::string> chapters;  // letters; "all" for every chapter present
    std::int32_t instance = -1;  // -1: the folder's only instance, or none
    std::string overrideDir;
    std::string protocol;  // default: <dir>/protocol.txt
    bool json = false;
};

int Check(const CheckOptions& options);
int SortChapter(const std::string& dir, const std::string& chapter, std::int32_t instance, const std::string& protocol,
                bool json);
int Fill(const std::string& dir, std::int32_t instance, const std::string& protocol, bool json);
int Export(const std::string& table);
int Import(const std::string& csv, const std::string& table, const std::string& fields, bool replace);
int ImportPublished(const std::string& csv, const std::string& regn, const std::string& out, const std::string& chart,
                    const std::string& names, bool replace);
int Demo(const std::string& dir, const std::string& data, bool json);

}  // namespace tesma::f101

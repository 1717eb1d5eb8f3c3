#pragma once
// Import of many institutions' report trees from one published sheet file.
#include <string>

namespace tesma::f101 {

// "all" or a comma-separated list.
bool NamesManyInstitutions(const std::string& regn);

int ImportPublishedMany(const std::string& csv, const std::string& regn, const std::string& out,
                        const std::string& chartPath, const std::string& namesPath, bool replace);

}  // namespace tesma::f101

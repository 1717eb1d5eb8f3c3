#pragma once
// Keyed copies of tables for tests: the table restructured with its key fields first, its
// records in key order, and a primary index beside it.
#include <string>
#include <vector>

namespace tesma::testing {

// Makes the Paradox table at `path` keyed on the named fields, which move to the front in this
// order; the index (.PX beside it) gets blocks of `indexBlockSize` bytes.
void MakeKeyed(const std::string& path, const std::vector<std::string>& keyFields, int indexBlockSize = 2048);

// Rewrites a version 7 table file as a table of another file version: 0x04 (the 3.5 header
// without its second part), 0x09 (4.x) or 0x0B (5.x), whose table name takes 79 bytes.
std::string AsFileVersion(const std::string& bytes, int version);

}  // namespace tesma::testing

#pragma once
// Keyed tables for tests: keyed copies, and tables of the older file versions.
#include <string>

#include "keyed_copy.h"

namespace tesma::testing {

using reportkit::MakeKeyed;

// Rewrites a version 7 table file as a table of another file version: 0x04 (the 3.5 header
// without its second part), 0x09 (4.x) or 0x0B (5.x), whose table name takes 79 bytes.
std::string AsFileVersion(const std::string& bytes, int version);

}  // namespace tesma::testing

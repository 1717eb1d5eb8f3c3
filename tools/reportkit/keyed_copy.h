#pragma once
// Keyed copies of report tables, as a host that keys its tables has them: the key fields first,
// the records in key order, a primary index beside the table. Used by the benchmark and the
// tests to run the library on keyed reports.
#include <string>
#include <vector>

namespace tesma::reportkit {

// Makes the Paradox table at `path` (code page 1251 path) keyed on the named fields, which move
// to the front in this order; the index (.PX beside it) gets blocks of `indexBlockSize` bytes.
// A duplicate key is an EngineError and leaves the table as it was.
void MakeKeyed(const std::string& path, const std::vector<std::string>& keyFields, int indexBlockSize = 2048);

}  // namespace tesma::reportkit

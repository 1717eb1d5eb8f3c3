#pragma once
// Writing keyed Paradox tables: the files beside the table that must change with it, and the
// key order of its records.
#include <string>

#include "platform/engine/primary_index.h"
#include "platform/engine/table_file.h"

namespace tesma::engine {

// Before the first change of a keyed table: finds its primary index beside it and checks it
// against the table as read, and refuses a table that has secondary indexes (.Xnn, .Ynn and
// the files of composite indexes), which this library does not rebuild. Each failure is an
// EngineError naming the file concerned.
PrimaryIndexFile OpenKeyedTableForWriting(const std::string& tableDiskPath, const TableFile& table);

// Puts the records in key order; a key that occurs twice is an EngineError naming the table
// and the key.
void SortByKey(TableFile& table);

}  // namespace tesma::engine

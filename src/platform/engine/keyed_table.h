#pragma once
// Writing Paradox tables with the files beside them: the primary index of a keyed table, which
// is derived data and is rebuilt from the table whenever the index found is not the table's
// own, the secondary indexes this library does not rebuild, and the key order of the records.
#include <optional>
#include <string>
#include <vector>

#include "platform/engine/primary_index.h"
#include "platform/engine/table_file.h"

namespace tesma::engine {

// What writing a table back involves besides its own file, found while its records are as read
// (before its first change).
struct WritePlan {
    // Why the table must not be written; empty when it may be. A refusal concerns writing only:
    // the table reads as usual.
    std::string refusal;
    // Keyed tables that may be written: the index written with them (its header, block size and
    // file).
    std::optional<PrimaryIndexFile> index;
    // Why the index found beside the table is not the table's own (missing, damaged, or another
    // table's, as a crash between the renames of a commit may leave it); empty when it is. Such
    // an index is rebuilt from the table, which is then known to be sound (IndexSourceFault).
    std::string staleIndex;
};

// Looks at the files beside a table before its first change: refuses a table that has secondary
// indexes (.Xnn, .Ynn and the files of composite indexes), which this library does not rebuild,
// and finds the primary index of a keyed table and checks it against the table as read.
// Failures go into the plan, never into an exception, so that a run that writes nothing (a dry
// run) can still read the table.
WritePlan PlanTableWrite(const std::string& tableDiskPath, const TableFile& table);

// Why a keyed table as read cannot be the source of its primary index: a header whose record
// count differs from its blocks, records out of key order, a key held twice. Empty for a sound
// table. An index is derived only from a sound table: a table that fails here may itself be the
// damaged one, and it is never rewritten on a guess.
std::string IndexSourceFault(const TableFile& table);

// Puts the records in key order; a key that occurs twice is an EngineError naming the table
// and the key.
void SortByKey(TableFile& table);

// The primary index of the keyed table at `path` (code page 1251), rebuilt from the table as it
// is, on purpose: the table held for writing meanwhile, checked sound (IndexSourceFault), its
// data blocks indexed where they lie; the table file itself is not changed. A table without a
// key, or one that is not sound, is an EngineError naming it, and nothing changes.
struct RebuiltIndex {
    std::string indexPath;  // code page 1251
    std::size_t records = 0;
    int levels = 0;
    std::string before;  // what was wrong with the old index; empty when it was the table's own
};
RebuiltIndex RebuildPrimaryIndex(const std::string& path);

// Removes the primary and secondary index files beside the table at `path` (code page 1251),
// once the table has been replaced by one without a key (an import over it): they index a table
// that is no longer there, and a primary index beside an unkeyed table would make it look keyed
// to other programs. Returns the files removed; one that cannot be removed is an IoError.
std::vector<std::string> RemoveIndexesOfReplacedTable(const std::string& path);

}  // namespace tesma::engine

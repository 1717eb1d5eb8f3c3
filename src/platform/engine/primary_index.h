#pragma once
// The primary index (.PX) of a keyed Paradox table: one entry per data block holding the key of
// the block's first record, the block's number and its record count; entries are gathered into
// index blocks, and each higher level holds one entry per block of the level below, up to a
// single root block.
#include <string>
#include <string_view>

#include "platform/engine/key_order.h"
#include "platform/engine/table_file.h"

namespace tesma::engine {

struct PrimaryIndexFile {
    std::string diskPath;
    std::string path;    // as shown in messages (code page 1251)
    std::string header;  // the header block as read, kept but for the counts a rewrite changes
    int blockSize = 0;
};

// Reads an index file and checks it against its table as read: the index must describe exactly
// the table's data blocks, in chain order, with their first keys and record counts. A damaged
// index, or one that belongs to another table, is an EngineError naming the index file.
PrimaryIndexFile CheckPrimaryIndex(std::string_view bytes, const std::string& path, const TableFile& table);

// The header of a new, empty index for a keyed table, with index blocks of `blockSize` bytes.
PrimaryIndexFile NewPrimaryIndex(const TableFile& table, const std::string& path, int blockSize);

// The complete index file for a table as SerializeParadox lays it out: records in key order,
// data blocks filled in turn and chained from block 1. The root is block 1, the levels below
// it follow down to the level over the data blocks, all index blocks in one chain.
std::string BuildPrimaryIndex(const PrimaryIndexFile& index, const TableFile& table);

// The complete index file for a table as it was read: its data blocks where they lie, in chain
// order (records in key order along the chain).
std::string BuildPrimaryIndexOfBlocks(const PrimaryIndexFile& index, const TableFile& table);

}  // namespace tesma::engine

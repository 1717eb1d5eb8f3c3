#pragma once
// Byte-level layout shared by the Paradox table (.DB) and primary index (.PX) files: the header
// offsets both kinds of file use, the block head, and the integer codecs. Headers and block
// heads are little-endian; values inside records and index entries are big-endian with the
// sign bit flipped, so that their bytes sort as the numbers do.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tesma::engine::layout {

// Header offsets, common to tables and index files.
constexpr int kRecordSize = 0x00, kHeaderSize = 0x02, kFileType = 0x04, kBlockSizeCode = 0x05, kNumRecords = 0x06,
              kBlocksInUse = 0x0A, kFileBlocks = 0x0C, kFirstBlock = 0x0E, kLastBlock = 0x10, kIndexRoot = 0x1E,
              kIndexLevels = 0x20, kNumFields = 0x21, kKeyFields = 0x23, kEncryption1 = 0x25, kSortOrder = 0x29,
              kChangeCount1 = 0x2D, kFileVersion = 0x39, kMaxBlocks = 0x3A, kAutoInc = 0x49, kFirstFreeBlock = 0x4D;
// The second header part of tables from version 4.0 on.
constexpr int kEncryption2 = 0x5C, kUpdateTime = 0x60, kChangeCount4 = 0x70;
// Field descriptors: at 0x58 in index files and old tables, at 0x78 in tables from 4.0 on.
constexpr std::size_t kOldFieldInfo = 0x58, kFieldInfo = 0x78;
constexpr int kBlockHeader = 6;  // next block, previous block, offset of the last record

// File types.
constexpr unsigned kKeyedTable = 0, kPrimaryIndex = 1, kUnkeyedTable = 2;

inline unsigned U16(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}
inline std::uint32_t U32(std::string_view b, std::size_t at) {
    return U16(b, at) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}
inline void Put16(std::string& b, std::size_t at, unsigned v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// The header counts of a file whose blocks 1..blocks form one chain laid out anew in order,
// holding `records` records (index entries in an index file), with no free block.
inline void PutFreshBlockChain(std::string& header, std::uint32_t records, unsigned blocks) {
    Put32(header, kNumRecords, records);
    Put16(header, kBlocksInUse, blocks);
    Put16(header, kFileBlocks, blocks);
    Put16(header, kFirstBlock, blocks ? 1 : 0);
    Put16(header, kLastBlock, blocks);
    Put16(header, kFirstFreeBlock, 0);
    if (U16(header, kMaxBlocks) < blocks) Put16(header, kMaxBlocks, blocks);
}

// A 16-bit number inside an index entry: big-endian, sign bit flipped.
inline unsigned EntryShort(std::string_view b, std::size_t at) {
    return ((static_cast<unsigned char>(b[at]) << 8) | static_cast<unsigned char>(b[at + 1])) ^ 0x8000u;
}
inline void PutEntryShort(std::string& b, std::size_t at, unsigned v) {
    v ^= 0x8000u;
    b[at] = static_cast<char>((v >> 8) & 0xFF);
    b[at + 1] = static_cast<char>(v & 0xFF);
}

// Records in a block whose head holds this "offset of the last record"; -1 when invalid.
inline long RecordsInBlock(unsigned lastOffset, int recordSize) {
    const auto last = static_cast<std::int16_t>(lastOffset);
    if (last < 0) return last == -recordSize ? 0 : -1;
    if (last % recordSize != 0) return -1;
    return last / recordSize + 1;
}

}  // namespace tesma::engine::layout

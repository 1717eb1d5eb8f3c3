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

// The header of a table (.DB) or primary index (.PX) file, as this engine reads and writes it.
// Multi-byte numbers are little-endian; "ptr" marks a pointer the writing program kept in memory,
// which readers ignore.
//
//   offset  size  name                 what it holds
//   0x00    2     kRecordSize          bytes of one record (an index entry in a .PX)
//   0x02    2     kHeaderSize          bytes before the first block (a multiple of 0x800)
//   0x04    1     kFileType            kKeyedTable, kPrimaryIndex or kUnkeyedTable
//   0x05    1     kBlockSizeCode       block size in KiB (1..32)
//   0x06    4     kNumRecords          records (index entries)
//   0x0A    2     kBlocksInUse         blocks in the chain
//   0x0C    2     kFileBlocks          blocks in the file
//   0x0E    2     kFirstBlock          first block of the chain, 0 when none
//   0x10    2     kLastBlock           last block of the chain
//   0x1E    2     kIndexRoot           .PX: the root block of the index tree
//   0x20    1     kIndexLevels         .PX: levels of the tree
//   0x21    2     kNumFields           fields (key fields in a .PX)
//   0x23    2     kKeyFields           leading fields that form the primary key
//   0x25    4     kEncryption1         0, or 0xFF00FF00 when kEncryption2 says it
//   0x29    1     kSortOrder           code of the sort order of the texts
//   0x2D    1     kChangeCount1        bumped at every change of the table
//   0x2E    1     kChangeCount2
//   0x30    4     kTableNamePointer    ptr: where the table name's pointer lies
//   0x34    4     kFieldInfoPointer    ptr: the field descriptors
//   0x39    1     kFileVersion         3 (3.0), 4 (3.5), 5..9 (4.x), 10..11 (5.x), 12 (7.x)
//   0x3A    2     kMaxBlocks           blocks the file may grow to before it is reorganised
//   0x3E    2     kWriterFlags         set by the writing program (0x1F 0x0F in a new table)
//   0x49    4     kAutoInc             the last value handed out to an auto-increment field
//   0x4D    2     kFirstFreeBlock      first block of the free chain, 0 when none
//   0x51    2     kHeaderBytesUsed     bytes of the header in use
//   0x56    1     kWriterFlag56        set by the writing program (0x20 in a new table)
//   0x58    ...   kOldFieldInfo        field descriptors: in index files and tables before 4.0
// Tables from version 4.0 on carry a second part:
//   0x58    2     kFileVersionId3      0x010C in a new table
//   0x5A    2     kFileVersionId4      0x010C in a new table
//   0x5C    4     kEncryption2         the encryption word, when kEncryption1 is 0xFF00FF00
//   0x60    4     kUpdateTime          time of the last change, seconds since 1970 (version 12)
//   0x64    2     kHighestFieldId      the number of fields + 1
//   0x6A    2     kCodePage            code page of the texts (1251)
//   0x6C    2     kWriterFlags6C       set by the writing program (1, 1 in a new table)
//   0x70    2     kChangeCount4        bumped at every change of the table
//   0x78    ...   kFieldInfo           field descriptors
//
// After the field descriptors (two bytes each: type code, size) come a pointer to the table
// name, a pointer per field name, the table name (kOldTableNameLength bytes, or
// kTableNameLength from version 12 on), the field names (each ending in a zero byte), a number
// per field and the name of the sort order.
//
// A block starts with its head: the next block of the chain (0 at its end), the previous one,
// and the offset of its last record from the end of the head (-recordSize when it holds none).
constexpr int kRecordSize = 0x00, kHeaderSize = 0x02, kFileType = 0x04, kBlockSizeCode = 0x05, kNumRecords = 0x06,
              kBlocksInUse = 0x0A, kFileBlocks = 0x0C, kFirstBlock = 0x0E, kLastBlock = 0x10, kIndexRoot = 0x1E,
              kIndexLevels = 0x20, kNumFields = 0x21, kKeyFields = 0x23, kEncryption1 = 0x25, kSortOrder = 0x29,
              kChangeCount1 = 0x2D, kChangeCount2 = 0x2E, kTableNamePointer = 0x30, kFieldInfoPointer = 0x34,
              kFileVersion = 0x39, kMaxBlocks = 0x3A, kWriterFlags = 0x3E, kAutoInc = 0x49, kFirstFreeBlock = 0x4D,
              kHeaderBytesUsed = 0x51, kWriterFlag56 = 0x56;
constexpr int kFileVersionId3 = 0x58, kFileVersionId4 = 0x5A, kEncryption2 = 0x5C, kUpdateTime = 0x60,
              kHighestFieldId = 0x64, kCodePage = 0x6A, kWriterFlags6C = 0x6C, kChangeCount4 = 0x70;
constexpr std::size_t kOldFieldInfo = 0x58, kFieldInfo = 0x78;
constexpr std::size_t kOldTableNameLength = 79, kTableNameLength = 261;
// The block head.
constexpr int kBlockNext = 0, kBlockPrevious = 2, kBlockLastOffset = 4, kBlockHeader = 6;
// Headers are laid out in units of this size.
constexpr std::size_t kHeaderUnit = 0x800;

// File types.
constexpr unsigned kKeyedTable = 0, kPrimaryIndex = 1, kUnkeyedTable = 2;

// File versions from which a part of the format changes.
constexpr unsigned kVersion3 = 3;     // the oldest version read
constexpr unsigned kVersion4 = 5;     // the second header part, descriptors at kFieldInfo
constexpr unsigned kVersion7 = 0x0C;  // the long table name, the update time in seconds
constexpr unsigned kNewestVersion = kVersion7;

// The encryption word of a table that is not encrypted, besides 0.
constexpr std::uint32_t kNotEncrypted = 0xFF00FF00;

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

#pragma once
// A table file held in memory: its fields, its raw records and, for Paradox files, the header
// bytes, so that writing it back changes only what the records need.
#include <string>
#include <vector>

#include "platform/engine/cell.h"

namespace tesma::engine {

enum class TableFormat { Paradox, DBase };

// A data block of a Paradox table as read: its number in the file and its records.
struct DataBlock {
    unsigned number = 0;
    std::size_t first = 0;  // index of its first record in `records`
    std::size_t count = 0;
};

struct TableFile {
    TableFormat format = TableFormat::Paradox;
    std::string path;  // as named by the caller (code page 1251)
    std::vector<FieldDef> fields;
    int recordSize = 0;
    std::vector<std::string> records;  // raw record bytes, in table order
    std::string header;                // Paradox: the header block, kept byte for byte
    bool keyed = false;                // Paradox: the table has a primary key
    int keyFields = 0;                 // Paradox: the first fields that form the key
    std::string sortOrder;             // Paradox: the name of the texts' sort order
    std::vector<DataBlock> blocks;     // Paradox: the data blocks as read, in chain order
    std::string blobFile;              // Paradox: the .MB file beside the table, when read
    int blockSize = 2048;              // Paradox: data block size
    bool dbaseIsDos866 = false;        // dBASE: text fields are in code page 866

    int FieldIndex(std::string_view name) const;  // ASCII case-insensitive; -1 when absent
    Cell Get(std::size_t record, int field) const { return Decode(records[record].data(), field); }
    Cell Decode(const char* record, int field) const;  // from a record's bytes
    void Set(std::string& record, int field, const Cell& value) const;
    std::string BlankRecord() const { return std::string(static_cast<std::size_t>(recordSize), '\0'); }
};

}  // namespace tesma::engine

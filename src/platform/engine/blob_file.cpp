#include "platform/engine/blob_file.h"

#include "platform/engine/files.h"
#include "platform/engine/paradox_layout.h"
#include "platform/errors.h"

namespace tesma::engine {

using namespace layout;

namespace {

// Blocks of the .MB file: a single text in a block of its own, or up to 64 small texts in a
// block of 4 KiB whose table of 5-byte entries (at 12 + 5 * index) gives each one's place.
constexpr unsigned char kSingleBlob = 2, kSubAllocated = 3;
constexpr std::size_t kSingleHead = 9, kEntryTable = 12, kEntrySize = 5;

}  // namespace

std::string BlobFilePath(const std::string& tablePath) {
    const auto dot = tablePath.find_last_of('.');
    const auto slash = tablePath.find_last_of('/');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? tablePath.substr(0, dot) : tablePath) + ".MB";
}

bool HasBlobFields(const TableFile& table) {
    for (const auto& f : table.fields)
        if (f.type == FieldType::Memo || f.type == FieldType::FormattedMemo || f.type == FieldType::Binary ||
            f.type == FieldType::Ole || f.type == FieldType::Graphic)
            return true;
    return false;
}

void ReadBlobFileBeside(TableFile& table, const std::string& tablePath) {
    if (table.format != TableFormat::Paradox || !HasBlobFields(table)) return;
    const std::string blobs = BlobFilePath(tablePath);
    if (auto mb = FindFile(blobs)) table.blobFile = ReadWholeFile(*mb, blobs);
}

Cell ReadMemo(const TableFile& table, const FieldDef& field, const char* bytes) {
    const std::size_t leader = static_cast<std::size_t>(field.size) - 10;
    const std::string_view tail(bytes + leader, 10);
    const std::uint32_t where = U32(tail, 0), length = U32(tail, 4);
    if (length == 0) return Cell::Blank();
    if (length <= leader) return Cell::Text(std::string(bytes, length));

    auto damaged = [&](const std::string& what) -> EngineError {
        return EngineError("the memo of field " + field.name + " of table " + table.path + " cannot be read from " +
                           BlobFilePath(table.path) + ": " + what);
    };
    const std::string_view mb(table.blobFile);
    if (mb.empty()) throw damaged("the file is missing or empty");
    const std::size_t block = where & 0xFFFFFF00u, index = where & 0xFFu;
    if (block == 0 || block + kEntryTable + kEntrySize * 64 > mb.size())
        throw damaged("it points beyond the end of the file");
    const auto type = static_cast<unsigned char>(mb[block]);
    std::size_t start = 0;
    if (index == 0xFF) {
        if (type != kSingleBlob || U32(mb, block + 3) != length) throw damaged("the block does not hold the text");
        start = block + kSingleHead;
    } else {
        if (type != kSubAllocated || index >= 64) throw damaged("the block does not hold the text");
        const std::size_t entry = block + kEntryTable + index * kEntrySize;
        const std::size_t chunks = static_cast<unsigned char>(mb[entry + 1]);
        const std::size_t lastChunk = static_cast<unsigned char>(mb[entry + 4]);
        if (chunks == 0 || (chunks - 1) * 16 + lastChunk != length) throw damaged("the block does not hold the text");
        start = block + static_cast<unsigned char>(mb[entry]) * std::size_t{16};
    }
    if (start + length > mb.size()) throw damaged("the text runs beyond the end of the file");
    return Cell::Text(std::string(mb.substr(start, length)));
}

}  // namespace tesma::engine

#include "platform/engine/primary_index.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "platform/engine/paradox_layout.h"
#include "platform/errors.h"

namespace tesma::engine {

using namespace layout;

namespace {

constexpr int kMaxLevels = 16;

// The record count an entry carries; the field holds at most 0xFFFF.
unsigned CountField(std::size_t n) { return static_cast<unsigned>(std::min<std::size_t>(n, 0xFFFF)); }

class IndexCheck {
public:
    IndexCheck(std::string_view bytes, const std::string& path, const TableFile& table)
        : bytes_(bytes), path_(path), table_(table), order_(table) {}

    PrimaryIndexFile Run() {
        if (bytes_.size() < kOldFieldInfo) Damaged("the file is shorter than an index header");
        const unsigned headerSize = U16(bytes_, kHeaderSize);
        const unsigned blockCode = static_cast<unsigned char>(bytes_[kBlockSizeCode]);
        if (static_cast<unsigned char>(bytes_[kFileType]) != kPrimaryIndex) Damaged("it is not a primary index file");
        if (headerSize < kOldFieldInfo || headerSize > bytes_.size()) Damaged("invalid header size");
        if (blockCode < 1 || blockCode > 32) Damaged("invalid block size");
        if (U32(bytes_, kEncryption1) != 0)
            throw EngineError("primary index " + path_ + " is encrypted; encrypted tables are not supported");
        const unsigned numFields = U16(bytes_, kNumFields);
        if (numFields != static_cast<unsigned>(table_.keyFields))
            Foreign("it indexes " + std::to_string(numFields) + " fields, the table's key has " +
                    std::to_string(table_.keyFields));
        // The key fields' descriptors must be the table's own.
        const std::size_t tableInfo =
            static_cast<unsigned char>(table_.header[kFileVersion]) >= 5 ? kFieldInfo : kOldFieldInfo;
        if (kOldFieldInfo + numFields * 2 > headerSize) Damaged("field descriptors beyond the header");
        for (unsigned i = 0; i < numFields; ++i)
            if (bytes_.substr(kOldFieldInfo + i * 2, 2) != std::string_view(table_.header).substr(tableInfo + i * 2, 2))
                Foreign("its key field " + std::to_string(i + 1) + " differs from the table's field " +
                        table_.fields[i].name);
        entrySize_ = order_.KeySize() + 6;
        if (U16(bytes_, kRecordSize) != entrySize_) Damaged("the entry size does not fit the key");
        headerSize_ = headerSize;
        blockSize_ = static_cast<std::size_t>(blockCode) * 1024;
        capacity_ = (blockSize_ - kBlockHeader) / entrySize_;
        if (capacity_ < 2) Damaged("index blocks too small for its keys");
        fileBlocks_ = (bytes_.size() - headerSize) / blockSize_;

        for (const DataBlock& b : table_.blocks)
            if (b.count > 0) dataBlocks_[b.number] = &b;
        const unsigned root = U16(bytes_, kIndexRoot);
        const unsigned levels = static_cast<unsigned char>(bytes_[kIndexLevels]);
        if (table_.records.empty() && (root == 0 || fileBlocks_ == 0)) return Result();
        if (levels < 1 || levels > kMaxLevels) Damaged("invalid number of index levels " + std::to_string(levels));
        const Visited top = Visit(root, static_cast<int>(levels));
        if (referenced_.size() != dataBlocks_.size())
            Foreign("it indexes " + std::to_string(referenced_.size()) + " of the table's " +
                    std::to_string(dataBlocks_.size()) + " data blocks");
        if (top.count != CountField(table_.records.size()))
            Foreign("it counts " + std::to_string(top.count) + " records, the table holds " +
                    std::to_string(table_.records.size()));
        // The blocks in index order must be the blocks in chain order.
        std::size_t i = 0;
        for (const DataBlock& b : table_.blocks)
            if (b.count > 0 && referenced_[i++] != b.number)
                Foreign("its order of data blocks differs from the table's chain at block " + std::to_string(b.number));
        return Result();
    }

private:
    struct Visited {
        const char* firstKey = nullptr;
        unsigned count = 0;
    };

    [[noreturn]] void Damaged(const std::string& what) const {
        throw EngineError("primary index " + path_ + " is damaged: " + what);
    }
    [[noreturn]] void Foreign(const std::string& what) const {
        throw EngineError("primary index " + path_ + " does not belong to table " + table_.path + ": " + what);
    }

    PrimaryIndexFile Result() const {
        PrimaryIndexFile f;
        f.path = path_;
        f.header.assign(bytes_.substr(0, U16(bytes_, kHeaderSize)));
        f.blockSize = static_cast<int>(static_cast<unsigned char>(bytes_[kBlockSizeCode])) * 1024;
        return f;
    }

    Visited Visit(unsigned block, int level) {
        const std::string where = "index block " + std::to_string(block);
        if (block < 1 || block > fileBlocks_) Damaged(where + " lies beyond the end of the file");
        if (!seen_.insert(block).second) Damaged(where + " is reached twice");
        const std::size_t start = headerSize_ + (block - 1) * blockSize_;
        const long count = RecordsInBlock(U16(bytes_, start + 4), static_cast<int>(entrySize_));
        if (count <= 0 || static_cast<std::size_t>(count) > capacity_) Damaged(where + " has an invalid entry count");
        Visited result;
        std::size_t total = 0;
        for (long e = 0; e < count; ++e) {
            const char* entry = bytes_.data() + start + kBlockHeader + static_cast<std::size_t>(e) * entrySize_;
            const std::string_view tail(entry + order_.KeySize(), 6);
            const unsigned child = EntryShort(tail, 0), records = EntryShort(tail, 2);
            if (e == 0)
                result.firstKey = entry;
            else if (order_.Compare(entry - entrySize_, entry) >= 0)
                Damaged(where + " holds its keys out of order");
            if (level == 1) {
                auto it = dataBlocks_.find(child);
                if (it == dataBlocks_.end())
                    Foreign(where + " refers to data block " + std::to_string(child) +
                            ", which holds no records of the table");
                if (std::find(referenced_.begin(), referenced_.end(), child) != referenced_.end())
                    Damaged("data block " + std::to_string(child) + " is indexed twice");
                referenced_.push_back(child);
                const DataBlock& data = *it->second;
                if (records != CountField(data.count))
                    Foreign("data block " + std::to_string(child) + " holds " + std::to_string(data.count) +
                            " records, the index says " + std::to_string(records));
                if (std::memcmp(entry, table_.records[data.first].data(), order_.KeySize()) != 0)
                    Foreign("the first key of data block " + std::to_string(child) + " differs from the index");
            } else {
                const Visited below = Visit(child, level - 1);
                if (records != below.count)
                    Damaged(where + " counts " + std::to_string(records) + " records below an entry that holds " +
                            std::to_string(below.count));
                if (std::memcmp(entry, below.firstKey, order_.KeySize()) != 0)
                    Damaged(where + " does not hold the first key of the block below");
            }
            total += records;
        }
        result.count = CountField(total);
        return result;
    }

    std::string_view bytes_;
    const std::string& path_;
    const TableFile& table_;
    KeyOrder order_;
    std::size_t entrySize_ = 0, headerSize_ = 0, blockSize_ = 0, capacity_ = 0, fileBlocks_ = 0;
    std::map<unsigned, const DataBlock*> dataBlocks_;
    std::vector<unsigned> referenced_;  // data blocks in index order
    std::set<unsigned> seen_;
};

struct Entry {
    std::string_view key;
    std::size_t count = 0;
    unsigned dataBlock = 0;  // level 1: the data block the entry stands for
};

}  // namespace

PrimaryIndexFile CheckPrimaryIndex(std::string_view bytes, const std::string& path, const TableFile& table) {
    return IndexCheck(bytes, path, table).Run();
}

PrimaryIndexFile NewPrimaryIndex(const TableFile& table, const std::string& path, int blockSize) {
    const KeyOrder order(table);
    const std::size_t tableInfo =
        static_cast<unsigned char>(table.header[kFileVersion]) >= kVersion4 ? kFieldInfo : kOldFieldInfo;
    const auto keyFields = static_cast<std::size_t>(table.keyFields);
    std::string h(kHeaderUnit, '\0');
    Put16(h, kRecordSize, static_cast<unsigned>(order.KeySize() + 6));
    Put16(h, kHeaderSize, kHeaderUnit);
    h[kFileType] = static_cast<char>(kPrimaryIndex);
    h[kBlockSizeCode] = static_cast<char>(blockSize / 1024);
    Put16(h, kNumFields, static_cast<unsigned>(keyFields));
    h[kSortOrder] = table.header[kSortOrder];
    h[kFileVersion] = table.header[kFileVersion];
    h.replace(kOldFieldInfo, keyFields * 2, table.header, tableInfo, keyFields * 2);
    // The field descriptors are followed by a (run-time) pointer and the index's own name.
    const std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    const std::size_t nameLength = kOldTableNameLength - 1;  // and its zero byte
    h.replace(kOldFieldInfo + keyFields * 2 + 4, std::min(name.size(), nameLength), name, 0, nameLength);
    PrimaryIndexFile f;
    f.path = path;
    f.header = std::move(h);
    f.blockSize = blockSize;
    return f;
}

namespace {

// The index file over these level-1 entries (one per data block, in chain order).
std::string BuildIndex(const PrimaryIndexFile& index, const TableFile& table, std::vector<Entry> dataEntries) {
    const KeyOrder order(table);
    const std::size_t keySize = order.KeySize(), entrySize = keySize + 6;
    const std::size_t blockSize = static_cast<std::size_t>(index.blockSize);
    const std::size_t capacity = (blockSize - kBlockHeader) / entrySize;

    // Level 1: one entry per data block; each level above: one entry per block below.
    std::vector<std::vector<Entry>> levels(1, std::move(dataEntries));
    while (levels.back().size() > capacity) {
        if (capacity < 2 || levels.size() == kMaxLevels)
            throw EngineError("the keys of table " + table.path + " are too long for the index blocks of " +
                              index.path);
        std::vector<Entry> above;
        const auto& below = levels.back();
        for (std::size_t i = 0; i < below.size(); i += capacity) {
            Entry e{below[i].key, 0, 0};
            for (std::size_t j = i; j < std::min(below.size(), i + capacity); ++j) e.count += below[j].count;
            above.push_back(e);
        }
        levels.push_back(std::move(above));
    }
    // Blocks are numbered from the root down: the root is block 1, then each lower level.
    std::vector<std::size_t> blocksOf(levels.size()), firstBlockOf(levels.size());
    std::size_t totalBlocks = 0, totalEntries = 0;
    for (std::size_t l = levels.size(); l-- > 0;) {
        blocksOf[l] = (levels[l].size() + capacity - 1) / capacity;
        firstBlockOf[l] = totalBlocks + 1;
        totalBlocks += blocksOf[l];
        totalEntries += levels[l].size();
    }
    if (totalBlocks > 0xFFFF)
        throw EngineError("primary index " + index.path + " would be too large for its block size");

    std::string out = index.header;
    out.reserve(out.size() + totalBlocks * blockSize);
    for (std::size_t l = levels.size(); l-- > 0;) {
        const auto& entries = levels[l];
        for (std::size_t b = 0; b < blocksOf[l]; ++b) {
            const std::size_t number = firstBlockOf[l] + b;
            std::string block(blockSize, '\0');
            const std::size_t first = b * capacity, count = std::min(capacity, entries.size() - first);
            Put16(block, kBlockNext, number < totalBlocks ? static_cast<unsigned>(number + 1) : 0);
            Put16(block, kBlockPrevious, static_cast<unsigned>(number - 1));
            Put16(block, kBlockLastOffset, static_cast<unsigned>((count - 1) * entrySize) & 0xFFFF);
            for (std::size_t e = 0; e < count; ++e) {
                const Entry& entry = entries[first + e];
                const std::size_t at = kBlockHeader + e * entrySize;
                std::memcpy(block.data() + at, entry.key.data(), keySize);
                // The child: a data block at level 1, else a block of the level below.
                const std::size_t child = l == 0 ? entry.dataBlock : firstBlockOf[l - 1] + first + e;
                PutEntryShort(block, at + keySize, static_cast<unsigned>(child));
                PutEntryShort(block, at + keySize + 2, CountField(entry.count));
                PutEntryShort(block, at + keySize + 4, 0);
            }
            out += block;
        }
    }
    PutFreshBlockChain(out, static_cast<std::uint32_t>(totalEntries), static_cast<unsigned>(totalBlocks));
    Put16(out, kIndexRoot, totalBlocks ? 1 : 0);
    out[kIndexLevels] = static_cast<char>(levels.size());
    return out;
}

}  // namespace

std::string BuildPrimaryIndex(const PrimaryIndexFile& index, const TableFile& table) {
    const std::size_t keySize = KeyOrder(table).KeySize();
    const std::size_t perBlock =
        (static_cast<std::size_t>(table.blockSize) - kBlockHeader) / static_cast<std::size_t>(table.recordSize);
    const std::size_t n = table.records.size();
    std::vector<Entry> entries;
    for (std::size_t first = 0; first < n; first += perBlock)
        entries.push_back({std::string_view(table.records[first]).substr(0, keySize), std::min(perBlock, n - first),
                           static_cast<unsigned>(entries.size() + 1)});
    return BuildIndex(index, table, std::move(entries));
}

std::string BuildPrimaryIndexOfBlocks(const PrimaryIndexFile& index, const TableFile& table) {
    const std::size_t keySize = KeyOrder(table).KeySize();
    std::vector<Entry> entries;
    for (const DataBlock& b : table.blocks)
        if (b.count > 0)
            entries.push_back({std::string_view(table.records[b.first]).substr(0, keySize), b.count, b.number});
    return BuildIndex(index, table, std::move(entries));
}

}  // namespace tesma::engine

#include "platform/engine/keyed_table.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <numeric>

#include "platform/engine/file_system.h"
#include "platform/engine/files.h"
#include "platform/engine/key_order.h"
#include "platform/engine/paradox.h"
#include "platform/engine/paradox_layout.h"
#include "platform/errors.h"
#include "platform/text/cp1251.h"

namespace tesma::engine {

namespace {

// The path without its extension ("…/T.DB" -> "…/T").
std::string WithoutExtension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of('/');
    return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path : path.substr(0, dot);
}

bool IsHex(char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'); }

// The extension of a secondary index file: X or Y, then two hexadecimal digits (.X02, .Y0A),
// or G and a digit for the files of a composite or case-insensitive index (.XG0, .YG1).
bool IsSecondaryIndexExtension(const std::string& upper) {
    return upper.size() == 3 && (upper[0] == 'X' || upper[0] == 'Y') && (IsHex(upper[1]) || upper[1] == 'G') &&
           IsHex(upper[2]);
}

// The names of the files beside a table whose extension `wanted` accepts (upper-cased), sorted;
// the stem is compared without regard to letter case.
template <typename Wanted>
std::vector<std::string> FilesBeside(const std::string& tableDiskPath, const std::string& shownPath, Wanted wanted) {
    namespace fs = std::filesystem;
    const fs::path disk(tableDiskPath);
    const std::string stem = text::FullUpper(text::FromUtf8(disk.stem().string()));
    std::error_code ec;
    fs::directory_iterator it(disk.has_parent_path() ? disk.parent_path() : fs::path("."), ec);
    if (ec) throw EngineError("cannot list the folder of table " + shownPath + ": " + ec.message());
    std::vector<std::string> found;
    for (const auto& entry : it) {
        const std::string name = text::FromUtf8(entry.path().filename().string());
        const auto dot = name.find_last_of('.');
        if (dot == std::string::npos) continue;
        if (text::FullUpper(name.substr(0, dot)) != stem) continue;
        if (wanted(text::FullUpper(name.substr(dot + 1)))) found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The first secondary index file beside a table (by name), if any.
std::optional<std::string> SecondaryIndexOf(const std::string& tableDiskPath, const TableFile& table) {
    const auto found = FilesBeside(tableDiskPath, table.path, IsSecondaryIndexExtension);
    if (found.empty()) return std::nullopt;
    return FolderOf(table.path) + found.front();
}

// The name of a table's primary index: the table's, with the extension .PX (.px beside a table
// whose extension is written in lower case).
std::string IndexPathOf(const std::string& tablePath) {
    const std::string stem = WithoutExtension(tablePath);
    const bool lower = tablePath.size() > stem.size() + 1 && std::islower(static_cast<unsigned char>(tablePath.back()));
    return stem + (lower ? ".px" : ".PX");
}

// The block size of a rebuilt index: that of the index it replaces when that names a valid one,
// else the table's; doubled while a block would hold fewer than two keys.
int IndexBlockSize(const TableFile& table, const std::optional<std::string>& oldIndex) {
    int size = table.blockSize;
    if (oldIndex && oldIndex->size() > static_cast<std::size_t>(layout::kBlockSizeCode)) {
        const int code = static_cast<unsigned char>((*oldIndex)[layout::kBlockSizeCode]);
        if (code == 1 || code == 2 || code == 4 || code == 8 || code == 16 || code == 32) size = code * 1024;
    }
    const std::size_t entry = KeyOrder(table).KeySize() + 6;
    while (size < 32 * 1024 && (static_cast<std::size_t>(size) - layout::kBlockHeader) / entry < 2) size *= 2;
    return size;
}

}  // namespace

WritePlan PlanTableWrite(const std::string& tableDiskPath, const TableFile& table) {
    WritePlan plan;
    try {
        if (auto secondary = SecondaryIndexOf(tableDiskPath, table)) {
            plan.refusal = "table " + table.path + " has a secondary index " + *secondary +
                           ", which this library cannot rebuild; the table is not changed";
            return plan;
        }
        if (!table.keyed) return plan;
        if (table.keyFields < 1) {
            plan.refusal = "keyed table " + table.path + " names no key fields; it cannot be written";
            return plan;
        }
        const std::string indexPath = IndexPathOf(table.path);
        const auto disk = FindFile(indexPath);
        std::optional<std::string> old;
        if (disk) {
            old = ReadWholeFile(*disk, indexPath);
            try {
                plan.index = CheckPrimaryIndex(*old, indexPath, table);
                plan.index->diskPath = *disk;
                return plan;
            } catch (const EngineError& e) {
                plan.staleIndex = e.what();
            }
        } else {
            plan.staleIndex = "primary index " + indexPath + " of keyed table " + table.path + " is missing";
        }
        if (const std::string fault = IndexSourceFault(table); !fault.empty()) {
            plan.refusal = plan.staleIndex + "; it cannot be rebuilt from table " + table.path + ", which " + fault +
                           " (the table itself may be damaged); the table is not changed";
            return plan;
        }
        plan.index = NewPrimaryIndex(table, indexPath, IndexBlockSize(table, old));
        plan.index->diskPath = disk ? *disk : DiskPath(indexPath);
    } catch (const EngineError& e) {
        plan.refusal = e.what();
        plan.index.reset();
    }
    return plan;
}

std::string IndexSourceFault(const TableFile& table) {
    if (table.keyFields < 1) return "names no key fields";
    const std::uint32_t counted = layout::U32(table.header, layout::kNumRecords);
    if (counted != table.records.size())
        return "counts " + std::to_string(counted) + " records in its header but holds " +
               std::to_string(table.records.size());
    const KeyOrder order(table);
    for (std::size_t r = 1; r < table.records.size(); ++r) {
        const int c = order.Compare(table.records[r - 1].data(), table.records[r].data());
        if (c == 0) return "holds the key " + order.Describe(table.records[r].data()) + " twice";
        if (c > 0)
            return "holds record " + std::to_string(r + 1) + " (key " + order.Describe(table.records[r].data()) +
                   ") out of key order";
    }
    return {};
}

void SortByKey(TableFile& table) {
    const KeyOrder order(table);
    std::vector<std::size_t> sequence(table.records.size());
    std::iota(sequence.begin(), sequence.end(), 0);
    std::stable_sort(sequence.begin(), sequence.end(),
                     [&](std::size_t a, std::size_t b) { return order.Less(table.records[a], table.records[b]); });
    for (std::size_t i = 1; i < sequence.size(); ++i) {
        const std::string& record = table.records[sequence[i]];
        if (order.Compare(table.records[sequence[i - 1]].data(), record.data()) == 0)
            throw EngineError("table " + table.path + " would hold the key " + order.Describe(record.data()) +
                              " twice; the table is not changed");
    }
    std::vector<std::string> sorted;
    sorted.reserve(sequence.size());
    for (std::size_t i : sequence) sorted.push_back(std::move(table.records[i]));
    table.records = std::move(sorted);
}

RebuiltIndex RebuildPrimaryIndex(const std::string& path) {
    const auto disk = FindFile(path);
    if (!disk) throw EngineError("table file not found: " + path);
    // Held for writing as a run holds it: no commit of a run can fall between the reading of
    // the table and the new index.
    const auto lock = FileLock::TryExclusive(*disk);
    if (!lock) throw EngineError("table " + path + " is locked by another process");
    const TableFile table = ParseParadox(ReadWholeFile(*disk, path), path);
    if (!table.keyed) throw EngineError("table " + path + " has no primary key, so it has no primary index");
    if (const std::string fault = IndexSourceFault(table); !fault.empty())
        throw EngineError("the primary index of table " + path + " cannot be rebuilt from it: the table " + fault +
                          " (the table itself may be damaged); nothing is changed");
    RebuiltIndex result;
    result.indexPath = IndexPathOf(path);
    const auto indexDisk = FindFile(result.indexPath);
    std::optional<std::string> old;
    if (indexDisk) {
        old = ReadWholeFile(*indexDisk, result.indexPath);
        try {
            CheckPrimaryIndex(*old, result.indexPath, table);
        } catch (const EngineError& e) {
            result.before = e.what();
        }
    } else {
        result.before = "primary index " + result.indexPath + " was missing";
    }
    const PrimaryIndexFile index = NewPrimaryIndex(table, result.indexPath, IndexBlockSize(table, old));
    const std::string bytes = BuildPrimaryIndexOfBlocks(index, table);
    RemoveStaleTemporaries(*disk);
    ReplaceFileAtomically(indexDisk ? *indexDisk : DiskPath(result.indexPath), bytes, result.indexPath);
    result.records = table.records.size();
    result.levels = static_cast<unsigned char>(bytes[layout::kIndexLevels]);
    return result;
}

std::vector<std::string> RemoveIndexesOfReplacedTable(const std::string& path) {
    const auto disk = FindFile(path);
    if (!disk) return {};
    const auto names =
        FilesBeside(*disk, path, [](const std::string& ext) { return ext == "PX" || IsSecondaryIndexExtension(ext); });
    std::vector<std::string> removed;
    FileSystem& files = CurrentFileSystem();
    for (const std::string& name : names) {
        const std::string shown = FolderOf(path) + name;
        if (files.Unlink(DiskPath(shown)) != 0 && errno != ENOENT)
            throw IoError("cannot remove " + shown + ", an index of the table " + path +
                          " that was replaced: " + std::strerror(errno));
        removed.push_back(shown);
    }
    if (!removed.empty()) files.SyncFolder(std::filesystem::path(*disk).parent_path().string());
    return removed;
}

}  // namespace tesma::engine

#include "platform/engine/keyed_table.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <numeric>

#include "platform/engine/files.h"
#include "platform/engine/key_order.h"
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

void RefuseSecondaryIndexes(const std::string& tableDiskPath, const TableFile& table) {
    namespace fs = std::filesystem;
    const fs::path disk(tableDiskPath);
    const std::string stem = text::FullUpper(text::FromUtf8(disk.stem().string()));
    std::error_code ec;
    fs::directory_iterator it(disk.has_parent_path() ? disk.parent_path() : fs::path("."), ec);
    if (ec) throw EngineError("cannot list the folder of table " + table.path + ": " + ec.message());
    std::vector<std::string> found;
    for (const auto& entry : it) {
        const std::string name = text::FromUtf8(entry.path().filename().string());
        const auto dot = name.find_last_of('.');
        if (dot == std::string::npos) continue;
        if (text::FullUpper(name.substr(0, dot)) != stem) continue;
        if (IsSecondaryIndexExtension(text::FullUpper(name.substr(dot + 1)))) found.push_back(name);
    }
    if (found.empty()) return;
    std::sort(found.begin(), found.end());
    const auto slash = table.path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : table.path.substr(0, slash + 1);
    throw EngineError("table " + table.path + " has a secondary index " + folder + found.front() +
                      ", which this library cannot rebuild; the table is not changed");
}

}  // namespace

PrimaryIndexFile OpenKeyedTableForWriting(const std::string& tableDiskPath, const TableFile& table) {
    const std::string indexPath = WithoutExtension(table.path) + ".PX";
    if (table.keyFields < 1)
        throw EngineError("keyed table " + table.path + " names no key fields; it cannot be written");
    const auto disk = FindFile(indexPath);
    if (!disk)
        throw EngineError("primary index " + indexPath + " of keyed table " + table.path +
                          " is missing; the table is not changed");
    RefuseSecondaryIndexes(tableDiskPath, table);
    PrimaryIndexFile index = CheckPrimaryIndex(ReadWholeFile(*disk, indexPath), indexPath, table);
    index.diskPath = *disk;
    return index;
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

}  // namespace tesma::engine

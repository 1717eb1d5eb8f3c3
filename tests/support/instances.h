#pragma once
// Report folders of form 101 that hold several report instances, as banks and their branches
// share one folder: each instance an institution's published sheet (tests/data), its rows in
// blocks or shuffled among the others', told apart by ID_EKZ; and the same instance alone in a
// folder of its own, to compare with.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/engine/table_file.h"

namespace tesma::testing {

struct InstanceOf {
    std::int32_t id;
    std::string sheet;                 // the registration number whose published rows it holds
    std::string regn, branch, change;  // its row of REP_EKZ.DB
};

enum class RowOrder { Blocks, Shuffled };

// Writes <root>/F101/20151201/ holding the instances (and, with `previousMonth`, the folder of
// 1 November 2015 with the same rows, their outgoing balances last month's): the chapter
// tables, the message table and the requisites (BNK_REGN = the register's number, BNK_FILN its
// branch) of every instance in one file each, the register with their rows. Returns the dated
// folder (UTF-8, with a closing "/").
std::string WriteInstancesFolder(const std::string& root, const std::vector<InstanceOf>& instances, RowOrder order,
                                 bool previousMonth = false);

// The table files of a folder that hold rows of instances (ID_EKZ), by file name.
std::vector<std::string> InstanceTables(const std::string& folder);

// Rewrites a table file: `change` edits its records (TableFile::Get/Set, records), the file keeps
// its layout.
void EditTable(const std::string& path, const std::function<void(engine::TableFile&)>& change);

// Appends a copy of the first record of `instance` whose NBAL2 is `account`, as a repeated
// account row of that instance.
void RepeatAccount(const std::string& table, std::int32_t instance, const std::string& account);

// <root>/F101/<date>/ for the instance alone: its rows of every table, its register row; the
// other dated folders (the previous month) copied whole. Returns the dated folder.
std::string CopyInstanceAlone(const std::string& folder, std::int32_t instance, const std::string& root);

// The records of a table whose ID_EKZ is (or, with `other`, is not) `instance`, in table order.
std::vector<std::string> RecordsOf(const std::string& table, std::int32_t instance, bool other = false);
// The same as texts (UTF-8, fields joined by "|"), without the row key NNN (the clock's key of a
// new row).
std::vector<std::string> RowsOf(const std::string& table, std::int32_t instance);

}  // namespace tesma::testing

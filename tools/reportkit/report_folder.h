#pragma once
// A report folder .../<form folder>/<YYYYMMDD>/ as a host application describes it to the
// library: the reporting date and form folder from the path, the table list from the folder's
// rfdef.DB, the field list from each table file's header.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "descriptor_records.h"

namespace tesma::reportkit {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A row of the folder's instance register REP_EKZ.DB.
struct ReportInstance {
    std::int32_t id = 0;  // ID_EKZ
    std::string regn;     // REG_NUM, UTF-8
    std::string branch;   // FILIAL_NUM, UTF-8
};

struct ReportFolder {
    std::string dir;      // UTF-8, with a closing "/"
    std::string dirCp;    // code page 1251, with a closing "/"
    std::string formDir;  // code page 1251
    double date = 0;
    std::vector<hostkit::FormRecord> forms;
    std::vector<hostkit::TableRecord> tables;
    std::vector<hostkit::FieldRecord> fields;
    // The ID_EKZ of the folder's only report instance (REP_EKZ.DB with one row), else 0.
    std::int32_t onlyInstance = 0;
    std::vector<ReportInstance> instances;  // every row of REP_EKZ.DB
    bool hasRegister = false;               // whether the folder has REP_EKZ.DB
    // The first column of each table read (by table id): the library is told of the columns after
    // it only. Code page 1251, Latin upper case.
    std::map<std::int32_t, std::string> firstColumns;

    // The file of a table id (UTF-8 path), or empty when the folder has no such table.
    std::string TablePath(std::int32_t tableId) const;
};

// Reads the folder. A path that is not a dated report folder is a UsageError; a missing or
// broken rfdef.DB is a std::runtime_error naming the file.
ReportFolder OpenReportFolder(const std::string& dir);

// The dated report folders (…/<form folder>/<YYYYMMDD>/ with an rfdef.DB) under the roots, sorted;
// a root that is no folder is a UsageError.
std::vector<std::string> FindReportFolders(const std::vector<std::string>& roots);

}  // namespace tesma::reportkit

#pragma once
// The engine's working set: one in-memory image per table file, shared by every query of the
// process, the SQL connection over them, and the commit that writes changed tables back.
#include <sqlite3.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/engine/files.h"
#include "platform/engine/keyed_table.h"
#include "platform/engine/table_file.h"

namespace tesma::engine {

struct TableImage {
    std::string diskPath;
    TableFile file;
    std::vector<char> deleted;  // per record: removed in this session
    bool dirty = false;
    std::optional<FileLock> lock;
    std::optional<WritePlan> plan;  // found before the first change (keyed_table.h)
    FileStamp stamp;                // the version of the file the image was read from

    std::size_t RecordCount() const { return file.records.size(); }
    bool IsLive(std::size_t record) const { return record < deleted.size() && !deleted[record]; }
    std::size_t Append(std::string record);
    // What writing the table back involves, found once while its records are as read.
    const WritePlan& Plan();
};

// One evaluated statement: its columns, and either the rows' values or, for "select * from" one
// table, the records of that table in result order (their values are read from the image, so a
// cursor sees what another cursor wrote).
struct ResultColumn {
    std::string name;
    ColumnKind kind = ColumnKind::Other;
    int field = -1;  // field index in `image`, when the column is a plain field of it
};

struct ResultSet {
    std::vector<ResultColumn> columns;
    std::vector<std::vector<Cell>> rows;  // values, when not records of one table
    TableImage* image = nullptr;          // the table the records belong to
    std::vector<std::size_t> records;     // the record of each row
};

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs a statement (code page 1251 text). Every double-quoted table path in it names a
    // table file; a name without extension resolves to ".DB", then ".DBF". A statement
    // "select * from <one table> ..." gives the records of that table, which a live query may
    // change; for such a query (forWriting) the table is held for writing before it is read.
    ResultSet Execute(const std::string& sql, bool forWriting = false);

    // The image of a table file, loaded on first use; for writing, the lock is taken before
    // the file is read. Missing or damaged: EngineError.
    TableImage& Image(const std::string& path, bool forWriting = false);

    // Takes the advisory write lock of a table; held by another process, or changed by
    // another process since its image was read: EngineError.
    void HoldForWriting(TableImage& image);

    // Writes every changed table with its primary index, then forgets all images (the next run
    // reads the files again). Every new file is written and synced beside its old file before
    // the first is renamed over its old file, and a table is renamed after its index, so that a
    // failure changes no table; a crash between the renames leaves the old table beside an index
    // that is not its own, which the next commit of the table (or RebuildPrimaryIndex) rebuilds
    // from the table. A table held for writing and not changed still gets its primary index
    // rebuilt when the index found is not the table's own.
    void Commit();
    // Forgets all images and their changes.
    void Discard();
    // For a run that writes nothing (a dry run): finds what a commit would refuse or repair,
    // writes nothing, and keeps each as a notice instead; then forgets all images (Discard).
    void DiscardAfterRehearsal();

    // What the commits and rehearsals said besides failures since the last call (an index
    // rebuilt, a refusal a dry run met), code page 1251; for the host to show.
    std::vector<std::string> TakeNotices();

private:
    friend struct VirtualTableAccess;
    sqlite3* Db();
    void EnsureVirtualTable(const std::string& name, bool forWriting);
    std::string ResolveTablePath(const std::string& name) const;

    sqlite3* db_ = nullptr;
    std::map<std::string, std::unique_ptr<TableImage>> images_;  // by disk path
    std::map<std::string, TableImage*> virtualTables_;           // by the name in the SQL text
    TableImage* pending_ = nullptr;                              // image of the table being declared
    std::vector<std::string> notices_;
};

// The process-wide session: all cursors of a process share one image per table file.
Session& DefaultSession();

}  // namespace tesma::engine

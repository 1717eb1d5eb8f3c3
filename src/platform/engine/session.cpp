#include "platform/engine/session.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/engine/blob_file.h"
#include "platform/engine/dbase.h"
#include "platform/engine/file_system.h"
#include "platform/engine/keyed_table.h"
#include "platform/engine/paradox.h"
#include "platform/errors.h"
#include "platform/text/cp1251.h"

namespace tesma::engine {

std::size_t TableImage::Append(std::string record) {
    file.records.push_back(std::move(record));
    deleted.push_back(0);
    dirty = true;
    return file.records.size() - 1;
}

namespace {

// The hidden column that gives a row's record number. SQLite's own names for the row id
// (ROWID, OID, _ROWID_) mean a table's field when it has one of that name, so the record
// number has a name of its own, one that none of the table's fields has.
std::string RecordColumn(const TableFile& file) {
    std::string name = "tesma_record";
    while (file.FieldIndex(name) >= 0) name += '_';
    return name;
}

}  // namespace

// ---- the virtual table module: a table file's image as an SQL table ------------------------

struct VirtualTableAccess {
    struct VTab : sqlite3_vtab {
        TableImage* image = nullptr;
    };
    struct Cursor : sqlite3_vtab_cursor {
        std::size_t row = 0;
    };

    static TableImage* ImageOf(sqlite3_vtab_cursor* c) { return static_cast<VTab*>(c->pVtab)->image; }

    static std::string Quote(const std::string& name) {
        std::string out = "\"";
        for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
        return out + "\"";
    }

    static int Connect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char** err) {
        auto* session = static_cast<Session*>(aux);
        TableImage* image = session->pending_;
        if (!image) {
            *err = sqlite3_mprintf("table image not prepared");
            return SQLITE_ERROR;
        }
        std::string decl = "CREATE TABLE x(";
        for (std::size_t i = 0; i < image->file.fields.size(); ++i) {
            const FieldDef& f = image->file.fields[i];
            decl += Quote(f.name);
            switch (KindOf(f.type)) {
                case ColumnKind::Text:
                    decl += " TEXT, ";
                    break;
                case ColumnKind::Integer:
                case ColumnKind::Logical:
                    decl += " INTEGER, ";
                    break;
                default:
                    decl += " REAL, ";
                    break;
            }
        }
        decl += Quote(RecordColumn(image->file)) + " INTEGER HIDDEN)";
        int rc = sqlite3_declare_vtab(db, decl.c_str());
        if (rc != SQLITE_OK) {
            *err = sqlite3_mprintf("cannot declare the fields of %s: %s", image->file.path.c_str(), sqlite3_errmsg(db));
            return rc;
        }
        auto* vtab = new VTab();
        vtab->image = image;
        *out = vtab;
        return SQLITE_OK;
    }
    static int Disconnect(sqlite3_vtab* v) {
        delete static_cast<VTab*>(v);
        return SQLITE_OK;
    }
    static int BestIndex(sqlite3_vtab* v, sqlite3_index_info* info) {
        info->estimatedCost = static_cast<double>(static_cast<VTab*>(v)->image->RecordCount()) + 1;
        return SQLITE_OK;
    }
    static int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
        *out = new Cursor();
        return SQLITE_OK;
    }
    static int Close(sqlite3_vtab_cursor* c) {
        delete static_cast<Cursor*>(c);
        return SQLITE_OK;
    }
    static void SkipDeleted(sqlite3_vtab_cursor* c) {
        auto* cur = static_cast<Cursor*>(c);
        TableImage* image = ImageOf(c);
        while (cur->row < image->RecordCount() && !image->IsLive(cur->row)) ++cur->row;
    }
    static int Filter(sqlite3_vtab_cursor* c, int, const char*, int, sqlite3_value**) {
        static_cast<Cursor*>(c)->row = 0;
        SkipDeleted(c);
        return SQLITE_OK;
    }
    static int Next(sqlite3_vtab_cursor* c) {
        ++static_cast<Cursor*>(c)->row;
        SkipDeleted(c);
        return SQLITE_OK;
    }
    static int Eof(sqlite3_vtab_cursor* c) { return static_cast<Cursor*>(c)->row >= ImageOf(c)->RecordCount(); }
    static int Column(sqlite3_vtab_cursor* c, sqlite3_context* ctx, int i) {
        TableImage* image = ImageOf(c);
        if (static_cast<std::size_t>(i) == image->file.fields.size()) {
            sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(static_cast<Cursor*>(c)->row));
            return SQLITE_OK;
        }
        const FieldDef& f = image->file.fields[static_cast<std::size_t>(i)];
        Cell cell;
        try {
            cell = image->file.Get(static_cast<Cursor*>(c)->row, i);
        } catch (const EngineError& e) {  // a field that cannot be read: the statement fails
            sqlite3_result_error(ctx, e.what(), -1);
            return SQLITE_ERROR;
        }
        switch (cell.kind) {
            case Cell::Kind::Blank:
                // A blank alpha value is the empty text, so that FL_CHANGE='' matches it.
                if (f.type == FieldType::Alpha)
                    sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
                else
                    sqlite3_result_null(ctx);
                break;
            case Cell::Kind::Text:
                sqlite3_result_text(ctx, cell.text.data(), static_cast<int>(cell.text.size()), SQLITE_TRANSIENT);
                break;
            case Cell::Kind::Integer:
            case Cell::Kind::Logical:
                sqlite3_result_int64(ctx, cell.integer);
                break;
            case Cell::Kind::Real:
            case Cell::Kind::Date:
                sqlite3_result_double(ctx, cell.real);
                break;
        }
        return SQLITE_OK;
    }
    static int Rowid(sqlite3_vtab_cursor* c, sqlite3_int64* out) {
        *out = static_cast<sqlite3_int64>(static_cast<Cursor*>(c)->row);
        return SQLITE_OK;
    }

    static const sqlite3_module* Module() {
        static sqlite3_module m = [] {
            sqlite3_module mod{};
            mod.iVersion = 1;
            mod.xCreate = Connect;
            mod.xConnect = Connect;
            mod.xBestIndex = BestIndex;
            mod.xDisconnect = Disconnect;
            mod.xDestroy = Disconnect;
            mod.xOpen = Open;
            mod.xClose = Close;
            mod.xFilter = Filter;
            mod.xNext = Next;
            mod.xEof = Eof;
            mod.xColumn = Column;
            mod.xRowid = Rowid;
            return mod;
        }();
        return &m;
    }
};

// ---- statement text ------------------------------------------------------------------------

namespace {

// The double-quoted names of a statement that name table files (they hold a path separator or
// a table extension). Single-quoted literals are skipped.
std::vector<std::string> TableNamesIn(const std::string& sql) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        char c = sql[i];
        if (c == '\'') {
            for (++i; i < sql.size(); ++i) {
                if (sql[i] == '\'' && i + 1 < sql.size() && sql[i + 1] == '\'')
                    ++i;
                else if (sql[i] == '\'')
                    break;
            }
        } else if (c == '"') {
            std::string name;
            for (++i; i < sql.size(); ++i) {
                if (sql[i] == '"' && i + 1 < sql.size() && sql[i + 1] == '"')
                    name += sql[++i];
                else if (sql[i] == '"')
                    break;
                else
                    name += sql[i];
            }
            std::string upper = text::LatinUpper(name);
            bool hasExtension =
                (upper.size() > 3 && upper.ends_with(".DB")) || (upper.size() > 4 && upper.ends_with(".DBF"));
            if (name.find('/') != std::string::npos || hasExtension) names.push_back(name);
        }
    }
    return names;
}

// For "select * from ..." the place of the "*": put the record column there, and the statement
// gives the records of the same rows in the same order; the rows' values are then read from
// the table image, and SQLite decodes only the fields that the condition and the order name.
std::optional<std::pair<std::size_t, std::size_t>> SelectAllStar(const std::string& sql) {
    std::size_t i = 0;
    auto skipSpace = [&] {
        while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
    };
    auto word = [&](std::string_view w) {
        skipSpace();
        if (sql.size() - i < w.size()) return false;
        for (std::size_t k = 0; k < w.size(); ++k)
            if (text::LatinUpper(sql[i + k]) != w[k]) return false;
        i += w.size();
        return true;
    };
    if (!word("SELECT")) return std::nullopt;
    const std::size_t star = i;
    if (!word("*")) return std::nullopt;
    const std::size_t afterStar = i;
    if (!word("FROM")) return std::nullopt;
    skipSpace();
    if (i >= sql.size() || sql[i] != '"') return std::nullopt;
    return std::pair{star, afterStar};
}

bool EndsWithUpper(const std::string& s, std::string_view suffix) {
    return s.size() >= suffix.size() && text::LatinUpper(s.substr(s.size() - suffix.size())) == suffix;
}

}  // namespace

// ---- session -------------------------------------------------------------------------------

Session::Session() = default;

Session::~Session() {
    if (db_) sqlite3_close_v2(db_);
}

sqlite3* Session::Db() {
    if (db_) return db_;
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw EngineError("cannot start the SQL engine: " + msg);
    }
    sqlite3_create_module_v2(db_, "tesma_table", VirtualTableAccess::Module(), this, nullptr);
    return db_;
}

std::string Session::ResolveTablePath(const std::string& name) const {
    if (EndsWithUpper(name, ".DB") || EndsWithUpper(name, ".DBF")) return name;
    if (FileExists(name + ".DB")) return name + ".DB";
    if (FileExists(name + ".DBF")) return name + ".DBF";
    return name + ".DB";
}

TableImage& Session::Image(const std::string& path, bool forWriting) {
    auto disk = FindFile(path);
    if (!disk) throw EngineError("table file not found: " + path);
    struct stat st {};
    std::string key = *disk;
    if (::stat(disk->c_str(), &st) == 0) key = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    auto it = images_.find(key);
    if (it != images_.end()) {
        if (forWriting) HoldForWriting(*it->second);
        return *it->second;
    }
    // A table to be written is locked before it is read: another process's commit can then
    // no longer fall between the reading and the lock, to be overwritten by this session's
    // commit computed from the old content.
    std::optional<FileLock> lock;
    if (forWriting) {
        lock = FileLock::TryExclusive(*disk);
        if (!lock) throw EngineError("table " + path + " is locked by another process");
    }
    auto image = std::make_unique<TableImage>();
    std::string bytes = ReadWholeFile(*disk, path, &image->stamp);
    image->diskPath = *disk;
    image->file = EndsWithUpper(path, ".DBF") ? ParseDbase(bytes, path) : ParseParadox(bytes, path);
    ReadBlobFileBeside(image->file, path);
    image->deleted.assign(image->file.records.size(), 0);
    image->lock = std::move(lock);
    return *images_.emplace(key, std::move(image)).first->second;
}

void Session::EnsureVirtualTable(const std::string& name, bool forWriting) {
    if (auto known = virtualTables_.find(name); known != virtualTables_.end()) {
        if (forWriting) HoldForWriting(*known->second);
        return;
    }
    TableImage& image = Image(ResolveTablePath(name), forWriting);
    pending_ = &image;
    std::string create = "CREATE VIRTUAL TABLE temp." + VirtualTableAccess::Quote(name) + " USING tesma_table";
    char* err = nullptr;
    int rc = sqlite3_exec(Db(), create.c_str(), nullptr, nullptr, &err);
    pending_ = nullptr;
    if (rc != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errmsg(Db());
        sqlite3_free(err);
        throw EngineError("cannot open table " + name + ": " + msg);
    }
    virtualTables_[name] = &image;
}

void Session::HoldForWriting(TableImage& image) {
    if (image.lock) return;
    image.lock = FileLock::TryExclusive(image.diskPath);
    if (!image.lock) throw EngineError("table " + image.file.path + " is locked by another process");
    // Read before the lock (by a query that only reads): it must still be the file now
    // locked, or this session's changes would undo another process's.
    if (StampOf(image.diskPath) != image.stamp) {
        image.lock.reset();
        throw EngineError("table " + image.file.path +
                          " was changed by another process while this run was reading it; nothing is written to it");
    }
}

ResultSet Session::Execute(const std::string& sql, bool forWriting) {
    std::vector<std::string> tables = TableNamesIn(sql);
    const auto star = tables.size() == 1 ? SelectAllStar(sql) : std::nullopt;
    const bool withRowid = star.has_value();
    for (const auto& name : tables) EnsureVirtualTable(name, forWriting && withRowid);

    std::string text = sql;
    if (withRowid) {
        const std::string column = VirtualTableAccess::Quote(RecordColumn(virtualTables_[tables.front()]->file));
        text = sql.substr(0, star->first) + " " + column + sql.substr(star->second);
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(Db(), text.c_str(), static_cast<int>(text.size()), &stmt, nullptr) != SQLITE_OK) {
        std::string msg = sqlite3_errmsg(Db());
        sqlite3_finalize(stmt);
        throw EngineError("invalid statement (" + msg + "): " + sql);
    }
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(stmt, sqlite3_finalize);
    if (!stmt) throw EngineError("empty statement: " + sql);

    ResultSet result;
    const int count = sqlite3_column_count(stmt);
    if (withRowid) {
        // The columns of "select *": the table's fields in stored order.
        result.image = virtualTables_[tables.front()];
        const auto& fields = result.image->file.fields;
        for (std::size_t f = 0; f < fields.size(); ++f)
            result.columns.push_back({fields[f].name, KindOf(fields[f].type), static_cast<int>(f)});
    }
    for (int i = 0; i < count && !withRowid; ++i) {
        ResultColumn col;
        col.name = sqlite3_column_name(stmt, i) ? sqlite3_column_name(stmt, i) : "";
        const char* table = sqlite3_column_table_name(stmt, i);
        const char* origin = sqlite3_column_origin_name(stmt, i);
        if (table && origin) {
            auto it = virtualTables_.find(table);
            if (it != virtualTables_.end()) {
                int f = it->second->file.FieldIndex(origin);
                if (f >= 0) col.kind = KindOf(it->second->file.fields[static_cast<std::size_t>(f)].type);
            }
        }
        result.columns.push_back(col);
    }
    while (true) {
        int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) throw EngineError("statement failed (" + std::string(sqlite3_errmsg(Db())) + "): " + sql);
        if (withRowid) {
            // A record number from SQL is checked before it is ever used as an index.
            const sqlite3_int64 record = sqlite3_column_int64(stmt, 0);
            if (sqlite3_column_type(stmt, 0) != SQLITE_INTEGER || record < 0 ||
                !result.image->IsLive(static_cast<std::size_t>(record)))
                throw EngineError("statement gave no record of table " + result.image->file.path + ": " + sql);
            result.records.push_back(static_cast<std::size_t>(record));
            continue;
        }
        std::vector<Cell> row;
        row.reserve(result.columns.size());
        for (int i = 0; i < count; ++i) {
            ResultColumn& col = result.columns[static_cast<std::size_t>(i)];
            switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_NULL:
                    row.push_back(Cell::Blank());
                    break;
                case SQLITE_INTEGER: {
                    auto v = sqlite3_column_int64(stmt, i);
                    if (col.kind == ColumnKind::Other) col.kind = ColumnKind::Integer;
                    row.push_back(col.kind == ColumnKind::Logical ? Cell::Logical(v != 0) : Cell::Integer(v));
                    break;
                }
                case SQLITE_FLOAT: {
                    double v = sqlite3_column_double(stmt, i);
                    if (col.kind == ColumnKind::Other) col.kind = ColumnKind::Real;
                    bool isDate = col.kind == ColumnKind::Date || col.kind == ColumnKind::DateTime;
                    row.push_back(isDate ? Cell::Date(v) : Cell::Real(v));
                    break;
                }
                default: {
                    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                    int n = sqlite3_column_bytes(stmt, i);
                    if (col.kind == ColumnKind::Other) col.kind = ColumnKind::Text;
                    row.push_back(n == 0 ? Cell::Blank() : Cell::Text(std::string(p, static_cast<std::size_t>(n))));
                }
            }
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

namespace {

// One table's part of a commit: its new file, its new index, and what to say once they are in
// place.
struct TableOutput {
    const TableImage* image = nullptr;
    std::optional<std::string> table;  // none: the table file stays as it is
    std::optional<std::string> index;  // none: no index is written
    std::string notice;
};

// What committing one image writes: nothing for a table that was only read; refusals are
// EngineErrors. The records of a changed image are put in their final order here.
std::optional<TableOutput> PrepareOutput(TableImage& image) {
    TableFile& file = image.file;
    const bool heldKeyed = image.lock && file.keyed && file.format == TableFormat::Paradox;
    if (!image.dirty && !heldKeyed) return std::nullopt;
    if (file.format != TableFormat::Paradox)
        throw EngineError("table " + file.path + " is a dBASE table; changing dBASE tables is not supported");
    // A table held for writing and left unchanged is as read, so its plan can be found now.
    const WritePlan& plan = image.Plan();
    TableOutput out;
    out.image = &image;
    if (!plan.refusal.empty()) {
        if (image.dirty) throw EngineError(plan.refusal);
        // Nothing to write, so nothing is refused; an index that cannot be rebuilt is said.
        if (plan.staleIndex.empty()) return std::nullopt;
        out.notice = plan.refusal;
        return out;
    }
    const std::string rebuilt = plan.staleIndex.empty() ? "" : plan.staleIndex + "; it was rebuilt from the table";
    if (!image.dirty) {
        if (plan.staleIndex.empty()) return std::nullopt;
        out.index = BuildPrimaryIndexOfBlocks(*plan.index, file);
        out.notice = rebuilt;
        return out;
    }
    std::vector<std::string> kept;
    kept.reserve(file.records.size());
    for (std::size_t r = 0; r < file.records.size(); ++r)
        if (image.IsLive(r)) kept.push_back(std::move(file.records[r]));
    file.records = std::move(kept);
    image.deleted.assign(file.records.size(), 0);
    if (file.keyed) SortByKey(file);
    StampChange(file);
    out.table = SerializeParadox(file);
    if (plan.index) out.index = BuildPrimaryIndex(*plan.index, file);
    out.notice = rebuilt;
    return out;
}

}  // namespace

const WritePlan& TableImage::Plan() {
    if (!plan) plan = PlanTableWrite(diskPath, file);
    return *plan;
}

void Session::Commit() {
    struct Reset {
        Session* s;
        ~Reset() { s->Discard(); }
    } reset{this};
    // Every file is made before any is written, so that a table that cannot be written (a
    // duplicate key, say) leaves all tables unchanged.
    std::vector<TableOutput> outputs;
    for (auto& [key, image] : images_) {
        if (image->dirty) HoldForWriting(*image);
        if (auto out = PrepareOutput(*image)) outputs.push_back(std::move(*out));
    }
    // Temporaries that a writer killed before its renames left beside a table this run holds
    // for writing, or beside its index.
    for (const auto& [key, image] : images_) {
        if (!image->lock) continue;
        RemoveStaleTemporaries(image->diskPath);
        if (image->plan && image->plan->index) RemoveStaleTemporaries(image->plan->index->diskPath);
    }
    // Then every file is written and synced beside its old file, so that a write that fails
    // (a full disk) leaves all tables and indexes unchanged.
    std::vector<FileReplacement> files;
    files.reserve(outputs.size() * 2);
    for (const TableOutput& out : outputs) {
        const TableImage& image = *out.image;
        if (out.index) files.emplace_back(image.plan->index->diskPath, *out.index, image.plan->index->path);
        if (out.table) files.emplace_back(image.diskPath, *out.table, image.file.path);
    }
    // Only then are they renamed into place, each index before its table: a table is the last
    // file of its own to change, so a run that fails keeps every table as it was. A crash
    // between the two renames leaves the old table beside the new index, which is not its own:
    // the index is derived data, and the next commit of the table rebuilds it from the table.
    std::vector<std::string> folders;
    for (FileReplacement& f : files) {
        f.PutInPlace();
        if (std::find(folders.begin(), folders.end(), f.Folder()) == folders.end()) folders.push_back(f.Folder());
    }
    // The renames themselves on the disk.
    for (const std::string& folder : folders) CurrentFileSystem().SyncFolder(folder);
    for (const TableOutput& out : outputs)
        if (!out.notice.empty()) notices_.push_back(out.notice);
}

void Session::DiscardAfterRehearsal() {
    struct Reset {
        Session* s;
        ~Reset() { s->Discard(); }
    } reset{this};
    const std::string dryRun = "dry run, nothing written: ";
    for (auto& [key, image] : images_) {
        try {
            auto out = PrepareOutput(*image);
            if (!out || out->notice.empty()) continue;
            const WritePlan& plan = *image->plan;
            notices_.push_back(dryRun + (plan.refusal.empty()
                                             ? plan.staleIndex + "; a run that writes rebuilds it from the table"
                                             : plan.refusal));
        } catch (const EngineError& e) {
            notices_.push_back(dryRun + e.what());
        }
    }
}

std::vector<std::string> Session::TakeNotices() { return std::exchange(notices_, {}); }

void Session::Discard() {
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    virtualTables_.clear();
    images_.clear();
}

Session& DefaultSession() {
    static Session session;
    return session;
}

}  // namespace tesma::engine

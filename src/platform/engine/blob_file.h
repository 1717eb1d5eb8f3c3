#pragma once
// Memo texts of Paradox tables: the record holds the text's head (the leader) and, after it,
// where the whole text lies in the table's .MB file, its length and a modification number.
#include <string>

#include "platform/engine/table_file.h"

namespace tesma::engine {

// The whole text of a memo or formatted memo field of a record; blank when empty. A text that
// the .MB file does not hold as the record says is an EngineError naming the table and field.
Cell ReadMemo(const TableFile& table, const FieldDef& field, const char* bytes);

// The path of the .MB file beside a table file ("…/T.DB" -> "…/T.MB").
std::string BlobFilePath(const std::string& tablePath);

// Whether a table has fields whose data lie in its .MB file.
bool HasBlobFields(const TableFile& table);

// Reads the .MB file beside a Paradox table with such fields into `table.blobFile`; `tablePath`
// is the table's library path (code page 1251). A missing .MB file leaves it empty: only a memo
// that needs it fails then, naming the file.
void ReadBlobFileBeside(TableFile& table, const std::string& tablePath);

}  // namespace tesma::engine

#pragma once
// Walking, reading and writing the rows of the main table (cursor Q), and walking the aux table
// (cursor QQQ). Row steps are reported to the run's progress: the window's counters and messages.
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace tesma {

// The end of a run, before its tables are written or dropped: the row buffer keeps its values
// for itself (see RowBuffer), and the run's key chooser lets go of its table.
void EndRowAccess() noexcept;

void FirstRow();
void NextRow();
bool RowsEnded();
// A new row with a fresh NNN key and the ID_EKZ of its instance (see NewRowInstanceId); nothing
// for tables of kind "F".
void AppendRow();
// Deletes the current row; the cursor moves to the following one. Nothing for kind "F".
void DeleteRow();
// The value of a field of the current row, by its descriptor's type letter: "A" text upper-cased,
// "D" date (integer 0 when empty), "I" integer and "N" real (the empty text when empty), any
// other letter null; ROW_NUM is the row counter, NNN the row key; an unknown field is null. A
// field whose value cannot be read (binary data) is an EngineError naming table and field.
Value GetRowField(std::string_view fieldName);
// Stores a value in a field of the current row (ROW_NUM and RNAME are ignored, unknown fields
// too). The buffered texts are not refreshed.
void SetRowField(std::string_view fieldName, const Value& value);
// A clock-derived key, 0..2147483647, unique within the main table (see RowKeyChooser).
std::int32_t NewRowKey();

// A whole row of a table: every field, whatever its kind (memo, binary, a host's own columns),
// as the table holds it.
struct RowCopy {
    const void* table = nullptr;  // the table's image
    std::string record;
};
// The current aux row, whole; a Failure when the aux cursor stands on no row of a table.
RowCopy CopyAuxRow();
// A new row of the main table holding every field of `copy` (a row of the main table itself),
// with a fresh NNN key; nothing for tables of kind "F".
void AppendRowCopy(const RowCopy& copy);

bool AuxTableEnded();
// The value of a column of the current aux row by its data type; an absent column is the
// empty text; ROW_NUM is the aux row number.
Value GetAuxField(std::string_view fieldName);
void NextAuxRow();
void CloseAuxTable();

}  // namespace tesma

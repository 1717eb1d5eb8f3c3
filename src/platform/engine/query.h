#pragma once
// The query object: an SQL text of lines, a result fixed when it opens, and a cursor over it.
// A live query (the main cursor) changes its table: edits, appends and deletes reach the
// shared table image at once and the files at the end of the run.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/engine/session.h"

namespace tesma::engine {

class Query {
public:
    explicit Query(bool live = false, Session* session = nullptr);

    void ClearSql();
    void AddLine(std::string line);
    // The lines joined by line breaks.
    std::string SqlText() const;
    const std::vector<std::string>& SqlLines() const { return lines_; }

    void Open();
    void Close();
    bool Active() const { return open_; }

    void First();
    void Next();
    // True after opening an empty result, after moving past the last row, and while closed.
    bool Eof() const;
    // 1-based number of the current row; 0 when there is none.
    int RecNo() const;
    int RowCount() const;

    int FieldCount() const { return static_cast<int>(result_.columns.size()); }
    // Position of the column of that name (letter case ignored), -1 when absent.
    int FindField(std::string_view name) const;
    // As FindField, but an absent field is an EngineError.
    int FieldByName(std::string_view name) const;
    const std::string& FieldName(int i) const;
    ColumnKind FieldKind(int i) const;

    // Values of the current row; on a result without rows: blank, empty text, 0, 0.0.
    Cell Value(int i) const;
    // The text form: alpha as it is, integers in decimal, reals in the general number text with
    // the system's decimal separator, dates in the system's short date format, blanks empty.
    std::string AsText(int i) const;
    std::int64_t AsInteger(int i) const;
    double AsReal(int i) const;
    double AsDate(int i) const;

    // When the current row is a record of a table: that table and the record's bytes (null
    // otherwise); the field of each column is ColumnField.
    const TableFile* RowTable() const { return open_ && result_.image && !Eof() ? &result_.image->file : nullptr; }
    const std::string& RowBytes() const { return result_.image->file.records[result_.records[pos_]]; }
    int ColumnField(int i) const { return result_.columns[static_cast<std::size_t>(i)].field; }

    // For a live result: an identity of its table image (null otherwise), and the largest
    // value of an integer field over every record of the table (-1 when none).
    const void* TableIdentity() const { return open_ ? result_.image : nullptr; }
    std::int64_t TableMaxInteger(std::string_view field) const;
    // Every value of an integer field over the live records of the table (live results only).
    std::vector<std::int64_t> TableIntegers(std::string_view field) const;

    // Changes (live queries only).
    void Edit();    // on a result without rows, starts a new row instead
    void Append();  // starts a new row
    // Starts a new row holding a copy of a record of this table (the RowBytes of one of its rows):
    // every field, whatever its kind, as the table holds it.
    void AppendCopy(std::string record);
    void SetText(std::string_view field, std::string_view text);
    void SetInteger(std::string_view field, std::int64_t value);
    void Post();
    void Cancel();
    void Delete();  // removes the current row; the cursor then stands on the following one

private:
    enum class EditState { None, Edit, Insert };
    TableImage& WritableImage(const char* operation) const;
    void Set(std::string_view field, const Cell& value);

    Session* session_;
    bool live_;
    std::vector<std::string> lines_;
    bool open_ = false;
    ResultSet result_;
    std::size_t pos_ = 0;
    EditState state_ = EditState::None;
    std::string pending_;  // the record being edited or inserted
};

// The text form of a cell of the given column kind (see Query::AsText).
std::string CellText(const Cell& cell, ColumnKind kind);
// A text turned into a cell of a field type; a text that does not fit is a ConversionError
// naming the field.
Cell CellFromText(std::string_view text, const FieldDef& field);

}  // namespace tesma::engine

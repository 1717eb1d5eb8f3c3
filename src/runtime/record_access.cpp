#include "runtime/record_access.h"

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/locale/number_format.h"
#include "platform/locale/settings.h"
#include "platform/text/cp1251.h"
#include "runtime/conversions.h"
#include "runtime/row_keys.h"
#include "runtime/run.h"

namespace tesma {

using runtime::CurrentRun;

namespace {

constexpr std::size_t kSlots = 70;

// The texts of the current main-table row, and the positions in the host's field list of the
// main table's field descriptors: slot k is described by entry k.
// The current main-table row as it was at the row movement. Its cells are decoded, and their
// texts made, only when a field is read.
struct RowBuffer {
    const engine::TableFile* file = nullptr;  // the table of the row's record
    std::string record;                       // the record's bytes at the row movement
};
RowBuffer gRow;

struct Slot {
    int field = -1;  // the record's field, while the cell is still to be decoded
    engine::Cell cell;
    engine::ColumnKind kind = engine::ColumnKind::Other;
    mutable std::optional<std::string> text;
    const engine::Cell& Cell() {
        if (field >= 0) {
            cell = gRow.file ? gRow.file->Decode(gRow.record.data(), field) : engine::Cell::Blank();
            field = -1;
        }
        return cell;
    }
    const std::string& Text() {
        if (!text) text = engine::CellText(Cell(), kind);
        return *text;
    }
    bool Empty() { return text ? text->empty() : Cell().IsBlank(); }
};
std::array<Slot, kSlots> gRowBuffer;
std::vector<std::int32_t> gMainFields;
std::vector<std::string> gMainFieldNames;  // their names
std::vector<int> gMainFieldColumns;        // the column of Q of each name, -2 until looked up
bool gMainFieldsBuilt = false;

// The keys of new rows of the main table of this run, and the last key handed out without one.
const void* gKeyTable = nullptr;
std::optional<RowKeyChooser> gKeys;
std::int64_t gLastKey = -1;

// Slots that are still to be decoded from the buffered row take their values now, while the
// row's table is there: a slot keeps its value until a row movement fills it again, through
// runs on other tables and after this table's image is gone.
void KeepSlotValues(std::size_t fromSlot) {
    for (std::size_t k = fromSlot; k < kSlots; ++k) gRowBuffer[k].Cell();
}

void FillRowBuffer(int start) {
    runtime::Run& run = CurrentRun();
    auto& q = run.Q;
    const int count = q.FieldCount();
    const engine::TableFile* table = q.RowTable();
    KeepSlotValues(count > start ? static_cast<std::size_t>(count - start) : 0);
    if (table) {
        gRow.file = table;
        gRow.record = q.RowBytes();
    }
    for (int p = start; p < count; ++p) {
        const int slot = p - start + 1;
        if (slot > static_cast<int>(kSlots))
            throw RangeError("range check error: more than 70 columns in the main table " + run.MainTableFile);
        Slot& s = gRowBuffer[static_cast<std::size_t>(slot - 1)];
        s.kind = q.FieldKind(p);
        s.text.reset();
        if (table) {
            s.field = q.ColumnField(p);
        } else {
            s.field = -1;
            s.cell = q.Value(p);
        }
    }
}

int RowStart() { return CurrentRun().MainTableKind == "F" ? 2 : 1; }

std::int32_t ToInt32(std::int64_t v, std::string_view field) {
    if (v < INT32_MIN || v > INT32_MAX)
        throw RangeError("range check error: value " + std::to_string(v) + " of field " + std::string(field) +
                         " is beyond 32 bits");
    return static_cast<std::int32_t>(v);
}

// The main field list entry of a name; 0 when none.
std::size_t MainFieldSlot(const std::string& name) {
    for (std::size_t k = 0; k < gMainFieldNames.size(); ++k)
        if (gMainFieldNames[k] == name) return k + 1;
    return 0;
}

}  // namespace

void StartRowAccess() {
    gMainFields.clear();
    gMainFieldNames.clear();
    gMainFieldColumns.clear();
    gMainFieldsBuilt = false;
    gKeyTable = nullptr;
    gKeys.reset();
}

void EndRowAccess() {
    KeepSlotValues(0);
    gRow = RowBuffer{};
    gKeyTable = nullptr;
    gKeys.reset();
}

void FirstRow() {
    runtime::Run& run = CurrentRun();
    auto& q = run.Q;
    if (!q.Active()) q.Open();
    q.First();
    FillRowBuffer(RowStart());
    run.RowCounter = 1;
    // The list is the same for every FirstRow of a run: the host's lists do not change.
    if (!gMainFieldsBuilt) {
        gMainFields.clear();
        gMainFieldNames.clear();
        const auto& lists = run.Lists;
        for (std::int32_t i = 1; i <= lists.fields.Count(); ++i) {
            if (lists.FieldTableId(i) != run.MainTableId) continue;
            if (gMainFields.size() == kSlots)
                throw RangeError("range check error: more than 70 field descriptors of the main table");
            gMainFields.push_back(i);
            gMainFieldNames.push_back(lists.FieldName(i));
        }
        gMainFieldColumns.assign(gMainFields.size(), -2);
        gMainFieldsBuilt = true;
    }
}

void NextRow() {
    runtime::Run& run = CurrentRun();
    run.Q.Next();
    ++run.RowCounter;
    FillRowBuffer(RowStart());
    run.RowStep();
}

bool RowsEnded() { return CurrentRun().Q.Eof(); }

void AppendRow() {
    runtime::Run& run = CurrentRun();
    if (run.MainTableKind == "F") return;
    auto& q = run.Q;
    q.Append();
    q.SetInteger("NNN", NewRowKey());
    if (run.InstanceId != 0) q.SetInteger("ID_EKZ", run.InstanceId);
    q.Post();
    FillRowBuffer(1);
    run.RowStep();
}

void DeleteRow() {
    runtime::Run& run = CurrentRun();
    if (run.MainTableKind == "F") return;
    run.Q.Delete();
    FillRowBuffer(1);
    run.RowStep();
}

Value GetRowField(std::string_view fieldName) {
    runtime::Run& run = CurrentRun();
    const std::string name = text::LatinUpper(fieldName);
    auto& q = run.Q;
    if (name == "ROW_NUM") return Value::Int(run.RowCounter);
    if (name == "NNN") return Value::Int(ToInt32(q.AsInteger(q.FieldByName("NNN")), "NNN"));
    const std::size_t slot = MainFieldSlot(name);
    if (slot == 0) return Value::Null();
    Slot& t = gRowBuffer[slot - 1];
    // "I" and "N" fields are read from the cursor's current row (a change made since the row
    // movement shows), by the column of their name, which stays the same through a run.
    auto column = [&] {
        int& c = gMainFieldColumns[slot - 1];
        if (c == -2) c = q.FieldByName(name);
        return c;
    };
    switch (run.Lists.FieldType(gMainFields[slot - 1])) {
        case 'A':
            return Value::Str(text::FullUpper(t.Text()));
        case 'D':
            return t.Empty() ? Value::Int(0) : Value::DateOf(ShortDateTextToDate(t.Text()));
        case 'I':
            return t.Empty() ? Value::Str("") : Value::Int(ToInt32(q.AsInteger(column()), name));
        case 'N':
            return t.Empty() ? Value::Str("") : Value::Real(q.AsReal(column()));
        default:
            return Value::Null();
    }
}

void SetRowField(std::string_view fieldName, const Value& value) {
    const std::string name = text::LatinUpper(fieldName);
    if (name == "ROW_NUM" || name == "RNAME") return;
    if (MainFieldSlot(name) == 0) return;
    std::string t;
    switch (value.kind) {
        case ValueKind::SmallInt:
        case ValueKind::Integer:
            t = std::to_string(value.integer);
            break;
        case ValueKind::Single:
        case ValueKind::Double:
            t = locale::GeneralNumberText(value.real, locale::Current().decimalSeparator);
            break;
        case ValueKind::Date:
            t = engine::CellText(engine::Cell::Date(value.real), engine::ColumnKind::Date);
            break;
        case ValueKind::Text:
            t = value.text;
            break;
        default:
            break;
    }
    auto& q = CurrentRun().Q;
    q.Edit();
    q.SetText(name, t);
    q.Post();
}

std::int32_t NewRowKey() {
    // Units of 86.4 ms since a base that moves on every 4000 days: a key read from the clock
    // grows with time and stays within 32 bits, so a table's rows sort in the order they were
    // appended.
    double now = CurrentDateTime();
    double base = 36000;
    while (now - base > 4294) base += 4000;
    auto v = static_cast<std::int64_t>(static_cast<std::uint32_t>((now - base) * 1000000.0));
    if (v > 2147483647) v -= 2147483647;
    // Without waiting for the clock: the key is unique within the main table (see RowKeyChooser).
    if (runtime::Run* run = runtime::RunInProgress(); run && run->Q.Active() && run->Q.TableIdentity()) {
        const void* table = run->Q.TableIdentity();
        if (table != gKeyTable || !gKeys) {
            gKeyTable = table;
            gKeys.emplace(run->Q.TableMaxInteger("NNN"), [] { return CurrentRun().Q.TableIntegers("NNN"); });
        }
        const std::int32_t key = gKeys->Next(v);
        gLastKey = key;
        return key;
    }
    // No table to be unique in: never the key handed out last.
    if (v <= gLastKey) v = gLastKey < RowKeyChooser::kMaxKey ? gLastKey + 1 : 0;
    gLastKey = v;
    return static_cast<std::int32_t>(v);
}

bool AuxTableEnded() { return CurrentRun().QQQ.Eof(); }

Value GetAuxField(std::string_view fieldName) {
    const std::string name = text::LatinUpper(fieldName);
    auto& q = CurrentRun().QQQ;
    if (name == "ROW_NUM") return Value::Int(q.RecNo());
    const int i = q.FindField(name);
    if (i < 0) return Value::Str("");
    // By the column's data type; the empty text stands for a blank integer or real.
    const engine::Cell cell = q.Value(i);
    switch (q.FieldKind(i)) {
        case engine::ColumnKind::Text:
            return Value::Str(engine::CellText(cell, engine::ColumnKind::Text));
        case engine::ColumnKind::Integer:
            return cell.IsBlank() ? Value::Str("") : Value::Int(ToInt32(q.AsInteger(i), name));
        case engine::ColumnKind::Real:
            return cell.IsBlank() ? Value::Str("") : Value::Real(q.AsReal(i));
        case engine::ColumnKind::Date:
        case engine::ColumnKind::DateTime:
            return Value::DateOf(q.AsDate(i));
        default:
            return Value::Str(q.AsText(i));
    }
}

void NextAuxRow() {
    runtime::Run& run = CurrentRun();
    run.QQQ.Next();
    run.RowStep();
}

void CloseAuxTable() { CurrentRun().QQQ.Close(); }

}  // namespace tesma

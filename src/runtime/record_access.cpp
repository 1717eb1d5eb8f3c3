#include "runtime/record_access.h"

#include <cmath>
#include <string>

#include "platform/errors.h"
#include "platform/locale/number_format.h"
#include "platform/locale/settings.h"
#include "platform/text/cp1251.h"
#include "runtime/conversions.h"
#include "runtime/row_instances.h"
#include "runtime/row_keys.h"
#include "runtime/run.h"

namespace tesma {

using runtime::CurrentRun;

namespace {

runtime::RowBuffer& Buffer() { return runtime::Library().rowBuffer; }

void FillRowBuffer(int start) {
    const runtime::Run& run = CurrentRun();
    Buffer().Fill(run.Q, start, run.MainTableFile);
}

int RowStart() { return CurrentRun().MainTableKind == "F" ? 2 : 1; }

std::int32_t ToInt32(std::int64_t v, std::string_view field) {
    if (v < INT32_MIN || v > INT32_MAX)
        throw RangeError("range check error: value " + std::to_string(v) + " of field " + std::string(field) +
                         " is beyond 32 bits");
    return static_cast<std::int32_t>(v);
}

}  // namespace

void EndRowAccess() noexcept {
    Buffer().Release();
    if (runtime::Run* run = runtime::RunInProgress()) run->NewRowKeys = {};
}

void FirstRow() {
    runtime::Run& run = CurrentRun();
    auto& q = run.Q;
    if (!q.Active()) q.Open();
    q.First();
    FillRowBuffer(RowStart());
    run.RowCounter = 1;
    // The list is the same for every FirstRow of a run: the host's lists do not change.
    runtime::MainFieldList& main = run.MainFields;
    if (!main.built) {
        main.fields.clear();
        main.names.clear();
        const auto& lists = run.Lists;
        for (std::int32_t i = 1; i <= lists.fields.Count(); ++i) {
            if (lists.FieldTableId(i) != run.MainTableId) continue;
            if (main.fields.size() == runtime::RowBuffer::kSlots)
                throw RangeError("range check error: more than 70 field descriptors of the main table");
            main.fields.push_back(i);
            main.names.push_back(lists.FieldName(i));
        }
        main.columns.assign(main.fields.size(), runtime::MainFieldList::kNotLookedUp);
        main.built = true;
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
    const std::int32_t instance = NewRowInstanceId();
    q.Append();
    q.SetInteger("NNN", NewRowKey());
    if (instance != 0) q.SetInteger("ID_EKZ", instance);
    q.Post();
    FillRowBuffer(1);
    run.RowStep();
}

RowCopy CopyAuxRow() {
    const auto& q = CurrentRun().QQQ;
    if (!q.RowTable()) throw Failure("a row to copy is asked of the aux cursor, which stands on no row of a table");
    return {q.TableIdentity(), q.RowBytes()};
}

void AppendRowCopy(const RowCopy& copy) {
    runtime::Run& run = CurrentRun();
    if (run.MainTableKind == "F") return;
    auto& q = run.Q;
    if (!q.Active() || copy.table != q.TableIdentity())
        throw Failure("a row of another table cannot be appended to the main table " + run.MainTableFile);
    q.AppendCopy(copy.record);
    q.SetInteger("NNN", NewRowKey());
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
    runtime::MainFieldList& main = run.MainFields;
    const std::size_t slot = main.SlotOf(name);
    if (slot == 0) return Value::Null();
    runtime::RowBuffer& buffer = Buffer();
    // "I" and "N" fields are read from the cursor's current row (a change made since the row
    // movement shows), by the column of their name, which stays the same through a run.
    auto column = [&] {
        int& c = main.columns[slot - 1];
        if (c == runtime::MainFieldList::kNotLookedUp) c = q.FieldByName(name);
        return c;
    };
    switch (run.Lists.FieldType(main.fields[slot - 1])) {
        case 'A':
            return Value::Str(text::FullUpper(buffer.Text(slot)));
        case 'D':
            return buffer.Empty(slot) ? Value::Int(0) : Value::DateOf(ShortDateTextToDate(buffer.Text(slot)));
        case 'I':
            return buffer.Empty(slot) ? Value::Str("") : Value::Int(ToInt32(q.AsInteger(column()), name));
        case 'N':
            return buffer.Empty(slot) ? Value::Str("") : Value::Real(q.AsReal(column()));
        default:
            // Read by no letter: null. But a value that cannot be read at all (binary data)
            // fails here, where a procedure asks for it, rather than pass for an empty field.
            buffer.Empty(slot);
            return Value::Null();
    }
}

void SetRowField(std::string_view fieldName, const Value& value) {
    const std::string name = text::LatinUpper(fieldName);
    if (name == "ROW_NUM" || name == "RNAME") return;
    if (CurrentRun().MainFields.SlotOf(name) == 0) return;
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
    std::int64_t& lastKey = runtime::Library().lastFreeRowKey;
    if (runtime::Run* run = runtime::RunInProgress(); run && run->Q.Active() && run->Q.TableIdentity()) {
        const void* table = run->Q.TableIdentity();
        RunRowKeys& keys = run->NewRowKeys;
        if (table != keys.table || !keys.chooser) {
            keys.table = table;
            keys.chooser.emplace(run->Q.TableMaxInteger("NNN"), [] { return CurrentRun().Q.TableIntegers("NNN"); });
        }
        const std::int32_t key = keys.chooser->Next(v);
        lastKey = key;
        return key;
    }
    // No table to be unique in: never the key handed out last.
    if (v <= lastKey) v = lastKey < RowKeyChooser::kMaxKey ? lastKey + 1 : 0;
    lastKey = v;
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

#include "platform/engine/query.h"

#include <algorithm>
#include <cmath>

#include "platform/engine/keyed_table.h"
#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/locale/number_format.h"
#include "platform/locale/settings.h"
#include "platform/text/cp1251.h"

namespace tesma::engine {

namespace {

std::string ShortDateText(double date) {
    // Day 0 is 30 December 1899, a date like any other: a blank date is a blank cell, never 0.
    const auto& s = locale::Current();
    locale::CivilDate c = locale::DecodeDate(date);
    auto two = [](int v) { return std::string(v < 10 ? "0" : "") + std::to_string(v); };
    std::string year = std::to_string(c.year);
    while (year.size() < 4) year.insert(0, "0");
    std::string order = locale::DateOrderOf(s.shortDateFormat);
    std::string out;
    for (char part : order) {
        if (!out.empty()) out += s.dateSeparator;
        out += part == 'D' ? two(c.day) : part == 'M' ? two(c.month) : year;
    }
    return out;
}

double ParseShortDate(std::string_view text, const std::string& what) {
    const auto& s = locale::Current();
    double d = 0;
    if (!locale::ParseDate(text, locale::DateOrderOf(s.shortDateFormat), s.dateSeparator, d))
        throw ConversionError("'" + std::string(text) + "' is not a valid date" + what);
    return d;
}

}  // namespace

std::string CellText(const Cell& cell, ColumnKind kind) {
    switch (cell.kind) {
        case Cell::Kind::Blank:
            return {};
        case Cell::Kind::Text:
            return cell.text;
        case Cell::Kind::Integer:
            return std::to_string(cell.integer);
        case Cell::Kind::Logical:
            return cell.integer ? "True" : "False";
        case Cell::Kind::Real: {
            if (kind == ColumnKind::Time) {
                // Whole seconds, the milliseconds cut as for the time of a time stamp: 13:45:30.500 is
                // 13:45:30 in both.
                const locale::CivilTime t = locale::DecodeTime(cell.real);
                char buf[16];
                std::snprintf(buf, sizeof buf, "%d:%02d:%02d", t.hour, t.minute, t.second);
                return buf;
            }
            if (!cell.text.empty()) {  // an exact decimal keeps its digits
                std::string out = cell.text;
                if (auto point = out.find('.'); point != std::string::npos)
                    out.replace(point, 1, std::string(1, locale::Current().decimalSeparator));
                return out;
            }
            return locale::GeneralNumberText(cell.real, locale::Current().decimalSeparator);
        }
        case Cell::Kind::Date: {
            std::string out = ShortDateText(cell.real);
            if (kind == ColumnKind::DateTime) {
                locale::CivilTime t = locale::DecodeTime(cell.real);
                if (t.hour || t.minute || t.second) {
                    char buf[16];
                    std::snprintf(buf, sizeof buf, " %d:%02d:%02d", t.hour, t.minute, t.second);
                    out += buf;
                }
            }
            return out;
        }
    }
    return {};
}

Cell CellFromText(std::string_view text, const FieldDef& field) {
    const std::string where = " for field " + field.name;
    switch (KindOf(field.type)) {
        case ColumnKind::Text:
            return text.empty() ? Cell::Blank() : Cell::Text(std::string(text));
        case ColumnKind::Integer: {
            if (text.empty()) return Cell::Blank();
            auto v = locale::ParseInteger(text);
            if (!v) throw ConversionError("'" + std::string(text) + "' is not a valid integer value" + where);
            return Cell::Integer(*v);
        }
        case ColumnKind::Real: {
            if (text.empty()) return Cell::Blank();
            auto v = locale::ParseNumber(text, locale::Current().decimalSeparator);
            if (!v) throw ConversionError("'" + std::string(text) + "' is not a valid floating point value" + where);
            return Cell::Real(static_cast<double>(*v));
        }
        case ColumnKind::Date:
        case ColumnKind::DateTime:
            if (text.empty()) return Cell::Blank();
            return Cell::Date(ParseShortDate(text, where));
        case ColumnKind::Logical: {
            if (text.empty()) return Cell::Blank();
            std::string u = text::LatinUpper(text);
            if (u == "TRUE" || u == "T" || u == "1") return Cell::Logical(true);
            if (u == "FALSE" || u == "F" || u == "0") return Cell::Logical(false);
            throw ConversionError("'" + std::string(text) + "' is not a valid logical value" + where);
        }
        default:
            throw EngineError("field " + field.name + " is of a type that cannot be written");
    }
}

Query::Query(bool live, Session* session) : session_(session ? session : &DefaultSession()), live_(live) {}

void Query::ClearSql() { lines_.clear(); }

void Query::AddLine(std::string line) { lines_.push_back(std::move(line)); }

std::string Query::SqlText() const {
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i) out += '\n';
        out += lines_[i];
    }
    return out;
}

void Query::Open() {
    if (open_) return;
    // A live query's table is held for writing before it is read (see Session::Image).
    ResultSet r = session_->Execute(SqlText(), live_);
    result_ = std::move(r);
    open_ = true;
    pos_ = 0;
    state_ = EditState::None;
}

void Query::Close() {
    open_ = false;
    result_ = ResultSet{};
    pos_ = 0;
    state_ = EditState::None;
    pending_.clear();
}

void Query::First() { pos_ = 0; }

void Query::Next() {
    if (pos_ < static_cast<std::size_t>(RowCount())) ++pos_;
}

int Query::RowCount() const {
    if (!open_) return 0;
    return static_cast<int>(result_.image ? result_.records.size() : result_.rows.size());
}

bool Query::Eof() const { return !open_ || pos_ >= static_cast<std::size_t>(RowCount()); }

int Query::RecNo() const { return Eof() ? (RowCount() > 0 ? RowCount() : 0) : static_cast<int>(pos_) + 1; }

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (text::LatinUpper(a[i]) != text::LatinUpper(b[i])) return false;
    return true;
}

}  // namespace

int Query::FindField(std::string_view name) const {
    for (std::size_t i = 0; i < result_.columns.size(); ++i)
        if (SameName(result_.columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

int Query::FieldByName(std::string_view name) const {
    int i = FindField(name);
    if (i < 0) throw EngineError("field " + std::string(name) + " not found in the result of: " + SqlText());
    return i;
}

const std::string& Query::FieldName(int i) const { return result_.columns.at(static_cast<std::size_t>(i)).name; }

ColumnKind Query::FieldKind(int i) const { return result_.columns.at(static_cast<std::size_t>(i)).kind; }

Cell Query::Value(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= result_.columns.size())
        throw RangeError("field position " + std::to_string(i) + " beyond the " +
                         std::to_string(result_.columns.size()) + " columns");
    if (Eof()) return Cell::Blank();
    if (result_.image) {
        const ResultColumn& col = result_.columns[static_cast<std::size_t>(i)];
        return result_.image->file.Get(result_.records[pos_], col.field);
    }
    return result_.rows[pos_][static_cast<std::size_t>(i)];
}

std::string Query::AsText(int i) const { return CellText(Value(i), FieldKind(i)); }

std::int64_t Query::AsInteger(int i) const {
    Cell c = Value(i);
    switch (c.kind) {
        case Cell::Kind::Blank:
            return 0;
        case Cell::Kind::Integer:
        case Cell::Kind::Logical:
            return c.integer;
        case Cell::Kind::Real:
        case Cell::Kind::Date:
            if (!std::isfinite(c.real) || std::fabs(c.real) > 9.2e18)
                throw ConversionError("value of field " + FieldName(i) + " is not a valid integer value");
            return static_cast<std::int64_t>(std::llround(c.real));
        case Cell::Kind::Text: {
            auto v = locale::ParseInteger(c.text);
            if (!v) throw ConversionError("'" + c.text + "' is not a valid integer value");
            return *v;
        }
    }
    return 0;
}

double Query::AsReal(int i) const {
    Cell c = Value(i);
    switch (c.kind) {
        case Cell::Kind::Blank:
            return 0;
        case Cell::Kind::Integer:
        case Cell::Kind::Logical:
            return static_cast<double>(c.integer);
        case Cell::Kind::Real:
        case Cell::Kind::Date:
            return c.real;
        case Cell::Kind::Text: {
            auto v = locale::ParseNumber(c.text, locale::Current().decimalSeparator);
            if (!v) throw ConversionError("'" + c.text + "' is not a valid floating point value");
            return static_cast<double>(*v);
        }
    }
    return 0;
}

double Query::AsDate(int i) const {
    Cell c = Value(i);
    switch (c.kind) {
        case Cell::Kind::Blank:
            return 0;
        case Cell::Kind::Date:
        case Cell::Kind::Real:
            return c.real;
        case Cell::Kind::Integer:
            return static_cast<double>(c.integer);
        case Cell::Kind::Text:
            return ParseShortDate(c.text, " in field " + FieldName(i));
        default:
            return 0;
    }
}

std::int64_t Query::TableMaxInteger(std::string_view field) const {
    if (!open_ || !result_.image) return -1;
    const TableImage& image = *result_.image;
    const int f = image.file.FieldIndex(field);
    if (f < 0) throw EngineError("field " + std::string(field) + " not found in table " + image.file.path);
    std::int64_t best = -1;
    for (std::size_t r = 0; r < image.RecordCount(); ++r) {
        if (!image.IsLive(r)) continue;
        Cell c = image.file.Get(r, f);
        if (c.kind == Cell::Kind::Integer && c.integer > best) best = c.integer;
    }
    return best;
}

std::vector<std::int64_t> Query::TableIntegers(std::string_view field) const {
    std::vector<std::int64_t> values;
    if (!open_ || !result_.image) return values;
    const TableImage& image = *result_.image;
    const int f = image.file.FieldIndex(field);
    if (f < 0) throw EngineError("field " + std::string(field) + " not found in table " + image.file.path);
    for (std::size_t r = 0; r < image.RecordCount(); ++r) {
        if (!image.IsLive(r)) continue;
        Cell c = image.file.Get(r, f);
        if (c.kind == Cell::Kind::Integer) values.push_back(c.integer);
    }
    return values;
}

TableImage& Query::WritableImage(const char* operation) const {
    if (!open_) throw EngineError(std::string("cannot ") + operation + ": the query is not open");
    if (!live_ || !result_.image)
        throw EngineError(std::string("cannot ") + operation +
                          ": the result of this statement cannot be changed: " + SqlText());
    TableImage& image = *result_.image;
    if (image.file.format != TableFormat::Paradox)
        throw EngineError("table " + image.file.path + " is a dBASE table; changing dBASE tables is not supported");
    // What writing it back involves is found now, while its records are as read; a refusal of
    // the write is said when the changes are committed, so that a run that writes nothing (a
    // dry run) still reads and checks the table.
    image.Plan();
    return image;
}

void Query::Edit() {
    TableImage& image = WritableImage("edit");
    if (Eof() && RowCount() == 0) {
        Append();
        return;
    }
    if (Eof()) throw EngineError("cannot edit: no current row in " + image.file.path);
    pending_ = image.file.records[result_.records[pos_]];
    state_ = EditState::Edit;
}

void Query::Append() {
    TableImage& image = WritableImage("append");
    pending_ = image.file.BlankRecord();
    state_ = EditState::Insert;
}

void Query::AppendCopy(std::string record) {
    TableImage& image = WritableImage("append");
    if (record.size() != static_cast<std::size_t>(image.file.recordSize))
        throw EngineError("cannot append to table " + image.file.path + ": a record of " +
                          std::to_string(record.size()) + " bytes is not one of its records of " +
                          std::to_string(image.file.recordSize));
    pending_ = std::move(record);
    state_ = EditState::Insert;
}

void Query::Set(std::string_view field, const Cell& value) {
    if (state_ == EditState::None) throw EngineError("field " + std::string(field) + " set outside an edit");
    TableImage& image = *result_.image;
    int f = image.file.FieldIndex(field);
    if (f < 0) throw EngineError("field " + std::string(field) + " not found in table " + image.file.path);
    image.file.Set(pending_, f, value);
}

void Query::SetText(std::string_view field, std::string_view text) {
    TableImage& image = WritableImage("set a field");
    int f = image.file.FieldIndex(field);
    if (f < 0) throw EngineError("field " + std::string(field) + " not found in table " + image.file.path);
    Set(field, CellFromText(text, image.file.fields[static_cast<std::size_t>(f)]));
}

void Query::SetInteger(std::string_view field, std::int64_t value) {
    WritableImage("set a field");
    Set(field, Cell::Integer(value));
}

void Query::Post() {
    TableImage& image = WritableImage("post");
    if (state_ == EditState::Edit) {
        std::size_t record = result_.records[pos_];
        if (image.file.records[record] != pending_) {
            image.file.records[record] = pending_;
            image.dirty = true;
        }
    } else if (state_ == EditState::Insert) {
        std::size_t record = image.Append(std::move(pending_));
        result_.records.push_back(record);
        pos_ = result_.records.size() - 1;
    }
    pending_.clear();
    state_ = EditState::None;
}

void Query::Cancel() {
    pending_.clear();
    state_ = EditState::None;
}

void Query::Delete() {
    TableImage& image = WritableImage("delete");
    if (Eof()) throw EngineError("cannot delete: no current row in " + image.file.path);
    image.deleted[result_.records[pos_]] = 1;
    image.dirty = true;
    result_.records.erase(result_.records.begin() + static_cast<std::ptrdiff_t>(pos_));
    state_ = EditState::None;
}

}  // namespace tesma::engine

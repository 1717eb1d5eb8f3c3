#include "xlsx_reader.h"

#include <expat.h>
#include <zip.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "report_folder.h"
#include "table_import.h"

namespace tesma::reportkit {

namespace {

// No part of a workbook f101 reads is larger: beyond it the archive is refused rather than
// unpacked into memory without end.
constexpr zip_uint64_t kMaxPartBytes = 256ull << 20;
constexpr std::uint32_t kMaxRow = 1048576;
constexpr std::uint32_t kMaxColumn = 16384;

// Element and attribute names without their namespace (expat gives "uri|local").
std::string_view Local(const XML_Char* name) {
    std::string_view s = name;
    const auto bar = s.rfind('|');
    return bar == std::string_view::npos ? s : s.substr(bar + 1);
}

std::string_view Namespace(const XML_Char* name) {
    std::string_view s = name;
    const auto bar = s.rfind('|');
    return bar == std::string_view::npos ? std::string_view() : s.substr(0, bar);
}

const XML_Char* Attribute(const XML_Char** attributes, std::string_view local, bool relationship = false) {
    for (int i = 0; attributes[i]; i += 2)
        if (Local(attributes[i]) == local &&
            (!relationship || Namespace(attributes[i]).find("relationships") != std::string_view::npos))
            return attributes[i + 1];
    return nullptr;
}

// Text a workbook escapes as _xHHHH_: the control characters XML cannot hold.
std::string Unescape(const std::string& s) {
    if (s.find("_x") == std::string::npos) return s;
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned code = 0;
        if (s.compare(i, 2, "_x") == 0 && i + 7 <= s.size() && s[i + 6] == '_' &&
            std::from_chars(s.data() + i + 2, s.data() + i + 6, code, 16).ptr == s.data() + i + 6 && code < 0x20) {
            out += static_cast<char>(code);
            i += 6;
        } else {
            out += s[i];
        }
    }
    return out;
}

// One XML part parsed by handlers of a subclass.
class XmlPart {
public:
    virtual ~XmlPart() = default;
    void Parse(const std::string& xml, const std::string& where) {
        std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
            XML_ParserCreateNS(nullptr, '|'), &XML_ParserFree);
        if (!parser) throw std::bad_alloc();
        XML_SetUserData(parser.get(), this);
        XML_SetElementHandler(
            parser.get(),
            [](void* self, const XML_Char* name, const XML_Char** attributes) {
                static_cast<XmlPart*>(self)->Guard([&](XmlPart& p) { p.Start(Local(name), attributes); });
            },
            [](void* self, const XML_Char* name) {
                static_cast<XmlPart*>(self)->Guard([&](XmlPart& p) { p.End(Local(name)); });
            });
        XML_SetCharacterDataHandler(parser.get(), [](void* self, const XML_Char* s, int n) {
            static_cast<XmlPart*>(self)->Guard([&](XmlPart& p) { p.Characters(std::string_view(s, n)); });
        });
        parser_ = parser.get();
        const bool ok = XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), 1) == XML_STATUS_OK;
        if (failure_) std::rethrow_exception(failure_);
        if (!ok)
            throw std::runtime_error(where + ": damaged XML at line " +
                                     std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": " +
                                     XML_ErrorString(XML_GetErrorCode(parser.get())));
    }

protected:
    virtual void Start(std::string_view name, const XML_Char** attributes) = 0;
    virtual void End(std::string_view name) { (void)name; }
    virtual void Characters(std::string_view text) { (void)text; }

private:
    // An exception must not cross expat's C frames: it is kept, the parse stopped, and it is
    // thrown again once XML_Parse returns.
    template <typename F>
    void Guard(F f) {
        if (failure_) return;
        try {
            f(*this);
        } catch (...) {
            failure_ = std::current_exception();
            XML_StopParser(parser_, XML_FALSE);
        }
    }
    XML_Parser parser_ = nullptr;
    std::exception_ptr failure_;
};

struct Relationship {
    std::string id, type, target;
};

class Relationships : public XmlPart {
public:
    std::vector<Relationship> list;

protected:
    void Start(std::string_view name, const XML_Char** a) override {
        if (name != "Relationship") return;
        const XML_Char *id = Attribute(a, "Id"), *type = Attribute(a, "Type"), *target = Attribute(a, "Target");
        if (id && target) list.push_back({id, type ? type : "", target});
    }
};

// The workbook part's sheets: name and relationship id.
class SheetList : public XmlPart {
public:
    std::vector<std::pair<std::string, std::string>> sheets;

protected:
    void Start(std::string_view name, const XML_Char** a) override {
        if (name != "sheet") return;
        const XML_Char *n = Attribute(a, "name"), *id = Attribute(a, "id", true);
        if (n && id) sheets.emplace_back(n, id);
    }
};

class SharedStrings : public XmlPart {
public:
    std::vector<std::string> strings;

protected:
    void Start(std::string_view name, const XML_Char**) override {
        if (name == "si") in_ = true, strings.emplace_back();
        if (name == "rPh") ++phonetic_;  // a reading guide, not part of the text
        if (name == "t") text_ = in_ && phonetic_ == 0;
    }
    void End(std::string_view name) override {
        if (name == "si") in_ = false, strings.back() = Unescape(strings.back());
        if (name == "rPh") --phonetic_;
        if (name == "t") text_ = false;
    }
    void Characters(std::string_view s) override {
        if (text_) strings.back() += s;
    }

private:
    bool in_ = false, text_ = false;
    int phonetic_ = 0;
};

// "C17" into column 2 and row 17; false when it is not a cell reference.
bool ParseReference(std::string_view ref, std::uint32_t& row, std::uint32_t& column) {
    std::size_t i = 0;
    std::uint64_t col = 0, r = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 3; ++i) col = col * 26 + (ref[i] - 'A' + 1);
    if (i == 0 || i == ref.size()) return false;
    for (std::size_t j = i; j < ref.size(); ++j) {
        if (ref[j] < '0' || ref[j] > '9' || j - i >= 7) return false;
        r = r * 10 + static_cast<std::uint64_t>(ref[j] - '0');
    }
    if (col == 0 || col > kMaxColumn || r == 0 || r > kMaxRow) return false;
    row = static_cast<std::uint32_t>(r);
    column = static_cast<std::uint32_t>(col - 1);
    return true;
}

class SheetPart : public XmlPart {
public:
    SheetPart(const std::vector<std::string>& strings, std::string where,
              const std::function<void(const SheetRow&)>& onRow)
        : strings_(strings), where_(std::move(where)), onRow_(onRow) {}

protected:
    void Start(std::string_view name, const XML_Char** a) override {
        if (name == "row") {
            std::uint32_t r = row_.row + 1;
            if (const XML_Char* n = Attribute(a, "r")) {
                std::uint32_t parsed = 0;
                const std::string_view s = n;
                if (std::from_chars(s.data(), s.data() + s.size(), parsed).ptr != s.data() + s.size() || parsed == 0 ||
                    parsed > kMaxRow || parsed <= row_.row)
                    throw std::runtime_error(where_ + ": row number '" + std::string(s) + "' out of order");
                r = parsed;
            }
            if (r > kMaxRow) throw std::runtime_error(where_ + ": more than " + std::to_string(kMaxRow) + " rows");
            row_.row = r;
            row_.cells.clear();
            nextColumn_ = 0;
        } else if (name == "c") {
            cell_ = {};
            cell_.column = nextColumn_;
            if (const XML_Char* ref = Attribute(a, "r")) {
                std::uint32_t r = 0;
                if (!ParseReference(ref, r, cell_.column) || r != row_.row || cell_.column < nextColumn_)
                    throw std::runtime_error(where_ + " row " + std::to_string(row_.row) + ": cell reference '" + ref +
                                             "' out of place");
            }
            if (cell_.column >= kMaxColumn)
                throw std::runtime_error(where_ + " row " + std::to_string(row_.row) + ": too many columns");
            const XML_Char* t = Attribute(a, "t");
            type_ = t ? t : "n";
            value_.clear();
            formula_.reset();
            inCell_ = true;
        } else if (inCell_ && name == "f") {
            formula_.emplace();
            collect_ = &*formula_;
        } else if (inCell_ && name == "v") {
            collect_ = &value_;
        } else if (inCell_ && name == "rPh") {
            ++phonetic_;
        } else if (inCell_ && name == "t" && phonetic_ == 0) {
            collect_ = &value_;
        }
    }

    void End(std::string_view name) override {
        if (name == "f" || name == "v" || name == "t") collect_ = nullptr;
        if (name == "rPh" && phonetic_ > 0) --phonetic_;
        if (name == "c" && inCell_) {
            inCell_ = false;
            nextColumn_ = cell_.column + 1;
            EndCell();
        }
        if (name == "row" && !row_.cells.empty()) onRow_(row_);
    }

    void Characters(std::string_view s) override {
        if (collect_) {
            if (collect_->size() + s.size() > 32767 * 4)
                throw std::runtime_error(Where() + ": a value longer than a cell may hold");
            *collect_ += s;
        }
    }

private:
    std::string Where() const { return where_ + " cell " + CellName(row_.row, cell_.column); }

    void EndCell() {
        if (formula_)
            throw std::runtime_error(Where() + " holds a formula (=" + *formula_ +
                                     "): replace it by its value (copy, then paste values) and save again");
        if (type_ == "e")
            throw std::runtime_error(Where() + " holds an error value (" + value_ +
                                     "): enter the value it should hold");
        if (type_ == "s") {
            std::size_t i = 0;
            if (std::from_chars(value_.data(), value_.data() + value_.size(), i).ptr != value_.data() + value_.size() ||
                value_.empty() || i >= strings_.size())
                throw std::runtime_error(Where() + ": shared string '" + value_ + "' that the workbook lacks");
            cell_.text = strings_[i];
        } else if (type_ == "inlineStr" || type_ == "str") {
            cell_.text = Unescape(value_);
        } else if (type_ == "b") {
            if (value_ != "0" && value_ != "1")
                throw std::runtime_error(Where() + ": '" + value_ + "' is not a truth value");
            cell_.kind = SheetCell::Kind::Boolean;
            cell_.text = value_ == "1" ? "True" : "False";
        } else if (type_ == "d") {
            cell_.kind = SheetCell::Kind::Date;
            cell_.text = value_;
            // A date without a time of day reads as the date alone.
            for (const char* midnight : {"T00:00:00", "T00:00:00.000", "T00:00:00Z"})
                if (cell_.text.size() == 10 + std::strlen(midnight) &&
                    cell_.text.compare(10, std::string::npos, midnight) == 0)
                    cell_.text.resize(10);
        } else if (type_ == "n") {
            if (value_.empty()) return;
            double v = 0;
            const char* first = value_.data();
            const char* last = first + value_.size();
            if (*first == '+') ++first;
            const auto [end, ec] = std::from_chars(first, last, v);
            if (ec != std::errc() || end != last || !std::isfinite(v))
                throw std::runtime_error(Where() + ": '" + value_ + "' is not a number");
            cell_.kind = SheetCell::Kind::Number;
            cell_.number = v == 0 ? 0.0 : v;  // no negative zero
            cell_.text = ExactDecimalText(cell_.number);
        } else {
            throw std::runtime_error(Where() + ": unknown cell type '" + type_ + "'");
        }
        if (cell_.kind == SheetCell::Kind::Text && cell_.text.empty()) return;
        row_.cells.push_back(std::move(cell_));
    }

    const std::vector<std::string>& strings_;
    std::string where_;
    const std::function<void(const SheetRow&)>& onRow_;
    SheetRow row_;
    SheetCell cell_;
    std::uint32_t nextColumn_ = 0;
    std::string type_, value_;
    std::optional<std::string> formula_;
    std::string* collect_ = nullptr;
    bool inCell_ = false;
    int phonetic_ = 0;
};

// A relationship's target as a part name: relative to the folder of the part it belongs to.
std::string Resolve(const std::string& folder, const std::string& target) {
    std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : folder + target;
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (from <= path.size()) {
        const std::size_t slash = std::min(path.find('/', from), path.size());
        const std::string part = path.substr(from, slash - from);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        from = slash + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
    return out;
}

bool EndsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

}  // namespace

std::string CellName(std::uint32_t row, std::uint32_t column) {
    std::string letters;
    for (std::uint32_t c = column + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row);
}

struct XlsxReader::Archive {
    std::string bytes;
    zip_t* zip = nullptr;
    ~Archive() {
        if (zip) zip_discard(zip);
    }
};

XlsxReader::XlsxReader(std::string bytes, std::string path)
    : zip_(std::make_unique<Archive>()), path_(std::move(path)) {
    zip_->bytes = std::move(bytes);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(zip_->bytes.data(), zip_->bytes.size(), 0, &error);
    if (source) {
        zip_->zip = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
        if (!zip_->zip) zip_source_free(source);
    }
    if (!zip_->zip) {
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw std::runtime_error(path_ + ": not a workbook (.xlsx): " + why);
    }
    zip_error_fini(&error);

    // The package's relationships name the workbook part; its own name the sheets and strings.
    std::string workbook = "xl/workbook.xml";
    if (zip_name_locate(zip_->zip, "_rels/.rels", 0) >= 0) {
        Relationships root;
        root.Parse(Part("_rels/.rels"), path_ + ": _rels/.rels");
        for (const Relationship& r : root.list)
            if (EndsWith(r.type, "/officeDocument")) workbook = Resolve("", r.target);
    }
    if (zip_name_locate(zip_->zip, workbook.c_str(), 0) < 0)
        throw std::runtime_error(path_ + ": not a workbook (.xlsx): the archive has no " + workbook);
    const std::string folder = workbook.substr(0, workbook.rfind('/') + 1);
    const std::string relsName = folder + "_rels/" + workbook.substr(folder.size()) + ".rels";
    Relationships rels;
    if (zip_name_locate(zip_->zip, relsName.c_str(), 0) >= 0) rels.Parse(Part(relsName), path_ + ": " + relsName);
    SheetList list;
    list.Parse(Part(workbook), path_ + ": " + workbook);
    for (const auto& [name, id] : list.sheets)
        for (const Relationship& r : rels.list)
            if (r.id == id && EndsWith(r.type, "/worksheet")) {
                names_.push_back(name);
                parts_.push_back(Resolve(folder, r.target));
            }
    if (names_.empty()) throw std::runtime_error(path_ + ": the workbook has no sheet");
    std::string strings;
    for (const Relationship& r : rels.list)
        if (EndsWith(r.type, "/sharedStrings")) strings = Resolve(folder, r.target);
    if (!strings.empty() && zip_name_locate(zip_->zip, strings.c_str(), 0) >= 0) {
        SharedStrings shared;
        shared.Parse(Part(strings), path_ + ": " + strings);
        strings_ = std::move(shared.strings);
    }
}

XlsxReader::~XlsxReader() = default;

std::string XlsxReader::Part(const std::string& name) const {
    const zip_int64_t index = zip_name_locate(zip_->zip, name.c_str(), 0);
    if (index < 0) throw std::runtime_error(path_ + ": damaged workbook: the archive has no " + name);
    zip_file_t* file = zip_fopen_index(zip_->zip, static_cast<zip_uint64_t>(index), 0);
    if (!file)
        throw std::runtime_error(path_ + ": damaged workbook: cannot unpack " + name + ": " +
                                 zip_error_strerror(zip_get_error(zip_->zip)));
    std::string out;
    char buffer[65536];
    zip_int64_t n = 0;
    while ((n = zip_fread(file, buffer, sizeof buffer)) > 0) {
        if (out.size() + static_cast<std::size_t>(n) > kMaxPartBytes) {
            zip_fclose(file);
            throw std::runtime_error(path_ + ": " + name + " unpacks to more than " +
                                     std::to_string(kMaxPartBytes >> 20) + " MB: refused");
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    const std::string why = n < 0 ? zip_error_strerror(zip_file_get_error(file)) : "";
    zip_fclose(file);
    if (n < 0) throw std::runtime_error(path_ + ": damaged workbook: cannot unpack " + name + ": " + why);
    return out;
}

void XlsxReader::ReadSheet(const std::string& sheet, const std::function<void(const SheetRow&)>& onRow) {
    std::size_t i = 0;
    if (!sheet.empty()) {
        while (i < names_.size() && names_[i] != sheet) ++i;
        if (i == names_.size()) {
            std::string known;
            for (const std::string& n : names_) known += (known.empty() ? "'" : ", '") + n + "'";
            throw UsageError(path_ + ": no sheet '" + sheet + "' (the workbook has " + known + ")");
        }
    }
    SheetPart part(strings_, path_ + ": sheet '" + names_[i] + "'", onRow);
    part.Parse(Part(parts_[i]), path_ + ": sheet '" + names_[i] + "' (" + parts_[i] + ")");
}

}  // namespace tesma::reportkit

#include "table_csv.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "csv.h"
#include "field_list.h"
#include "gz_stream.h"
#include "platform/engine/blob_file.h"
#include "platform/engine/dbase.h"
#include "platform/engine/files.h"
#include "platform/engine/keyed_table.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "report_folder.h"

namespace tesma::reportkit {

namespace fs = std::filesystem;

namespace {

bool IsDbase(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext == ".DBF";
}

}  // namespace

void ExportTable(const std::string& tablePath, std::ostream& file, const CsvFormat& format) {
    const std::string bytes = engine::ReadWholeFile(tablePath, tablePath);
    engine::TableFile t =
        IsDbase(tablePath) ? engine::ParseDbase(bytes, tablePath) : engine::ParseParadox(bytes, tablePath);
    // Memo texts longer than their head in the record lie in the .MB file beside the table.
    engine::ReadBlobFileBeside(t, text::FromUtf8(tablePath, true));
    const char sep = format.separator ? format.separator : ',';
    std::ostringstream out;
    for (std::size_t f = 0; f < t.fields.size(); ++f) {
        std::string name = text::ToUtf8(t.fields[f].name);
        if (format.withTypes) name += ":" + TypeOf(t.fields[f]);
        out << (f ? std::string(1, sep) : "") << CsvField(name, sep);
    }
    out << '\n';
    for (std::size_t r = 0; r < t.records.size(); ++r) {
        for (std::size_t f = 0; f < t.fields.size(); ++f) {
            const engine::Cell c = t.Get(r, static_cast<int>(f));
            out << (f ? std::string(1, sep) : "")
                << CsvField(text::ToUtf8(engine::CellText(c, engine::KindOf(t.fields[f].type))), sep);
        }
        out << '\n';
    }
    file << EncodeCsvText(out.str(), format);
}

void ImportTable(const std::string& csvPath, const std::string& tablePath,
                 const std::vector<engine::NewField>& givenFields, bool replace, const CsvFormat& format) {
    if (!replace && fs::exists(tablePath))
        throw std::runtime_error(tablePath + ": the table exists (give --replace to write over it)");
    const std::string cpPath = text::FromUtf8(tablePath, true);
    const std::string utf8 = DecodeCsvText(ReadMaybeGzip(csvPath), format.encoding, csvPath);
    const char sep = format.separator ? format.separator : DetectSeparator(utf8.substr(0, utf8.find('\n')), csvPath);
    std::istringstream in(utf8);
    CsvReader csv(in, sep);
    auto header = csv.Next();
    if (!header) throw std::runtime_error(csvPath + ": empty file");
    // A typed header gives the fields when no field list does; the names are compared without the types.
    std::vector<engine::NewField> fields = givenFields;
    for (std::size_t i = 0; i < header->size(); ++i) {
        auto typed = SplitTypedName((*header)[i]);
        if (givenFields.empty()) {
            if (!typed)
                throw UsageError(csvPath + ":1: column " + std::to_string(i + 1) + " '" + (*header)[i] +
                                 "' has no type: give --fields, or export the table with --with-types");
            fields.push_back(ParseFieldList(typed->first + ":" + typed->second).front());
        }
        if (typed) (*header)[i] = typed->first;
    }
    engine::TableFile t = engine::CreateParadox(fields, cpPath);
    if (header->size() != fields.size())
        throw std::runtime_error(csvPath + ":1: " + std::to_string(header->size()) + " columns, the field list has " +
                                 std::to_string(fields.size()));
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (text::LatinUpper(text::FromUtf8((*header)[i])) != text::LatinUpper(fields[i].name))
            throw std::runtime_error(csvPath + ":1: column " + std::to_string(i + 1) + " is '" + (*header)[i] +
                                     "', the field list says '" + text::ToUtf8(fields[i].name) + "'");
    while (auto row = csv.Next()) {
        const std::string where = csvPath + ":" + std::to_string(csv.Line());
        if (row->size() != fields.size())
            throw std::runtime_error(where + ": " + std::to_string(row->size()) + " values, expected " +
                                     std::to_string(fields.size()));
        std::string record = t.BlankRecord();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string value = (*row)[i];
            const engine::FieldDef& def = t.fields[i];
            // Spreadsheets that separate fields with ';' write the decimal comma.
            if (sep == ';' && (def.type == engine::FieldType::Number || def.type == engine::FieldType::Currency) &&
                value.find('.') == std::string::npos && std::count(value.begin(), value.end(), ',') == 1)
                value[value.find(',')] = '.';
            try {
                std::string cp = text::FromUtf8(value, true);
                // Dates also in the ISO form.
                int y, m, d;
                if (def.type == engine::FieldType::Date && value.size() == 10 &&
                    std::sscanf(value.c_str(), "%4d-%2d-%2d", &y, &m, &d) == 3) {
                    if (!locale::IsValidDate(y, m, d)) throw ConversionError("'" + value + "' is not a valid date");
                    t.Set(record, static_cast<int>(i), engine::Cell::Date(locale::EncodeDate(y, m, d)));
                    continue;
                }
                t.Set(record, static_cast<int>(i), engine::CellFromText(cp, def));
            } catch (const std::exception& e) {
                throw std::runtime_error(where + ": field " + text::ToUtf8(def.name) + ": " + text::ToUtf8(e.what()));
            }
        }
        t.records.push_back(std::move(record));
    }
    // A table that is there is replaced under its lock, the one a run of the library holds while
    // it reads and rewrites the table: replaced under a run, the table would lose the run's rows
    // or have them written over the imported ones.
    std::optional<engine::FileLock> lock;
    if (fs::exists(tablePath)) {
        lock = engine::FileLock::TryExclusive(tablePath);
        if (!lock)
            throw std::runtime_error(tablePath + (::access(tablePath.c_str(), R_OK) == 0
                                                      ? ": the table is locked by another process (a check, sort "
                                                        "or fill is working on it); it was not replaced"
                                                      : ": cannot be opened to lock it; it was not replaced"));
    }
    engine::ReplaceFileAtomically(tablePath, engine::SerializeParadox(t), tablePath);
    // The new table has no key: the indexes of the table it replaced index nothing now.
    engine::RemoveIndexesOfReplacedTable(cpPath);
}

}  // namespace tesma::reportkit

#include "platform/engine/table_file.h"

#include "platform/engine/blob_file.h"
#include "platform/engine/dbase.h"
#include "platform/engine/paradox.h"
#include "platform/errors.h"
#include "platform/text/cp1251.h"

namespace tesma::engine {

ColumnKind KindOf(FieldType type) {
    switch (type) {
        case FieldType::Alpha:
        case FieldType::Memo:
        case FieldType::FormattedMemo:
            return ColumnKind::Text;
        case FieldType::Short:
        case FieldType::Long:
        case FieldType::AutoInc:
            return ColumnKind::Integer;
        case FieldType::Number:
        case FieldType::Currency:
        case FieldType::Bcd:
            return ColumnKind::Real;
        case FieldType::Time:
            return ColumnKind::Time;
        case FieldType::Date:
            return ColumnKind::Date;
        case FieldType::Timestamp:
            return ColumnKind::DateTime;
        case FieldType::Logical:
            return ColumnKind::Logical;
        default:
            return ColumnKind::Other;
    }
}

int TableFile::FieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& f = fields[i].name;
        if (f.size() != name.size()) continue;
        std::size_t k = 0;
        while (k < f.size() && text::LatinUpper(f[k]) == text::LatinUpper(name[k])) ++k;
        if (k == f.size()) return static_cast<int>(i);
    }
    return -1;
}

Cell TableFile::Decode(const char* record, int field) const {
    const FieldDef& f = fields[static_cast<std::size_t>(field)];
    const char* p = record + f.offset;
    if (format != TableFormat::Paradox) return DecodeDbaseField(*this, f, p);
    switch (f.type) {
        case FieldType::Memo:
        case FieldType::FormattedMemo:
            return ReadMemo(*this, f, p);
        case FieldType::Binary:
        case FieldType::Ole:
        case FieldType::Graphic:
        case FieldType::Bytes:
            throw EngineError(
                "field " + f.name + " of table " + path +
                " holds binary data (a binary, OLE, graphic or bytes field), which cannot be read as a value");
        default:
            return DecodeParadoxField(f, p);
    }
}

void TableFile::Set(std::string& record, int field, const Cell& value) const {
    if (format != TableFormat::Paradox)
        throw EngineError("table " + path + " is a dBASE table; changing dBASE tables is not supported");
    const FieldDef& f = fields[static_cast<std::size_t>(field)];
    EncodeParadoxField(f, value, record.data() + f.offset);
}

}  // namespace tesma::engine

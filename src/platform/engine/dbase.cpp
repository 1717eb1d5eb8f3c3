#include "platform/engine/dbase.h"

#include <iconv.h>

#include <cstring>

#include "platform/engine/dbase_layout.h"
#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/locale/number_format.h"

namespace tesma::engine {

namespace {

using namespace dbase_layout;

[[noreturn]] void Damaged(const std::string& path, const std::string& what) {
    throw EngineError("table file " + path + " is damaged or not a dBASE table: " + what);
}

std::string Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\0')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\0')) --e;
    return std::string(s.substr(b, e - b));
}

std::string Dos866To1251(const std::string& in) {
    iconv_t cd = iconv_open("CP1251//TRANSLIT", "CP866");
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    std::string out(in.size() * 2 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            if (dstLeft == 0) break;
            *dst++ = '?';
            --dstLeft;
            ++src;
            --srcLeft;
        }
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace

TableFile ParseDbase(std::string_view bytes, const std::string& path) {
    if (bytes.size() < kMinHeaderLength) Damaged(path, "the file is shorter than a table header");
    auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at]) |
                                     (static_cast<unsigned char>(bytes[at + 1]) << 8));
    };
    const unsigned char version = static_cast<unsigned char>(bytes[kVersion]) & kVersionBits;
    if (version != kDbase3 && version != kDbase4) Damaged(path, "unknown version byte");
    const std::uint32_t count = u16(kNumRecords) | (static_cast<std::uint32_t>(u16(kNumRecords + 2)) << 16);
    const std::size_t headerLength = u16(kHeaderLength);
    const std::size_t recordLength = u16(kRecordLength);
    if (headerLength < kMinHeaderLength || headerLength > bytes.size()) Damaged(path, "invalid header length");
    if (recordLength < 1) Damaged(path, "invalid record length");
    const unsigned char languageDriver = static_cast<unsigned char>(bytes[kLanguageDriver]);

    TableFile t;
    t.format = TableFormat::DBase;
    t.path = path;
    t.recordSize = static_cast<int>(recordLength);
    t.dbaseIsDos866 = languageDriver == kDos866Drivers[0] || languageDriver == kDos866Drivers[1];
    int offset = 1;  // the deletion flag comes first
    for (std::size_t at = kFirstDescriptor; at + 1 <= headerLength && bytes[at] != kDescriptorsEnd;
         at += kDescriptorSize) {
        if (at + kDescriptorSize > headerLength) Damaged(path, "field descriptors beyond the header");
        FieldDef f;
        std::size_t n = 0;
        while (n < kFieldNameLength && bytes[at + kFieldName + n] != 0) ++n;
        f.name.assign(bytes.substr(at + kFieldName, n));
        char type = bytes[at + kFieldType];
        f.size = static_cast<unsigned char>(bytes[at + kFieldLength]);
        f.decimals = static_cast<unsigned char>(bytes[at + kFieldDecimals]);
        switch (type) {
            case 'C':
                f.type = FieldType::Alpha;
                f.size |= f.decimals << 8;
                f.decimals = 0;
                break;
            case 'N':
            case 'F':
                f.type = (f.decimals == 0 && f.size <= 9) ? FieldType::Long : FieldType::Number;
                break;
            case 'D':
                f.type = FieldType::Date;
                break;
            case 'L':
                f.type = FieldType::Logical;
                break;
            default:
                f.type = FieldType::Other;
                break;
        }
        if (f.size == 0) Damaged(path, "field " + f.name + " has no size");
        f.offset = offset;
        offset += f.size;
        t.fields.push_back(f);
    }
    if (t.fields.empty()) Damaged(path, "no fields");
    if (static_cast<std::size_t>(offset) > recordLength) Damaged(path, "fields longer than the record");
    for (std::uint32_t r = 0; r < count; ++r) {
        std::size_t at = headerLength + r * recordLength;
        if (at + recordLength > bytes.size()) {
            if (at < bytes.size() && bytes[at] == kEndOfFile) break;
            Damaged(path, "the file ends inside record " + std::to_string(r + 1));
        }
        if (bytes[at] == kDeleted) continue;
        t.records.emplace_back(bytes.substr(at, recordLength));
    }
    return t;
}

Cell DecodeDbaseField(const TableFile& table, const FieldDef& field, const char* p) {
    std::string_view raw(p, static_cast<std::size_t>(field.size));
    switch (field.type) {
        case FieldType::Alpha: {
            std::size_t e = raw.size();
            while (e > 0 && (raw[e - 1] == ' ' || raw[e - 1] == '\0')) --e;
            if (e == 0) return Cell::Blank();
            std::string s(raw.substr(0, e));
            return Cell::Text(table.dbaseIsDos866 ? Dos866To1251(s) : s);
        }
        case FieldType::Long:
        case FieldType::Number: {
            std::string s = Trim(raw);
            if (s.empty() || s.find_first_not_of('*') == std::string::npos) return Cell::Blank();
            auto v = locale::ParseNumber(s, '.');
            if (!v) return Cell::Blank();
            if (field.type == FieldType::Long) return Cell::Integer(static_cast<std::int64_t>(*v));
            return Cell::Real(static_cast<double>(*v));
        }
        case FieldType::Date: {
            std::string s = Trim(raw);
            if (s.size() != 8) return Cell::Blank();
            int y = 0, m = 0, d = 0;
            for (int i = 0; i < 8; ++i)
                if (s[static_cast<std::size_t>(i)] < '0' || s[static_cast<std::size_t>(i)] > '9') return Cell::Blank();
            y = std::stoi(s.substr(0, 4));
            m = std::stoi(s.substr(4, 2));
            d = std::stoi(s.substr(6, 2));
            if (!locale::IsValidDate(y, m, d)) return Cell::Blank();
            return Cell::Date(locale::EncodeDate(y, m, d));
        }
        case FieldType::Logical: {
            char c = raw.empty() ? ' ' : raw[0];
            if (c == 'T' || c == 't' || c == 'Y' || c == 'y') return Cell::Logical(true);
            if (c == 'F' || c == 'f' || c == 'N' || c == 'n') return Cell::Logical(false);
            return Cell::Blank();
        }
        default:
            return Cell::Blank();
    }
}

}  // namespace tesma::engine

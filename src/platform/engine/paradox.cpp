#include "platform/engine/paradox.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <set>

#include "platform/engine/paradox_layout.h"
#include "platform/errors.h"
#include "platform/locale/calendar.h"

namespace tesma::engine {

namespace {

using namespace layout;

// Days from 1 January of the year 1 (day 1) to 30 December 1899.
constexpr double kDateShift = 693594;

// Block sizes are counted in units of this many bytes (kBlockSizeCode).
constexpr int kBlockSizeUnit = 1024;
// More fields than any table this engine meets; a larger count is a damaged header.
constexpr unsigned kMaxFields = 1024;
// The block size of a table this engine creates.
constexpr int kNewTableBlockSize = 2048;

[[noreturn]] void Damaged(const std::string& path, const std::string& what) {
    throw EngineError("table file " + path + " is damaged or not a Paradox table: " + what);
}

FieldType TypeOfCode(unsigned code) {
    switch (code) {
        case 0x01:
            return FieldType::Alpha;
        case 0x02:
            return FieldType::Date;
        case 0x03:
            return FieldType::Short;
        case 0x04:
            return FieldType::Long;
        case 0x05:
            return FieldType::Currency;
        case 0x06:
            return FieldType::Number;
        case 0x09:
            return FieldType::Logical;
        case 0x14:
            return FieldType::Time;
        case 0x15:
            return FieldType::Timestamp;
        case 0x16:
            return FieldType::AutoInc;
        case 0x17:
            return FieldType::Bcd;
        case 0x0C:
            return FieldType::Memo;
        case 0x0E:
            return FieldType::FormattedMemo;
        case 0x0D:
            return FieldType::Binary;
        case 0x0F:
            return FieldType::Ole;
        case 0x10:
            return FieldType::Graphic;
        case 0x18:
            return FieldType::Bytes;
        default:
            return FieldType::Other;
    }
}

unsigned CodeOfType(FieldType t) {
    switch (t) {
        case FieldType::Alpha:
            return 0x01;
        case FieldType::Date:
            return 0x02;
        case FieldType::Short:
            return 0x03;
        case FieldType::Long:
            return 0x04;
        case FieldType::Currency:
            return 0x05;
        case FieldType::Number:
            return 0x06;
        case FieldType::Logical:
            return 0x09;
        case FieldType::Time:
            return 0x14;
        case FieldType::Timestamp:
            return 0x15;
        case FieldType::AutoInc:
            return 0x16;
        case FieldType::Bcd:
            return 0x17;
        case FieldType::Memo:
            return 0x0C;
        case FieldType::FormattedMemo:
            return 0x0E;
        case FieldType::Binary:
            return 0x0D;
        case FieldType::Ole:
            return 0x0F;
        case FieldType::Graphic:
            return 0x10;
        case FieldType::Bytes:
            return 0x18;
        default:
            return 0;
    }
}

int FixedSizeOf(FieldType t) {
    switch (t) {
        case FieldType::Date:
        case FieldType::Long:
        case FieldType::AutoInc:
        case FieldType::Time:
            return 4;
        case FieldType::Short:
            return 2;
        case FieldType::Currency:
        case FieldType::Number:
        case FieldType::Timestamp:
            return 8;
        case FieldType::Logical:
            return 1;
        default:
            return 0;
    }
}

bool AllZero(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != 0) return false;
    return true;
}

// Integers are stored big-endian with the sign bit flipped, so that bytes sort as numbers.
std::int64_t DecodeInt(const char* p, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    const std::uint64_t sign = 1ULL << (8 * n - 1);
    v ^= sign;
    // Sign-extend the n-byte two's complement value.
    if (v & sign) return static_cast<std::int64_t>(v) - static_cast<std::int64_t>(sign << 1);
    return static_cast<std::int64_t>(v);
}

void EncodeInt(std::int64_t value, char* p, int n) {
    std::uint64_t v = static_cast<std::uint64_t>(value) ^ (1ULL << (8 * n - 1));
    for (int i = n - 1; i >= 0; --i, v >>= 8) p[i] = static_cast<char>(v & 0xFF);
}

// Doubles: big-endian; positive values with the sign bit set, negative values inverted.
double DecodeDouble(const char* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    if (v & (1ULL << 63))
        v &= ~(1ULL << 63);
    else
        v = ~v;
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}

void EncodeDouble(double d, char* p) {
    std::uint64_t v;
    std::memcpy(&v, &d, 8);
    if (v & (1ULL << 63))
        v = ~v;
    else
        v |= 1ULL << 63;
    for (int i = 7; i >= 0; --i, v >>= 8) p[i] = static_cast<char>(v & 0xFF);
}

std::int64_t RangeChecked(const FieldDef& field, std::int64_t v, std::int64_t lo, std::int64_t hi) {
    if (v < lo || v > hi) throw EngineError("value " + std::to_string(v) + " out of range for field " + field.name);
    return v;
}

// BCD: a head byte (bit 7 set for a positive value, the low six bits the number of decimals),
// then 32 digits of four bits each, the last ones the fraction; a negative value has every
// digit inverted.
Cell DecodeBcd(const char* p) {
    const auto head = static_cast<unsigned char>(p[0]);
    const unsigned decimals = std::min(head & 0x3Fu, 32u);
    const unsigned invert = head & 0x80 ? 0x0 : 0xF;
    std::string digits;
    for (unsigned i = 2; i < 34; ++i) {
        const auto byte = static_cast<unsigned char>(p[i / 2]);
        const unsigned nibble = ((i % 2 ? byte : byte >> 4) & 0x0F) ^ invert;
        digits += static_cast<char>('0' + std::min(nibble, 9u));
    }
    std::string whole = digits.substr(0, 32 - decimals);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    std::string exact = (whole.empty() ? "0" : whole) + (decimals ? "." + digits.substr(32 - decimals) : "");
    if (invert && exact.find_first_not_of("0.") != std::string::npos) exact.insert(0, "-");
    double value = 0;
    std::from_chars(exact.data(), exact.data() + exact.size(), value);
    return Cell::Decimal(exact, value);
}

}  // namespace

Cell DecodeParadoxField(const FieldDef& field, const char* p) {
    if (field.type == FieldType::Alpha) {
        std::size_t n = 0;
        while (n < static_cast<std::size_t>(field.size) && p[n] != 0) ++n;
        return n == 0 ? Cell::Blank() : Cell::Text(std::string(p, n));
    }
    if (AllZero(p, field.size)) return Cell::Blank();
    switch (field.type) {
        case FieldType::Date:
            return Cell::Date(static_cast<double>(DecodeInt(p, 4)) - kDateShift);
        case FieldType::Short:
            return Cell::Integer(DecodeInt(p, 2));
        case FieldType::Long:
        case FieldType::AutoInc:
            return Cell::Integer(DecodeInt(p, 4));
        case FieldType::Number:
        case FieldType::Currency:
            return Cell::Real(DecodeDouble(p));
        case FieldType::Logical:
            return Cell::Logical((static_cast<unsigned char>(p[0]) & 0x7F) != 0);
        case FieldType::Time:
            return Cell::Real(static_cast<double>(DecodeInt(p, 4)) / 86400000.0);
        // A time stamp counts milliseconds on one continuous scale; a date value before
        // 30 December 1899 keeps its time of day as a positive fraction.
        case FieldType::Timestamp:
            return Cell::Date(locale::FromContinuousDays(DecodeDouble(p) / 86400000.0 - kDateShift));
        case FieldType::Bcd:
            return DecodeBcd(p);
        default:
            return Cell::Blank();
    }
}

void EncodeParadoxField(const FieldDef& field, const Cell& value, char* p) {
    std::memset(p, 0, static_cast<std::size_t>(field.size));
    if (value.IsBlank()) return;
    auto asInt = [&]() -> std::int64_t {
        if (value.kind == Cell::Kind::Integer || value.kind == Cell::Kind::Logical) return value.integer;
        if (value.kind == Cell::Kind::Real || value.kind == Cell::Kind::Date) {
            if (!std::isfinite(value.real)) throw EngineError("value out of range for field " + field.name);
            return static_cast<std::int64_t>(std::llround(value.real));
        }
        throw EngineError("a text cannot be stored in the numeric field " + field.name);
    };
    auto asReal = [&]() -> double {
        if (value.kind == Cell::Kind::Real || value.kind == Cell::Kind::Date) return value.real;
        if (value.kind == Cell::Kind::Integer || value.kind == Cell::Kind::Logical)
            return static_cast<double>(value.integer);
        throw EngineError("a text cannot be stored in the numeric field " + field.name);
    };
    switch (field.type) {
        case FieldType::Alpha: {
            if (value.kind != Cell::Kind::Text) throw EngineError("field " + field.name + " takes text only");
            if (value.text.size() > static_cast<std::size_t>(field.size))
                throw EngineError("text of " + std::to_string(value.text.size()) + " characters does not fit field " +
                                  field.name + " of " + std::to_string(field.size));
            std::memcpy(p, value.text.data(), value.text.size());
            return;
        }
        case FieldType::Date: {
            double d = asReal();
            EncodeInt(RangeChecked(field, static_cast<std::int64_t>(std::trunc(d) + kDateShift), 1, 3652059), p, 4);
            return;
        }
        case FieldType::Short:
            EncodeInt(RangeChecked(field, asInt(), -32767, 32767), p, 2);
            return;
        case FieldType::Long:
        case FieldType::AutoInc:
            EncodeInt(RangeChecked(field, asInt(), -2147483647, 2147483647), p, 4);
            return;
        case FieldType::Number:
        case FieldType::Currency:
            EncodeDouble(asReal(), p);
            return;
        case FieldType::Logical:
            p[0] = static_cast<char>(asInt() ? 0x81 : 0x80);
            return;
        case FieldType::Time:
            EncodeInt(RangeChecked(field, static_cast<std::int64_t>(std::llround(asReal() * 86400000.0)), 0, 86399999),
                      p, 4);
            return;
        case FieldType::Timestamp:
            EncodeDouble((locale::ToContinuousDays(asReal()) + kDateShift) * 86400000.0, p);
            return;
        default:
            throw EngineError("field " + field.name + " is of a type that cannot be written");
    }
}

TableFile ParseParadox(std::string_view bytes, const std::string& path) {
    if (bytes.size() < kOldFieldInfo) Damaged(path, "the file is shorter than a table header");
    TableFile t;
    t.format = TableFormat::Paradox;
    t.path = path;
    t.recordSize = static_cast<int>(U16(bytes, kRecordSize));
    const unsigned headerSize = U16(bytes, kHeaderSize);
    const unsigned fileType = static_cast<unsigned char>(bytes[kFileType]);
    const unsigned blockCode = static_cast<unsigned char>(bytes[kBlockSizeCode]);
    const unsigned version = static_cast<unsigned char>(bytes[kFileVersion]);
    const unsigned numFields = U16(bytes, kNumFields);
    if (fileType != 0 && fileType != 2) Damaged(path, "file type " + std::to_string(fileType) + " is not a data table");
    if (version < kVersion3 || version > kNewestVersion)
        Damaged(path, "unknown file version " + std::to_string(version));
    if (blockCode < 1 || blockCode > 32) Damaged(path, "invalid block size");
    if (t.recordSize <= 0) Damaged(path, "zero record size");
    if (headerSize < kOldFieldInfo || headerSize > bytes.size()) Damaged(path, "invalid header size");
    if (numFields == 0 || numFields > kMaxFields) Damaged(path, "invalid field count");
    // Versions from 4.0 on carry a second header part up to kFieldInfo.
    if (version >= kVersion4 && (bytes.size() < kFieldInfo || headerSize < kFieldInfo))
        Damaged(path, "the header is shorter than its version needs");
    std::uint32_t enc = U32(bytes, kEncryption1);
    if (enc == kNotEncrypted && version >= kVersion4) enc = U32(bytes, kEncryption2);
    if (enc != 0 && enc != kNotEncrypted)
        throw EngineError("table file " + path + " is encrypted; encrypted tables are not supported");

    t.header.assign(bytes.substr(0, headerSize));
    t.blockSize = static_cast<int>(blockCode) * kBlockSizeUnit;
    t.keyed = fileType == kKeyedTable || U16(bytes, kKeyFields) != 0;
    t.keyFields = static_cast<int>(U16(bytes, kKeyFields));
    if (t.keyFields > static_cast<int>(numFields)) Damaged(path, "more key fields than fields");

    // Field descriptors, then the table name pointer, field name pointers, table name and names.
    const std::size_t infoAt = version >= kVersion4 ? kFieldInfo : kOldFieldInfo;
    const std::size_t tableNameLength = version >= kVersion7 ? kTableNameLength : kOldTableNameLength;
    std::size_t at = infoAt;
    if (at + numFields * 2 > headerSize) Damaged(path, "field descriptors beyond the header");
    int offset = 0;
    for (unsigned i = 0; i < numFields; ++i, at += 2) {
        FieldDef f;
        unsigned code = static_cast<unsigned char>(bytes[at]);
        f.type = TypeOfCode(code);
        f.size = static_cast<unsigned char>(bytes[at + 1]);
        if (f.type == FieldType::Bcd) {  // the size byte holds the number of decimals
            f.decimals = f.size;
            f.size = 17;
        }
        if (f.size == 0) Damaged(path, "field " + std::to_string(i + 1) + " has no size");
        const bool blob = f.type == FieldType::Memo || f.type == FieldType::FormattedMemo ||
                          f.type == FieldType::Binary || f.type == FieldType::Ole || f.type == FieldType::Graphic;
        if (blob && f.size < 10) Damaged(path, "field " + std::to_string(i + 1) + " is shorter than a blob's head");
        int fixed = FixedSizeOf(f.type);
        if (fixed != 0 && fixed != f.size) Damaged(path, "field " + std::to_string(i + 1) + " has a wrong size");
        f.offset = offset;
        offset += f.size;
        t.fields.push_back(f);
    }
    if (offset != t.recordSize) Damaged(path, "field sizes do not add up to the record size");
    at += 4 + numFields * 4 + tableNameLength;
    for (auto& f : t.fields) {
        std::size_t end = at;
        while (end < headerSize && bytes[end] != 0) ++end;
        if (end >= headerSize) Damaged(path, "field names beyond the header");
        f.name.assign(bytes.substr(at, end - at));
        at = end + 1;
    }
    // Field numbers, then the name of the sort order of the texts.
    at += numFields * 2;
    for (std::size_t end = at; end < headerSize; ++end)
        if (bytes[end] == 0) {
            t.sortOrder.assign(bytes.substr(at, end - at));
            break;
        }

    // Data blocks, following the chain from the first block.
    const std::size_t fileBlocks = U16(bytes, kFileBlocks);
    std::size_t block = U16(bytes, kFirstBlock);
    const std::size_t perBlock =
        (static_cast<std::size_t>(t.blockSize) - kBlockHeader) / static_cast<std::size_t>(t.recordSize);
    if (perBlock == 0) Damaged(path, "records larger than a block");
    std::set<std::size_t> seen;
    while (block != 0) {
        if (!seen.insert(block).second) Damaged(path, "the block chain loops");
        if (seen.size() > fileBlocks + 1) Damaged(path, "more blocks in the chain than in the file");
        std::size_t start = headerSize + (block - 1) * static_cast<std::size_t>(t.blockSize);
        if (start + kBlockHeader > bytes.size())
            Damaged(path, "block " + std::to_string(block) + " lies beyond the end of the file");
        const long count = RecordsInBlock(U16(bytes, start + kBlockLastOffset), t.recordSize);
        if (count < 0 || static_cast<std::size_t>(count) > perBlock)
            Damaged(path, "block " + std::to_string(block) + " has an invalid record count");
        if (start + kBlockHeader + static_cast<std::size_t>(count) * static_cast<std::size_t>(t.recordSize) >
            bytes.size())
            Damaged(path, "block " + std::to_string(block) + " is cut short");
        t.blocks.push_back({static_cast<unsigned>(block), t.records.size(), static_cast<std::size_t>(count)});
        for (long r = 0; r < count; ++r)
            t.records.emplace_back(bytes.substr(
                start + kBlockHeader + static_cast<std::size_t>(r) * static_cast<std::size_t>(t.recordSize),
                static_cast<std::size_t>(t.recordSize)));
        block = U16(bytes, start + kBlockNext);
    }
    return t;
}

std::string SerializeParadox(const TableFile& t) {
    const std::size_t perBlock =
        (static_cast<std::size_t>(t.blockSize) - kBlockHeader) / static_cast<std::size_t>(t.recordSize);
    const std::size_t n = t.records.size();
    const std::size_t blocks = (n + perBlock - 1) / perBlock;
    if (blocks > 0xFFFF) throw EngineError("table " + t.path + " is too large for its block size");
    std::string out = t.header;
    PutFreshBlockChain(out, static_cast<std::uint32_t>(n), static_cast<unsigned>(blocks));
    // Keep the auto-increment counter above every stored value.
    std::uint32_t autoInc = U32(out, kAutoInc);
    for (std::size_t f = 0; f < t.fields.size(); ++f) {
        if (t.fields[f].type != FieldType::AutoInc) continue;
        for (std::size_t r = 0; r < n; ++r) {
            Cell c = t.Get(r, static_cast<int>(f));
            if (!c.IsBlank() && c.integer > 0 && static_cast<std::uint32_t>(c.integer) > autoInc)
                autoInc = static_cast<std::uint32_t>(c.integer);
        }
    }
    Put32(out, kAutoInc, autoInc);

    out.reserve(out.size() + blocks * static_cast<std::size_t>(t.blockSize));
    for (std::size_t b = 0; b < blocks; ++b) {
        std::string block(static_cast<std::size_t>(t.blockSize), '\0');
        std::size_t first = b * perBlock;
        std::size_t count = std::min(perBlock, n - first);
        Put16(block, kBlockNext, b + 1 < blocks ? static_cast<unsigned>(b + 2) : 0);
        Put16(block, kBlockPrevious, static_cast<unsigned>(b));
        Put16(block, kBlockLastOffset,
              static_cast<unsigned>((count - 1) * static_cast<std::size_t>(t.recordSize)) & 0xFFFF);
        for (std::size_t r = 0; r < count; ++r)
            std::memcpy(block.data() + kBlockHeader + r * static_cast<std::size_t>(t.recordSize),
                        t.records[first + r].data(), static_cast<std::size_t>(t.recordSize));
        out += block;
    }
    return out;
}

void StampChange(TableFile& t) {
    std::string& h = t.header;
    const unsigned version = static_cast<unsigned char>(h[kFileVersion]);
    h[kChangeCount1] = static_cast<char>(static_cast<unsigned char>(h[kChangeCount1]) + 1);
    if (version >= kVersion4 && h.size() >= kFieldInfo) Put16(h, kChangeCount4, (U16(h, kChangeCount4) + 1) & 0xFFFF);
    // Version 7 tables keep the time of their last update in seconds since 1970; older versions
    // pack it otherwise, and their stamp is left as it was rather than written in a wrong form.
    if (version >= kVersion7 && h.size() >= kFieldInfo)
        Put32(h, kUpdateTime, static_cast<std::uint32_t>(std::time(nullptr)));
}

TableFile CreateParadox(const std::vector<NewField>& fields, const std::string& path) {
    if (fields.empty()) throw EngineError("a table needs at least one field: " + path);
    TableFile t;
    t.format = TableFormat::Paradox;
    t.path = path;
    t.blockSize = kNewTableBlockSize;
    int offset = 0;
    std::size_t namesLength = 0;
    for (const auto& nf : fields) {
        FieldDef f;
        f.name = nf.name;
        f.type = nf.type;
        f.size = nf.type == FieldType::Alpha ? nf.size : FixedSizeOf(nf.type);
        if (f.type == FieldType::Other) throw EngineError("field " + nf.name + ": unsupported type for a new table");
        if (f.size < 1 || f.size > 255) throw EngineError("field " + nf.name + ": alpha size must be 1 to 255");
        if (nf.name.empty() || nf.name.size() > 25 || nf.name.find('\0') != std::string::npos)
            throw EngineError("field name '" + nf.name + "' must be 1 to 25 characters");
        f.offset = offset;
        offset += f.size;
        namesLength += nf.name.size() + 1;
        t.fields.push_back(f);
    }
    t.recordSize = offset;
    if (t.recordSize > t.blockSize - kBlockHeader) throw EngineError("records of table " + path + " are too long");
    const std::size_t n = fields.size();
    // The descriptors, the table name's pointer, the field names' pointers, the table name, the
    // field names, the field numbers and the sort order's name with its zero byte.
    const std::size_t used = kFieldInfo + n * 2 + 4 + n * 4 + kTableNameLength + namesLength + n * 2 + 9;
    const std::size_t headerSize = (used + kHeaderUnit - 1) / kHeaderUnit * kHeaderUnit;
    std::string h(headerSize, '\0');
    Put16(h, kRecordSize, static_cast<unsigned>(t.recordSize));
    Put16(h, kHeaderSize, static_cast<unsigned>(headerSize));
    h[kFileType] = static_cast<char>(kUnkeyedTable);
    h[kBlockSizeCode] = static_cast<char>(t.blockSize / kBlockSizeUnit);
    Put16(h, kNumFields, static_cast<unsigned>(n));
    Put32(h, kEncryption1, kNotEncrypted);
    h[kChangeCount1] = 2;
    h[kChangeCount2] = 1;
    Put32(h, kFieldInfoPointer, static_cast<std::uint32_t>(kFieldInfo));
    Put32(h, kTableNamePointer, static_cast<std::uint32_t>(kFieldInfo + n * 2));
    h[kFileVersion] = static_cast<char>(kVersion7);
    h[kWriterFlags] = 0x1F;
    h[kWriterFlags + 1] = 0x0F;
    Put16(h, kHeaderBytesUsed, static_cast<unsigned>(used));
    h[kWriterFlag56] = 0x20;
    Put16(h, kFileVersionId3, 0x010C);
    Put16(h, kFileVersionId4, 0x010C);
    Put32(h, kUpdateTime, static_cast<std::uint32_t>(std::time(nullptr)));
    Put16(h, kHighestFieldId, static_cast<unsigned>(n + 1));
    Put16(h, kCodePage, 1251);
    h[kWriterFlags6C] = 1;
    h[kWriterFlags6C + 1] = 1;
    std::size_t at = kFieldInfo;
    for (const auto& f : t.fields) {
        h[at++] = static_cast<char>(CodeOfType(f.type));
        h[at++] = static_cast<char>(f.size);
    }
    at += 4;      // table name pointer
    at += n * 4;  // field name pointers
    std::string tableName = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    std::memcpy(h.data() + at, tableName.data(), std::min(tableName.size(), kTableNameLength - 1));
    at += kTableNameLength;
    for (const auto& f : t.fields) {
        std::memcpy(h.data() + at, f.name.data(), f.name.size());
        at += f.name.size() + 1;
    }
    for (std::size_t i = 0; i < n; ++i, at += 2) Put16(h, at, static_cast<unsigned>(i + 1));
    std::memcpy(h.data() + at, "ancyrr", 6);  // sort order: ANSI Cyrillic
    t.sortOrder = "ancyrr";
    t.header = std::move(h);
    return t;
}

}  // namespace tesma::engine

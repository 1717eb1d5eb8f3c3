#include "platform/engine/key_order.h"

#include <array>
#include <cstring>

#include "platform/engine/paradox.h"
#include "platform/engine/query.h"

namespace tesma::engine {

namespace {

// Primary weights of code page 1251 bytes in a dictionary sort order: signs (by their code),
// then digits, then Latin letters, then Cyrillic letters with Ё right after Е; upper and lower
// case weigh the same here and are told apart afterwards.
struct Weights {
    std::array<std::uint16_t, 256> primary{};
    std::array<std::uint8_t, 256> lower{};  // 1 for a lower-case letter
};

constexpr Weights MakeWeights() {
    Weights w{};
    for (int c = 0; c < 256; ++c) w.primary[static_cast<std::size_t>(c)] = static_cast<std::uint16_t>(c);
    for (int d = 0; d < 10; ++d) w.primary[static_cast<std::size_t>('0' + d)] = static_cast<std::uint16_t>(0x100 + d);
    for (int l = 0; l < 26; ++l) {
        w.primary[static_cast<std::size_t>('A' + l)] = w.primary[static_cast<std::size_t>('a' + l)] =
            static_cast<std::uint16_t>(0x200 + l);
        w.lower[static_cast<std::size_t>('a' + l)] = 1;
    }
    for (int l = 0; l < 32; ++l) {  // А..Я at 0xC0, а..я at 0xE0
        const int rank = l < 6 ? l : l + 1;
        w.primary[static_cast<std::size_t>(0xC0 + l)] = w.primary[static_cast<std::size_t>(0xE0 + l)] =
            static_cast<std::uint16_t>(0x300 + rank);
        w.lower[static_cast<std::size_t>(0xE0 + l)] = 1;
    }
    w.primary[0xA8] = w.primary[0xB8] = 0x300 + 6;  // Ё, ё
    w.lower[0xB8] = 1;
    return w;
}

constexpr Weights kWeights = MakeWeights();

std::string_view TextAt(const char* p, int size) {
    std::size_t n = 0;
    while (n < static_cast<std::size_t>(size) && p[n] != 0) ++n;
    return {p, n};
}

bool ComparesAsDouble(FieldType t) {
    return t == FieldType::Number || t == FieldType::Currency || t == FieldType::Timestamp;
}

}  // namespace

KeyOrder::KeyOrder(const TableFile& table) : table_(table), keyFields_(table.keyFields) {
    for (int f = 0; f < keyFields_; ++f)
        keySize_ += static_cast<std::size_t>(table.fields[static_cast<std::size_t>(f)].size);
    // Tables of the old formats name no sort order; their texts sort by code.
    byteOrder_ = table.sortOrder.empty() || table.sortOrder == "ascii";
}

int KeyOrder::CompareText(std::string_view a, std::string_view b) const {
    if (byteOrder_) {
        const int c = a.compare(b);
        return c < 0 ? -1 : c > 0;
    }
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto wa = kWeights.primary[static_cast<unsigned char>(a[i])];
        const auto wb = kWeights.primary[static_cast<unsigned char>(b[i])];
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    // Equal but for letter case: upper case first.
    for (std::size_t i = 0; i < n; ++i) {
        const auto la = kWeights.lower[static_cast<unsigned char>(a[i])];
        const auto lb = kWeights.lower[static_cast<unsigned char>(b[i])];
        if (la != lb) return la < lb ? -1 : 1;
    }
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0;
}

int KeyOrder::Compare(const char* a, const char* b) const {
    for (int i = 0; i < keyFields_; ++i) {
        const FieldDef& f = table_.fields[static_cast<std::size_t>(i)];
        const char* pa = a + f.offset;
        const char* pb = b + f.offset;
        int c = 0;
        if (f.type == FieldType::Alpha) {
            c = CompareText(TextAt(pa, f.size), TextAt(pb, f.size));
        } else if (ComparesAsDouble(f.type)) {
            const Cell ca = DecodeParadoxField(f, pa), cb = DecodeParadoxField(f, pb);
            if (ca.IsBlank() || cb.IsBlank())
                c = ca.IsBlank() == cb.IsBlank() ? 0 : ca.IsBlank() ? -1 : 1;
            else
                c = ca.real < cb.real ? -1 : ca.real > cb.real;
        } else {
            // Integers, dates, times, logicals, BCD and bytes are stored so that their bytes
            // sort as their values, a blank (all zero) first.
            const int m = std::memcmp(pa, pb, static_cast<std::size_t>(f.size));
            c = m < 0 ? -1 : m > 0;
        }
        if (c != 0) return c;
    }
    return 0;
}

std::string KeyOrder::Describe(const char* record) const {
    std::string out;
    for (int i = 0; i < keyFields_; ++i) {
        const FieldDef& f = table_.fields[static_cast<std::size_t>(i)];
        if (i) out += ", ";
        out += f.name + "=";
        if (f.type == FieldType::Alpha)
            out += "'" + std::string(TextAt(record + f.offset, f.size)) + "'";
        else
            out += CellText(DecodeParadoxField(f, record + f.offset), KindOf(f.type));
    }
    return out;
}

}  // namespace tesma::engine

#pragma once
// Code page 1251: the single-byte Cyrillic code page every text of the library is held in.
// Russian literals are written in UTF-8 in the source and converted at compile time:
//   "Б/С "_cp   -> std::string with the four bytes C1 2F D1 20
//   "Б/С "_cpv  -> constexpr std::string_view over static storage
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tesma::text {

// Unicode code point of each byte 0x80..0xFF (0 where the code page has no character: 0x98).
inline constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The byte of a code point, or -1 when code page 1251 has no such character.
constexpr int ByteOfCodePoint(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    for (int i = 0; i < 128; ++i)
        if (kHighHalf[i] != 0 && kHighHalf[i] == cp) return 0x80 + i;
    return -1;
}

namespace detail {

// Decodes one UTF-8 sequence at s[i]; advances i. Malformed input is a compile-time error
// when called from a constant expression (the throw cannot be evaluated there).
constexpr char32_t DecodeUtf8(const char* s, std::size_t n, std::size_t& i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b = byte(i);
    if (b < 0x80) {
        ++i;
        return b;
    }
    int extra = (b >= 0xF0) ? 3 : (b >= 0xE0) ? 2 : (b >= 0xC0) ? 1 : -1;
    if (extra < 0 || i + extra >= n + 1) throw "malformed UTF-8 in literal";
    char32_t cp = b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if (i + k >= n || (byte(i + k) & 0xC0) != 0x80) throw "malformed UTF-8 in literal";
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    i += extra + 1;
    return cp;
}

constexpr std::size_t Cp1251Length(const char* s, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < n; ++count) DecodeUtf8(s, n, i);
    return count;
}

template <std::size_t N>
struct Utf8Literal {
    char data[N]{};
    constexpr Utf8Literal(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) data[i] = s[i];
    }
    static constexpr std::size_t size = N - 1;
};

template <std::size_t M>
struct Cp1251Bytes {
    char bytes[M + 1]{};
    constexpr std::string_view view() const { return {bytes, M}; }
};

template <Utf8Literal L>
constexpr auto ConvertLiteral() {
    constexpr std::size_t m = Cp1251Length(L.data, L.size);
    Cp1251Bytes<m> out{};
    std::size_t i = 0, k = 0;
    while (i < L.size) {
        int b = ByteOfCodePoint(DecodeUtf8(L.data, L.size, i));
        if (b < 0) throw "character outside code page 1251 in literal";
        out.bytes[k++] = static_cast<char>(b);
    }
    return out;
}

template <Utf8Literal L>
struct Cp1251Storage {
    static constexpr auto value = ConvertLiteral<L>();
};

}  // namespace detail

// Latin upper-casing: a..z only. Used for names of tables, fields, arrays and date patterns.
constexpr char LatinUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
std::string LatinUpper(std::string_view s);

// Full upper-casing of code page 1251: Latin, Cyrillic (ё to Ё) and the other 1251 letters.
char FullUpper(char c);
std::string FullUpper(std::string_view s);

// Conversions for terminals and files of other programs.
std::string ToUtf8(std::string_view cp1251);
// Converts UTF-8 to code page 1251; characters the code page lacks become '?' unless
// `strict`, in which case std::invalid_argument names the first of them.
std::string FromUtf8(std::string_view utf8, bool strict = false);

}  // namespace tesma::text

namespace tesma::literals {

template <tesma::text::detail::Utf8Literal L>
constexpr std::string_view operator""_cpv() {
    return tesma::text::detail::Cp1251Storage<L>::value.view();
}

template <tesma::text::detail::Utf8Literal L>
std::string operator""_cp() {
    return std::string(tesma::text::detail::Cp1251Storage<L>::value.view());
}

}  // namespace tesma::literals

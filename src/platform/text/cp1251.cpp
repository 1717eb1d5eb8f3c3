#include "platform/text/cp1251.h"

#include <stdexcept>

namespace tesma::text {

namespace {

constexpr std::array<unsigned char, 256> MakeUpperTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
    for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 32);
    for (int c = 0xE0; c <= 0xFF; ++c) t[c] = static_cast<unsigned char>(c - 32);  // а..я
    // The other letters of the code page, lower -> upper.
    constexpr std::pair<int, int> pairs[] = {
        {0x90, 0x80}, {0x83, 0x81}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1},
        {0xBC, 0xA3}, {0xB4, 0xA5}, {0xB8, 0xA8}, {0xBA, 0xAA}, {0xBF, 0xAF}, {0xB3, 0xB2}, {0xBE, 0xBD},
    };
    for (auto [lower, upper] : pairs) t[lower] = static_cast<unsigned char>(upper);
    return t;
}

constexpr auto kUpper = MakeUpperTable();

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string LatinUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LatinUpper(c);
    return out;
}

char FullUpper(char c) { return static_cast<char>(kUpper[static_cast<unsigned char>(c)]); }

std::string FullUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = FullUpper(c);
    return out;
}

std::string ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (char ch : cp1251) {
        auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
        } else {
            char16_t cp = kHighHalf[b - 0x80];
            AppendUtf8(out, cp == 0 ? U'\uFFFD' : cp);
        }
    }
    return out;
}

std::string FromUtf8(std::string_view utf8, bool strict) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t start = i;
        char32_t cp;
        try {
            cp = detail::DecodeUtf8(utf8.data(), utf8.size(), i);
        } catch (const char*) {
            if (strict) throw std::invalid_argument("malformed UTF-8 at byte " + std::to_string(start));
            out += '?';
            i = start + 1;
            continue;
        }
        int b = ByteOfCodePoint(cp);
        if (b < 0) {
            if (strict)
                throw std::invalid_argument("character U+" + std::to_string(static_cast<unsigned>(cp)) + " at byte " +
                                            std::to_string(start) + " has no code page 1251 form");
            out += '?';
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

}  // namespace tesma::text

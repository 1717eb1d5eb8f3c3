#include <iconv.h>

#include <gtest/gtest.h>

#include "platform/text/cp1251.h"

using namespace tesma::literals;
namespace text = tesma::text;

namespace {

std::string IconvToUtf8(const std::string& in) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(in.size() * 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace

TEST(Cp1251, LiteralsBecomeCodePageBytesAtCompileTime) {
    constexpr std::string_view v = "Б/С "_cpv;
    static_assert(v.size() == 4);
    static_assert(v[0] == '\xC1' && v[1] == '/' && v[2] == '\xD1' && v[3] == ' ');
    EXPECT_EQ("Б/С "_cp, std::string("\xC1/\xD1 ", 4));
    EXPECT_EQ("Ёё№"_cp, "\xA8\xB8\xB9");
    // The Latin C inside a Russian word stays a Latin byte.
    EXPECT_EQ("Cортировка"_cp[0], 'C');
}

TEST(Cp1251, EveryByteConvertsToUtf8AsIconvDoes) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x98) continue;  // not a character of the code page
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(text::ToUtf8(one), IconvToUtf8(one)) << "byte " << b;
        EXPECT_EQ(text::FromUtf8(text::ToUtf8(one)), one) << "byte " << b;
    }
}

TEST(Cp1251, FromUtf8ReplacesOrRejectsForeignCharacters) {
    EXPECT_EQ(text::FromUtf8("a\xE4\xB8\xAD"), "a?");  // a CJK character
    EXPECT_THROW(text::FromUtf8("a\xE4\xB8\xAD", true), std::invalid_argument);
    EXPECT_EQ(text::FromUtf8("\xFF"), "?");
}

TEST(Cp1251, UpperCasing) {
    EXPECT_EQ(text::LatinUpper("ps_work.db Ф_1 ф_1"), "PS_WORK.DB Ф_1 ф_1");
    EXPECT_EQ(text::LatinUpper("ф"_cp), "ф"_cp);
    EXPECT_EQ(text::FullUpper("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"_cp), "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"_cp);
    EXPECT_EQ(text::FullUpper("іїєґўђѓљњќћџјѕ"_cp), "ІЇЄҐЎЂЃЉЊЌЋЏЈЅ"_cp);
    EXPECT_EQ(text::FullUpper("a/п 1"_cp), "A/П 1"_cp);
    // Signs and symbols are not letters.
    EXPECT_EQ(text::FullUpper("№µ«»"_cp), "№µ«»"_cp);
}

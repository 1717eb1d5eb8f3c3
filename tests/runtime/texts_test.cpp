#include <gtest/gtest.h>

#include "platform/text/cp1251.h"
#include "runtime/texts.h"

using namespace tesma;
using namespace tesma::literals;

TEST(Texts, SubTextAndTextPosAreOneBasedAndClipped) {
    EXPECT_EQ(SubText("30301810", 1, 5), "30301");
    EXPECT_EQ(SubText("303", 1, 5), "303");
    EXPECT_EQ(SubText("303", 3, 5), "3");
    EXPECT_EQ(SubText("303", 4, 5), "");
    EXPECT_EQ(SubText("303", 0, 2), "30");
    EXPECT_EQ(SubText("303", 2, -1), "");
    EXPECT_EQ(TextPos("79999 (ИТОГО)"_cp, "(ИТОГО)"_cp), 7);
    EXPECT_EQ(TextPos("abc", "x"), 0);
    EXPECT_EQ(TextPos("abc", ""), 0);
}

TEST(Texts, TranslateReplacePad) {
    EXPECT_EQ(TranslateChars("A1 B2", " 0123456789", " "), "A B");
    EXPECT_EQ(TranslateChars("abc", "ab", "xy"), "xyc");
    EXPECT_EQ(ReplaceAllText("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceAllText("a.b.c", ".", ""), "abc");
    EXPECT_EQ(ReplaceAllText("abc", "", "x"), "abc");
    EXPECT_EQ(PadLeftText("12", 5, " "), "   12");
    EXPECT_EQ(PadLeftText("123456", 3, " "), "123");
    EXPECT_EQ(PadLeftText("7", 4, "ab"), "abab");
    EXPECT_EQ(PadLeftText("7", 0, " "), "");
    EXPECT_THROW(PadLeftText("7", 3, ""), std::invalid_argument);
    EXPECT_EQ(UpperText("а/п"_cp), "А/П"_cp);
}

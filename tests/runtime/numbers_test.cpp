#include <gtest/gtest.h>

#include <random>

#include "runtime/numbers.h"

using namespace tesma;

TEST(CompareNumbers, TolerantAndStrict) {
    EXPECT_TRUE(CompareNumbers("=", 0.1 + 0.2, 0.3));
    EXPECT_FALSE(CompareNumbers("<>", 0.1 + 0.2, 0.3));
    EXPECT_FALSE(CompareNumbers("<", 1, 1 + 1e-16L));
    EXPECT_TRUE(CompareNumbers("<", 1, 1.001L));
    EXPECT_TRUE(CompareNumbers("=", 0, 0));
    EXPECT_TRUE(CompareNumbers(">", 2, 1));
    EXPECT_TRUE(CompareNumbers("<=", 1, 1));
    EXPECT_TRUE(CompareNumbers(">=", 1, 1));
    EXPECT_FALSE(CompareNumbers(">=", 1, 2));
    EXPECT_TRUE(CompareNumbers("~", 1, 2));
    EXPECT_TRUE(CompareNumbers("", 1, 1));
    // A difference of exactly the tolerance: neither equal nor different.
    EXPECT_FALSE(CompareNumbers("=", 0, 1e-15L));
    EXPECT_FALSE(CompareNumbers("<>", 0, 1e-15L));
    // Large amounts: the tolerance scales.
    EXPECT_TRUE(CompareNumbers("=", 123456789012.0L, 123456789012.0L + 1e-5L));
    EXPECT_TRUE(CompareNumbers("<>", 123456789012.0L, 123456789013.0L));
}

TEST(NumberTexts, Recognition) {
    EXPECT_FALSE(IsNumberText("1.2.3"));
    EXPECT_FALSE(IsNumberText("1e5"));
    EXPECT_FALSE(IsNumberText(" 1"));
    EXPECT_FALSE(IsNumberText("+"));
    EXPECT_FALSE(IsNumberText(""));
    EXPECT_TRUE(IsNumberText("-.5"));
    EXPECT_TRUE(IsNumberText("007"));
    EXPECT_TRUE(IsNumberText("."));
    EXPECT_TRUE(IsNumberText("-."));
}

TEST(NumberTexts, Fixing) {
    EXPECT_EQ(FixNumberText(" 12.34567 ", 2, 8), "00012.34");
    EXPECT_EQ(FixNumberText("7", 0, 0), "7.");
    EXPECT_EQ(FixNumberText("12.5", 0, 0), "12.");
    EXPECT_EQ(FixNumberText("1.5", 4, 0), "1.5000");
    EXPECT_EQ(FixNumberText("3.", 4, 0), "3.0000");
    EXPECT_EQ(FixNumberText("\t9\n", 1, 5), "009.0");
}

TEST(NumberTexts, ExactArithmetic) {
    EXPECT_EQ(AddNumberTexts("1", "+12345"), "12346.0000");
    EXPECT_EQ(AddNumberTexts("1.5", "2.25"), "3.7500");
    EXPECT_EQ(SubtractNumberTexts("-3", "-5"), "2.0000");
    EXPECT_EQ(AddNumberTexts("1x", "2"), "");
    EXPECT_EQ(SubtractNumberTexts("7", ""), "");
    EXPECT_EQ(SubtractNumberTexts("12.5", "12.5"), "0.0000");
    EXPECT_EQ(SubtractNumberTexts("2", "5"), "-3.0000");
    EXPECT_EQ(AddNumberTexts("-2", "5"), "3.0000");
    EXPECT_EQ(AddNumberTexts("2", "-5"), "-3.0000");
    EXPECT_EQ(AddNumberTexts("-2", "-5"), "-7.0000");
    EXPECT_EQ(SubtractNumberTexts("-2", "5"), "-7.0000");
    EXPECT_EQ(SubtractNumberTexts("2", "-5"), "7.0000");
    EXPECT_EQ(AddNumberTexts("0.00009", "0.00009"), "0.0000");  // cut to four places, never rounded
    EXPECT_EQ(AddNumberTexts("9999.9999", "0.0001"), "10000.0000");
    EXPECT_EQ(SubtractNumberTexts("10000", "0.0001"), "9999.9999");
}

TEST(NumberTexts, ExactBeyondTheRangeOfDoubles) {
    EXPECT_EQ(AddNumberTexts("112233445566778899.1234", "0.0001"), "112233445566778899.1235");
    EXPECT_EQ(SubtractNumberTexts("112233445566778899.1234", "112233445566778899.1233"), "0.0001");
    EXPECT_EQ(AddNumberTexts("99999999999999999999999999999.9999", "0.0001"), "100000000000000000000000000000.0000");
}

TEST(NumberTexts, SumsAndDifferencesAgreeAcrossTheWholeRange) {
    // Short texts take the fast exact path, texts beyond 30 digits the positional one; both
    // must obey the same identities.
    std::mt19937_64 rng(2024);
    auto randomText = [&](int maxDigits) {
        std::string t;
        const int digits = 1 + static_cast<int>(rng() % static_cast<unsigned>(maxDigits));
        for (int i = 0; i < digits; ++i) t += static_cast<char>('0' + rng() % 10);
        const int decimals = static_cast<int>(rng() % 7);
        if (decimals) {
            t += '.';
            for (int i = 0; i < decimals; ++i) t += static_cast<char>('0' + rng() % 10);
        }
        return t;
    };
    auto cut = [](const std::string& t) { return AddNumberTexts(t, "0"); };
    for (int i = 0; i < 4000; ++i) {
        const int width = i % 2 ? 20 : 45;
        const std::string a = randomText(width), b = randomText(width);
        const std::string sum = AddNumberTexts(a, b);
        EXPECT_EQ(sum, AddNumberTexts(b, a)) << a << " " << b;
        EXPECT_EQ(SubtractNumberTexts(sum, b), cut(a)) << a << " " << b;
        EXPECT_EQ(AddNumberTexts("-" + a, b), SubtractNumberTexts(b, a)) << a << " " << b;
        const std::string diff = SubtractNumberTexts(a, b);
        EXPECT_EQ(AddNumberTexts(diff, b), cut(a)) << a << " " << b;
    }
    EXPECT_EQ(AddNumberTexts("123456789012345678901234567890.1234", "0.0001"), "123456789012345678901234567890.1235");
    EXPECT_EQ(AddNumberTexts("-0", "-0"), "-0.0000");
}

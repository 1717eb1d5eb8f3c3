// The rule of a finding written out from its record, as the check's pages show it.
#include <gtest/gtest.h>

#include "html_rule.h"

namespace tesma::f101 {
namespace {

hostkit::FindingRecord Record(std::vector<std::string> fields, std::vector<std::string> values, std::string op,
                              std::string x, std::string y, std::string xRule, std::string yRule) {
    hostkit::FindingRecord r;
    r.kind = "finding";
    r.fields = std::move(fields);
    r.values = std::move(values);
    r.op = std::move(op);
    r.x = std::move(x);
    r.y = std::move(y);
    r.xRule = std::move(xRule);
    r.yRule = std::move(yRule);
    return r;
}

TEST(HtmlRule, TheFormedSideReadsFirstWithTheRowsNumbersAndTheDifference) {
    // Outgoing 870005 against incoming + debit − credit = 870000.
    const auto balance =
        ArithmeticOf(Record({"IS_RUB", "VX_RUB", "OB_AK_RUB", "OB_PAS_RUB"}, {"870005", "870005", "0", "5"}, "<>",
                            "870005", "870000", "IS_RUB", "VX_RUB+OB_AK_RUB-OB_PAS_RUB"));
    ASSERT_TRUE(balance);
    EXPECT_EQ(balance->names, "VX_RUB + OB_AK_RUB \u2212 OB_PAS_RUB \u2260 IS_RUB");
    EXPECT_EQ(balance->numbers, "870005 + 0 \u2212 5 = 870000 \u2260 870005");
    EXPECT_EQ(balance->difference, "5");

    // The comparison turns with its sides; a negative operand in brackets; decimals kept.
    const auto less = ArithmeticOf(Record({"IS_ITOG@60402", "IS_ITOG@60602"}, {"0.50", "-2"}, "<", "0.50", "2.5",
                                          "IS_ITOG@60402", "IS_ITOG@60402-IS_ITOG@60602"));
    ASSERT_TRUE(less);
    EXPECT_EQ(less->names, "IS_ITOG@60402 \u2212 IS_ITOG@60602 > IS_ITOG@60402");
    EXPECT_EQ(less->numbers, "0.50 \u2212 (-2) = 2.5 > 0.50");
    EXPECT_EQ(less->difference, "2.00");

    // Values from another place stand beside the row's own.
    const auto previous = ArithmeticOf(
        Record({"VX_RUB", "IS_RUB@previous"}, {"10", "12"}, "<>", "10", "12", "VX_RUB", "IS_RUB@previous"));
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->numbers, "10 \u2260 12");
    EXPECT_EQ(ValueOf(Record({"VX_RUB", "IS_RUB@previous"}, {"10", "12"}, "", "", "", "", ""), "IS_RUB@previous"),
              "12");

    // A record that compares nothing has no arithmetic.
    EXPECT_FALSE(ArithmeticOf(Record({"NBAL2"}, {}, "", "", "", "", "")));
}

}  // namespace
}  // namespace tesma::f101

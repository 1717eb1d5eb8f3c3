#pragma once
// A failed rule written out for a person from the library's finding record: the two sides of
// the comparison with the fields that formed them, the same with the row's numbers, and the
// difference, e.g. "VX_RUB + OB_AK_RUB − OB_PAS_RUB ≠ IS_RUB" and
// "870005 + 0 − 5 = 870000 ≠ 870005", difference 5.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "finding_records.h"
#include "html_text.h"

namespace tesma::f101 {

struct RuleArithmetic {
    std::string names;       // the rule in field references (UTF-8)
    std::string numbers;     // the rule with the values
    std::string difference;  // |X − Y|; empty when X or Y is not a number
};

// The arithmetic of a record that compares two values (it has an operator and X and Y);
// nothing for a record that compares none.
std::optional<RuleArithmetic> ArithmeticOf(const hostkit::FindingRecord& record);

// The value the record gives a field reference ("VX_RUB", "IS_RUB@previous"); empty when none.
std::string ValueOf(const hostkit::FindingRecord& record, std::string_view field);

// A field reference split at "@": the field, and where its value comes from (empty: the
// finding's row).
struct FieldReference {
    std::string field, where;
};
FieldReference SplitReference(std::string_view reference);

// Where a value comes from, said in words: "previous period", "sum over active accounts",
// "account 30301".
std::string PlaceWords(const PageWords& words, std::string_view where);

}  // namespace tesma::f101

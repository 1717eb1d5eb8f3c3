#pragma once
// Tolerant comparison of amounts, and exact decimal arithmetic on number texts (the
// depository chapter's quantities go beyond the exact range of binary floating point).
#include <cstdint>
#include <string>
#include <string_view>

namespace tesma {

// a op b, forgiving rounding noise: within (|a| + |b|) x 1e-15, or 1e-15 when that sum is no
// larger. Strict: at a difference of exactly the tolerance both "=" and "<>" are false.
// Any operator text other than = <> < > <= >= gives true.
bool CompareNumbers(std::string_view op, long double a, long double b);

// An optional sign, digits and at most one point; a point alone counts, a sign alone does not.
bool IsNumberText(std::string_view text);

// The text trimmed, cut (never rounded) or padded with zeros to `decimals` places after the
// point, then left-padded with "0" to `width`.
std::string FixNumberText(std::string_view text, std::int32_t decimals, std::int32_t width);

// Exact sums and differences with four decimals; the empty text when an operand is not a
// number text.
std::string AddNumberTexts(std::string_view a, std::string_view b);
std::string SubtractNumberTexts(std::string_view a, std::string_view b);

}  // namespace tesma

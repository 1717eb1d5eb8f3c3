#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tesma::locale {

// The general number text: up to 15 significant digits, trailing zeros and a needless decimal
// point dropped; the scientific form ("1.5E-7", "1E20") only below 0.00001 or beyond 15 integer
// digits. `decimalSeparator` is the character written for the point.
std::string GeneralNumberText(long double value, char decimalSeparator);

// Reads a real number: optional blanks, sign, digits with at most one `decimalSeparator`,
// optional exponent. Nothing when the text is not such a number.
std::optional<long double> ParseNumber(std::string_view text, char decimalSeparator);

// Reads a signed decimal integer (blanks around it allowed). Nothing when not one, or
// outside the 64-bit range.
std::optional<long long> ParseInteger(std::string_view text);

}  // namespace tesma::locale

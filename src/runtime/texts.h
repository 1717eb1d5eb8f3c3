#pragma once
// Text operations on code page 1251 texts.
#include <cstdint>
#include <string>
#include <string_view>

namespace tesma {

// 1-based substring, clipped to the text.
std::string SubText(std::string_view text, std::int32_t from, std::int32_t count);
// 1-based position of the first occurrence of `sub`, 0 when absent.
std::int32_t TextPos(std::string_view text, std::string_view sub);
// Full upper-casing, Cyrillic included.
std::string UpperText(std::string_view text);
// Each character found in `fromChars` at position p becomes the character at p of `toChars`,
// or is dropped when `toChars` is shorter; other characters are copied.
std::string TranslateChars(std::string_view text, std::string_view fromChars, std::string_view toChars);
// Every occurrence of `oldPart` replaced, left to right, inserted text not rescanned.
std::string ReplaceAllText(std::string_view text, std::string_view oldPart, std::string_view newPart);
// `fill` prepended until the text has at least `width` characters, then cut to `width`.
std::string PadLeftText(std::string_view text, std::int32_t width, std::string_view fill);
// Blanks and control characters removed from both ends.
std::string TrimText(std::string_view text);

}  // namespace tesma

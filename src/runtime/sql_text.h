#pragma once
#include <string>
#include <string_view>

namespace tesma {

// A value put inside a single-quoted SQL literal: its single quotes doubled, so that a quote in
// the data cannot end the literal.
std::string SqlQuoted(std::string_view value);

}  // namespace tesma

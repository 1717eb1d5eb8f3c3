#pragma once
#include <string>
#include <string_view>

namespace tesma {

// A value put inside a single-quoted SQL literal: its single quotes doubled, so that a quote in
// the data cannot end the literal.
std::string SqlQuoted(std::string_view value);

// A table path as the double-quoted name of a statement; a double quote in the path is doubled
// so that it cannot end the name.
std::string SqlTable(std::string_view path);

}  // namespace tesma

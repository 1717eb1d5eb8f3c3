#pragma once
#include <string>

namespace tesma::bench {

// The page of a chapter at capacity: `f101 check --html` on the synthetic report's chapter А,
// its size beside the bound of 2 MB, and the time headless Chromium takes to draw it beyond
// drawing an empty page, beside the bound of 3 s (when the browser is installed). Returns 1
// when one exceeds its bound.
int RunPageFigures(const std::string& f101, const std::string& folder, const std::string& scratch);

}  // namespace tesma::bench

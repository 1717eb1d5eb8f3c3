#pragma once
// The catalogue of every finding code the form 101 controls write to the protocol: severity,
// the chapters and procedure that write it, the message as written (with its variable parts
// named in braces) and what the rule checks and what usually fixes it.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "language.h"

namespace tesma::f101 {

struct Rule {
    std::string_view code;                     // E101116, W101101, E46100, ...
    std::string_view chapters;                 // UTF-8 chapter letters, e.g. "АБВГД"
    std::string_view procedure;                // "balance" or "cross-checks"
    std::array<std::string_view, 3> messages;  // UTF-8 shapes; unused slots empty
    std::string_view explanation;              // English: what is checked, what usually fixes it
    std::string_view explanationRu = {};       // the same for a Russian reader

    std::string_view Severity() const { return code.substr(0, 1) == "W" ? "warning" : "error"; }
    // The explanation in a language (English where the Russian one is missing).
    std::string_view Explanation(Language language) const {
        return language == Language::Russian && !explanationRu.empty() ? explanationRu : explanation;
    }
};

std::span<const Rule> Rules();
// The rule of a code, or null.
const Rule* FindRule(std::string_view code);

}  // namespace tesma::f101

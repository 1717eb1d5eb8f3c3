#pragma once
// Field lists of the tables that import creates: "NAME:TYPE,..." with a type letter for each
// field (A<size> text, N number, $ currency, I long integer, S short integer, + auto-increment,
// D date, L logical), as `f101 import --fields` takes them and as `f101 export --with-types`
// writes them into a header line ("NBAL2:A25").
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/engine/paradox.h"

namespace tesma::reportkit {

// The fields of a field list; a malformed one is a std::invalid_argument naming the item.
std::vector<engine::NewField> ParseFieldList(const std::string& list);

// The type of a field as a field list writes it ("A25", "N", ...); a type import cannot create is
// a std::runtime_error naming the field.
std::string TypeOf(const engine::FieldDef& field);

// "NAME:TYPE" split at the last colon; nothing when the name carries no type.
std::optional<std::pair<std::string, std::string>> SplitTypedName(const std::string& header);

}  // namespace tesma::reportkit

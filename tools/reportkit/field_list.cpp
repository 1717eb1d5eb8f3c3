#include "field_list.h"

#include <sstream>
#include <stdexcept>

#include "platform/text/cp1251.h"

namespace tesma::reportkit {

namespace {

struct TypeLetter {
    char letter;
    engine::FieldType type;
};

// The field types import can create, each with its letter.
constexpr TypeLetter kTypeLetters[] = {
    {'A', engine::FieldType::Alpha}, {'N', engine::FieldType::Number},  {'$', engine::FieldType::Currency},
    {'I', engine::FieldType::Long},  {'S', engine::FieldType::Short},   {'+', engine::FieldType::AutoInc},
    {'D', engine::FieldType::Date},  {'L', engine::FieldType::Logical},
};

}  // namespace

std::vector<engine::NewField> ParseFieldList(const std::string& list) {
    std::vector<engine::NewField> fields;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');) {
        auto colon = item.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 >= item.size())
            throw std::invalid_argument("field '" + item + "' is not NAME:TYPE");
        engine::NewField f;
        f.name = text::FromUtf8(item.substr(0, colon), true);
        const std::string type = item.substr(colon + 1);
        const TypeLetter* known = nullptr;
        for (const TypeLetter& t : kTypeLetters)
            if (t.letter == type[0]) known = &t;
        if (!known) throw std::invalid_argument("field '" + item + "': unknown type '" + type + "'");
        f.type = known->type;
        if (f.type == engine::FieldType::Alpha) {
            try {
                f.size = std::stoi(type.substr(1));
            } catch (const std::exception&) {
                throw std::invalid_argument("field '" + item + "': an alpha field needs a size, e.g. A25");
            }
        } else if (type.size() != 1) {
            throw std::invalid_argument("field '" + item + "': unknown type '" + type + "'");
        }
        fields.push_back(f);
    }
    if (fields.empty()) throw std::invalid_argument("the field list is empty");
    return fields;
}

std::string TypeOf(const engine::FieldDef& f) {
    for (const TypeLetter& t : kTypeLetters)
        if (t.type == f.type)
            return f.type == engine::FieldType::Alpha ? "A" + std::to_string(f.size) : std::string(1, t.letter);
    throw std::runtime_error("field " + text::ToUtf8(f.name) +
                             " has a type (time, timestamp, memo, BCD or bytes) that import cannot create");
}

std::optional<std::pair<std::string, std::string>> SplitTypedName(const std::string& header) {
    const auto colon = header.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == header.size()) return std::nullopt;
    return std::make_pair(header.substr(0, colon), header.substr(colon + 1));
}

}  // namespace tesma::reportkit

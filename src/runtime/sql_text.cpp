#include "runtime/sql_text.h"

namespace tesma {

std::string SqlQuoted(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

std::string SqlTable(std::string_view path) {
    std::string out = "\"";
    for (char c : path) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

}  // namespace tesma

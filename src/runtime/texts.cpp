#include "runtime/texts.h"

#include <stdexcept>

#include "platform/text/cp1251.h"

namespace tesma {

std::string SubText(std::string_view text, std::int32_t from, std::int32_t count) {
    if (count <= 0) return {};
    std::int64_t start = from < 1 ? 1 : from;
    if (start > static_cast<std::int64_t>(text.size())) return {};
    std::int64_t available = static_cast<std::int64_t>(text.size()) - start + 1;
    std::int64_t n = count < available ? count : available;
    return std::string(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

std::int32_t TextPos(std::string_view text, std::string_view sub) {
    if (sub.empty()) return 0;
    auto pos = text.find(sub);
    return pos == std::string_view::npos ? 0 : static_cast<std::int32_t>(pos + 1);
}

std::string UpperText(std::string_view text) { return text::FullUpper(text); }

std::string TranslateChars(std::string_view text, std::string_view fromChars, std::string_view toChars) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto p = fromChars.find(c);
        if (p == std::string_view::npos)
            out += c;
        else if (p < toChars.size())
            out += toChars[p];
    }
    return out;
}

std::string ReplaceAllText(std::string_view text, std::string_view oldPart, std::string_view newPart) {
    if (oldPart.empty()) return std::string(text);
    std::string out;
    std::size_t pos = 0;
    while (true) {
        auto hit = text.find(oldPart, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(newPart);
        pos = hit + oldPart.size();
    }
    out.append(text.substr(pos));
    return out;
}

std::string PadLeftText(std::string_view text, std::int32_t width, std::string_view fill) {
    if (width <= 0) return {};
    if (fill.empty()) throw std::invalid_argument("PadLeftText: the fill text must not be empty");
    std::string out(text);
    while (out.size() < static_cast<std::size_t>(width)) out.insert(0, fill);
    out.resize(static_cast<std::size_t>(width));
    return out;
}

std::string TrimText(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return std::string(text.substr(b, e - b));
}

}  // namespace tesma

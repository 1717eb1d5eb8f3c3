#include "form101.h"

#include <algorithm>
#include <cctype>

namespace tesma::reportkit {

std::optional<Chapter> FindChapter(std::string_view letter) {
    static constexpr std::array<std::string_view, 5> lowerCyrillic = {"а", "б", "в", "г", "д"};
    for (std::size_t i = 0; i < kChapters.size(); ++i) {
        const Chapter& c = kChapters[i];
        if (letter.size() == 1 && (letter[0] == c.latin || letter[0] == c.latin + 32)) return c;
        if (letter == c.cyrillic || letter == lowerCyrillic[i]) return c;
    }
    return std::nullopt;
}

std::string TotalText(std::string_view letter) {
    for (const Chapter& c : kChapters)
        if (letter == c.cyrillic) return std::string(c.totalAccount) + " (ИТОГО)";
    return {};
}

bool ProceduresUseField(std::int32_t tableId, std::string_view name) {
    if (tableId == contract::kTableMessageRequisites) return name == "KEY_REKW" || name == "VALUE_REKW";
    if (!ChapterOfTable(tableId)) return false;
    if (name == "NBAL2" || name == "A_P") return true;
    for (const char* amount : kAmountFields)
        if (name == amount) return true;
    return false;
}

bool IsAmountField(std::string_view name) {
    for (const char* a : kAmountFields) {
        const std::string_view amount = a;
        if (amount.size() == name.size() && std::equal(name.begin(), name.end(), amount.begin(), [](char x, char y) {
                return std::toupper(static_cast<unsigned char>(x)) == y;
            }))
            return true;
    }
    return false;
}

std::optional<Chapter> ChapterOfTable(std::int32_t tableId) {
    for (const Chapter& c : kChapters)
        if (c.tableId == tableId) return c;
    return std::nullopt;
}

}  // namespace tesma::reportkit

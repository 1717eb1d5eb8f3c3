#pragma once
// Form 101 as the tools know it: its tables' codes and ids, and the layout of the report trees
// that the import and the demo build.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tesma/tesmaC.h"

namespace tesma::reportkit {

inline constexpr std::int32_t kForm101 = 101;

struct Chapter {
    char latin;                 // A, B, V, G, D
    std::string_view cyrillic;  // UTF-8 letter: А, Б, В, Г, Д
    std::int32_t tableId;
    std::string_view code;          // UTF-8: Ф_1 .. Ф_5
    std::string_view fileName;      // the table file the import writes
    std::string_view totalAccount;  // 79999 .. 98999
};

inline constexpr std::array<Chapter, 5> kChapters = {{
    {'A', "А", contract::kTableChapterA, "Ф_1", "F101_1", "79999"},
    {'B', "Б", contract::kTableChapterB, "Ф_2", "F101_2", "89999"},
    {'V', "В", contract::kTableChapterV, "Ф_3", "F101_3", "91999"},
    {'G', "Г", contract::kTableChapterG, "Ф_4", "F101_4", "97999"},
    {'D', "Д", contract::kTableChapterD, "Ф_5", "F101_5", "98999"},
}};

// The twelve amount fields of a chapter row, in field order: numbers in chapters А to Г, exact
// decimal texts in chapter Д.
inline constexpr std::array<const char*, 12> kAmountFields = {"VX_RUB",      "VX_VAL",     "VX_ITOG",    "OB_AK_RUB",
                                                              "OB_AK_VAL",   "OB_AK_ITOG", "OB_PAS_RUB", "OB_PAS_VAL",
                                                              "OB_PAS_ITOG", "IS_RUB",     "IS_VAL",     "IS_ITOG"};
// Whether a field (its name as stored, any case) is one of them.
bool IsAmountField(std::string_view name);

// The requisites table of the electronic report message (contract::kTableMessageRequisites):
// its table code and the file the import writes.
inline constexpr std::string_view kMessageRequisitesCode = "OES";
inline constexpr std::string_view kMessageRequisitesFile = "F101_OES";

// Whether the procedures read or write a field of the table with this id by its name: a chapter
// table's account, sign and amounts, the message table's key and value. The library never sees
// a table's first column, so such a field must not be first (form101.cpp).
bool ProceduresUseField(std::int32_t tableId, std::string_view latinUpperName);

// The total-row text of a chapter letter (UTF-8), e.g. "79999 (ИТОГО)"; empty for a letter that
// names no chapter.
std::string TotalText(std::string_view letter);

// A chapter by its letter: Cyrillic (UTF-8) or Latin, any case.
std::optional<Chapter> FindChapter(std::string_view letter);
// The chapter whose table has this id, if any.
std::optional<Chapter> ChapterOfTable(std::int32_t tableId);

}  // namespace tesma::reportkit

// The total rows a chapter ends with, whatever rows the removal of the old ones takes along.
#include <gtest/gtest.h>

#include "chapter_fixture.h"
#include "platform/engine/query.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

class TotalRows : public ::testing::Test, protected ChapterReport {};

}  // namespace

// An account row in range whose text begins with the total account goes with the old total
// rows: the chapter passed its first pass, so it still ends with one active and one passive
// total row, holding zeros, and no E101199. In chapter В no such row is in range.
TEST_F(TotalRows, AChapterWhoseAccountRowsAllGoWithTheOldTotalRowsEndsWithBothTotalRows) {
    struct Case {
        char chapter;
        std::int32_t table;
        std::string total, zero;
    };
    for (const Case& c :
         {Case{'A', contract::kTableChapterA, "79999", "0"}, Case{'B', contract::kTableChapterB, "89999", "0"},
          Case{'G', contract::kTableChapterG, "97999", "0"}, Case{'D', contract::kTableChapterD, "98999", "0.0000"}}) {
        SCOPED_TRACE(c.chapter);
        const std::string text = c.total + " (ИТОГО)";
        const std::vector<std::pair<std::string, std::string>> rows = {
            {text, "П"}, {c.total, "П"}, {text, "А"}, {c.total + "1", "А"}};
        if (c.chapter == 'D') {
            std::vector<std::vector<engine::Cell>> cells;
            for (const auto& [nbal, ap] : rows)
                cells.push_back(DepoRow(0, text::FromUtf8(nbal), text::FromUtf8(ap),
                                        {"0", "0", "5", "0", "0", "0", "0", "0", "0", "0", "0", "5"}));
            WriteParadoxTable(TablePath(kDate, 'D'), DepoFields(), cells);
        } else {
            std::vector<Account> accounts;
            for (const auto& [nbal, ap] : rows) accounts.push_back({nbal, ap, {0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 5}});
            Write(kDate, c.chapter, accounts);
        }
        const std::string protocol = text::ToUtf8(RunExported(c.table, contract::kModeControl));
        EXPECT_EQ(protocol.find("E101199"), std::string::npos) << protocol;
        std::vector<std::string> left;
        for (const auto& r : Rows(c.chapter)) {
            std::string row = text::ToUtf8(r[1].text) + "|" + text::ToUtf8(r[2].text);
            for (std::size_t i = 3; i < 15; ++i) row += "|" + engine::CellText(r[i], engine::ColumnKind::Real);
            left.push_back(row);
        }
        std::string zeros;
        for (int i = 0; i < 12; ++i) zeros += "|" + c.zero;
        EXPECT_EQ(left, (std::vector<std::string>{text + "|А" + zeros, text + "|П" + zeros}));
    }
}

// The chapter А cross-checks against the bank's requisites and fixed account relations.
#include <gtest/gtest.h>

#include "chapter_fixture.h"
#include "controls/procedures.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

const std::string kHeader = "**Контроль формы 101 Глава А. Баланс 2-я часть";

std::array<double, 12> Out(double v) { return {0, 0, 0, 0, 0, 0, 0, 0, 0, v, 0, v}; }

class CrossChecks : public ::testing::Test, protected ChapterReport {
protected:
    // A report of another date than the fixture's: 1 January 2013, the year-end balance sheet.
    std::string RunOn(double date, const std::vector<Account>& rows, const std::string& state, const std::string& nfil,
                      const std::string& filn) {
        const std::string dir = tree.DateDir(date);
        Write(date, 'A', rows);
        std::vector<Requisite> requisites{{"BNK_STATE", state}, {"BNK_NFIL", nfil}};
        if (filn != "<none>") requisites.push_back({"BNK_FILN", filn});
        WriteRequisites(dir + "REKW_F101.DB", requisites);
        std::filesystem::remove(tree.Protocol());
        hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
        RunInside({contract::kTableChapterA, 4, 0, date, tree.Protocol(), dir, ""}, records,
                  controls::ControlChapterA2);
        return FileBytes(tree.Protocol());
    }
    const double kJanuary = locale::EncodeDate(2013, 1, 1);
};

}  // namespace

TEST_F(CrossChecks, AHeadOfficeWithoutBranchesMustNotShowInterbranchAccounts) {
    EXPECT_EQ(
        RunOn(kDate,
              {{"30301", "А", Out(5)},
               {"30302", "П", Out(5)},
               {"30306", "П", Out(1)},
               {"79999 (итого)", "А"},
               {"3030 ", "А"}},
              "D", "00", "<none>"),
        Lines({kHeader, "1: W101138 НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30301",
               "2: W101139 НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30302",
               "3: W101143 НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30306"}));
    // With branches, no such pass; a FILN of exactly "0" is a head office too.
    EXPECT_EQ(RunOn(kDate, {{"30301", "А", Out(5)}}, "O", "3", "0"), Lines({kHeader}));
}

TEST_F(CrossChecks, MalformedRequisitesAreReportedAndMeanNoBranches) {
    EXPECT_EQ(RunOn(kDate, {{"30301", "А", Out(5)}, {"20202", "А", Out(1)}}, "d", "1 ", "<none>"),
              Lines({kHeader, "2: E101136 В РЕКВИЗИТАХ СОСТОЯНИЕ КО МОЖЕТ БЫТЬ ТОЛЬКО БУКВОЙ D,O ИЛИ L,  А НЕ <d>",
                     "0: E101137 В РЕКВИЗИТАХ КОЛИЧЕСТВО ФИЛИАЛОВ МОЖЕТ БЫТЬ ТОЛЬКО ЦИФРОВЫМ И БЕЗ ПРОБЕЛОВ  <1 >",
                     "1: W101138 НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30301"}));
    // Nothing at all: an empty table, no requisites table.
    Write(kDate, 'A', {});
    std::filesystem::remove(tree.DateDir(kDate) + "REKW_F101.DB");
    std::filesystem::remove(tree.Protocol());
    hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
    RunInside({contract::kTableChapterA, 4, 0, kDate, tree.Protocol(), tree.DateDir(kDate), ""}, records,
              controls::ControlChapterA2);
    EXPECT_EQ(FileBytes(tree.Protocol()),
              Lines({kHeader, "0: E101136 В РЕКВИЗИТАХ СОСТОЯНИЕ КО МОЖЕТ БЫТЬ ТОЛЬКО БУКВОЙ D,O ИЛИ L,  А НЕ <>"}));
}

TEST_F(CrossChecks, ABranchMustNotShowHeadOfficeAccountsOrYearEndBalances) {
    EXPECT_EQ(RunOn(kJanuary,
                    {{"10701", "П", Out(1)},
                     {"70301", "П", Out(5)},
                     {"70401", "А", Out(0)},
                     {"10207", "П", Out(1)},
                     {"10501", "А", Out(2)}},
                    "L", "0", "2"),
              Lines({kHeader, "1: E101144 В БАЛАНСЕ У ФИЛИАЛОВ НЕ ДОЛЖЕН БЫТЬ Б/С 10701",
                     "2: E101145 НЕ ДОЛЖНО БЫТЬ ОСТАТКОВ У ФИЛИАЛОВ НА КОНЕЦ ГОДА, 70301=(5)",
                     "4: E101146 В БАЛАНСЕ У ФИЛИАЛОВ НЕ ДОЛЖЕН БЫТЬ Б/С 10207",
                     "5: E101146 В БАЛАНСЕ У ФИЛИАЛОВ НЕ ДОЛЖЕН БЫТЬ Б/С 10501"}));
}

TEST_F(CrossChecks, YearEndPairsAndNonNegativeDifferences) {
    EXPECT_EQ(
        RunOn(kJanuary,
              {{"30301", "А", Out(5)},
               {"30302", "П", Out(6)},
               {"70301", "П", Out(5)},
               {"70401", "А", Out(-1)},
               {"40102", "П", Out(1)},
               {"40104", "А", Out(2)},
               {"60801", "А", Out(1)},
               {"60803", "П", Out(1.0000000000000001)}},  // equal within tolerance
              "D", "", "<none>"),
        Lines({kHeader, "1: W101138 НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30301",
               "2: W101139 НЕ ДОЛЖНО БЫТЬ СЧЕТА ПPИ КОЛИЧЕСТВЕ ФИЛИАЛОВ = 0 . НЕОБХОДИМЫ ПОЯСНЕНИЯ. Б/С 30302",
               "8: W101149 ОСТАТКИ НА СЧЕТАХ 30301 И 30302 ДОЛЖНЫ БЫТЬ РАВНЫ. НЕОБХОДИМЫ ПОЯСНЕНИЯ. (30301=5) "
               "<>(30302=6)",
               "8: W101152 ЕСЛИ 70301>0, ТО 70401 ДОЛЖЕН БЫТЬ = 0. НЕОБХОДИМЫ ПОЯСНЕНИЯ.  5>0,  -1<>0",
               "8: E101156 40102-40104 < 0, A ДОЛЖНО БЫТЬ >= 0"}));
}

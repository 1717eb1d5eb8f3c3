// Filling the requisites of the electronic report message (the OES table) from the form's
// requisites.
#include <gtest/gtest.h>

#include <regex>

#include "chapter_fixture.h"
#include "controls/procedures.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

class MessageRequisites : public ::testing::Test, protected ChapterReport {
protected:
    std::vector<std::string> Fill(int rows, const std::string& branch, std::int32_t instance = 0) {
        const std::string dir = tree.DateDir(kDate);
        std::vector<std::vector<engine::Cell>> cells;
        for (int i = 0; i < rows; ++i)
            cells.push_back({engine::Cell::Integer(instance), engine::Cell::Text("K" + std::to_string(i)),
                             engine::Cell::Text("V" + std::to_string(i)), engine::Cell::Integer(i + 1)});
        WriteParadoxTable(dir + "OES.DB",
                          {{"ID_EKZ", engine::FieldType::Long, 0},
                           {"KEY_REKW", engine::FieldType::Alpha, 20},
                           {"VALUE_REKW", engine::FieldType::Alpha, 60},
                           {"NNN", engine::FieldType::Long, 0}},
                          cells);
        std::vector<Requisite> req{{"BNK_REGN", "1481", instance},
                                   {"BNK_SOATO", "45", instance},
                                   {"BNK_OKPO", "00032537", instance},
                                   {"BNK_BIK", "044525225", instance}};
        if (branch != "<none>") req.push_back({"BNK_FILN", branch, instance});
        WriteRequisites(dir + "REKW_F101.DB", req);
        hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
        RunInside({contract::kTableMessageRequisites, 4, instance, kDate, tree.Protocol(), dir, ""}, records,
                  controls::FillReportRequisites);
        std::vector<std::string> out;
        for (const auto& r : ReadTable(dir + "OES.DB")) out.push_back(r[1].text + "=" + r[2].text);
        return out;
    }
};

}  // namespace

TEST_F(MessageRequisites, EightRowsAreFilledAndNoneAppended) {
    auto rows = Fill(10, "0");
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 7),
              (std::vector<std::string>{"OKUD=0409101", "OKATO=45", "OKPO=00032537", "RNKO=1481", "BIKKO=044525225",
                                        "DTMO=20251201", "DTME=20251201"}));
    EXPECT_TRUE(std::regex_match(rows[7], std::regex("DTMF=20[0-9]{12}")));
    EXPECT_EQ(rows[8], "K8=V8");
    EXPECT_EQ(rows[9], "K9=V9");
    EXPECT_EQ(FileBytes(tree.Protocol()), Lines({"**Заполнение реквизитов ОЭС"}));

    rows = Fill(5, "2");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3], "RNKO=1481/2");
    EXPECT_EQ(rows[4], "BIKKO=044525225");
    EXPECT_EQ(Fill(8, "<none>")[3], "RNKO=1481");
}

TEST_F(MessageRequisites, AReportInstanceChangesNothing) {
    auto rows = Fill(8, "2", 5);
    EXPECT_EQ(rows[0], "K0=V0");
    EXPECT_EQ(rows[7], "K7=V7");
}

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/executable_folder.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "runtime/requisites.h"
#include "runtime/run.h"
#include "support/in_run.h"
#include "support/printers.h"
#include "support/report.h"
#include "support/tables.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

class Requisites : public ::testing::Test {
protected:
    void SetUp() override {
        dir = tree.DateDir(kDate);
        WriteParadoxTable(dir + "CH_A.DB", ChapterFields(), {});
        WriteRequisites(dir + "REKW_F101.DB", {{"BNK_REGN", "1481", 5},
                                               {"BNK_REGN", "2000", 6},
                                               {"BNK_FILN", "0", 5},
                                               {"O'QUOTE", "q", 5},
                                               {"BNK_NAME", "Банк"_cp, 5}});
        WriteParadoxTable(
            dir + "OES.DB",
            {{"KEY_REKW", engine::FieldType::Alpha, 20},
             {"VALUE_REKW", engine::FieldType::Alpha, 50},
             {"NNN", engine::FieldType::Long, 0},
             {"ID_EKZ", engine::FieldType::Long, 0}},
            {{engine::Cell::Text("A"), engine::Cell::Text("знач"_cp), engine::Cell::Blank(), engine::Cell::Integer(5)},
             {engine::Cell::Text("B"), engine::Cell::Blank(), engine::Cell::Blank(), engine::Cell::Integer(5)},
             {engine::Cell::Text("C"), engine::Cell::Text("x"), engine::Cell::Integer(42), engine::Cell::Integer(5)}});
    }
    std::vector<Value> Run(std::int32_t instance, const std::function<std::vector<Value>()>& body,
                           const hostkit::DescriptorSet* set = nullptr) {
        std::vector<Value> out;
        RunInside({contract::kTableChapterA, contract::kModeControl, instance, kDate, tree.Protocol(), dir, ""},
                  set ? *set : records, [&] { out = body(); });
        EXPECT_TRUE(ui->messageBoxes.empty()) << (ui->messageBoxes.empty() ? "" : ui->messageBoxes[0]);
        return out;
    }
    const double kDate = locale::EncodeDate(2025, 12, 1);
    ScriptedUi ui;
    ReportTree tree;
    std::string dir;
    hostkit::DescriptorSet records{Form101Forms(), Form101Tables(), Form101Fields()};
};

}  // namespace

TEST_F(Requisites, FormRequisitesByInstance) {
    auto got = Run(6, [] { return std::vector<Value>{Value::Str(BankRegNumber()), Value::Str(BankBranchNumber())}; });
    EXPECT_EQ(got, (std::vector<Value>{Value::Str("2000"), Value::Str("")}));
    got = Run(0, [] { return std::vector<Value>{Value::Str(BankRegNumber())}; });
    EXPECT_EQ(got, (std::vector<Value>{Value::Str("1481")}));  // the first matching row
    got = Run(5, [] {
        return std::vector<Value>{LookupValue("ignored", "O'QUOTE", "k3_rekw"),
                                  LookupValue("", "BNK_NAME", "F101_REKW"), LookupValue("", "NONE", "X_REKW")};
    });
    EXPECT_EQ(got, (std::vector<Value>{Value::Str("q"), Value::Str("Банк"_cp), Value::Str("")}));
}

TEST_F(Requisites, TheCommonTableBesideTheProgram) {
    const std::string common = ExecutableFolder() + "REKWTU.DB";
    WriteRequisites(common, {{"BNK_BIK", "044525225", 0}});
    auto got = Run(5, [] {
        return std::vector<Value>{Value::Str(ReadCommonRequisite("BNK_BIK")), LookupValue("", "BNK_BIK", "gu_rekw")};
    });
    std::filesystem::remove(common);
    EXPECT_EQ(got, (std::vector<Value>{Value::Str("044525225"), Value::Str("044525225")}));
    got = Run(5, [] { return std::vector<Value>{Value::Str(ReadCommonRequisite("BNK_BIK"))}; });
    EXPECT_EQ(got, (std::vector<Value>{Value::Str("")}));
}

TEST_F(Requisites, KeyedLookupsInTablesTheHostDescribes) {
    auto got = Run(5, [] {
        return std::vector<Value>{
            LookupValue("value_rekw", "A", "OES"), LookupValue("VALUE_REKW", "B", "OES"),
            LookupValue("NNN", "B", "OES"),        LookupValue("NNN", "C", "OES"),
            LookupValue("VALUE_REKW", "Z", "OES"), LookupValue("VALUE_REKW", "A", "NOTABLE"),
            LookupValue("NOFIELD", "A", "OES"),    Value::Str(runtime::CurrentRun().MainTableFile)};
    });
    EXPECT_EQ(got, (std::vector<Value>{Value::Str("ЗНАЧ"_cp), Value::Str(""), Value::Str(""), Value::Int(42),
                                       Value::Str(""), Value::Int(0), Value::Int(0), Value::Str("OES")}));
}

TEST_F(Requisites, AnEmptyTableListOrAMissingFileGivesTheEmptyText) {
    hostkit::DescriptorSet empty({}, {}, {});
    auto got = Run(
        5, [] { return std::vector<Value>{Value::Str(BankRegNumber())}; }, &empty);
    EXPECT_EQ(got, (std::vector<Value>{Value::Str("")}));
    std::filesystem::remove(engine::DiskPath(dir + "REKW_F101.DB"));
    got = Run(5, [] { return std::vector<Value>{Value::Str(BankRegNumber())}; });
    EXPECT_EQ(got, (std::vector<Value>{Value::Str("")}));
}

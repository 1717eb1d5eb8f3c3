// The run driver through the run entry, with the scripted window backend.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "host/dispatcher.h"
#include "host/fm_contr.h"
#include "host/run_entry.h"
#include "platform/engine/files.h"
#include "platform/engine/query.h"
#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "platform/ui/scripted_backend.h"
#include "runtime/run.h"
#include "support/file_faults.h"
#include "support/report.h"
#include "support/tables.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

const double kDate = locale::EncodeDate(2025, 12, 1);

class RunDriver : public ::testing::Test {
protected:
    void SetUp() override {
        auto backend = std::make_unique<ui::ScriptedBackend>();
        ui = backend.get();
        ui::SetBackend(std::move(backend));
        dataDir = tree.DateDir(kDate);
        WriteParadoxTable(
            dataDir + ChapterFile('A') + ".DB", ChapterFields(),
            {ChapterRow(5, "30102", "А"_cp), ChapterRow(5, "30202", "П"_cp), ChapterRow(6, "40702", "П"_cp)});
    }
    void TearDown() override { ui::SetBackend(nullptr); }

    bool Run(std::int32_t mode = contract::kModeControl, std::int32_t instance = 0,
             std::int32_t tableId = contract::kTableChapterA, std::string protocol = {}) {
        host::RunArguments a;
        a.tableId = tableId;
        a.mode = mode;
        a.instanceId = instance;
        a.reportDate = kDate;
        a.protocolPath = protocol.empty() ? tree.Protocol() : protocol;
        a.dataDir = dataDir;
        a.SetLists(records);
        a.procedures = procedures;
        if (tableCount >= 0) a.tableCount = tableCount;
        return host::RunEntry(a);
    }
    std::string Protocol() { return std::filesystem::exists(tree.Protocol()) ? FileBytes(tree.Protocol()) : "<none>"; }

    ReportTree tree;
    std::string dataDir;
    hostkit::DescriptorSet records{Form101Forms(), Form101Tables(), Form101Fields()};
    std::int32_t tableCount = -1;
    host::RunProcedures procedures;  // what every run of the test executes
    ui::ScriptedBackend* ui = nullptr;
};

auto Writes(std::vector<std::string> lines) {
    return [lines] {
        for (const auto& l : lines) WriteProtocolLine(l);
    };
}

}  // namespace

TEST_F(RunDriver, ANormalRunWritesItsLinesAndClosesInTheTickThatRanIt) {
    procedures = {Writes({"**Заголовок"_cp, "1: E101001 текст"_cp})};
    EXPECT_TRUE(Run());
    EXPECT_EQ(Protocol(), "**Заголовок\r\n1: E101001 текст\r\n"_cp);
    EXPECT_EQ(ui->VirtualNow(), 500);  // the first tick, and no further one
    EXPECT_TRUE(ui->messageBoxes.empty());
    EXPECT_EQ(ui->titleBarRemovals, 1);
    // The header line is shown in the window.
    bool shown = false;
    for (const auto& v : ui->drawn) shown |= v.name == "Заголовок"_cp;
    EXPECT_TRUE(shown);
    EXPECT_EQ(ui->drawn.front().caption, "Контроль"_cp);
    EXPECT_EQ(ui->drawn.front().panel, "Идет контроль"_cp);
    // Two successive runs: the second run's lines follow the first's.
    EXPECT_TRUE(Run());
    EXPECT_EQ(Protocol(), "**Заголовок\r\n1: E101001 текст\r\n**Заголовок\r\n1: E101001 текст\r\n"_cp);
}

TEST_F(RunDriver, StopBeforeTheFirstTickRunsNothingAndLeavesTheProtocolAlone) {
    WriteBytes(tree.Protocol(), "old\r\n\x1A");
    bool ran = false;
    procedures = {[&] { ran = true; }};
    ui->stopBeforeFirstTick = true;
    EXPECT_TRUE(Run());
    EXPECT_FALSE(ran);
    EXPECT_EQ(Protocol(), "old\r\n\x1A");  // not even the end-of-file cut
}

TEST_F(RunDriver, StopDuringARunPutsTheInterruptionLineBetweenAndTheRestStillRuns) {
    // Pump 1 is the first tick's counter update; then one pump before each line: 2 before the
    // first header, 3 before "a", 4 before "b", 5 before the second header.
    ui->stopAtPumps = {4, 5};
    procedures = {Writes({"**Первая"_cp, "a", "b"}), Writes({"**Вторая"_cp, "c"})};
    EXPECT_TRUE(Run());
    EXPECT_EQ(Protocol(),
              "**Первая\r\na\r\n>>>>> Прервано оператором\r\nb\r\n>>>>> Прервано оператором\r\n**Вторая\r\nc\r\n"_cp);
}

TEST_F(RunDriver, AProtocolInAMissingFolderRunsNothingAndWritesNothing) {
    bool ran = false;
    procedures = {[&] { ran = true; }};
    EXPECT_TRUE(Run(contract::kModeControl, 0, contract::kTableChapterA, tree.Dir() / "missing/protocol.txt"));
    EXPECT_FALSE(ran);
    EXPECT_FALSE(std::filesystem::exists(tree.Dir() / "missing"));
    EXPECT_TRUE(ui->messageBoxes.empty());
    // A folder in place of the protocol file: the same.
    std::filesystem::create_directories(tree.Dir() / "folder");
    EXPECT_TRUE(Run(contract::kModeControl, 0, contract::kTableChapterA, tree.Dir() / "folder"));
    EXPECT_FALSE(ran);
}

TEST_F(RunDriver, ModePrepareAppendsNothingButCutsTheEndOfFileMark) {
    EXPECT_TRUE(Run(contract::kModePrepare));
    EXPECT_EQ(Protocol(), "");  // created empty
    EXPECT_EQ(ui->drawn.front().panel, "Подготовка отчета"_cp);
    WriteBytes(tree.Protocol(), std::string(300, 'x') + "\r\n\x1A junk \x1A");
    EXPECT_TRUE(Run(contract::kModePrepare));
    EXPECT_EQ(Protocol(), std::string(300, 'x') + "\r\n");
    // A mark further back than the last 128 bytes stays.
    WriteBytes(tree.Protocol(), "a\x1A" + std::string(200, 'y'));
    EXPECT_TRUE(Run(contract::kModePrepare));
    EXPECT_EQ(Protocol(), "a\x1A" + std::string(200, 'y'));
}

TEST_F(RunDriver, AFailureShowsItsTextKeepsTheLinesAndChangesNoTable) {
    const std::string table = dataDir + ChapterFile('A') + ".DB";
    const std::string before = FileBytes(table);
    procedures = {[] {
        WriteProtocolLine("**Контроль"_cp);
        runtime::CurrentRun().Q.First();
        runtime::CurrentRun().Q.Delete();
        throw EngineError("table X.DB is damaged");
    }};
    EXPECT_TRUE(Run());
    ASSERT_EQ(ui->messageBoxes.size(), 1u);
    EXPECT_EQ(ui->messageBoxes[0], "table X.DB is damaged");
    EXPECT_EQ(Protocol(), "**Контроль\r\n"_cp);
    EXPECT_EQ(FileBytes(table), before);
}

TEST_F(RunDriver, AChangeMadeByASuccessfulRunReachesTheTable) {
    const std::string table = dataDir + ChapterFile('A') + ".DB";
    procedures = {[] {
        runtime::CurrentRun().Q.First();
        runtime::CurrentRun().Q.Delete();
    }};
    EXPECT_TRUE(Run(contract::kModeControl, 5));
    auto rows = ReadTable(table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1].text, "30202");
    EXPECT_EQ(rows[1][1].text, "40702");
}

TEST_F(RunDriver, TheMainQueryHasTheInstanceConditionOnlyForANonZeroInstance) {
    std::vector<std::string> lines;
    int rows = 0;
    procedures = {[&] {
        lines = runtime::CurrentRun().Q.SqlLines();
        rows = runtime::CurrentRun().Q.RowCount();
    }};
    EXPECT_TRUE(Run(contract::kModeControl, 0));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "select * from \"" + dataDir + "CH_A.DB\"");
    EXPECT_EQ(rows, 3);
    EXPECT_TRUE(Run(contract::kModeControl, 5));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], " where ID_EKZ=5");
    EXPECT_EQ(rows, 2);
}

TEST_F(RunDriver, AMainTableMissingFromTheListLeavesTheCursorClosed) {
    bool active = true;
    procedures = {[&] { active = runtime::CurrentRun().Q.Active(); }};
    EXPECT_TRUE(Run(contract::kModeControl, 0, 999));
    EXPECT_FALSE(active);
    EXPECT_TRUE(ui->messageBoxes.empty());
}

TEST_F(RunDriver, ACountBeyondTheListCapacityIsARangeFailureNotAnOverread) {
    procedures = {Writes({"x"})};
    tableCount = 500;
    EXPECT_TRUE(Run(contract::kModeControl, 0, 999));
    ASSERT_EQ(ui->messageBoxes.size(), 1u);
    EXPECT_NE(ui->messageBoxes[0].find("table list"), std::string::npos);
    EXPECT_EQ(Protocol(), "");
}

TEST_F(RunDriver, HeaderLinesAreShownInTheWindow) {
    std::vector<std::string> names;
    const std::string longHeader = "**" + std::string(300, 'h');
    procedures = {[&] {
        WriteProtocolLine("**Имя"_cp);
        names.push_back(host::FmContr->Lname);
        WriteProtocolLine("*one star");
        names.push_back(host::FmContr->Lname);
        WriteProtocolLine("**");
        names.push_back(host::FmContr->Lname);
        WriteProtocolLine(longHeader);
        names.push_back(host::FmContr->Lname);
    }};
    EXPECT_TRUE(Run());
    EXPECT_EQ(names, (std::vector<std::string>{"Имя"_cp, "Имя"_cp, "", std::string(255, 'h')}));
    EXPECT_EQ(Protocol(), "**Имя\r\n*one star\r\n**\r\n"_cp + longHeader + "\r\n");
}

TEST_F(RunDriver, AFailedProtocolWriteEndsTheRunWithAMessage) {
    int lines = 0;
    std::optional<FileFaults> faults(std::in_place, [&](FileFaults::Step step, const std::string& path) {
        return step == FileFaults::Step::Write && path == tree.Protocol() ? 28 : 0;
    });
    procedures = {[&] {
        for (int i = 0; i < 100; ++i, ++lines) WriteProtocolLine("line of some length " + std::to_string(i));
    }};
    EXPECT_TRUE(Run());
    faults.reset();
    ASSERT_EQ(ui->messageBoxes.size(), 1u);
    EXPECT_NE(ui->messageBoxes[0].find("protocol"), std::string::npos);
    EXPECT_LT(lines, 10);  // the write that filled the 128-byte buffer failed
}

TEST_F(RunDriver, RowCounterIsShownAndOperatorCounterStaysZero) {
    runtime::Library().counters.RowCounter = 17;
    procedures = {[] {}};
    EXPECT_TRUE(Run());
    ASSERT_GE(ui->drawn.size(), 2u);
    bool sawRow = false;
    for (const auto& v : ui->drawn) {
        if (v.rowNo == "17") sawRow = true;
        if (!v.operatorNo.empty()) {
            EXPECT_EQ(v.operatorNo, "0");
        }
    }
    EXPECT_TRUE(sawRow);
    runtime::Library().counters.RowCounter = 0;
}

// Faults while writing: a full disk or an I/O error at each step of a commit and of the
// protocol; hostile paths and values.
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#include "../controls/chapter_fixture.h"
#include "../controls/controls_fixture_a.h"
#include "controls/procedures.h"
#include "runtime/run.h"
#include "support/file_faults.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

const std::string kHeader = "**Контроль формы 101 Глава А. Баланс 1-я часть";

class Faults : public ::testing::Test, protected ChapterReport {
protected:
    void SetUp() override {
        Write(kDate, 'A', CurrentA());
        Write(kPrevious, 'A', PreviousA());
        WriteChart(ChartA());
    }
    std::string Control() { return ChapterReport::Run(contract::kTableChapterA, controls::ControlChapterA1); }
};

}  // namespace

TEST_F(Faults, AFailedCommitLeavesTheTableAsItWasAndSaysSo) {
    const std::string table = TablePath(kDate, 'A');
    const std::string before = FileBytes(table);
    using Step = FileFaults::Step;
    const std::pair<const char*, Step> steps[] = {
        {"open", Step::Create}, {"write", Step::Write}, {"fsync", Step::Sync}, {"rename", Step::Rename}};
    for (const auto& [step, failing] : steps) {
        for (int err : {ENOSPC, EIO}) {
            ui->messageBoxes.clear();
            // The steps of writing the chapter table fail; the protocol's are not touched.
            FileFaults faults(
                [failing = failing, err, name = ChapterFile('A') + ".DB"](Step s, const std::string& path) {
                    return s == failing && path.find(name) != std::string::npos ? err : 0;
                });
            EXPECT_EQ(Control(), Lines({kHeader})) << step;
            ASSERT_EQ(ui->messageBoxes.size(), 1u) << step;
            EXPECT_NE(ui->messageBoxes[0].find("cannot write"), std::string::npos) << ui->messageBoxes[0];
            EXPECT_NE(ui->messageBoxes[0].find(ChapterFile('A')), std::string::npos) << ui->messageBoxes[0];
            EXPECT_EQ(FileBytes(table), before) << step;
        }
    }
    EXPECT_EQ(Control(), Lines({kHeader}));
    EXPECT_NE(FileBytes(table), before);  // the rebuilt totals reach the table at last
}

TEST_F(Faults, AFailedProtocolWriteLeavesOnlyWholeLines) {
    for (int failAt = 1; failAt <= 6; ++failAt) {
        int writes = 0;
        std::optional<FileFaults> faults(std::in_place, [&](FileFaults::Step s, const std::string& path) {
            return s == FileFaults::Step::Write && path == tree.Protocol() && ++writes >= failAt ? ENOSPC : 0;
        });
        std::filesystem::remove(tree.Protocol());
        hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
        ui->messageBoxes.clear();
        RunInside({contract::kTableChapterA, 4, 0, kDate, tree.Protocol(), tree.DateDir(kDate), ""}, records, [] {
            for (int i = 0; i < 40; ++i) WriteProtocolLine("line " + std::to_string(i) + " " + std::string(37, 'x'));
        });
        faults.reset();
        const std::string protocol = FileBytes(tree.Protocol());
        ASSERT_EQ(ui->messageBoxes.size(), 1u) << failAt;
        std::string expected;
        for (int i = 0; expected.size() < protocol.size(); ++i)
            expected += "line " + std::to_string(i) + " " + std::string(37, 'x') + "\r\n";
        EXPECT_EQ(protocol, expected) << failAt;  // a prefix of the lines, each whole
    }
}

TEST_F(Faults, HostilePathsAndValues) {
    // Quotes, blanks and Cyrillic letters in the folders of the report.
    for (const std::string folder : {"with \"double\" quotes", "with 'single' quotes", "папка с пробелами"}) {
        const std::string root = tree.Dir() / folder;
        std::filesystem::create_directories(root + "/F101/20251201");
        std::filesystem::create_directories(root + "/F101/20251101");
        const std::string dir = root + "/F101/20251201/";
        std::filesystem::copy(tree.DateDir(kDate), dir, std::filesystem::copy_options::recursive);
        std::filesystem::copy(tree.DateDir(kPrevious), root + "/F101/20251101/",
                              std::filesystem::copy_options::recursive);
        hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
        const std::string protocol = root + "/protocol.txt";
        RunInside({contract::kTableChapterA, 4, 0, kDate, text::FromUtf8(protocol), text::FromUtf8(dir), ""}, records,
                  controls::ControlChapterA1);
        EXPECT_TRUE(ui->messageBoxes.empty())
            << folder << ": " << (ui->messageBoxes.empty() ? "" : ui->messageBoxes[0]);
        EXPECT_EQ(FileBytes(text::FromUtf8(protocol)), Lines({kHeader})) << folder;
    }
    // Account numbers far beyond 32 bits in the cross-checks: a clear failure, no crash.
    auto current = CurrentA();
    current[0].nbal = "99999999999999999999";
    Write(kDate, 'A', current);
    const std::string before = FileBytes(TablePath(kDate, 'A'));
    ui->messageBoxes.clear();
    EXPECT_EQ(ChapterReport::Run(contract::kTableChapterA, controls::ControlChapterA2),
              Lines({"**Контроль формы 101 Глава А. Баланс 2-я часть"}));
    ASSERT_EQ(ui->messageBoxes.size(), 1u);
    EXPECT_NE(ui->messageBoxes[0].find("range check error"), std::string::npos);
    EXPECT_EQ(FileBytes(TablePath(kDate, 'A')), before);
}

// Protocol paths that are devices, FIFOs or folders, for a run through the run entry.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "host/dispatcher.h"
#include "host/run_entry.h"
#include "platform/engine/files.h"
#include "platform/errors.h"
#include "platform/locale/calendar.h"
#include "platform/text/cp1251.h"
#include "runtime/protocol_file.h"
#include "runtime/record_access.h"
#include "runtime/run.h"
#include "support/file_faults.h"
#include "support/in_run.h"
#include "support/report.h"
#include "support/tables.h"
#include "support/temp_dir.h"
#include "tesma/tesmaC.h"

using namespace tesma;
using namespace tesma::literals;
using namespace tesma::testing;

namespace {

class ProtocolPaths : public ::testing::Test {
protected:
    void SetUp() override {
        dataDir = tree.DateDir(kDate);
        WriteParadoxTable(table(), ChapterFields(), {ChapterRow(0, "30102", "А"_cp), ChapterRow(0, "30202", "П"_cp)});
    }
    std::string table() const { return dataDir + ChapterFile('A') + ".DB"; }
    // A run that writes three lines and changes the table; true when the entry returns true.
    bool Run(const std::string& protocol, const std::function<void()>& between = {}) {
        hostkit::DescriptorSet records(Form101Forms(), Form101Tables(), Form101Fields());
        host::RunProcedures procedures({[&] {
            WriteProtocolLine("**Заголовок"_cp);
            FirstRow();
            SetRowField("NBAL2", Value::Str("99999"));
            if (between) between();
            WriteProtocolLine("first " + std::string(200, 'x'));
            WriteProtocolLine("second");
        }});
        host::RunArguments a;
        a.tableId = contract::kTableChapterA;
        a.mode = contract::kModeControl;
        a.reportDate = kDate;
        a.protocolPath = protocol;
        a.dataDir = dataDir;
        a.SetLists(records);
        a.procedures = procedures;
        return host::RunEntry(a);
    }
    bool TableChanged() { return ReadTable(table())[0][1].text == "99999"; }
    const std::string kLines = "**Заголовок\r\nfirst "_cp + std::string(200, 'x') + "\r\nsecond\r\n";

    // How the run ended, as the run record tells a host.
    struct Outcome {
        TempDir dir;
        std::string path = dir / "outcome";
        Outcome() { ::setenv(TESMA_ENV_OUTCOME, path.c_str(), 1); }
        ~Outcome() { ::unsetenv(TESMA_ENV_OUTCOME); }
        std::string Word() const {
            const std::string bytes = FileBytes(path);
            return bytes.substr(0, bytes.find('\n'));
        }
    };

    const double kDate = locale::EncodeDate(2025, 12, 1);
    ScriptedUi ui;
    ReportTree tree;
    std::string dataDir;
};

}  // namespace

TEST_F(ProtocolPaths, ACharacterDeviceIsWrittenAndTheRunRuns) {
    EXPECT_TRUE(Run("/dev/null"));
    EXPECT_TRUE(ui->messageBoxes.empty()) << ui->messageBoxes[0];
    EXPECT_TRUE(TableChanged());
    // A device that refuses the lines ends the run as a full disk does: the table stays.
    WriteParadoxTable(table(), ChapterFields(), {ChapterRow(0, "30102", "А"_cp)});
    EXPECT_TRUE(Run("/dev/full"));
    ASSERT_EQ(ui->messageBoxes.size(), 1u);
    EXPECT_NE(ui->messageBoxes[0].find("/dev/full"), std::string::npos) << ui->messageBoxes[0];
    EXPECT_FALSE(TableChanged());
}

TEST_F(ProtocolPaths, AFifoWithAReaderGetsTheLinesByteForByte) {
    const std::string fifo = tree.Dir() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(Run(fifo));
    EXPECT_TRUE(ui->messageBoxes.empty()) << ui->messageBoxes[0];
    char buf[4096];
    const ssize_t n = ::read(reader, buf, sizeof buf);
    ::close(reader);
    EXPECT_EQ(std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0), kLines);
    EXPECT_TRUE(TableChanged());
    EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
}

TEST_F(ProtocolPaths, AFifoWithoutAReaderIsWaitedForWithTheWindowAliveAndThenRefused) {
    const std::string fifo = tree.Dir() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    runtime::ProtocolFile protocol;
    EXPECT_EQ(protocol.Open(fifo), ENXIO);  // the file alone never waits
    Outcome outcome;
    EXPECT_TRUE(Run(fifo));
    EXPECT_EQ(outcome.Word(), contract::kOutcomeNoProtocol);
    EXPECT_FALSE(TableChanged());
    EXPECT_TRUE(ui->messageBoxes.empty());
    // A few seconds of the window's clock, under ten, and the clock ticked all along.
    EXPECT_GE(ui->VirtualNow(), contract::kProtocolReaderWaitMs);
    EXPECT_LT(ui->VirtualNow(), 10000);
    EXPECT_GE(static_cast<std::int64_t>(ui->drawn.size()), contract::kProtocolReaderWaitMs / 500);
}

TEST_F(ProtocolPaths, AReaderWhoComesDuringTheWaitGetsEveryLine) {
    const std::string fifo = tree.Dir() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // The reader opens the FIFO just before the library's fourth try.
    int tries = 0;
    UniqueFd reader;
    FileFaults late([&](FileFaults::Step step, const std::string& path) {
        if (step == FileFaults::Step::Open && path == fifo && ++tries == 4)
            reader = UniqueFd(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
        return 0;
    });
    Outcome outcome;
    EXPECT_TRUE(Run(fifo));
    EXPECT_EQ(outcome.Word(), contract::kOutcomeFinished);
    ASSERT_TRUE(reader);
    char buf[4096];
    const ssize_t n = ::read(reader.Get(), buf, sizeof buf);
    EXPECT_EQ(std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0), kLines);
    EXPECT_TRUE(TableChanged());
}

TEST_F(ProtocolPaths, AStopDuringTheWaitForAReaderEndsItAsAStop) {
    const std::string fifo = tree.Dir() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ui->stopAtPumps = {6};
    Outcome outcome;
    EXPECT_TRUE(Run(fifo));
    EXPECT_EQ(outcome.Word(), contract::kOutcomeStopped);
    EXPECT_LT(ui->VirtualNow(), contract::kProtocolReaderWaitMs);
    EXPECT_FALSE(TableChanged());
    EXPECT_TRUE(ui->messageBoxes.empty());
}

TEST_F(ProtocolPaths, AReaderThatGoesAwayEndsTheRunNotTheProcess) {
    const std::string fifo = tree.Dir() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(Run(fifo, [&] {
        ::close(reader);
        reader = -1;
    }));
    ASSERT_EQ(ui->messageBoxes.size(), 1u);
    EXPECT_NE(ui->messageBoxes[0].find("protocol"), std::string::npos) << ui->messageBoxes[0];
    EXPECT_FALSE(TableChanged());
}

TEST_F(ProtocolPaths, AFolderStaysAnErrorAndNothingRuns) {
    EXPECT_TRUE(Run(tree.Dir().path()));
    EXPECT_TRUE(ui->messageBoxes.empty());
    EXPECT_FALSE(TableChanged());
    // A regular file is written as before.
    EXPECT_TRUE(Run(tree.Protocol()));
    EXPECT_EQ(FileBytes(tree.Protocol()), kLines);
    EXPECT_TRUE(TableChanged());
}

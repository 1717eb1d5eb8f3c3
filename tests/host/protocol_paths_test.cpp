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
#include "support/in_run.h"
#include "support/report.h"
#include "support/tables.h"

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

TEST_F(ProtocolPaths, AFifoWithoutAReaderIsAnErrorAtOnceNeverAWait) {
    const std::string fifo = tree.Dir() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    runtime::ProtocolFile protocol;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(protocol.Open(fifo), ENXIO);
    EXPECT_FALSE(Run(fifo) && TableChanged());
    // At once (make bench measures it against a run to a protocol file); here only a bound that
    // catches a wait for a reader.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    EXPECT_FALSE(TableChanged());
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

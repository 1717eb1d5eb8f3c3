// f101 on a terminal: the stop button (Ctrl-C, Esc) before the first tick and during a later
// chapter, keys that are not Esc, SIGTERM, and what the progress line costs in bytes.
#include <termios.h>

#include <csignal>

#include "f101_fixture.h"
#include "pty_process.h"

using namespace tesma;
using namespace tesma::testing;
namespace fs = std::filesystem;

namespace {

const std::string kWaiting = "Идет контроль";
const std::string kStopLine = ">>>>> Прервано оператором";

std::string LongChapterB(const TempDir& dir) { return ImportWithLongChapterB(dir); }

std::vector<std::string> Env(const TempDir& dir, std::vector<std::string> more = {}) {
    more.push_back("TERM=xterm");
    more.push_back("TMPDIR=" + dir.path());
    return more;
}

bool TerminalGivenBack(const PtyProcess& p) {
    const termios t = p.Settings();
    return (t.c_lflag & ECHO) && (t.c_lflag & ICANON);
}

}  // namespace

TEST(F101Terminal, CtrlCOrEscBeforeTheFirstTickStopsBeforeAnythingIsWritten) {
    for (const std::string key : {"\x03", "\x1b"}) {
        TempDir dir;
        const std::string folder = ImportInstitution(dir, "2704");
        PtyProcess p({kF101, "check", folder}, Env(dir), dir / "out.txt");
        ASSERT_TRUE(p.WaitFor(kWaiting)) << p.Screen();
        p.Type(key);
        EXPECT_EQ(p.Wait(), 130) << p.Screen();
        EXPECT_NE(p.Screen().find("f101: stopped by the operator"), std::string::npos) << p.Screen();
        EXPECT_EQ(p.Screen().find("could not be opened"), std::string::npos);
        EXPECT_EQ(ReadBytes(dir / "out.txt").find("**"), std::string::npos);
        EXPECT_FALSE(fs::exists(folder + "protocol.txt"));
        EXPECT_TRUE(TerminalGivenBack(p));
    }
}

TEST(F101Terminal, AnArrowKeyDoesNotStop) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    PtyProcess p({kF101, "check", folder}, Env(dir), dir / "out.txt");
    ASSERT_TRUE(p.WaitFor(kWaiting)) << p.Screen();
    p.Type("\x1b[A");
    const int status = p.Wait();
    EXPECT_TRUE(status == 0 || status == 1) << status << p.Screen();
    const std::string out = ReadBytes(dir / "out.txt");
    EXPECT_EQ(out.find(kStopLine), std::string::npos);
    EXPECT_NE(out.find("Глава Д"), std::string::npos) << out;
}

TEST(F101Terminal, CtrlCDuringTheSecondChapterEndsTheWholeCommand) {
    TempDir dir;
    const std::string folder = LongChapterB(dir);
    PtyProcess p({kF101, "check", folder}, Env(dir), dir / "out.txt");
    ASSERT_TRUE(p.WaitFor("Глава Б")) << p.Screen();
    p.Type("\x03");
    EXPECT_EQ(p.Wait(), 130) << p.Screen();
    const std::string out = ReadBytes(dir / "out.txt");
    EXPECT_NE(out.find("Глава А"), std::string::npos);
    EXPECT_EQ(Count(out, kStopLine), 1u);
    EXPECT_GT(out.find(kStopLine), out.find("Глава Б"));
    EXPECT_EQ(out.find("Глава В"), std::string::npos) << "a later chapter ran";
    EXPECT_EQ(out.find("Глава Д"), std::string::npos);
    EXPECT_NE(p.Screen().find("f101: stopped by the operator"), std::string::npos);
    EXPECT_TRUE(TerminalGivenBack(p));
}

TEST(F101Terminal, SigtermGivesTheTerminalBackAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string folder = LongChapterB(dir);
    fs::create_directory(dir / "tmp");
    std::vector<std::string> env = {"TERM=xterm", "TMPDIR=" + dir / "tmp"};
    PtyProcess p({kF101, "check", folder}, env, dir / "out.txt");
    ASSERT_TRUE(p.WaitFor("Глава Б")) << p.Screen();
    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(), 128 + SIGTERM);
    EXPECT_TRUE(TerminalGivenBack(p));
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

TEST(F101Terminal, TheProgressLineIsCheapInBytesAndPlainWithoutColour) {
    TempDir dir;
    const std::string folder = ImportInstitution(dir, "2704");
    // What it costs in time beyond the run is measured in make bench.
    PtyProcess tty({kF101, "check", folder, "--protocol", dir / "p.txt"}, Env(dir));
    const int ended = tty.Wait();
    EXPECT_TRUE(ended == 0 || ended == 1) << tty.Screen();
    const std::string screen = tty.Screen();
    // Protocol lines and progress line together, for one institution's whole report.
    EXPECT_LT(screen.size(), 100u * 1024) << screen.size();
    EXPECT_NE(screen.find("\x1b[K"), std::string::npos);

    for (const std::string setting : {"TERM=dumb", "NO_COLOR=1"}) {
        std::string drawn;
        PtyProcess p({kF101, "check", folder, "--protocol", dir / "p.txt"},
                     {setting == "TERM=dumb" ? setting : "TERM=xterm", setting});
        const int status = p.Wait();
        EXPECT_TRUE(status == 0 || status == 1);
        EXPECT_NE(p.Screen().find(kWaiting), std::string::npos);
        EXPECT_EQ(p.Screen().find('\x1b'), std::string::npos) << setting;
    }
}

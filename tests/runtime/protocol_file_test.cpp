// The protocol file: whole lines after a failed write at any flush.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/errors.h"
#include "runtime/protocol_file.h"
#include "support/file_faults.h"
#include "support/tables.h"
#include "support/temp_dir.h"

using namespace tesma;
using namespace tesma::testing;

namespace {

// Writes the lines into a protocol whose n-th write fails; returns what the file holds.
std::string WriteFailingAt(const std::string& path, const std::string& before, const std::vector<std::string>& lines,
                           int failingWrite) {
    WriteBytes(path, before);
    int writes = 0;
    {
        FileFaults faults([&](FileFaults::Step step, const std::string& file) {
            return step == FileFaults::Step::Write && file == path && ++writes >= failingWrite ? ENOSPC : 0;
        });
        runtime::ProtocolFile protocol;
        EXPECT_EQ(protocol.Open(path), 0);
        try {
            for (const auto& l : lines) protocol.WriteLine(l);
        } catch (const IoError&) {
        }
        protocol.Close();
    }
    return FileBytes(path);
}

}  // namespace

TEST(ProtocolFlushes, AFailedWriteAtAnyFlushKeepsEveryLineThatReachedTheFileWhole) {
    TempDir dir;
    const std::string path = dir / "protocol.txt";
    int crEndsAFlushThatStays = 0;
    // A first line of every length around one buffer, so that its CR LF falls before, across
    // and after each flush boundary; then lines of other lengths, one longer than a buffer.
    for (const std::string before : {"", "old line\r\n", "old line without end"}) {
        for (std::size_t first : {0, 1, 124, 125, 126, 127, 128, 129, 252, 253, 254, 255, 256, 257}) {
            std::vector<std::string> lines = {std::string(first, 'a'), std::string(300, 'b'), "", "c"};
            for (int i = 0; i < 12; ++i) lines.push_back("line " + std::to_string(i));
            std::string all;
            for (const auto& l : lines) all += l + "\r\n";
            const int flushes = static_cast<int>(all.size() / 128);
            for (int failing = 1; failing <= flushes + 1; ++failing) {
                // What reached the file: the flushes before the failing one; of it, every whole line.
                const std::string reached = before + all.substr(0, 128 * static_cast<std::size_t>(failing - 1));
                const std::size_t lastEnd = reached.rfind("\r\n");
                std::string expected = reached.substr(0, lastEnd == std::string::npos ? 0 : lastEnd + 2);
                if (expected.size() < before.size()) expected = before;
                if (failing > 1 && failing <= flushes && all[128 * static_cast<std::size_t>(failing - 1) - 1] == '\r')
                    ++crEndsAFlushThatStays;
                ASSERT_EQ(WriteFailingAt(path, before, lines, failing), expected)
                    << "first line " << first << ", failing write " << failing << ", before '" << before << "'";
            }
        }
    }
    EXPECT_GE(crEndsAFlushThatStays, 6);  // the split CR LF was among the cases
}

// f101's imports run as separate processes: `import-published --regn all` stopped part way
// leaves whole trees only, says which were written and which not, and the same command with
// --replace completes it; `import --replace` and `import-published --replace` never replace a
// table or a report that a run of the library is working on.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "process.h"
#include "support/tables.h"
#include "support/temp_dir.h"
#include "tesma/tesmaC.h"

using namespace tesma;
using namespace tesma::testing;
namespace fs = std::filesystem;

namespace {

const std::string kF101 = TESMA_F101_PATH;
const std::string kSample = std::string(TESMA_TEST_DATA) + "/f101-2015-12-01-sample.csv";
const std::string kSigns = std::string(TESMA_DEMO_DIR) + "/account-signs.csv";
constexpr int kInstitutions = 60;

// A sheet of kInstitutions institutions (100001, 100002, ...), each with one small institution's
// accounts of the sample sheet.
std::string ManyInstitutionsSheet(const TempDir& dir) {
    std::istringstream sample(FileBytes(kSample));
    std::string header, line;
    std::getline(sample, header);
    std::vector<std::string> accounts;
    while (std::getline(sample, line))
        if (line.rfind("3447,", 0) == 0) accounts.push_back(line.substr(4));
    std::string sheet = header + "\n";
    for (int i = 1; i <= kInstitutions; ++i)
        for (const std::string& a : accounts) sheet += std::to_string(100000 + i) + a + "\n";
    const std::string path = dir / "sheet.csv";
    WriteBytes(path, sheet);
    return path;
}

// f101 import-published --regn all started as a separate process, its standard output in a pipe
// that holds a page: a line printed for each tree is some 250 bytes, so f101 waits at the pipe
// after 16 trees until the test reads, and a signal sent while the test has not read on always
// comes well before the last tree.
class Import {
public:
    Import(const std::string& sheet, const std::string& out, bool interruptIgnored, const std::string& errFile) {
        int fds[2];
        if (::pipe(fds) != 0) throw std::runtime_error("pipe");
        ::fcntl(fds[1], F_SETPIPE_SZ, 4096);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            ::dup2(fds[1], 1);
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(err, 2);
            // As a script's background job is started: the terminal's Ctrl-C does not reach it.
            if (interruptIgnored) ::signal(SIGINT, SIG_IGN);
            ::setenv(TESMA_ENV_UI, "silent", 1);
            ::execl(kF101.c_str(), kF101.c_str(), "import-published", sheet.c_str(), "--regn", "all", "--out",
                    out.c_str(), "--chart", kSigns.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~Import() {
        if (out_ >= 0) ::close(out_);
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // The lines printed so far, read until there are at least `count` (or the end).
    const std::vector<std::string>& ReadLines(std::size_t count) {
        while (lines_.size() < count) {
            char chunk[4096];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) break;
            pending_.append(chunk, static_cast<std::size_t>(n));
            for (std::size_t nl; (nl = pending_.find('\n')) != std::string::npos; pending_.erase(0, nl + 1))
                lines_.push_back(pending_.substr(0, nl));
        }
        return lines_;
    }
    void Signal(int signal) { ::kill(pid_, signal); }
    // Reads the rest and waits for the exit status (-1 when f101 did not exit by itself).
    int Finish() {
        ReadLines(SIZE_MAX);
        int raw = 0;
        waited_ = ::waitpid(pid_, &raw, 0) == pid_;
        return waited_ && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool waited_ = false;
    std::string pending_;
    std::vector<std::string> lines_;
};

// What is under a folder: every file (relative name and size) and every folder.
std::map<std::string, std::uintmax_t> Listing(const fs::path& root) {
    std::map<std::string, std::uintmax_t> found;
    for (const auto& e : fs::recursive_directory_iterator(root))
        found[fs::relative(e.path(), root).string()] = e.is_regular_file() ? e.file_size() : 0;
    return found;
}

// The institutions whose trees are under `out`, each checked to be as complete as `whole` (all
// institutions of the sheet have the same accounts, so their trees the same files and sizes).
std::set<std::string> WholeTrees(const fs::path& out, const fs::path& whole) {
    std::set<std::string> regns;
    for (const auto& e : fs::directory_iterator(out)) {
        regns.insert(e.path().filename().string());
        EXPECT_EQ(Listing(e.path()), Listing(whole)) << e.path();
    }
    return regns;
}

// A process that holds a file's lock, as a run of the library holds the tables and the protocol
// it works on, until the object goes.
class LockHolder {
public:
    explicit LockHolder(const std::string& path) {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(go_) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            // Waits until the test lets go or ends.
            ::close(go_[1]);
            const int fd = ::open(path.c_str(), O_RDONLY);
            char c = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 1 : 0;
            (void)!::write(ready[1], &c, 1);
            if (c) (void)!::read(go_[0], &c, 1);
            ::_exit(0);
        }
        ::close(go_[0]);
        ::close(ready[1]);
        char locked = 0;
        const bool told = ::read(ready[0], &locked, 1) == 1;
        ::close(ready[0]);
        if (!told || !locked) {
            ::close(go_[1]);
            ::waitpid(pid_, nullptr, 0);
            throw std::runtime_error("cannot lock " + path);
        }
    }
    ~LockHolder() {
        ::close(go_[1]);
        ::waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
    int go_[2] = {-1, -1};
};

// Every file under a folder with a digest of its bytes, and every folder.
std::map<std::string, std::size_t> Tree(const std::string& root) {
    std::map<std::string, std::size_t> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        files[e.path().string()] = e.is_regular_file() ? std::hash<std::string>()(FileBytes(e.path().string())) : 0;
    return files;
}

}  // namespace

TEST(F101ImportBesideARun, NeitherImportReplacesATableOrReportARunHoldsAndSaysWhichFileItIs) {
    TempDir dir;
    const auto importReport = [&](bool replace) {
        std::vector<std::string> args = {kF101,   "import-published", kSample,   "--regn", "2704",
                                         "--out", dir / "r",          "--chart", kSigns};
        if (replace) args.push_back("--replace");
        return RunProgram(args, "TESMA_UI=silent");
    };
    ASSERT_EQ(importReport(false).status, 0);
    const std::string folder = dir / "r/F101/20151201/";
    const std::string table = folder + "F101_1.DB";
    ProcessResult exported = RunProgram({kF101, "export", table, "--with-types"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string edited = dir / "edited.csv";
    // The table as exported without its first row.
    const std::size_t firstRow = exported.out.find('\n') + 1;
    const std::string csv =
        exported.out.substr(0, firstRow) + exported.out.substr(exported.out.find('\n', firstRow) + 1);
    WriteBytes(edited, csv);
    WriteBytes(folder + "protocol.txt", "an earlier check\r\n");
    const auto before = Tree(dir / "r");
    {
        // While a run holds the chapter table, an import over it would lose the run's rows or
        // have them written over its own: it fails, naming the table, and writes nothing.
        LockHolder run(table);
        ProcessResult r = RunProgram({kF101, "import", edited, table, "--replace"}, "TESMA_UI=silent");
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.err, "f101: " + table +
                             ": the table is locked by another process (a check, sort or fill is "
                             "working on it); it was not replaced\n");
        r = importReport(true);
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.err, "f101: " + table +
                             ": locked by another process (a check, sort or fill is working on that "
                             "report); it was not replaced\n");
        EXPECT_EQ(Tree(dir / "r"), before);
    }
    {
        // The protocol a run holds keeps its report in place too.
        LockHolder run(folder + "protocol.txt");
        EXPECT_EQ(importReport(true).status, 3);
        EXPECT_EQ(Tree(dir / "r"), before);
    }
    // Once the run is done, both replace.
    ProcessResult r = RunProgram({kF101, "import", edited, table, "--replace"}, "TESMA_UI=silent");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RunProgram({kF101, "export", table, "--with-types"}).out, csv);
    r = importReport(true);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RunProgram({kF101, "export", table, "--with-types"}).out, exported.out);
}

TEST(F101ImportStop, CtrlCOrSigtermWithCtrlCIgnoredLeavesWholeTreesSaysWhatIsMissingAndReplaceCompletesIt) {
    TempDir dir;
    const std::string sheet = ManyInstitutionsSheet(dir);
    ProcessResult full =
        RunProgram({kF101, "import-published", sheet, "--regn", "100001", "--out", dir / "whole", "--chart", kSigns},
                   "TESMA_UI=silent");
    ASSERT_EQ(full.status, 0) << full.err;
    // Long folder names make each printed line long (see Import).
    const std::string longName(200, 'r');

    for (const bool interruptIgnored : {false, true}) {
        SCOPED_TRACE(interruptIgnored ? "SIGTERM, Ctrl-C ignored" : "Ctrl-C");
        const std::string out = dir / (longName + (interruptIgnored ? "-term" : "-int"));
        const std::string err = dir / "err.txt";
        Import import(sheet, out, interruptIgnored, err);
        ASSERT_FALSE(import.ReadLines(1).empty());
        import.Signal(SIGINT);
        if (interruptIgnored) {
            // Ctrl-C does not reach it: it goes on past all that the pipe held when it came.
            EXPECT_GE(import.ReadLines(25).size(), 25u);
            import.Signal(SIGTERM);
        }
        EXPECT_EQ(import.Finish(), 130);
        const std::vector<std::string>& printed = import.ReadLines(SIZE_MAX);
        ASSERT_LT(printed.size(), static_cast<std::size_t>(kInstitutions));

        // The trees listed are there, whole; nothing else is, no tree begun nor a scratch folder.
        const std::set<std::string> written = WholeTrees(out, dir / "whole");
        EXPECT_EQ(written.size(), printed.size());
        for (const std::string& line : printed)
            EXPECT_TRUE(written.count(fs::path(line).parent_path().parent_path().parent_path().filename())) << line;
        std::string missing;
        for (std::size_t i = printed.size(); i < printed.size() + 10; ++i)
            missing += (missing.empty() ? "" : ", ") + std::to_string(100001 + i);
        EXPECT_EQ(FileBytes(err),
                  "f101: stopped: " + std::to_string(printed.size()) + " of " + std::to_string(kInstitutions) +
                      " reports written (listed on standard output), each whole; not written: " + missing + " and " +
                      std::to_string(kInstitutions - printed.size() - 10) +
                      " more. The same command with --replace writes them all.\n");

        if (!interruptIgnored) continue;
        // Run again as the message says, the import is complete.
        ProcessResult again = RunProgram(
            {kF101, "import-published", sheet, "--regn", "all", "--out", out, "--chart", kSigns, "--replace"},
            "TESMA_UI=silent");
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(WholeTrees(out, dir / "whole").size(), static_cast<std::size_t>(kInstitutions));
    }
}

// f101 check on many reports, as separate processes: the batch's long-lived workers give each
// report exactly what a check of it alone gives, a run that crashes or hangs in a worker is that
// report's failure alone, a stop or a kill of the batch leaves no worker and nothing in the
// temporary folder, and on a terminal the batch shows how many reports are done.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "f101_fixture.h"
#include "pty_process.h"
#include "tesma/tesmaC.h"

using namespace tesma;
using namespace tesma::testing;
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::string kFaultyLibrary = TESMA_FAULTY_LIB;

std::vector<json> JsonRecords(const std::string& out) {
    std::vector<json> records;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) records.push_back(json::parse(line));
    return records;
}

// A copy of an institution's report tree under another name; its dated folder.
std::string CopyReport(const std::string& datedFolder, const std::string& root) {
    const fs::path tree = fs::path(datedFolder).parent_path().parent_path().parent_path();
    fs::create_directories(fs::path(root).parent_path());
    fs::copy(tree, root, fs::copy_options::recursive);
    return root + "/F101/20151201/";
}

// The processes (other than `except`) whose environment holds `marker`.
int ProcessesMarked(const std::string& marker, pid_t except) {
    int n = 0;
    for (const auto& e : fs::directory_iterator("/proc")) {
        const std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos || std::stoi(name) == except) continue;
        const std::string environment = ReadBytes(e.path() / "environ");
        if (environment.find(marker + '\0') != std::string::npos) ++n;
    }
    return n;
}

// Waits until no process but `except` holds `marker`; false if some still do after ten seconds.
bool NoneMarkedSoon(const std::string& marker, pid_t except) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ProcessesMarked(marker, except) > 0)
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return true;
}

// `f101 check` started in the background, its output to a file.
pid_t StartBatch(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                 const std::string& output) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::setenv(TESMA_ENV_UI, "silent", 1);
        for (const std::string& e : environment) ::putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv = {const_cast<char*>(kF101.c_str()), const_cast<char*>("check")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(kF101.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

}  // namespace

TEST(F101BatchWorkers, EachReportAsACheckOfItAloneAndAFaultyRunIsThatReportsFailureOnly) {
    TempDir dir;
    std::vector<std::string> real;
    for (const char* regn : {"1481", "2618", "2704", "3447"}) real.push_back(ImportInstitution(dir, regn));
    // A first check rebuilds the total rows; from then on every check of a report prints the same.
    for (const std::string& f : real) RunF101({"check", f, "--quiet"});
    const std::string damaged = CopyReport(real[0], dir / "damaged");
    WriteText(damaged + "F101_3.DB", ReadBytes(damaged + "F101_3.DB").substr(0, 3000));
    const std::string noChart = CopyReport(real[1], dir / "no-chart");
    fs::remove(noChart + "PS_WORK.DB");
    const std::string crash = CopyReport(real[2], dir / "crash-in-run");
    const std::string hang = CopyReport(real[3], dir / "hang-in-run");

    const std::vector<std::string> folders = {real[0], crash, damaged, real[1], hang, noChart, real[2], real[3]};
    std::map<std::string, std::vector<json>> alone;
    for (const std::string& f : folders) {
        if (f == crash || f == hang) continue;
        const ProcessResult r = RunF101({"check", f, "--json", "--explain"});
        EXPECT_NE(r.status, 2) << f << r.err;
        alone[f] = JsonRecords(r.out);
    }
    EXPECT_FALSE(alone[damaged].empty());
    EXPECT_FALSE(alone[noChart].empty());

    // The workers load the tests' faulty library: the crash and the hang happen in a worker. The
    // time limit is far beyond what a real report takes, even on a slow build of a busy machine.
    std::vector<std::string> args = {"check"};
    args.insert(args.end(), folders.begin(), folders.end());
    args.insert(args.end(), {"--json", "--explain", "-j", "2", "--report-timeout", "20"});
    const ProcessResult batch = RunF101(args, "TESMA_UI=silent TESMA_LIB=" + kFaultyLibrary);
    EXPECT_EQ(batch.status, 3) << batch.err;

    const std::vector<json> records = JsonRecords(batch.out);
    std::size_t at = 0;
    for (const std::string& f : folders) {
        if (f == crash || f == hang) {
            // The report's failure, said as a failure of its check as a whole.
            ASSERT_LT(at, records.size()) << f;
            const json& failure = records[at++];
            EXPECT_EQ(failure["severity"], "failure") << failure.dump();
            EXPECT_EQ(failure["report"], f);
            EXPECT_EQ(failure["file"], f);
            const std::string message = failure["message"];
            EXPECT_EQ(message.rfind(f + ": the process checking this report ", 0), 0u) << message;
            if (f == crash)
                EXPECT_NE(message.find("was killed by signal"), std::string::npos) << message;
            else
                EXPECT_NE(message.find("no result within 20 s"), std::string::npos) << message;
            EXPECT_NE(batch.err.find(message), std::string::npos) << batch.err;
            // Then the report's summary record, as every report's output ends.
            ASSERT_LT(at, records.size()) << f;
            const json& summary = records[at++];
            EXPECT_EQ(summary["severity"], "summary") << summary.dump();
            EXPECT_EQ(summary["report"], f);
            EXPECT_EQ(summary["failures"], 1);
            EXPECT_EQ(summary["exit_status"], 3);
            continue;
        }
        const std::vector<json>& expected = alone[f];
        ASSERT_LE(at + expected.size(), records.size()) << f;
        for (const json& e : expected) EXPECT_EQ(records[at++], e) << f;
    }
    // The batch's own summary record ends the output.
    ASSERT_LT(at, records.size()) << batch.out;
    EXPECT_EQ(records[at]["severity"], "summary") << records[at].dump();
    EXPECT_TRUE(records[at]["report"].is_null()) << records[at].dump();
    EXPECT_EQ(records[at++]["reports"], folders.size());
    EXPECT_EQ(at, records.size()) << batch.out;
    // The summary table (on standard error with --json): each faulty report failed, exit 3.
    for (const std::string& f : {crash, hang}) {
        const std::size_t row = batch.err.find("\n" + f + " ");
        ASSERT_NE(row, std::string::npos) << batch.err;
        const std::string line = batch.err.substr(row + 1, batch.err.find('\n', row + 1) - row - 1);
        EXPECT_NE(line.find(" 1 "), std::string::npos) << line;
        EXPECT_NE(line.find("     3  done"), std::string::npos) << line;
    }
    EXPECT_NE(batch.err.find("8 reports: "), std::string::npos) << batch.err;
}

TEST(F101BatchWorkers, AStopOrAKillOfTheBatchLeavesNoWorkerAndNothingInTheTemporaryFolder) {
    TempDir dir;
    const std::string first = ImportInstitution(dir, "1481");
    for (int i = 0; i < 24; ++i) CopyReport(first, dir / ("tree/c" + std::to_string(i)));
    for (int i = 0; i < 4; ++i) CopyReport(first, dir / ("hung/hang-in-run-" + std::to_string(i)));
    const std::string tmp = dir / "tmp";

    for (const int sig : {SIGINT, SIGTERM, SIGKILL}) {
        SCOPED_TRACE(sig);
        fs::create_directories(tmp);
        const std::string marker = "TESMA_TEST_BATCH=" + std::to_string(::getpid()) + "-" + std::to_string(sig);
        const std::string out = dir / ("out-" + std::to_string(sig) + ".txt");
        // A stop comes once the first report is printed (its summary line), with many still to
        // check; a kill while every worker is in a run that never ends.
        const bool kill = sig == SIGKILL;
        const pid_t pid = kill ? StartBatch({dir / "hung", "--recursive", "-j", "2", "--dry-run"},
                                            {"TMPDIR=" + tmp, marker, "TESMA_LIB=" + kFaultyLibrary}, out)
                               : StartBatch({dir / "tree", "--recursive", "-j", "2"}, {"TMPDIR=" + tmp, marker}, out);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        const auto ready = [&] {
            return kill ? ProcessesMarked(marker, pid) == 2 : ReadBytes(out).find(" failures\n") != std::string::npos;
        };
        while (!ready() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ::kill(pid, sig);
        int raw = 0;
        ASSERT_EQ(::waitpid(pid, &raw, 0), pid);
        if (kill) {
            EXPECT_TRUE(WIFSIGNALED(raw));
        } else {
            ASSERT_TRUE(WIFEXITED(raw)) << ReadBytes(out);
            EXPECT_EQ(WEXITSTATUS(raw), 130) << ReadBytes(out);
            EXPECT_NE(ReadBytes(out).find("f101: stopped; "), std::string::npos) << ReadBytes(out);
        }
        EXPECT_TRUE(NoneMarkedSoon(marker, pid)) << "a worker outlived the batch";
        EXPECT_TRUE(fs::is_empty(tmp)) << fs::directory_iterator(tmp)->path();
        fs::remove_all(tmp);
    }
}

TEST(F101BatchWorkers, OnATerminalTheBatchShowsHowManyReportsAreDone) {
    TempDir dir;
    const std::string a = ImportInstitution(dir, "1481"), b = ImportInstitution(dir, "2618"),
                      c = ImportInstitution(dir, "3447");
    PtyProcess p({kF101, "check", a, b, c, "-j", "1", "--quiet"}, {"TERM=xterm"}, dir / "out.txt");
    EXPECT_TRUE(p.WaitFor("1/3 reports done")) << p.Screen();
    const int status = p.Wait();
    EXPECT_TRUE(status == 0 || status == 1) << status << p.Screen();
    EXPECT_NE(p.Screen().find("3/3 reports done"), std::string::npos) << p.Screen();
    // Only on the terminal: what goes to a file is the reports and the summary.
    const std::string out = ReadBytes(dir / "out.txt");
    EXPECT_EQ(out.find("reports done"), std::string::npos) << out;
    EXPECT_NE(out.find("3 reports: "), std::string::npos) << out;
}

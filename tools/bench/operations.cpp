// make bench: how fast the library's operations are on a report at the capacity of the control
// arrays, and how close each is to the time of reading and writing its tables once.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <vector>

#include "controls/procedures.h"
#include "f101_commands.h"
#include "form101.h"
#include "host/dispatcher.h"
#include "host/run_entry.h"
#include "keyed_copy.h"
#include "pages.h"
#include "platform/engine/files.h"
#include "platform/engine/paradox.h"
#include "platform/engine/query.h"
#include "platform/text/cp1251.h"
#include "platform/unique_fd.h"
#include "population.h"
#include "report_folder.h"
#include "run_host.h"
#include "synthetic_report.h"
#include "timings.h"

using namespace tesma;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Result {
    double medianMs = 0, limitMs = 0;
    long peakKiB = 0;
};

// Runs `op` (after one warm-up) `repeat` times in a child process; its peak resident memory is
// the child's alone.
Result Measure(int repeat, const std::function<void()>& op, const std::function<double()>& limit) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    UniqueFd readEnd(fds[0]), writeEnd(fds[1]);
    pid_t child = ::fork();
    if (child == 0) {
        readEnd.Reset();
        op();
        std::vector<double> times;
        for (int i = 0; i < repeat; ++i) {
            auto start = Clock::now();
            op();
            times.push_back(Ms(Clock::now() - start));
        }
        std::vector<double> limits;
        for (int i = 0; i < 5; ++i) limits.push_back(limit());
        double out[2] = {Median(times), Median(limits)};
        (void)!::write(writeEnd.Get(), out, sizeof out);
        ::_exit(0);
    }
    writeEnd.Reset();
    double in[2] = {0, 0};
    (void)!::read(readEnd.Get(), in, sizeof in);
    readEnd.Reset();
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return {in[0], in[1], usage.ru_maxrss};
}

// Reading each table once and writing each once, as the engine does.
double ReadWrite(const std::vector<std::string>& reads, const std::vector<std::string>& writes) {
    auto start = Clock::now();
    std::vector<engine::TableFile> tables;
    for (const auto& r : reads) {
        engine::TableFile t = engine::ParseParadox(engine::ReadWholeFile(r, r), r);
        for (std::size_t i = 0; i < t.records.size(); ++i)
            for (std::size_t f = 0; f < t.fields.size(); ++f) (void)t.Get(i, static_cast<int>(f));
        tables.push_back(std::move(t));
    }
    for (const auto& w : writes) {
        engine::TableFile t = engine::ParseParadox(engine::ReadWholeFile(w, w), w);
        engine::ReplaceFileAtomically(w, engine::SerializeParadox(t), w);
    }
    return Ms(Clock::now() - start);
}

void Row(const std::string& name, int rows, const Result& r) {
    std::printf("%-34s %6d %10.2f %10.2f %7.1fx %9ld\n", name.c_str(), rows, r.medianMs, r.limitMs,
                r.limitMs > 0 ? r.medianMs / r.limitMs : 0.0, r.peakKiB / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    // --tree DIR: only build the synthetic report there (for profiling).
    if (argc > 2 && std::string(argv[1]) == "--tree") {
        bench::SyntheticReport r = bench::BuildSyntheticReport(argv[2], 2998);
        std::printf("%s\n", r.current.c_str());
        return 0;
    }
    // --population SHEETS: only the published population (the in-process controls beside f101).
    if (argc > 2 && std::string(argv[1]) == "--population") {
        ::setenv(TESMA_ENV_UI, "silent", 1);
        const fs::path tool = fs::read_symlink("/proc/self/exe").parent_path() / "f101";
        return bench::RunF101Commands(argv[2], tool.string(), reportkit::LibraryPath());
    }
    const std::string population = argc > 1 ? argv[1] : "";
    const fs::path root = fs::temp_directory_path() / ("tesma-bench-" + std::to_string(::getpid()));
    fs::remove_all(root);
    ::setenv(TESMA_ENV_UI, "silent", 1);
    bench::SyntheticReport report = bench::BuildSyntheticReport(root.string(), 2998);
    reportkit::ReportFolder folder = reportkit::OpenReportFolder(report.current);
    hostkit::Library lib(reportkit::LibraryPath());
    const std::string protocol = (root / "protocol.txt").string();
    auto file = [&](const std::string& dir, char latin) {
        for (const auto& c : reportkit::kChapters)
            if (c.latin == latin) return dir + std::string(c.fileName) + ".DB";
        return std::string();
    };
    const std::string chart = report.current + "PS_WORK.DB", registry = report.current + "REP_EKZ.DB";

    std::printf("%-34s %6s %10s %10s %8s %9s\n", "operation", "rows", "median ms", "limit ms", "ratio", "peak MiB");
    const int repeat = 9;

    // The engine alone.
    const std::string chapterA = file(report.current, 'A');
    Row("open and scan a chapter table", report.rows[0] + 2,
        Measure(
            repeat, [&] { ReadWrite({chapterA}, {}); }, [&] { return ReadWrite({chapterA}, {}); }));
    auto changeAndCommit = [&](const std::string& table) {
        return [table] {
            engine::Session session;
            engine::Query q(true, &session);
            q.AddLine("select * from \"" + text::FromUtf8(table) + "\"");
            q.Open();
            for (q.First(); !q.Eof(); q.Next()) {
                q.Edit();
                q.SetText("A_P", q.AsText(q.FieldByName("A_P")));
                q.SetInteger("NNN", q.AsInteger(q.FieldByName("NNN")) + 1);
                q.Post();
            }
            q.Close();
            session.Commit();
        };
    };
    // The same table keyed on ID_EKZ + NNN: records sorted, the index checked and rebuilt.
    const std::string keyedA = (root / "keyed" / fs::path(chapterA).filename()).string();
    fs::create_directories(root / "keyed");
    fs::copy_file(chapterA, keyedA);
    reportkit::MakeKeyed(text::FromUtf8(keyedA), {"ID_EKZ", "NNN"});
    const Result unkeyedCommit = Measure(repeat, changeAndCommit(chapterA), [&] { return ReadWrite({}, {chapterA}); });
    Row("commit a changed table", report.rows[0] + 2, unkeyedCommit);
    const Result keyedCommit = Measure(repeat, changeAndCommit(keyedA), [&] { return ReadWrite({}, {keyedA}); });
    Row("commit a changed keyed table", report.rows[0] + 2, keyedCommit);
    // A table keyed on a long text (a host's own name column of 200 characters): few keys to an
    // index block, so its index has several levels.
    const std::string longKey = (root / "keyed" / "LONGKEY.DB").string();
    {
        engine::TableFile t = engine::CreateParadox({{"NAME", engine::FieldType::Alpha, 200},
                                                     {"A_P", engine::FieldType::Alpha, 3},
                                                     {"NNN", engine::FieldType::Long, 0}},
                                                    text::FromUtf8(longKey));
        for (int r = 0; r < report.rows[0] + 2; ++r) {
            std::string record = t.BlankRecord();
            t.Set(record, 0,
                  engine::Cell::Text("account of a host's own ledger, line " + std::string(150, ' ') +
                                     std::to_string(r * 7919 % 100003)));
            t.Set(record, 1, engine::Cell::Text(r % 2 ? "A" : "P"));
            t.Set(record, 2, engine::Cell::Integer(r));
            t.records.push_back(std::move(record));
        }
        engine::ReplaceFileAtomically(longKey, engine::SerializeParadox(t), longKey);
        reportkit::MakeKeyed(text::FromUtf8(longKey), {"NAME"});
    }
    const Result longKeyCommit = Measure(repeat, changeAndCommit(longKey), [&] { return ReadWrite({}, {longKey}); });
    Row("commit a keyed table, long key", report.rows[0] + 2, longKeyCommit);
    std::printf("  keyed commit / unkeyed commit: ID_EKZ+NNN %.2fx, long text key %.2fx\n",
                keyedCommit.medianMs / unkeyedCommit.medianMs, longKeyCommit.medianMs / unkeyedCommit.medianMs);

    auto run = [&](std::int32_t table, std::int32_t mode) {
        return [&, table, mode] { reportkit::RunOnFolder(lib, folder, {table, mode, 0, protocol, ""}); };
    };
    const char* names[] = {"А", "Б", "В", "Г", "Д"};
    int i = 0;
    for (const auto& c : reportkit::kChapters) {
        std::vector<std::string> reads = {file(report.current, c.latin), file(report.previous, c.latin), chart,
                                          registry};
        const int rows = report.rows[i] + 2;
        if (c.latin == 'A') {
            // The balance part alone, in this process, through the run entry.
            Row("control of chapter А (balance part)", rows,
                Measure(
                    repeat,
                    [&] {
                        hostkit::DescriptorSet records(folder.forms, folder.tables, folder.fields);
                        host::RunArguments a;
                        a.tableId = c.tableId;
                        a.mode = contract::kModeControl;
                        a.reportDate = folder.date;
                        a.protocolPath = text::FromUtf8(protocol);
                        a.dataDir = folder.dirCp;
                        a.SetLists(records);
                        a.procedures = {controls::ControlChapterA1};
                        host::RunEntry(a);
                    },
                    [&] { return ReadWrite(reads, {file(report.current, c.latin)}); }));
        }
        Row(std::string("control of chapter ") + names[i] + (c.latin == 'A' ? " (full)" : ""), rows,
            Measure(repeat, run(c.tableId, contract::kModeControl),
                    [&] { return ReadWrite(reads, {file(report.current, c.latin)}); }));
        ++i;
    }
    i = 0;
    for (const auto& c : reportkit::kChapters) {
        Row(std::string("sort of chapter ") + names[i], report.rows[i] + 2,
            Measure(repeat, run(c.tableId, contract::kModeSort),
                    [&] { return ReadWrite({file(report.current, c.latin)}, {file(report.current, c.latin)}); }));
        ++i;
    }
    Row("requisites filling", 8, Measure(repeat, run(contract::kTableMessageRequisites, contract::kModeControl), [&] {
            return ReadWrite({report.current + "F101_OES.DB", report.current + "REKW_F101.DB"},
                             {report.current + "F101_OES.DB"});
        }));
    const fs::path tool = fs::read_symlink("/proc/self/exe").parent_path() / "f101";
    // The page first: the timing checks may leave the folder's tables damaged.
    const int pageStatus = bench::RunPageFigures(tool.string(), report.current, (root / "pages").string());
    const int timingStatus =
        bench::RunTimingChecks(tool.string(), reportkit::LibraryPath(), report.current, (root / "timings").string());
    fs::remove_all(root);

    if (population.empty()) return timingStatus | pageStatus;
    return bench::RunF101Commands(population, tool.string(), reportkit::LibraryPath()) | timingStatus | pageStatus;
}

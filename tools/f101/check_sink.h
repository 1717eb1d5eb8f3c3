#pragma once
// What takes the results of `f101 check`: the text output, JSON Lines, a batch's worker sending
// its results to the batch, the batch's summary table and CSV; pages and workbooks the same way.
// The check calls its sinks as results come: each chapter's run as it ends (a user watching a
// long report sees it at once), each report when it is done, and the batch (one report for a
// single check) at the end of the command.
#include <vector>

#include "check_result.h"

namespace tesma::f101 {

// One report of a batch as the batch saw it.
struct BatchReport {
    ReportResult result;
    bool run = true;     // false: the batch was stopped before it started this report
    double seconds = 0;  // from the start of the report's check to its end, as the batch measured it
};

struct BatchResult {
    std::vector<BatchReport> reports;  // in the order given
    double seconds = 0;                // the whole command, wall clock
    bool stopped = false;              // the operator stopped the batch
};

class CheckSink {
public:
    virtual ~CheckSink() = default;
    // A chapter's run is done (in a check under way, `report` holds what is known so far and
    // `run` is the last of its chapters).
    virtual void ChapterDone(const ReportResult& report, const ChapterRun& run) { (void)report, (void)run; }
    // A report is done: its every run, its counts and exit status.
    virtual void ReportDone(const ReportResult& report) { (void)report; }
    // The command is done: every report in the order given, those not run included.
    virtual void BatchDone(const BatchResult& batch) { (void)batch; }
};

// Several sinks as one, each called in the order added.
class CheckSinks : public CheckSink {
public:
    void Add(CheckSink& sink) { sinks_.push_back(&sink); }
    void ChapterDone(const ReportResult& report, const ChapterRun& run) override {
        for (CheckSink* s : sinks_) s->ChapterDone(report, run);
    }
    void ReportDone(const ReportResult& report) override {
        for (CheckSink* s : sinks_) s->ReportDone(report);
    }
    void BatchDone(const BatchResult& batch) override {
        for (CheckSink* s : sinks_) s->BatchDone(batch);
    }

private:
    std::vector<CheckSink*> sinks_;
};

// Gives a finished result to a sink as a check gives it: each chapter's run, then the report.
void Replay(const ReportResult& result, CheckSink& sink);

}  // namespace tesma::f101

#pragma once
// The runs of one command: each run's lines and new failures handed to what the command prints,
// every failure said once however many runs meet it, the command ended at a stop (Ctrl-C between
// runs, or the library's stop button) or at a failure that makes further runs pointless, the
// counts and the exit status.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "protocol_output.h"
#include "run_host.h"
#include "stop_signals.h"

namespace tesma::f101 {

// What a command prints of each run.
class RunOutput {
public:
    virtual ~RunOutput() = default;
    // The run's outcome, its protocol lines, and the failures it met that no earlier run of the
    // command met.
    virtual void Print(const reportkit::ReportFolder& folder, const reportkit::RunRequest& request,
                       const reportkit::RunOutcome& outcome, const std::vector<reportkit::ProtocolLine>& lines,
                       const std::vector<Failure>& failures) = 0;
    // The operator stopped the command (once, after the output of the run that met the stop).
    virtual void Stopped() = 0;
};

// The protocol lines as the library wrote them (sort, fill, the demo), as text or JSON Lines on
// standard output; each failure on standard error and, with --json, as a record of its own.
class LineOutput : public RunOutput {
public:
    explicit LineOutput(bool json) : json_(json) {}
    void Print(const reportkit::ReportFolder& folder, const reportkit::RunRequest& request,
               const reportkit::RunOutcome& outcome, const std::vector<reportkit::ProtocolLine>& lines,
               const std::vector<Failure>& failures) override;
    void Stopped() override;

private:
    bool json_;
};

// The path a failure message names (the first word with a "/"), or empty.
std::string FileInMessage(const std::string& message);

class RunSession {
public:
    // The lines printed as they are (LineOutput).
    explicit RunSession(bool json);
    explicit RunSession(RunOutput& output);
    RunSession(const RunSession&) = delete;
    RunSession& operator=(const RunSession&) = delete;

    // Runs one request unless the command has ended; false once it has.
    bool Run(hostkit::Library& lib, const reportkit::ReportFolder& folder, const reportkit::RunRequest& request);
    bool Stopped() const { return stopped_; }
    // Error and warning lines, and the failures said.
    const FindingCounts& Counts() const { return counts_; }
    // 130 stopped, 3 a failure, 1 an error line, else 0.
    int ExitStatus() const;

private:
    void Stop();

    std::unique_ptr<LineOutput> lineOutput_;
    RunOutput& output_;
    bool ended_ = false, stopped_ = false;
    FindingCounts counts_;
    std::set<std::string> said_;
    StopSignals stop_;
};

}  // namespace tesma::f101

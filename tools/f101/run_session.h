#pragma once
// The runs of one command: prints what each appended, says every failure once (on standard
// error, and as a record of its own in --json output), ends the command at a stop or at a
// failure that makes further runs pointless, and gives the exit status.
#include <set>
#include <string>

#include "run_host.h"

namespace tesma::f101 {

// Whether the failures of a run end the command: a failure of the run's own table leaves the
// other tables worth checking; one of a shared table (the chart, the requisites, the folder)
// or of the protocol does not.
bool FailureEndsCommand(const reportkit::RunOutcome& outcome, const reportkit::ReportFolder& folder,
                        const reportkit::RunRequest& request);

// The stop said on standard error (and as a record with --json).
void SayStopped(bool json);

class RunSession {
public:
    explicit RunSession(bool json);
    // Runs one request unless the command has ended; false once it has.
    bool Run(hostkit::Library& lib, const reportkit::ReportFolder& folder, const reportkit::RunRequest& request);
    bool Ended() const { return ended_; }
    int ExitStatus() const;
    int Errors() const { return errors_; }
    int Warnings() const { return warnings_; }
    bool Stopped() const { return stopped_; }

private:
    void Failure(const std::string& message, const std::string& file);
    void Stop();

    bool json_;
    bool ended_ = false, stopped_ = false, failed_ = false;
    int errors_ = 0, warnings_ = 0;
    std::set<std::string> said_;
};

}  // namespace tesma::f101

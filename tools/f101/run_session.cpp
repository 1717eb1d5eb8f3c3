#include "run_session.h"

#include <iostream>

#include "exit_status.h"
#include "failure_output.h"
#include "interrupt.h"
#include "protocol_output.h"

namespace tesma::f101 {

RunSession::RunSession(bool json) : json_(json) { CatchInterrupt(); }

bool RunSession::Run(hostkit::Library& lib, const reportkit::ReportFolder& folder,
                     const reportkit::RunRequest& request) {
    if (!ended_ && Interrupted()) Stop();
    if (ended_) return false;
    reportkit::RunOutcome outcome = reportkit::RunOnFolder(lib, folder, request);
    auto lines = reportkit::ParseProtocol(outcome.appended);
    if (json_)
        PrintJson(std::cout, lines);
    else
        PrintText(std::cout, lines);
    std::cout.flush();
    for (const auto& l : lines) {
        if (l.severity == "error") ++errors_;
        if (l.severity == "warning") ++warnings_;
    }
    switch (outcome.end) {
        case reportkit::RunEnd::Stopped:
            Stop();
            break;
        case reportkit::RunEnd::NoProtocol:
            // Every later run would fail the same way.
            Failure(request.protocol +
                        ": the protocol file could not be opened (missing folder, no access, or held by another run)",
                    request.protocol);
            ended_ = true;
            break;
        case reportkit::RunEnd::Failed:
            for (const std::string& m : outcome.messages) Failure(m, FileInMessage(m));
            if (outcome.messages.empty())
                Failure("the run ended without saying how (see the protocol file)", request.protocol);
            if (FailureEndsCommand(outcome, folder, request)) ended_ = true;
            break;
        case reportkit::RunEnd::Finished:
            break;
    }
    if (!ended_ && Interrupted()) Stop();
    return !ended_;
}

void RunSession::Failure(const std::string& message, const std::string& file) {
    failed_ = true;
    if (!said_.insert(message).second) return;
    std::cerr << "f101: " << message << '\n';
    if (json_) PrintFailureJson(std::cout, message, file);
    std::cout.flush();
}

void RunSession::Stop() {
    if (stopped_) return;
    stopped_ = ended_ = true;
    SayStopped(json_);
}

bool FailureEndsCommand(const reportkit::RunOutcome& outcome, const reportkit::ReportFolder& folder,
                        const reportkit::RunRequest& request) {
    if (outcome.end == reportkit::RunEnd::NoProtocol || outcome.end == reportkit::RunEnd::Stopped) return true;
    if (outcome.end != reportkit::RunEnd::Failed || outcome.messages.empty())
        return outcome.end == reportkit::RunEnd::Failed;
    const std::string mainTable = folder.TablePath(request.tableId);
    for (const std::string& m : outcome.messages) {
        const std::string file = FileInMessage(m);
        if (file.empty() || mainTable.empty() || !SameFile(file, mainTable)) return true;
    }
    return false;
}

void SayStopped(bool json) {
    std::cerr << "f101: stopped by the operator; the rest of the command was not run\n";
    if (json) {
        PrintStopJson(std::cout);
        std::cout.flush();
    }
}

int RunSession::ExitStatus() const {
    if (stopped_) return kStopped;
    if (failed_) return kCouldNotCheck;
    return errors_ > 0 ? kFindings : kClean;
}

}  // namespace tesma::f101

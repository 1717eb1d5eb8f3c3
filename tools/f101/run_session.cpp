#include "run_session.h"

#include <filesystem>
#include <iostream>
#include <sstream>

#include "exit_status.h"

namespace tesma::f101 {

using reportkit::RunEnd;
using reportkit::RunOutcome;

std::string FileInMessage(const std::string& message) {
    std::istringstream words(message);
    for (std::string w; words >> w;) {
        if (w.find('/') == std::string::npos) continue;
        while (!w.empty() &&
               (w.back() == ':' || w.back() == ',' || w.back() == '"' || w.back() == '\'' || w.back() == ')'))
            w.pop_back();
        while (!w.empty() && (w.front() == '"' || w.front() == '\'' || w.front() == '(')) w.erase(0, 1);
        if (!w.empty()) return w;
    }
    return {};
}

namespace {

// Whether two paths name the same file.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

// What went wrong in a run: the protocol that could not be opened, every message box the run
// showed, or, for a run that failed without a word, that it did.
std::vector<Failure> FailuresOf(const RunOutcome& outcome, const std::string& protocol) {
    std::vector<Failure> failures;
    if (outcome.end == RunEnd::NoProtocol)
        failures.push_back(
            {protocol + ": the protocol file could not be opened (missing folder, no access, or held by another run)",
             protocol});
    for (const std::string& m : outcome.messages) failures.push_back({m, FileInMessage(m)});
    if (outcome.end == RunEnd::Failed && failures.empty())
        failures.push_back({"the run ended without saying how (see the protocol file)", protocol});
    return failures;
}

// Whether the failures of a run end the command: a failure of the run's own table leaves the
// other tables worth checking; one of a shared table (the chart, the requisites, the folder)
// or of the protocol does not.
bool FailureEndsCommand(const RunOutcome& outcome, const reportkit::ReportFolder& folder,
                        const reportkit::RunRequest& request) {
    if (outcome.end == RunEnd::NoProtocol || outcome.end == RunEnd::Stopped) return true;
    if (outcome.end != RunEnd::Failed || outcome.messages.empty()) return outcome.end == RunEnd::Failed;
    const std::string mainTable = folder.TablePath(request.tableId);
    for (const std::string& m : outcome.messages) {
        const std::string file = FileInMessage(m);
        if (file.empty() || mainTable.empty() || !SameFile(file, mainTable)) return true;
    }
    return false;
}

}  // namespace

void LineOutput::Print(const reportkit::ReportFolder&, const reportkit::RunRequest&, const RunOutcome&,
                       const std::vector<reportkit::ProtocolLine>& lines, const std::vector<Failure>& failures) {
    if (json_)
        PrintJson(std::cout, lines);
    else
        PrintText(std::cout, lines);
    std::cout.flush();
    for (const Failure& f : failures) {
        std::cerr << "f101: " << f.message << '\n';
        if (json_) PrintRecord(std::cout, FailureRecord(f));
        std::cout.flush();
    }
}

void LineOutput::Stopped() { SayStopped(json_); }

RunSession::RunSession(bool json) : lineOutput_(std::make_unique<LineOutput>(json)), output_(*lineOutput_) {}

RunSession::RunSession(RunOutput& output) : output_(output) {}

bool RunSession::Run(hostkit::Library& lib, const reportkit::ReportFolder& folder,
                     const reportkit::RunRequest& request) {
    if (!ended_ && stop_.Asked()) Stop();
    if (ended_) return false;
    const RunOutcome outcome = reportkit::RunOnFolder(lib, folder, request);
    const auto lines = reportkit::ParseProtocol(outcome.appended);
    for (const auto& l : lines) {
        if (l.severity == "error") ++counts_.errors;
        if (l.severity == "warning") ++counts_.warnings;
    }
    std::vector<Failure> fresh;
    for (Failure& f : FailuresOf(outcome, request.protocol))
        if (said_.insert(f.message).second) fresh.push_back(std::move(f));
    counts_.failures += static_cast<int>(fresh.size());
    output_.Print(folder, request, outcome, lines, fresh);
    if (outcome.end == RunEnd::Stopped || stop_.Asked())
        Stop();
    else if (FailureEndsCommand(outcome, folder, request))
        ended_ = true;
    return !ended_;
}

void RunSession::Stop() {
    if (stopped_) return;
    stopped_ = ended_ = true;
    output_.Stopped();
}

int RunSession::ExitStatus() const {
    if (stopped_) return kStopped;
    if (counts_.failures > 0) return kCouldNotCheck;
    return counts_.errors > 0 ? kFindings : kClean;
}

}  // namespace tesma::f101

#include "run_host.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

#include "memory_file.h"
#include "platform/text/cp1251.h"

namespace tesma::reportkit {

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the life of the object.
struct ScopedVariable {
    const char* name;
    ScopedVariable(const char* n, const std::string& value) : name(n) { ::setenv(name, value.c_str(), 1); }
    ~ScopedVariable() { ::unsetenv(name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;
};

RunEnd EndFrom(const std::string& word, bool anyMessage) {
    const auto says = [&](std::string_view outcome) { return word.rfind(outcome, 0) == 0; };
    if (says(contract::kOutcomeStopped)) return RunEnd::Stopped;
    if (says(contract::kOutcomeNoProtocol)) return RunEnd::NoProtocol;
    if (says(contract::kOutcomeFailed) || anyMessage) return RunEnd::Failed;
    if (says(contract::kOutcomeFinished)) return RunEnd::Finished;
    return RunEnd::Failed;  // the library said nothing of how the run ended
}

}  // namespace

std::string LibraryPath() {
    if (const char* env = std::getenv("TESMA_LIB"); env && *env) return env;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec).parent_path();
    for (const fs::path& candidate : {exe / "libtesmaC.so", exe / "../lib/libtesmaC.so", exe / "../libtesmaC.so"})
        if (fs::exists(candidate)) return candidate.lexically_normal().string();
    return "libtesmaC.so";
}

RunOutcome RunOnFolder(hostkit::Library& lib, const ReportFolder& folder, const RunRequest& request) {
    hostkit::DescriptorSet records(folder.forms, folder.tables, folder.fields);
    MemoryFile messages("f101-messages"), copy("f101-protocol-copy"), outcome("f101-outcome"),
        findings("f101-findings");
    const std::string protocol = text::FromUtf8(request.protocol, true);
    const std::string overrideDir =
        request.overrideDir.empty() ? std::string() : text::FromUtf8(request.overrideDir, true);
    {
        ScopedVariable m(TESMA_ENV_MESSAGES, messages.Path()), c(TESMA_ENV_PROTOCOL_COPY, copy.Path()),
            o(TESMA_ENV_OUTCOME, outcome.Path()), f(TESMA_ENV_FINDINGS, findings.Path());
        std::optional<ScopedVariable> discard;
        if (request.discardChanges)
            discard.emplace(TESMA_ENV_DISCARD_CHANGES, "1");
        else
            ::unsetenv(TESMA_ENV_DISCARD_CHANGES);
        lib.RunControl1(nullptr, request.tableId, 0, request.mode, request.instance, folder.date, protocol.c_str(),
                        folder.dirCp.c_str(), overrideDir.c_str(), records.Forms(), records.FormCount(),
                        records.Tables(), records.TableCount(), records.Fields(), records.FieldCount(), nullptr, 0);
    }
    RunOutcome out;
    out.appended = copy.Contents();
    out.findings = hostkit::ParseFindingRecords(findings.Contents());
    std::istringstream in(messages.Contents());
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) out.messages.push_back(line);
    out.end = EndFrom(outcome.Contents(), !out.messages.empty());
    return out;
}

}  // namespace tesma::reportkit

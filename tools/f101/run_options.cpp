#include "run_options.h"

namespace tesma::f101 {

std::string RunOptions::ProtocolPath(const reportkit::ReportFolder& folder) const {
    return protocol.empty() ? folder.dir + "protocol.txt" : protocol;
}

void AddRunOptions(CLI::App& command, RunOptions& options, const RunOptionTexts& texts) {
    command.add_option("--instance", options.instance, texts.instance);
    if (texts.withOverride)
        command.add_option("--override", options.overrideDir,
                           "Folder of the tables named \"!.<file>\" (the chart of accounts)");
    command.add_option("--protocol", options.protocol, "Protocol file (default <DIR>/protocol.txt)");
    AddJsonOption(command, options.json, texts.json);
}

void AddJsonOption(CLI::App& command, bool& json, const char* what) { command.add_flag("--json", json, what); }

}  // namespace tesma::f101

// `f101 fill DIR`: the requisites of the electronic report message filled in.
#include <memory>

#include "command_support.h"
#include "commands.h"
#include "run_host.h"
#include "run_options.h"
#include "run_session.h"

namespace tesma::f101 {

namespace {

struct FillOptions {
    std::string dir;
    RunOptions run;
};

int Fill(const FillOptions& o) {
    return Guarded([&] {
        reportkit::ReportFolder folder = reportkit::OpenReportFolder(o.dir);
        if (folder.TablePath(contract::kTableMessageRequisites).empty())
            throw std::runtime_error(folder.dir + ": no requisites table of the electronic report message (code OES)");
        // The requisites are filled for the report as a whole: each instance's rows of the
        // message table from its own requisites. A run for one instance would change nothing.
        if (o.run.instance > 0)
            throw reportkit::UsageError(
                "--instance " + std::to_string(o.run.instance) +
                ": filling works on the report as a whole (each instance's rows of the message table are filled "
                "from that instance's own requisites); run fill without --instance");
        RefuseHiddenFirstColumns(folder, {contract::kTableMessageRequisites});
        hostkit::Library lib(reportkit::LibraryPath());
        RunSession session(o.run.json);
        session.Run(lib, folder,
                    {contract::kTableMessageRequisites, contract::kModeControl, 0, o.run.ProtocolPath(folder), ""});
        return session.ExitStatus();
    });
}

}  // namespace

Command AddFill(CLI::App& app) {
    auto o = std::make_shared<FillOptions>();
    CLI::App* cmd = app.add_subcommand("fill", "Fill the requisites of the electronic report message");
    cmd->add_option("DIR", o->dir, "Report folder")->required();
    AddRunOptions(
        *cmd, o->run,
        {"Refused but for 0: filling works on the report as a whole, each instance's rows from its own requisites",
         "Print the protocol lines as JSON Lines"});
    cmd->footer(
        "Exit status: 0 filled, 1 errors found, 2 usage error, 3 the requisites could not be filled (nothing "
        "changed).");
    return {cmd, [o] { return Fill(*o); }};
}

}  // namespace tesma::f101

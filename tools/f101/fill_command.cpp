// `f101 fill DIR`: the requisites of the electronic report message filled in.
#include <memory>

#include "command_support.h"
#include "commands.h"
#include "instance_choice.h"
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
        // The requisites are filled for the report as a whole: no instance unless one is asked for.
        const std::int32_t chosen = o.run.instance > 0 ? ChooseInstance(folder, o.run.instance) : 0;
        hostkit::Library lib(reportkit::LibraryPath());
        RunSession session(o.run.json);
        session.Run(
            lib, folder,
            {contract::kTableMessageRequisites, contract::kModeControl, chosen, o.run.ProtocolPath(folder), ""});
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
        {"ID_EKZ of the report instance (default 0: the report as a whole)", "Print the protocol lines as JSON Lines"});
    cmd->footer(
        "Exit status: 0 filled, 1 errors found, 2 usage error, 3 the requisites could not be filled (nothing "
        "changed).");
    return {cmd, [o] { return Fill(*o); }};
}

}  // namespace tesma::f101

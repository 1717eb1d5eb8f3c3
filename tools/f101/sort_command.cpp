// `f101 sort DIR --chapter X`: a chapter table rewritten in account order, grouped by sign.
#include <memory>

#include "command_support.h"
#include "commands.h"
#include "instance_choice.h"
#include "run_host.h"
#include "run_options.h"
#include "run_session.h"

namespace tesma::f101 {

namespace {

struct SortOptions {
    std::string dir, chapter;
    RunOptions run;
};

int Sort(const SortOptions& o) {
    return Guarded([&] {
        reportkit::ReportFolder folder = reportkit::OpenReportFolder(o.dir);
        auto chapters = ChosenChapters({o.chapter}, folder);
        for (const reportkit::Chapter& c : chapters) RefuseHiddenFirstColumns(folder, {c.tableId});
        const std::int32_t chosen = ChooseInstance(folder, o.run.instance);
        hostkit::Library lib(reportkit::LibraryPath());
        RunSession session(o.run.json);
        for (const reportkit::Chapter& c : chapters)
            session.Run(lib, folder, {c.tableId, contract::kModeSort, chosen, o.run.ProtocolPath(folder), ""});
        return session.ExitStatus();
    });
}

}  // namespace

Command AddSort(CLI::App& app) {
    auto o = std::make_shared<SortOptions>();
    CLI::App* cmd = app.add_subcommand("sort", "Sort a chapter table in account order, grouped by sign");
    cmd->add_option("DIR", o->dir, "Report folder")->required();
    cmd->add_option("--chapter", o->chapter, "А, Б, В, Г or Д (or A, B, V, G, D)")->required();
    AddRunOptions(*cmd, o->run,
                  {"ID_EKZ of the report instance (default: the folder's only instance)",
                   "Print the protocol lines as JSON Lines"});
    cmd->footer(
        "Exit status: 0 sorted, 1 errors found, 2 usage error, 3 the table could not be sorted (nothing changed).");
    return {cmd, [o] { return Sort(*o); }};
}

}  // namespace tesma::f101

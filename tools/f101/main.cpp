// f101: the command-line host of the form 101 controls.
#include "command_line.h"
#include "commands.h"

int main(int argc, char** argv) {
    using namespace tesma::f101;
    CLI::App app{"f101: checks, sorts and completes the turnover sheet of a credit institution (form 0409101)", "f101"};
    app.set_version_flag("-V,--version", "f101 " TESMA_VERSION);
    app.require_subcommand(1);
    const std::vector<Command> commands = {
        AddCheck(app),           AddSort(app),    AddFill(app), AddExport(app), AddImport(app),
        AddImportPublished(app), AddReindex(app), AddDemo(app), AddRules(app),  AddHelp(app)};
    return RunCommandLine(app, commands, argc, argv);
}

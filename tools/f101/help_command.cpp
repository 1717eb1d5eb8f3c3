// `f101 help [COMMAND]`: the usage of f101 or of one command, as --help prints it. The command
// is not listed among the others: it is how one asks for the list.
#include <iostream>
#include <memory>

#include "command_line.h"
#include "commands.h"
#include "exit_status.h"

namespace tesma::f101 {

Command AddHelp(CLI::App& app) {
    auto command = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("help", "Print the usage of f101 or of a command")->group("");
    cmd->add_option("COMMAND", *command, "The command to explain (default: f101 itself)");
    cmd->footer("Exit status: 0 printed, 2 unknown command.");
    return {cmd, [&app, command] {
                const auto usage = [](const CLI::App& of, const std::string& name) {
                    return of.get_formatter()->make_help(&of, name, CLI::AppFormatMode::Normal);
                };
                if (command->empty()) {
                    std::cout << usage(app, app.get_name());
                    return int{kClean};
                }
                const CLI::App* sub = FindCommand(app, *command);
                if (!sub) return SayUnknownCommand(app, *command);
                std::cout << usage(*sub, app.get_name() + " " + sub->get_name());
                return int{kClean};
            }};
}

}  // namespace tesma::f101

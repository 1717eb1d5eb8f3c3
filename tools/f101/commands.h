#pragma once
// The commands of f101, one file each: every Add function registers its command and options with
// the command line and gives back what runs it, which returns the process exit status.
#include <CLI/CLI.hpp>

#include <functional>

namespace tesma::f101 {

struct Command {
    CLI::App* cli;  // the subcommand, with its options; set when it was given
    std::function<int()> run;
};

Command AddCheck(CLI::App& app);
Command AddSort(CLI::App& app);
Command AddFill(CLI::App& app);
Command AddExport(CLI::App& app);
Command AddImport(CLI::App& app);
Command AddImportPublished(CLI::App& app);
Command AddReindex(CLI::App& app);
Command AddDemo(CLI::App& app);
Command AddRules(CLI::App& app);
Command AddHelp(CLI::App& app);

}  // namespace tesma::f101

#pragma once
// The command line as a whole: bare f101 prints the usage; an unknown command or option is named
// with the nearest known one; an error inside a command points to that command's help; a
// command given runs and its exit status is the program's.
#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "commands.h"

namespace tesma::f101 {

// Parses the command line and runs the command it names; returns the exit status.
int RunCommandLine(CLI::App& app, const std::vector<Command>& commands, int argc, char** argv);

// The command of that name, or null (CLI11's own lookup throws for a name it does not know).
CLI::App* FindCommand(CLI::App& app, const std::string& name);

// Says that `word` names no command (and the nearest that it may mean); returns the exit status (2).
int SayUnknownCommand(const CLI::App& app, const std::string& word);

// The candidate nearest to `word` by edit distance, when it is near enough to be a typing slip.
std::string Nearest(const std::string& word, const std::vector<std::string>& candidates);

}  // namespace tesma::f101

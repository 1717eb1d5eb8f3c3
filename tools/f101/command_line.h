#pragma once
// The command line's own errors: bare f101 and `f101 help` print the usage; an unknown command
// or option is named with the nearest known one; an error inside a command points to that
// command's help.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace tesma::f101 {

// The candidate nearest to `word` by edit distance, when it is near enough to be a typing slip.
std::string Nearest(const std::string& word, const std::vector<std::string>& candidates);

// Handles what needs no parsing: no arguments, `help [COMMAND]`, an unknown command. Returns
// the exit status when the command line was handled here.
std::optional<int> BeforeParse(CLI::App& app, int argc, char** argv);

// Says what is wrong with the command line; returns the exit status (2).
int ReportParseError(CLI::App& app, const CLI::ParseError& error, int argc, char** argv);

}  // namespace tesma::f101

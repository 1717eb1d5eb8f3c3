#include "command_line.h"

#include <algorithm>
#include <iostream>
#include <optional>

#include "exit_status.h"

namespace tesma::f101 {

namespace {

std::size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<std::string> CommandNames(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
        names.push_back(sub->get_name());
    return names;
}

std::vector<std::string> OptionNames(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::Option* o : app.get_options()) {
        for (const std::string& l : o->get_lnames()) names.push_back("--" + l);
        for (const std::string& s : o->get_snames()) names.push_back("-" + s);
    }
    return names;
}

std::string Suggestion(const std::string& word, const std::vector<std::string>& candidates) {
    const std::string near = Nearest(word, candidates);
    return near.empty() ? std::string() : "; did you mean '" + near + "'?";
}

// Says what is wrong with the command line; returns the exit status (2).
int ReportParseError(CLI::App& app, const CLI::ParseError& error, int argc, char** argv) {
    // The command the error is in, if any.
    CLI::App* command = nullptr;
    for (int i = 1; i < argc && !command; ++i)
        if (argv[i][0] != '-') command = FindCommand(app, argv[i]);
    CLI::App& scope = command ? *command : app;
    const std::string help = command ? "f101 " + command->get_name() + " --help" : std::string("f101 --help");
    // An option the command does not have: name it and the nearest it has.
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word.size() < 2 || word[0] != '-' || word == "--") continue;
        word = word.substr(0, word.find('='));
        if (scope.get_option_no_throw(word) || (command && app.get_option_no_throw(word))) continue;
        std::cerr << "f101: " << (command ? command->get_name() + ": " : std::string()) << "unknown option '" << word
                  << "'" << Suggestion(word, OptionNames(scope)) << " (" << help << ")\n";
        return kUsage;
    }
    if (!command && error.get_name() == "RequiredError") {
        std::cerr << "f101: a command is required (" << help << " lists them)\n";
        return kUsage;
    }
    std::cerr << "f101: " << (command ? command->get_name() + ": " : std::string()) << error.what() << " (" << help
              << ")\n";
    return kUsage;
}

// What needs no parsing: no arguments at all, an unknown command.
std::optional<int> BeforeParse(CLI::App& app, int argc, char** argv) {
    if (argc < 2) {
        std::cerr << app.help();
        return kUsage;
    }
    const std::string first = argv[1];
    if (!first.empty() && first[0] != '-') {
        const auto names = CommandNames(app);
        if (std::find(names.begin(), names.end(), first) == names.end()) return SayUnknownCommand(app, first);
    }
    return std::nullopt;
}

}  // namespace

CLI::App* FindCommand(CLI::App& app, const std::string& name) {
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
        if (sub->get_name() == name) return sub;
    return nullptr;
}

std::string Nearest(const std::string& word, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t bestDistance = std::max<std::size_t>(2, word.size() / 3) + 1;
    for (const std::string& c : candidates) {
        const std::size_t d = Distance(word, c);
        if (d < bestDistance) best = c, bestDistance = d;
    }
    return best;
}

int SayUnknownCommand(const CLI::App& app, const std::string& word) {
    std::cerr << "f101: unknown command '" << word << "'" << Suggestion(word, CommandNames(app))
              << " (f101 --help lists the commands)\n";
    return kUsage;
}

int RunCommandLine(CLI::App& app, const std::vector<Command>& commands, int argc, char** argv) {
    if (auto handled = BeforeParse(app, argc, argv)) return *handled;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return ReportParseError(app, e, argc, argv);
    }
    for (const Command& c : commands)
        if (*c.cli) return c.run();
    return kUsage;
}

}  // namespace tesma::f101

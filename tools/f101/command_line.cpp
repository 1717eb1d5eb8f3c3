#include "command_line.h"

#include <algorithm>
#include <iostream>

#include "commands.h"

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

}  // namespace

std::string Nearest(const std::string& word, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t bestDistance = std::max<std::size_t>(2, word.size() / 3) + 1;
    for (const std::string& c : candidates) {
        const std::size_t d = Distance(word, c);
        if (d < bestDistance) best = c, bestDistance = d;
    }
    return best;
}

std::optional<int> BeforeParse(CLI::App& app, int argc, char** argv) {
    if (argc < 2) {
        std::cerr << app.help();
        return kUsage;
    }
    const std::string first = argv[1];
    if (first == "help") {
        if (argc >= 3) {
            if (CLI::App* sub = app.get_subcommand_ptr(argv[2]).get()) {
                std::cout << sub->help();
                return kClean;
            }
            std::cerr << "f101: unknown command '" << argv[2] << "'" << Suggestion(argv[2], CommandNames(app))
                      << " (f101 --help lists the commands)\n";
            return kUsage;
        }
        std::cout << app.help();
        return kClean;
    }
    if (!first.empty() && first[0] != '-') {
        const auto names = CommandNames(app);
        if (std::find(names.begin(), names.end(), first) == names.end()) {
            std::cerr << "f101: unknown command '" << first << "'" << Suggestion(first, names)
                      << " (f101 --help lists the commands)\n";
            return kUsage;
        }
    }
    return std::nullopt;
}

int ReportParseError(CLI::App& app, const CLI::ParseError& error, int argc, char** argv) {
    // The command the error is in, if any.
    CLI::App* command = nullptr;
    for (int i = 1; i < argc && !command; ++i)
        if (argv[i][0] != '-') command = app.get_subcommand_ptr(argv[i]).get();
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

}  // namespace tesma::f101

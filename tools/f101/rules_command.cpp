// `f101 rules`: the catalogue of finding codes, as text or JSON Lines.
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "command_support.h"
#include "commands.h"
#include "exit_status.h"
#include "rule_catalogue.h"

namespace tesma::f101 {

namespace {

std::string Letters(std::string_view chapters) {
    // UTF-8 Cyrillic letters are two bytes each.
    std::string out;
    for (std::size_t i = 0; i + 1 < chapters.size(); i += 2)
        out += (out.empty() ? "" : " ") + std::string(chapters.substr(i, 2));
    return out;
}

void PrintRule(const Rule& r, bool json, Language language) {
    if (json) {
        nlohmann::json messages = nlohmann::json::array();
        for (std::string_view m : r.messages)
            if (!m.empty()) messages.push_back(std::string(m));
        nlohmann::json chapters = nlohmann::json::array();
        for (std::size_t i = 0; i + 1 < r.chapters.size(); i += 2)
            chapters.push_back(std::string(r.chapters.substr(i, 2)));
        std::cout << nlohmann::json{{"code", r.code},       {"severity", r.Severity()},
                                    {"chapters", chapters}, {"procedure", r.procedure},
                                    {"messages", messages}, {"explanation", r.Explanation(language)}}
                         .dump()
                  << '\n';
        return;
    }
    std::cout << r.code << "  " << r.Severity() << "  chapter " << Letters(r.chapters) << "  " << r.procedure << '\n';
    for (std::string_view m : r.messages)
        if (!m.empty()) std::cout << "  " << m << '\n';
    std::cout << "  " << r.Explanation(language) << "\n\n";
}

int ListRules(const std::vector<std::string>& codes, bool json, Language language) {
    return Guarded([&] {
        if (codes.empty()) {
            for (const Rule& r : Rules()) PrintRule(r, json, language);
            return int{kClean};
        }
        std::vector<const Rule*> chosen;
        for (std::string code : codes) {
            for (char& c : code) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            auto r = FindRule(code);
            if (!r) throw reportkit::UsageError("no finding code " + code + " (f101 rules lists them all)");
            chosen.push_back(r);
        }
        for (const Rule* r : chosen) PrintRule(*r, json, language);
        return int{kClean};
    });
}

struct RulesOptions {
    std::vector<std::string> codes;
    bool json = false;
    Language language = Language::English;
};

}  // namespace

Command AddRules(CLI::App& app) {
    auto o = std::make_shared<RulesOptions>();
    CLI::App* cmd =
        app.add_subcommand("rules", "List the finding codes: severity, chapters, message and what fixes it");
    cmd->add_option("CODE", o->codes, "Finding codes to show (default: all)");
    cmd->add_flag("--json", o->json, "Print the rules as JSON Lines");
    AddLanguageOption(*cmd, o->language);
    cmd->footer("Exit status: 0 listed, 2 unknown code or usage error.");
    return {cmd, [o] { return ListRules(o->codes, o->json, o->language); }};
}

}  // namespace tesma::f101

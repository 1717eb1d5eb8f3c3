#include "language.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace tesma::f101 {

std::optional<Language> LanguageNamed(std::string_view name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "ru") return Language::Russian;
    if (lower == "en") return Language::English;
    return std::nullopt;
}

Language LanguageOfLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        const std::string_view v(value);
        return v.size() >= 2 && std::tolower(static_cast<unsigned char>(v[0])) == 'r' &&
                       std::tolower(static_cast<unsigned char>(v[1])) == 'u'
                   ? Language::Russian
                   : Language::English;
    }
    return Language::English;
}

std::string_view LanguageCode(Language language) { return language == Language::Russian ? "ru" : "en"; }

void AddLanguageOption(CLI::App& cmd, Language& language) {
    language = LanguageOfLocale();
    cmd.add_option_function<std::string>(
           "--lang", [&language](const std::string& name) { language = *LanguageNamed(name); },
           "Language of the explanations: ru or en (default: the locale's, from LC_ALL, LC_MESSAGES or LANG)")
        ->check(CLI::Validator(
            [](std::string& name) {
                return LanguageNamed(name) ? std::string() : "the language is ru or en, not '" + name + "'";
            },
            "ru|en"));
}

}  // namespace tesma::f101

#pragma once
// The language of what f101 explains to a person (rule explanations in `rules`, `--explain`,
// pages and workbooks): Russian or English. The protocol's own messages are Russian whatever it
// is. Chosen by --lang, else by the locale: the first of LC_ALL, LC_MESSAGES and LANG that is
// set; one that starts with "ru" means Russian, anything else English.
#include <optional>
#include <string_view>

#include <CLI/CLI.hpp>

namespace tesma::f101 {

enum class Language { Russian, English };

// "ru" or "en" (any case); nothing for another word.
std::optional<Language> LanguageNamed(std::string_view name);
// The locale's language, from the environment.
Language LanguageOfLocale();
// "ru" or "en".
std::string_view LanguageCode(Language language);

// Registers --lang ru|en on a command; `language` starts as the locale's.
void AddLanguageOption(CLI::App& cmd, Language& language);

}  // namespace tesma::f101

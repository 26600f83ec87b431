#pragma once

#include <string>
#include <vector>

// Which installed dictionary spell checking uses.
namespace velmora {

// The dictionary chosen and why.
struct DictionaryChoice {
    enum class Source {
        interfaceLanguage, // the interface language has one
        systemLanguage,    // it has none; one of the system's languages has
        english,           // neither has one: English
        none               // no dictionary is installed at all
    };
    // The dictionary's name, as its files are named ("de_DE" for de_DE.aff and de_DE.dic).
    std::string name;
    Source source = Source::none;
    bool operator==(const DictionaryChoice&) const = default;
};

namespace DictionaryChoices {

// The installed dictionary for a language code ("de", "pt-BR", "en_GB.UTF-8"): the exact
// region, then the language's own country ("de_DE", "fr_FR"; "en_US" for English), then the
// language alone ("nl"), then any region of it in name order; empty when none is installed.
[[nodiscard]] std::string forLanguage(const std::string& code,
                                      const std::vector<std::string>& installed);

// The dictionary for the interface language, else for the first system language that has
// one, else English; `installed` lists the names of the installed dictionaries.
[[nodiscard]] DictionaryChoice choose(const std::string& interfaceLanguage,
                                      const std::vector<std::string>& systemLanguages,
                                      const std::vector<std::string>& installed);

} // namespace DictionaryChoices
} // namespace velmora

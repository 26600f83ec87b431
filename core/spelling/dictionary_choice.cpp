#include "core/spelling/dictionary_choice.hpp"

#include <algorithm>
#include <cctype>

namespace velmora {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}
std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool has(const std::vector<std::string>& installed, const std::string& name) {
    return std::find(installed.begin(), installed.end(), name) != installed.end();
}

} // namespace

std::string DictionaryChoices::forLanguage(const std::string& code,
                                           const std::vector<std::string>& installed) {
    // "pt-BR", "pt_BR.UTF-8" and "pt_BR@euro" all name Portuguese as written in Brazil.
    std::string plain = code.substr(0, code.find_first_of(".@"));
    std::replace(plain.begin(), plain.end(), '-', '_');
    const std::size_t separator = plain.find('_');
    const std::string language = lower(plain.substr(0, separator));
    if (language.empty() || language == "c" || language == "posix") {
        return {};
    }
    std::vector<std::string> candidates;
    if (separator != std::string::npos) {
        candidates.push_back(language + "_" + upper(plain.substr(separator + 1)));
    }
    candidates.push_back(language == "en" ? std::string("en_US")
                                          : language + "_" + upper(language));
    candidates.push_back(language);
    for (const std::string& name : candidates) {
        if (has(installed, name)) {
            return name;
        }
    }
    std::vector<std::string> regions;
    for (const std::string& name : installed) {
        if (name.rfind(language + "_", 0) == 0) {
            regions.push_back(name);
        }
    }
    std::sort(regions.begin(), regions.end());
    return regions.empty() ? std::string() : regions.front();
}

DictionaryChoice DictionaryChoices::choose(const std::string& interfaceLanguage,
                                           const std::vector<std::string>& systemLanguages,
                                           const std::vector<std::string>& installed) {
    if (auto name = forLanguage(interfaceLanguage, installed); !name.empty()) {
        return {name, DictionaryChoice::Source::interfaceLanguage};
    }
    for (const std::string& code : systemLanguages) {
        if (auto name = forLanguage(code, installed); !name.empty()) {
            const bool english = lower(code.substr(0, 2)) == "en" &&
                                 (code.size() == 2 || code[2] == '-' || code[2] == '_');
            return {name, english ? DictionaryChoice::Source::english
                                  : DictionaryChoice::Source::systemLanguage};
        }
    }
    if (auto name = forLanguage("en", installed); !name.empty()) {
        return {name, DictionaryChoice::Source::english};
    }
    return {};
}

} // namespace velmora

#include "core/spelling/spell_checker.hpp"

#include "core/model/text.hpp"

#include <hunspell.hxx>
#include <iconv.h>

#include <cerrno>
#include <fstream>

namespace velmora {
namespace {

// Beyond this many remembered verdicts the memory starts afresh (a long session of typing).
constexpr std::size_t kRememberedWords = 100'000;

bool isUTF8(std::string_view encoding) {
    return encoding == "UTF-8" || encoding == "utf-8" || encoding == "UTF8";
}

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// The text converted with iconv; nothing when a character has no form in the target.
std::optional<std::string> convert(std::string_view text, const std::string& from,
                                   const std::string& to) {
    iconv_t converter = iconv_open(to.c_str(), from.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string in(text);
    std::string out(in.size() * 4 + 4, '\0');
    char* inPointer = in.data();
    std::size_t inLeft = in.size();
    char* outPointer = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

// The value of the affix file's first line starting with `key` ("SET", "TRY"), as stored.
std::string affixValue(const std::string& path, std::string_view key) {
    std::ifstream file(path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("\xEF\xBB\xBF", 0) == 0) {
            line.erase(0, 3);
        }
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
            (line[key.size()] == ' ' || line[key.size()] == '\t')) {
            std::string value = line.substr(key.size() + 1);
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) {
                value.pop_back();
            }
            return value;
        }
    }
    return {};
}

std::set<SpellScript> scriptsOf(std::string_view letters) {
    std::set<SpellScript> scripts;
    for (const char32_t codePoint : Text::codePoints(letters)) {
        if (const SpellScript script = SpellWords::scriptOf(codePoint);
            script != SpellScript::other) {
            scripts.insert(script);
        }
    }
    if (scripts.empty()) {
        scripts.insert(SpellScript::latin);
    }
    return scripts;
}

bool readable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return file.good();
}

} // namespace

Result<std::shared_ptr<SpellChecker>, SpellDictionaryError>
SpellChecker::open(const std::string& base) {
    const std::string aff = base + ".aff";
    const std::string dic = base + ".dic";
    for (const std::string* path : {&aff, &dic}) {
        if (!readable(*path)) {
            return SpellDictionaryError{SpellDictionaryError::Kind::missingFile, *path};
        }
    }
    std::shared_ptr<SpellChecker> checker(new SpellChecker);
    try {
        checker->m_hunspell = std::make_unique<Hunspell>(aff.c_str(), dic.c_str());
        checker->m_encoding = checker->m_hunspell->get_dict_encoding();
    } catch (...) {
        return SpellDictionaryError{SpellDictionaryError::Kind::unreadable, dic};
    }
    std::string letters = affixValue(aff, "TRY");
    if (!isUTF8(checker->m_encoding)) {
        letters = convert(letters, checker->m_encoding, "UTF-8").value_or(std::string());
    }
    checker->m_scripts = scriptsOf(letters);
    return checker;
}

SpellChecker::~SpellChecker() = default;

std::optional<std::string> SpellChecker::encoded(std::string_view word) const {
    if (isUTF8(m_encoding) || isAscii(word)) {
        return std::string(word);
    }
    return convert(word, "UTF-8", m_encoding);
}

std::string SpellChecker::decoded(const std::string& text) const {
    if (isUTF8(m_encoding) || isAscii(text)) {
        return text;
    }
    return convert(text, m_encoding, "UTF-8").value_or(std::string());
}

bool SpellChecker::lookUp(const std::string& word) {
    if (m_ignored.contains(word) || !m_scripts.contains(SpellWords::scriptOfWord(word))) {
        return true;
    }
    const auto inDictionary = encoded(word);
    if (!inDictionary) {
        // A letter the dictionary's alphabet lacks: a word of another language.
        return true;
    }
    try {
        return m_hunspell->spell(*inDictionary);
    } catch (...) {
        return true;
    }
}

void SpellChecker::remember(const std::string& word, bool correct) {
    if (m_verdicts.size() >= kRememberedWords) {
        m_verdicts.clear();
    }
    m_verdicts[word] = correct;
}

bool SpellChecker::isCorrect(std::string_view word) {
    const std::string key(word);
    const std::lock_guard lock(m_mutex);
    if (const auto found = m_verdicts.find(key); found != m_verdicts.end()) {
        return found->second;
    }
    const bool correct = lookUp(key);
    remember(key, correct);
    return correct;
}

SpellVerdict SpellChecker::known(std::string_view word) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_verdicts.find(std::string(word));
    if (found == m_verdicts.end()) {
        return SpellVerdict::unknown;
    }
    return found->second ? SpellVerdict::correct : SpellVerdict::misspelled;
}

std::vector<std::string> SpellChecker::suggestions(std::string_view word, std::size_t limit) {
    const std::lock_guard lock(m_mutex);
    const auto inDictionary = encoded(word);
    if (!inDictionary) {
        return {};
    }
    std::vector<std::string> found;
    try {
        for (const std::string& suggestion : m_hunspell->suggest(*inDictionary)) {
            std::string text = decoded(suggestion);
            if (!text.empty() && text != word) {
                found.push_back(std::move(text));
            }
            if (found.size() == limit) {
                break;
            }
        }
    } catch (...) {
        return {};
    }
    return found;
}

void SpellChecker::addWord(std::string_view word) {
    const std::lock_guard lock(m_mutex);
    if (const auto inDictionary = encoded(word)) {
        m_hunspell->add(*inDictionary);
    }
    // Other capitalisations of the word may have been judged before.
    m_verdicts.clear();
}

void SpellChecker::ignore(std::string_view word) {
    const std::lock_guard lock(m_mutex);
    m_ignored.emplace(word);
    remember(std::string(word), true);
}

} // namespace velmora

#pragma once

#include "core/model/result.hpp"
#include "core/spelling/spell_words.hpp"

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class Hunspell;

namespace velmora {

// Why a dictionary could not be opened.
struct SpellDictionaryError {
    enum class Kind { missingFile, unreadable };
    Kind kind = Kind::missingFile;
    std::string path;
    bool operator==(const SpellDictionaryError&) const = default;
};

// What the checker knows of a word.
enum class SpellVerdict { correct, misspelled, unknown };

// One hunspell dictionary with the words the user added or ignored, and a memory of every
// verdict so that a word is looked up once. Words are UTF-8. Safe to use from several threads
// (a worker checks a long note while the editor asks about the word being typed).
class SpellChecker {
public:
    // Opens the dictionary made of `<base>.aff` and `<base>.dic`.
    [[nodiscard]] static Result<std::shared_ptr<SpellChecker>, SpellDictionaryError>
    open(const std::string& base);
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    // Whether the word is spelled right (looking it up when it was not seen yet). Words in a
    // writing system the dictionary does not cover count as right.
    [[nodiscard]] bool isCorrect(std::string_view word);
    // The verdict on the word if it was seen before, without looking it up.
    [[nodiscard]] SpellVerdict known(std::string_view word) const;
    // Up to `limit` corrections, best first.
    [[nodiscard]] std::vector<std::string> suggestions(std::string_view word,
                                                       std::size_t limit = 5);
    // Accepts the word from now on, with the capitalisations the dictionary allows for it
    // ("ostrevo" also accepts "Ostrevo").
    void addWord(std::string_view word);
    // Accepts exactly this word from now on.
    void ignore(std::string_view word);
    // The writing systems the dictionary's letters belong to.
    [[nodiscard]] const std::set<SpellScript>& scripts() const { return m_scripts; }

private:
    SpellChecker() = default;
    // The word in the dictionary's encoding; nothing when it has no form there.
    std::optional<std::string> encoded(std::string_view word) const;
    std::string decoded(const std::string& text) const;
    bool lookUp(const std::string& word);
    void remember(const std::string& word, bool correct);

    mutable std::mutex m_mutex;
    std::unique_ptr<Hunspell> m_hunspell;
    std::string m_encoding;
    std::set<SpellScript> m_scripts;
    std::unordered_map<std::string, bool> m_verdicts;
    std::set<std::string, std::less<>> m_ignored;
};

} // namespace velmora

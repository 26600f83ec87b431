#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Which parts of a line of text spell checking looks at. Lines are UTF-16 (the text fields'
// own form), so the ranges found here are the ranges the editors underline.
namespace velmora {

// A word of a line: its first UTF-16 code unit and its length in code units.
struct SpellWord {
    std::size_t start = 0;
    std::size_t length = 0;

    [[nodiscard]] std::size_t end() const { return start + length; }
    bool operator==(const SpellWord&) const = default;
};

// The writing systems a dictionary covers; words in another one are not checked.
enum class SpellScript { latin, greek, cyrillic, other };

namespace SpellWords {

// The words of one line that spell checking looks at, in order: runs of letters and marks
// (with apostrophes inside a word), split at hyphens and slashes. Left out: URLs, e-mail
// addresses and paths, inline code between backticks, words with digits or underscores, words
// joined to another by a dot ("file.txt", "e.g."), and single letters.
[[nodiscard]] std::vector<SpellWord> checkable(std::u16string_view line);

// The checked word at the offset (inside it or right after its last character), if any.
[[nodiscard]] std::optional<SpellWord> wordAt(std::u16string_view line, std::size_t offset);

// The word as UTF-8.
[[nodiscard]] std::string utf8(std::u16string_view line, SpellWord word);

// The writing system of a code point; `other` for everything but letters of the three.
[[nodiscard]] SpellScript scriptOf(char32_t codePoint);

// The writing system of a UTF-8 word: that of its first letter.
[[nodiscard]] SpellScript scriptOfWord(std::string_view word);

} // namespace SpellWords
} // namespace velmora

#pragma once

#include "core/model/result.hpp"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The user's own word list: one word a line, UTF-8, kept in the data folder.
namespace velmora {

// Why a word list was refused; `line` counts from 1 (0 for the whole file).
struct PersonalWordsError {
    enum class Kind { tooLarge, invalidUTF8, notAWord, tooLong };
    Kind kind = Kind::notAWord;
    std::size_t line = 0;
    bool operator==(const PersonalWordsError&) const = default;
};

namespace PersonalWords {

// The longest word the list keeps, in bytes (the dictionaries' own limit).
inline constexpr std::size_t kLongestWord = 100;
// The largest list read, in bytes.
inline constexpr std::size_t kLargestList = 4 * 1024 * 1024;

// The words of a list, sorted and without repeats; blank lines and a final line without a
// line break are fine, "\r\n" line ends too. A line holding white space or control characters,
// invalid UTF-8 or a word past the limit refuses the whole list.
[[nodiscard]] Result<std::vector<std::string>, PersonalWordsError> parse(std::string_view bytes);

// The list as stored: the words sorted, one a line.
[[nodiscard]] std::string serialize(std::vector<std::string> words);

// Whether the text can be kept in the list (one word, valid, short enough).
[[nodiscard]] bool isStorable(std::string_view word);

} // namespace PersonalWords
} // namespace velmora

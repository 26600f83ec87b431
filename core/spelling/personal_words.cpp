#include "core/spelling/personal_words.hpp"

#include "core/model/text.hpp"

#include <utf8proc.h>

#include <algorithm>

namespace velmora {
namespace {

// No white space, line breaks or control and format characters.
bool holdsOnlyWordCharacters(std::string_view word) {
    for (const char32_t codePoint : Text::codePoints(word)) {
        const auto category = utf8proc_category(static_cast<utf8proc_int32_t>(codePoint));
        if (Text::isWhitespace(codePoint) || category == UTF8PROC_CATEGORY_CC ||
            category == UTF8PROC_CATEGORY_CF || category == UTF8PROC_CATEGORY_ZL ||
            category == UTF8PROC_CATEGORY_ZP) {
            return false;
        }
    }
    return true;
}

} // namespace

bool PersonalWords::isStorable(std::string_view word) {
    return !word.empty() && word.size() <= kLongestWord && Text::isValidUTF8(word) &&
           holdsOnlyWordCharacters(word);
}

Result<std::vector<std::string>, PersonalWordsError> PersonalWords::parse(std::string_view bytes) {
    using Kind = PersonalWordsError::Kind;
    if (bytes.size() > kLargestList) {
        return PersonalWordsError{Kind::tooLarge, 0};
    }
    std::vector<std::string> words;
    std::size_t number = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        if (!Text::isValidUTF8(line)) {
            return PersonalWordsError{Kind::invalidUTF8, number};
        }
        if (line.size() > kLongestWord) {
            return PersonalWordsError{Kind::tooLong, number};
        }
        if (!holdsOnlyWordCharacters(line)) {
            return PersonalWordsError{Kind::notAWord, number};
        }
        words.emplace_back(line);
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

std::string PersonalWords::serialize(std::vector<std::string> words) {
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    std::string out;
    for (const std::string& word : words) {
        out += word;
        out += '\n';
    }
    return out;
}

} // namespace velmora

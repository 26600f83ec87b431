#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

// Unicode text helpers shared by the whole core. Strings are UTF-8; invalid sequences are
// treated as U+FFFD so nothing here ever fails.
namespace velmora::Text {

// The form every search compares: case- and diacritic-insensitive, canonically composed,
// so "Café PLAN" and "cafe plan" fold alike.
[[nodiscard]] std::string fold(std::string_view text);

// The number of user-perceived characters (extended grapheme clusters).
[[nodiscard]] std::size_t graphemeCount(std::string_view text);

// The byte offset where the grapheme cluster numbered `clusters` starts; clamped to the
// text's ends, so a negative count gives 0 and a count past the end gives the size.
[[nodiscard]] std::size_t graphemeOffset(std::string_view text, long long clusters);

// Splits the text before the grapheme cluster numbered `clusters` (clamped as above).
[[nodiscard]] std::pair<std::string, std::string> splitAtGrapheme(std::string_view text,
                                                                  long long clusters);

// The text without white space and line breaks at either end.
[[nodiscard]] std::string trimmed(std::string_view text);

// Whether a code point is white space or a line break.
[[nodiscard]] bool isWhitespace(char32_t codePoint);

// Letter-case-insensitive equality without a locale (full case folding, no normalisation
// beyond it).
[[nodiscard]] bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Canonical (NFC) composition, used where strings compare by canonical equivalence.
[[nodiscard]] std::string composed(std::string_view text);

// The text with every invalid UTF-8 sequence replaced by U+FFFD.
[[nodiscard]] std::string validUTF8(std::string_view text);

// Whether the bytes are well-formed UTF-8.
[[nodiscard]] bool isValidUTF8(std::string_view text);

// The code points of the text; an invalid sequence reads as U+FFFD.
[[nodiscard]] std::u32string codePoints(std::string_view text);

// Appends the UTF-8 form of a code point.
void appendUTF8(std::string& out, char32_t codePoint);

} // namespace velmora::Text

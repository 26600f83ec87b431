#include "core/spelling/spell_words.hpp"

#include "core/model/text.hpp"

#include <utf8proc.h>

#include <algorithm>

namespace velmora {
namespace {

// One code point of a line, where it sits, and its Unicode category.
struct Unit {
    char32_t codePoint = 0;
    std::size_t at = 0;
    std::size_t size = 1;
    utf8proc_category_t category = UTF8PROC_CATEGORY_CN;
};

utf8proc_category_t category(char32_t codePoint) {
    return utf8proc_category(static_cast<utf8proc_int32_t>(codePoint));
}

std::vector<Unit> decode(std::u16string_view line) {
    std::vector<Unit> units;
    units.reserve(line.size());
    for (std::size_t i = 0; i < line.size();) {
        const char16_t high = line[i];
        if (high >= 0xD800 && high < 0xDC00 && i + 1 < line.size() && line[i + 1] >= 0xDC00 &&
            line[i + 1] < 0xE000) {
            const char32_t codePoint =
                0x10000 + ((char32_t(high) - 0xD800) << 10) + (char32_t(line[i + 1]) - 0xDC00);
            units.push_back({codePoint, i, 2, category(codePoint)});
            i += 2;
        } else {
            units.push_back({high, i, 1, category(high)});
            ++i;
        }
    }
    return units;
}

bool isLetter(utf8proc_category_t c) {
    return c >= UTF8PROC_CATEGORY_LU && c <= UTF8PROC_CATEGORY_LO;
}
bool isMark(utf8proc_category_t c) {
    return c >= UTF8PROC_CATEGORY_MN && c <= UTF8PROC_CATEGORY_ME;
}
bool isDigit(utf8proc_category_t c) {
    return c >= UTF8PROC_CATEGORY_ND && c <= UTF8PROC_CATEGORY_NO;
}
bool isConnector(utf8proc_category_t c) {
    return c == UTF8PROC_CATEGORY_PC;
}
// Letters, marks, digits (Lu … No) and connectors such as "_".
bool isWordPart(utf8proc_category_t c) {
    return (c >= UTF8PROC_CATEGORY_LU && c <= UTF8PROC_CATEGORY_NO) || c == UTF8PROC_CATEGORY_PC;
}
bool isLetter(char32_t codePoint) {
    return isLetter(category(codePoint));
}
bool isApostrophe(char32_t codePoint) {
    return codePoint == U'\'' || codePoint == U'\u2019';
}
bool isAsciiAlnum(char32_t codePoint) {
    return (codePoint >= U'a' && codePoint <= U'z') || (codePoint >= U'A' && codePoint <= U'Z') ||
           (codePoint >= U'0' && codePoint <= U'9');
}

class Scanner {
public:
    explicit Scanner(std::u16string_view line) : m_units(decode(line)), m_skip(m_units.size()) {}

    std::vector<SpellWord> words() {
        markCode();
        markChunks();
        std::vector<SpellWord> found;
        for (std::size_t i = 0; i < m_units.size();) {
            if (!isWordPart(kind(i))) {
                ++i;
                continue;
            }
            std::size_t end = i + 1;
            while (
                end < m_units.size() &&
                (isWordPart(kind(end)) || (isApostrophe(at(end)) && isLetterOrMark(end - 1) &&
                                           end + 1 < m_units.size() && isLetter(kind(end + 1))))) {
                ++end;
            }
            if (auto word = checked(i, end)) {
                found.push_back(*word);
            }
            i = end;
        }
        return found;
    }

private:
    char32_t at(std::size_t i) const { return i < m_units.size() ? m_units[i].codePoint : 0; }
    utf8proc_category_t kind(std::size_t i) const {
        return i < m_units.size() ? m_units[i].category : UTF8PROC_CATEGORY_CN;
    }
    bool isLetterOrMark(std::size_t i) const { return isLetter(kind(i)) || isMark(kind(i)); }
    void skip(std::size_t from, std::size_t to) {
        std::fill(m_skip.begin() + static_cast<std::ptrdiff_t>(from),
                  m_skip.begin() + static_cast<std::ptrdiff_t>(to), true);
    }
    bool startsWith(std::size_t i, std::u32string_view text, bool ignoringCase = false) const {
        for (std::size_t k = 0; k < text.size(); ++k) {
            char32_t c = at(i + k);
            if (ignoringCase && c >= U'A' && c <= U'Z') {
                c += U'a' - U'A';
            }
            if (i + k >= m_units.size() || c != text[k]) {
                return false;
            }
        }
        return true;
    }

    // Inline code: a run of backticks up to the next run of the same length.
    void markCode() {
        for (std::size_t i = 0; i < m_units.size();) {
            if (at(i) != U'`') {
                ++i;
                continue;
            }
            const std::size_t open = runOfBackticks(i);
            std::size_t close = i + open;
            while (close < m_units.size()) {
                if (at(close) == U'`') {
                    const std::size_t run = runOfBackticks(close);
                    if (run == open) {
                        skip(i, close + run);
                        break;
                    }
                    close += run;
                } else {
                    ++close;
                }
            }
            i += close < m_units.size() ? close + open - i : open;
        }
    }
    std::size_t runOfBackticks(std::size_t i) const {
        std::size_t n = 0;
        while (at(i + n) == U'`') {
            ++n;
        }
        return n;
    }

    // URLs, e-mail addresses and paths, found in the runs of text between spaces.
    void markChunks() {
        for (std::size_t i = 0; i < m_units.size();) {
            if (Text::isWhitespace(at(i))) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < m_units.size() && !Text::isWhitespace(at(end))) {
                ++end;
            }
            markChunk(i, end);
            i = end;
        }
    }
    void markChunk(std::size_t from, std::size_t to) {
        if (startsWith(from, U"/") || startsWith(from, U"~/") || startsWith(from, U"./") ||
            startsWith(from, U"../")) {
            skip(from, to);
            return;
        }
        for (std::size_t i = from; i < to; ++i) {
            if (startsWith(i, U"://")) {
                std::size_t scheme = i;
                while (scheme > from && (isAsciiAlnum(at(scheme - 1)) || at(scheme - 1) == U'+' ||
                                         at(scheme - 1) == U'.' || at(scheme - 1) == U'-')) {
                    --scheme;
                }
                if (scheme < i) {
                    skip(scheme, to);
                    return;
                }
            } else if (startsWith(i, U"www.", true) && (i == from || !isWordPart(kind(i - 1)))) {
                skip(i, to);
                return;
            } else if (at(i) == U'@') {
                markAddress(from, i, to);
            }
        }
    }
    void markAddress(std::size_t from, std::size_t at_, std::size_t to) {
        auto localPart = [this](std::size_t i) {
            const char32_t c = at(i);
            return isWordPart(kind(i)) || c == U'.' || c == U'%' || c == U'+' || c == U'-';
        };
        std::size_t start = at_;
        while (start > from && localPart(start - 1)) {
            --start;
        }
        std::size_t end = at_ + 1;
        bool dotted = false;
        while (end < to && (isWordPart(kind(end)) || at(end) == U'.' || at(end) == U'-')) {
            dotted = dotted || (at(end) == U'.' && end + 1 < to && isWordPart(kind(end + 1)));
            ++end;
        }
        if (start < at_ && dotted) {
            skip(start, end);
        }
    }

    std::optional<SpellWord> checked(std::size_t from, std::size_t to) const {
        while (from < to && isConnector(kind(from))) {
            ++from;
        }
        while (to > from && isConnector(kind(to - 1))) {
            --to;
        }
        std::size_t letters = 0;
        for (std::size_t i = from; i < to; ++i) {
            if (m_skip[i] || isDigit(kind(i)) || isConnector(kind(i))) {
                return std::nullopt;
            }
            letters += isLetter(kind(i)) ? 1 : 0;
        }
        if (letters < 2) {
            return std::nullopt;
        }
        // "file.txt", "e.g.", "example.org": parts of a name, not words of a sentence.
        if (from >= 2 && at(from - 1) == U'.' && isWordPart(kind(from - 2))) {
            return std::nullopt;
        }
        if (at(to) == U'.' && isWordPart(kind(to + 1))) {
            return std::nullopt;
        }
        const std::size_t start = m_units[from].at;
        const std::size_t end = m_units[to - 1].at + m_units[to - 1].size;
        return SpellWord{start, end - start};
    }

    std::vector<Unit> m_units;
    std::vector<bool> m_skip;
};

} // namespace

std::vector<SpellWord> SpellWords::checkable(std::u16string_view line) {
    return Scanner(line).words();
}

std::optional<SpellWord> SpellWords::wordAt(std::u16string_view line, std::size_t offset) {
    for (const SpellWord& word : checkable(line)) {
        if (word.start <= offset && offset <= word.end()) {
            return word;
        }
    }
    return std::nullopt;
}

std::string SpellWords::utf8(std::u16string_view line, SpellWord word) {
    std::string out;
    if (word.start >= line.size()) {
        return out;
    }
    out.reserve(word.length * 2);
    for (const Unit& unit : decode(line.substr(word.start, word.length))) {
        Text::appendUTF8(out, unit.codePoint);
    }
    return out;
}

SpellScript SpellWords::scriptOf(char32_t codePoint) {
    if (!isLetter(codePoint) || (codePoint >= 0x2B0 && codePoint < 0x300)) {
        return SpellScript::other;
    }
    if (codePoint < 0x250 || (codePoint >= 0x1E00 && codePoint < 0x1F00) ||
        (codePoint >= 0x2C60 && codePoint < 0x2C80) ||
        (codePoint >= 0xA720 && codePoint < 0xA800)) {
        return SpellScript::latin;
    }
    if ((codePoint >= 0x370 && codePoint < 0x400) || (codePoint >= 0x1F00 && codePoint < 0x2000)) {
        return SpellScript::greek;
    }
    if ((codePoint >= 0x400 && codePoint < 0x530) || (codePoint >= 0x1C80 && codePoint < 0x1C90) ||
        (codePoint >= 0x2DE0 && codePoint < 0x2E00) ||
        (codePoint >= 0xA640 && codePoint < 0xA6A0)) {
        return SpellScript::cyrillic;
    }
    return SpellScript::other;
}

SpellScript SpellWords::scriptOfWord(std::string_view word) {
    for (const char32_t c : Text::codePoints(word)) {
        if (isLetter(c) && !(c >= 0x2B0 && c < 0x300)) {
            return scriptOf(c);
        }
    }
    return SpellScript::other;
}

} // namespace velmora

#include "core/spelling/spell_words.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace velmora;

namespace {

std::u16string u16(const std::string& text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        char32_t cp = 0;
        std::size_t n = 1;
        if (byte < 0x80) {
            cp = byte;
        } else if (byte < 0xE0) {
            cp = byte & 0x1F;
            n = 2;
        } else if (byte < 0xF0) {
            cp = byte & 0x0F;
            n = 3;
        } else {
            cp = byte & 0x07;
            n = 4;
        }
        for (std::size_t k = 1; k < n; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += n;
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

// The checked words of a line, as UTF-8.
std::vector<std::string> wordsOf(const std::string& line) {
    const std::u16string text = u16(line);
    std::vector<std::string> words;
    for (const SpellWord& word : SpellWords::checkable(text)) {
        words.push_back(SpellWords::utf8(text, word));
    }
    return words;
}

struct WordsCase {
    const char* name;
    std::string line;
    std::vector<std::string> words;
};

void PrintTo(const WordsCase& c, std::ostream* os) {
    *os << c.name;
}

class CheckableWords : public testing::TestWithParam<WordsCase> {};

TEST_P(CheckableWords, AreTheWordsOfTheSentenceOnly) {
    EXPECT_EQ(wordsOf(GetParam().line), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    SpellWords, CheckableWords,
    testing::Values(
        WordsCase{"Plain", "The quick  brown fox.", {"The", "quick", "brown", "fox"}},
        WordsCase{"Apostrophes",
                  "don't l'homme aujourd’hui 'quoted'",
                  {"don't", "l'homme", "aujourd’hui", "quoted"}},
        WordsCase{"Hyphens", "well-known peut-être", {"well", "known", "peut", "être"}},
        WordsCase{"OtherScripts", "Привіт світе, żółw", {"Привіт", "світе", "żółw"}},
        WordsCase{"CombiningMarks", "Cafe\xCC\x81 ok", {"Cafe\xCC\x81", "ok"}},
        WordsCase{"SingleLetters", "a I x y", {}},
        WordsCase{"Digits", "abc123 2nd mp3 word", {"word"}},
        WordsCase{"Underscores", "snake_case _emphasis_ __bold__", {"emphasis", "bold"}},
        WordsCase{"Urls",
                  "see https://exmaple.org/pth?q=wrd and www.exmaple.com now",
                  {"see", "and", "now"}},
        WordsCase{"MarkdownLink", "[my lnik](http://exmaple.org)", {"my", "lnik"}},
        WordsCase{"EMail", "write to jhon.doe@exmaple.org today", {"write", "to", "today"}},
        WordsCase{"NotAnAddress", "@mentoin at@", {"mentoin", "at"}},
        WordsCase{"InlineCode", "use `fooo barr` or ``a ` b`` then", {"use", "or", "then"}},
        WordsCase{"UnclosedBacktick", "an `unclosd span", {"an", "unclosd", "span"}},
        WordsCase{"DottedNames", "open file.txt e.g. end. Next", {"open", "end", "Next"}},
        WordsCase{"Paths", "in /usr/shrae and ~/docmuents or ./bulid", {"in", "and", "or"}},
        WordsCase{"Empty", "", {}}),
    [](const testing::TestParamInfo<WordsCase>& param) { return std::string(param.param.name); });

TEST(SpellWords, RangesAreUTF16UnitsOfTheLine) {
    // The emoji takes two code units: the ranges after it shift by two.
    const std::u16string line = u16("\xF0\x9F\x98\x80 héllo wörld");
    const auto words = SpellWords::checkable(line);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0], (SpellWord{3, 5}));
    EXPECT_EQ(words[1], (SpellWord{9, 5}));
    EXPECT_EQ(SpellWords::utf8(line, words[1]), "wörld");
}

TEST(SpellWords, WordAtFindsTheWordAroundAnOffset) {
    const std::u16string line = u16("one twoo https://x.org");
    EXPECT_EQ(SpellWords::wordAt(line, 4), (SpellWord{4, 4}));
    EXPECT_EQ(SpellWords::wordAt(line, 8), (SpellWord{4, 4})); // right after its last letter
    EXPECT_EQ(SpellWords::wordAt(line, 0), (SpellWord{0, 3}));
    EXPECT_FALSE(SpellWords::wordAt(line, 15)); // inside the URL
    EXPECT_FALSE(SpellWords::wordAt(line, 99));
}

TEST(SpellWords, ScriptsFollowTheFirstLetter) {
    EXPECT_EQ(SpellWords::scriptOfWord("żółw"), SpellScript::latin);
    EXPECT_EQ(SpellWords::scriptOfWord("ʼясно"), SpellScript::cyrillic);
    EXPECT_EQ(SpellWords::scriptOfWord("λόγος"), SpellScript::greek);
    EXPECT_EQ(SpellWords::scriptOfWord("日本語"), SpellScript::other);
    EXPECT_EQ(SpellWords::scriptOfWord(""), SpellScript::other);
}

} // namespace

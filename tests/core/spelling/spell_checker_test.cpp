#include "core/spelling/dictionary_choice.hpp"
#include "core/spelling/personal_words.hpp"
#include "core/spelling/spell_checker.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace velmora;

namespace {

std::shared_ptr<SpellChecker> openTest(const std::string& name) {
    auto opened = SpellChecker::open(std::string(OSTREVO_TEST_DATA) + "/spelling/" + name);
    EXPECT_TRUE(opened.ok());
    return opened.ok() ? opened.value() : nullptr;
}

bool contains(const std::vector<std::string>& list, const std::string& word) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

TEST(SpellChecker, JudgesWordsByTheDictionaryAndItsAffixes) {
    const auto checker = openTest("en_US");
    ASSERT_TRUE(checker);
    EXPECT_TRUE(checker->isCorrect("apple"));
    EXPECT_TRUE(checker->isCorrect("apples")); // the S suffix
    EXPECT_TRUE(checker->isCorrect("Apple"));  // a capital at the start of a sentence
    EXPECT_TRUE(checker->isCorrect("don't"));
    EXPECT_TRUE(checker->isCorrect("café"));
    EXPECT_FALSE(checker->isCorrect("aple"));
    EXPECT_FALSE(checker->isCorrect("wordz"));
    // Words of a script the dictionary does not cover are not its business.
    EXPECT_TRUE(checker->isCorrect("Привіт"));
    EXPECT_TRUE(checker->isCorrect("日本語"));
}

TEST(SpellChecker, RemembersVerdictsOnceLookedUp) {
    const auto checker = openTest("en_US");
    ASSERT_TRUE(checker);
    EXPECT_EQ(checker->known("garden"), SpellVerdict::unknown);
    EXPECT_EQ(checker->known("gardn"), SpellVerdict::unknown);
    (void)checker->isCorrect("garden");
    (void)checker->isCorrect("gardn");
    EXPECT_EQ(checker->known("garden"), SpellVerdict::correct);
    EXPECT_EQ(checker->known("gardn"), SpellVerdict::misspelled);
}

TEST(SpellChecker, SuggestsAtMostTheLimitBestFirst) {
    const auto checker = openTest("en_US");
    ASSERT_TRUE(checker);
    const auto forFoto = checker->suggestions("foto");
    ASSERT_FALSE(forFoto.empty());
    EXPECT_EQ(forFoto.front(), "photo"); // the REP table: f → ph
    EXPECT_TRUE(contains(checker->suggestions("aple"), "apple"));
    EXPECT_LE(checker->suggestions("wors", 2).size(), 2u);
    EXPECT_FALSE(contains(checker->suggestions("aple"), "aple"));
}

TEST(SpellChecker, AddedWordsAcceptTheirCapitalisationsIgnoredOnlyThemselves) {
    const auto checker = openTest("en_US");
    ASSERT_TRUE(checker);
    EXPECT_FALSE(checker->isCorrect("ostrevo"));
    EXPECT_FALSE(checker->isCorrect("Ostrevo"));
    checker->addWord("ostrevo");
    EXPECT_TRUE(checker->isCorrect("ostrevo"));
    EXPECT_TRUE(checker->isCorrect("Ostrevo")); // judged wrong before: the memory was reset

    EXPECT_FALSE(checker->isCorrect("zorp"));
    checker->ignore("zorp");
    EXPECT_TRUE(checker->isCorrect("zorp"));
    EXPECT_FALSE(checker->isCorrect("Zorp"));
}

TEST(SpellChecker, IgnoredWordsStayAcceptedWhenAnAddedWordResetsTheMemory) {
    const auto checker = openTest("en_US");
    ASSERT_TRUE(checker);
    EXPECT_FALSE(checker->isCorrect("zorp"));
    checker->ignore("zorp");
    checker->addWord("ostrevo");
    EXPECT_EQ(checker->known("zorp"), SpellVerdict::unknown); // the memory was reset
    EXPECT_TRUE(checker->isCorrect("zorp"));
    EXPECT_FALSE(checker->isCorrect("Zorp"));
}

TEST(SpellChecker, ConvertsWordsForADictionaryInAnEightBitEncoding) {
    // pl_PL is stored in ISO 8859-2: words go in and suggestions come back as UTF-8.
    const auto checker = openTest("pl_PL");
    ASSERT_TRUE(checker);
    EXPECT_TRUE(checker->isCorrect("żółw"));
    EXPECT_TRUE(checker->isCorrect("gęś"));
    EXPECT_FALSE(checker->isCorrect("żółwx"));
    EXPECT_TRUE(contains(checker->suggestions("zółw"), "żółw"));
    // A letter the encoding lacks marks a word of another language.
    EXPECT_TRUE(checker->isCorrect("señor"));
    EXPECT_TRUE(checker->scripts().contains(SpellScript::latin));
    EXPECT_FALSE(checker->scripts().contains(SpellScript::cyrillic));
}

TEST(SpellChecker, MissingFilesAreTypedErrors) {
    const auto opened = SpellChecker::open(std::string(OSTREVO_TEST_DATA) + "/spelling/xx_XX");
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.error().kind, SpellDictionaryError::Kind::missingFile);
    EXPECT_EQ(opened.error().path, std::string(OSTREVO_TEST_DATA) + "/spelling/xx_XX.aff");
}

TEST(SpellChecker, AnswersFromSeveralThreadsAtOnce) {
    const auto checker = openTest("en_US");
    ASSERT_TRUE(checker);
    const std::vector<std::string> words = {"apple", "aple", "garden", "gardn", "fox", "foxx"};
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 200; ++round) {
                for (std::size_t i = 0; i < words.size(); ++i) {
                    wrong[t] +=
                        checker->isCorrect(words[i] + (round % 2 ? "" : "")) == (i % 2 == 1);
                }
                if (round % 50 == 0) {
                    checker->addWord("extra" + std::to_string(t));
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

struct ChoiceCase {
    const char* name;
    std::string interfaceLanguage;
    std::vector<std::string> system;
    std::vector<std::string> installed;
    DictionaryChoice expected;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) {
    *os << c.name;
}

class DictionaryChoosing : public testing::TestWithParam<ChoiceCase> {};

TEST_P(DictionaryChoosing, FollowsTheInterfaceThenTheSystemThenEnglish) {
    const ChoiceCase& c = GetParam();
    EXPECT_EQ(DictionaryChoices::choose(c.interfaceLanguage, c.system, c.installed), c.expected);
}

using Source = DictionaryChoice::Source;
const std::vector<std::string> kDebian = {"de_AT", "de_DE", "en_GB", "en_US", "es_AR",
                                          "es_ES", "fr",    "fr_FR", "it_IT", "nl",
                                          "nl_BE", "pl_PL", "pt_BR", "uk_UA"};

INSTANTIATE_TEST_SUITE_P(
    DictionaryChoices, DictionaryChoosing,
    testing::Values(
        ChoiceCase{"German", "de", {"en-US"}, kDebian, {"de_DE", Source::interfaceLanguage}},
        ChoiceCase{"French", "fr", {}, kDebian, {"fr_FR", Source::interfaceLanguage}},
        ChoiceCase{"Dutch", "nl", {}, kDebian, {"nl", Source::interfaceLanguage}},
        ChoiceCase{"Brazilian", "pt-BR", {}, kDebian, {"pt_BR", Source::interfaceLanguage}},
        ChoiceCase{"Ukrainian", "uk", {}, kDebian, {"uk_UA", Source::interfaceLanguage}},
        ChoiceCase{
            "EnglishPrefersUS", "en", {"en-GB"}, kDebian, {"en_US", Source::interfaceLanguage}},
        ChoiceCase{"AnyRegion", "es", {}, {"es_AR", "es_MX"}, {"es_AR", Source::interfaceLanguage}},
        ChoiceCase{"JapaneseFallsToSystem",
                   "ja",
                   {"ja-JP", "de-AT"},
                   kDebian,
                   {"de_AT", Source::systemLanguage}},
        ChoiceCase{"JapaneseFallsToEnglish", "ja", {"ja-JP"}, kDebian, {"en_US", Source::english}},
        ChoiceCase{"SystemEnglishIsEnglish", "ja", {"en-GB"}, kDebian, {"en_GB", Source::english}},
        ChoiceCase{
            "LocaleNames", "ja", {"pl_PL.UTF-8", "C"}, kDebian, {"pl_PL", Source::systemLanguage}},
        ChoiceCase{"NoneInstalled", "de", {"de-DE"}, {}, {"", Source::none}}),
    [](const testing::TestParamInfo<ChoiceCase>& param) { return std::string(param.param.name); });

TEST(PersonalWords, ReadsOneWordALineSortedAndUnique) {
    const auto words = PersonalWords::parse("zebra\r\nOstrevo\n\nżółw\nzebra\nlast");
    ASSERT_TRUE(words.ok());
    EXPECT_EQ(words.value(), (std::vector<std::string>{"Ostrevo", "last", "zebra", "żółw"}));
    EXPECT_EQ(PersonalWords::serialize(words.value()), "Ostrevo\nlast\nzebra\nżółw\n");
    EXPECT_EQ(PersonalWords::parse(PersonalWords::serialize(words.value())).value(), words.value());
    EXPECT_TRUE(PersonalWords::parse("").value().empty());
}

TEST(PersonalWords, RefusesListsThatAreNoWordList) {
    using Kind = PersonalWordsError::Kind;
    EXPECT_EQ(PersonalWords::parse("ok\n\xFF\xFE\n").error(),
              (PersonalWordsError{Kind::invalidUTF8, 2}));
    EXPECT_EQ(PersonalWords::parse("two words\n").error(), (PersonalWordsError{Kind::notAWord, 1}));
    EXPECT_EQ(PersonalWords::parse("a\nb\x01\n").error(), (PersonalWordsError{Kind::notAWord, 2}));
    EXPECT_EQ(PersonalWords::parse(std::string(101, 'a')).error(),
              (PersonalWordsError{Kind::tooLong, 1}));
    EXPECT_EQ(PersonalWords::parse(std::string(PersonalWords::kLargestList + 1, 'a')).error(),
              (PersonalWordsError{Kind::tooLarge, 0}));
    EXPECT_TRUE(PersonalWords::isStorable("Ostrevo"));
    EXPECT_FALSE(PersonalWords::isStorable("two words"));
    EXPECT_FALSE(PersonalWords::isStorable(""));
}

} // namespace

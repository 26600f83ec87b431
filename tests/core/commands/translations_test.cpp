// The nine translations against English: the same keys, the same placeholders in every plural
// form, the plural forms their language needs, no sentence left in English, and help files
// with English's sections, key lines and only the key map's chords.
#include "core/commands/help_catalog.hpp"
#include "core/commands/key_map.hpp"
#include "core/commands/plural.hpp"
#include "core/commands/resources.hpp"
#include "core/commands/strings.hpp"
#include "core/model/archive_titles.hpp"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

using namespace velmora;

namespace {

const std::vector<std::string> kTranslations = {"uk", "de", "fr",    "es", "it",
                                                "pt-BR", "nl", "pl", "ja"};

// Texts that are the same in English and in the translations: names, and the languages'
// own names in the language menu.
const std::set<std::string> kSameEverywhere = {"OK", "Ostrevo", "iCloud Drive", "PDF", "OPML"};

// Words a language shares with English, compared without placeholders and a trailing colon.
const std::map<std::string, std::set<std::string>> kSameInLanguage = {
    {"de", {"Orange", "Format", "Layout", "Tabs", "Warm"}},
    {"fr", {"Archive", "Branches", "Orange", "Format", "Application", "Document", "Note"}},
    {"es", {"General"}},
    {"it", {"File"}},
    {"pt-BR", {"Backups", "Item"}},
    {"nl", {"Help", "Item", "Items", "Document", "Label", "Hard", "Warm"}},
    {"pl", {"Format"}},
};

const StringTable& table(const std::string& language) {
    return Strings::table(language);
}

// A placeholder as written: its 1-based position when numbered ("%2$@"), else 0, and its kind.
struct Placeholder {
    int position = 0;
    std::string kind;
    bool operator==(const Placeholder&) const = default;
};

std::vector<Placeholder> placeholders(std::string_view text) {
    static const std::regex pattern(R"(%(?:([0-9]+)\$)?(@|lld|ld|d))");
    std::vector<Placeholder> out;
    const std::string s(text);
    for (std::sregex_iterator it(s.begin(), s.end(), pattern), end; it != end; ++it)
        out.push_back({(*it)[1].matched ? std::stoi((*it)[1]) : 0,
                       (*it)[2] == "@" ? "@" : "integer"});
    return out;
}

// The kinds of the arguments a text takes, in argument order, or nothing when it mixes numbered
// and unnumbered placeholders or numbers one twice.
std::optional<std::vector<std::string>> argumentKinds(std::string_view text) {
    const auto all = placeholders(text);
    const bool numbered = !all.empty() && all.front().position > 0;
    std::vector<std::string> kinds;
    if (!numbered) {
        for (const auto& p : all) {
            if (p.position > 0)
                return std::nullopt;
            kinds.push_back(p.kind);
        }
        return kinds;
    }
    kinds.resize(all.size());
    for (const auto& p : all) {
        if (p.position == 0 || p.position > static_cast<int>(all.size()) ||
            !kinds[p.position - 1].empty())
            return std::nullopt;
        kinds[p.position - 1] = p.kind;
    }
    return kinds;
}

// The forms of a text: its plural forms, or the text itself.
std::vector<std::string_view> formsOf(std::string_view text) {
    std::vector<std::string_view> out;
    if (auto forms = Plural::forms(text))
        for (const auto& form : *forms)
            out.push_back(form.text);
    else
        out.push_back(text);
    return out;
}

// The text without placeholders, surrounding blanks, a colon or an ellipsis: what a reader sees.
std::string words(std::string_view text) {
    static const std::regex pattern(R"(%(?:[0-9]+\$)?(@|lld|ld|d))");
    std::string s = std::regex_replace(std::string(text), pattern, "");
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (std::string_view end : {" ", ":", "\u2026"})
            if (s.ends_with(end)) {
                s.resize(s.size() - end.size());
                trimmed = true;
            }
    }
    while (!s.empty() && s.front() == ' ')
        s.erase(s.begin());
    return s;
}

bool isSameOnPurpose(const std::string& language, const std::string& key, std::string_view text) {
    if (key.starts_with("settings.language.") && key != "settings.language.system")
        return true;
    const std::string seen = words(text);
    if (seen.empty() || kSameEverywhere.contains(seen))
        return true;
    auto it = kSameInLanguage.find(language);
    return it != kSameInLanguage.end() && it->second.contains(seen);
}

HelpDocument help(const std::string& language) {
    auto text = Resources::text("help/" + language + "/help.md");
    return HelpCatalog::parse(text.value_or(std::string_view()));
}

std::vector<Action> keyLineActions(const HelpSection& section) {
    std::vector<Action> out;
    for (const auto& [action, text] : section.keyRows())
        out.push_back(action);
    return out;
}

// Chords the menus and the outline handle outside the key map: the standard edit and file
// items, and extending the selection among siblings.
const std::set<std::string> kStandardChords = {
    "Ctrl+Z", "Ctrl+Shift+Z", "Ctrl+X", "Ctrl+C", "Ctrl+V", "Ctrl+A",  "Ctrl+N",
    "Ctrl+O", "Ctrl+S",       "Ctrl+W", "Ctrl+P", "Ctrl+Q", "Shift+Up", "Shift+Down"};

// Every chord the key map shows, under every preference, as Linux writes it ("Shift+Tab").
std::set<std::string> keyMapChordTexts() {
    std::set<std::string> out;
    for (const auto& binding : KeyMap::bindings())
        out.insert(KeyMap::text(binding.chord));
    for (auto returnWhileTyping : kAllReturnWhileTyping)
        for (bool tabIndents : {false, true})
            for (bool returnEdits : {false, true})
                for (const auto& binding :
                     KeyMap::bindings({returnWhileTyping, tabIndents, returnEdits}))
                    out.insert(KeyMap::text(binding.chord));
    return out;
}

// The chords written in a text: runs of ASCII letters, digits and "+" joining at least two
// non-empty parts ("Ctrl+Z", "Strg+Z", "Shift+Tab").
std::vector<std::string> chordsIn(std::string_view text) {
    std::vector<std::string> out;
    std::string run;
    auto flush = [&] {
        const auto plus = run.find('+');
        if (plus != std::string::npos && plus > 0 && !run.ends_with('+') &&
            run.find("++") == std::string::npos)
            out.push_back(run);
        run.clear();
    };
    for (char c : text) {
        const bool chordCharacter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                    (c >= '0' && c <= '9') || c == '+';
        if (chordCharacter)
            run += c;
        else
            flush();
    }
    flush();
    return out;
}

} // namespace

TEST(Translations, EveryLanguageHasExactlyTheEnglishKeys) {
    const auto english = table("en").keys();
    for (const auto& language : kTranslations) {
        ASSERT_TRUE(Resources::text("strings/" + language + ".json")) << language;
        const auto keys = table(language).keys();
        for (const auto& key : english)
            EXPECT_TRUE(table(language).text(key)) << language << " lacks \"" << key << '"';
        for (const auto& key : keys)
            EXPECT_TRUE(table("en").text(key)) << language << " has \"" << key << "\", English not";
    }
}

TEST(Translations, EveryFormKeepsTheArgumentsOfEnglish) {
    for (const auto& language : kTranslations) {
        for (const auto& key : table(language).keys()) {
            auto original = table("en").text(key);
            if (!original)
                continue;
            const auto expected = argumentKinds(formsOf(*original).back());
            ASSERT_TRUE(expected) << "en: " << key;
            for (std::string_view form : formsOf(*table(language).text(key))) {
                // Unnumbered placeholders must come in English's order; numbered ones may move.
                EXPECT_EQ(argumentKinds(form), expected) << language << ": " << key << " «"
                                                         << form << "»";
            }
        }
    }
}

TEST(Translations, PluralTextsGiveExactlyTheFormsOfTheirLanguage) {
    std::vector<std::string> languages = kTranslations;
    languages.push_back("en");
    for (const auto& language : languages) {
        const auto needed = Plural::categories(language);
        for (const auto& key : table(language).keys()) {
            const std::string_view text = *table(language).text(key);
            auto forms = Plural::forms(text);
            const bool englishCounts = Plural::forms(*table("en").text(key)).has_value();
            if (!forms) {
                // A language with one form for every count may write it plainly.
                EXPECT_FALSE(englishCounts && needed.size() > 1)
                    << language << ": " << key << " needs plural forms";
                continue;
            }
            std::vector<Plural::Category> given;
            for (const auto& form : *forms)
                given.push_back(form.category);
            EXPECT_EQ(given, needed) << language << ": " << key;
        }
    }
}

TEST(Translations, NoSentenceIsLeftInEnglish) {
    for (const auto& language : kTranslations) {
        for (const auto& key : table(language).keys()) {
            const std::string_view text = *table(language).text(key);
            if (text == table("en").text(key)) {
                EXPECT_TRUE(isSameOnPurpose(language, key, text))
                    << language << ": \"" << key << "\" is still English: " << text;
            }
        }
    }
}

TEST(Translations, ArchiveItemsAreNamedSoTheArchiveRulesFindThem) {
    std::vector<std::string> languages = kTranslations;
    languages.push_back("en");
    for (const auto& language : languages)
        EXPECT_TRUE(ArchiveTitles::matches(*table(language).text("archive.title"))) << language;
}

TEST(HelpTranslations, KeepEverySectionAndKeyLineOfTheEnglishHelp) {
    const HelpDocument english = help("en");
    ASSERT_FALSE(english.sections.empty());
    for (const auto& language : kTranslations) {
        ASSERT_TRUE(Resources::text("help/" + language + "/help.md")) << language;
        const HelpDocument translated = help(language);
        EXPECT_EQ(translated.sectionIDs(), english.sectionIDs()) << language;
        for (const auto& section : english.sections) {
            const HelpSection* own = translated.section(section.id);
            if (own == nullptr)
                continue;
            EXPECT_FALSE(own->title.empty()) << language << ": " << section.id;
            EXPECT_EQ(keyLineActions(*own), keyLineActions(section))
                << language << ": key lines of " << section.id;
            for (const auto& block : own->blocks) {
                EXPECT_FALSE(block.text.empty()) << language << ": " << section.id;
                // A key line whose action is misspelt reads as a paragraph.
                EXPECT_EQ(block.text.find("{{key:"), std::string::npos)
                    << language << ": " << section.id << ": " << block.text;
            }
        }
    }
}

TEST(HelpTranslations, NoParagraphOrKeyLineIsLeftInEnglish) {
    const HelpDocument english = help("en");
    for (const auto& language : kTranslations) {
        for (const auto& section : help(language).sections) {
            const HelpSection* original = english.section(section.id);
            if (original == nullptr)
                continue;
            std::set<std::string> englishTexts;
            for (const auto& block : original->blocks)
                englishTexts.insert(block.text);
            for (const auto& block : section.blocks)
                if (englishTexts.contains(block.text)) {
                    EXPECT_TRUE(isSameOnPurpose(language, section.id, block.text))
                        << language << ": " << section.id << " is still English: " << block.text;
                }
        }
    }
}

TEST(HelpTranslations, WriteOnlyTheChordsOfTheEnglishHelp) {
    // The English help writes chords of the key map and the standard keys of the menus and the
    // outline; a translation writes the same chords in each section, only the words around
    // them change.
    auto known = keyMapChordTexts();
    EXPECT_TRUE(known.contains("Shift+Tab") && known.contains("Alt+Return"));
    known.insert(kStandardChords.begin(), kStandardChords.end());
    const HelpDocument english = help("en");
    auto chordsOf = [](const HelpSection& section) {
        std::multiset<std::string> out;
        for (const auto& block : section.blocks)
            for (auto& chord : chordsIn(block.text))
                out.insert(std::move(chord));
        return out;
    };
    for (const auto& section : english.sections)
        for (const auto& chord : chordsOf(section)) {
            EXPECT_TRUE(known.contains(chord))
                << "en: " << section.id << " writes \"" << chord << "\", which no key makes";
        }
    for (const auto& language : kTranslations) {
        for (const auto& section : help(language).sections) {
            const HelpSection* original = english.section(section.id);
            if (original != nullptr) {
                EXPECT_EQ(chordsOf(section), chordsOf(*original))
                    << language << ": chords written in " << section.id;
            }
        }
    }
    EXPECT_EQ(chordsIn("Press Strg+Z, then Shift+Tab (or C++)."),
              (std::vector<std::string>{"Strg+Z", "Shift+Tab"}));
}

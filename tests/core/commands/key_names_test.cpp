// The names of keys in the ten languages: one name per key, the chord written with them, the
// stored form read back, the help and the settings writing only their language's names, and the
// palette finding a command by the shortcut it shows.
#include "core/commands/command_registry.hpp"
#include "core/commands/key_map.hpp"
#include "core/commands/key_names.hpp"
#include "core/commands/resources.hpp"
#include "core/commands/strings.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace velmora;

namespace {

struct NameCase {
    const char* language;
    NamedKey key;
    const char* name;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.language << " " << static_cast<int>(c.key) << " " << c.name;
}

class KeyNameTable : public ::testing::TestWithParam<NameCase> {};

// Keys whose names Qt's catalogues get wrong or that several texts named differently.
INSTANTIATE_TEST_SUITE_P(
    Names, KeyNameTable,
    ::testing::Values(
        NameCase{"en", NamedKey::enter, "Enter"}, NameCase{"en", NamedKey::del, "Delete"},
        NameCase{"de", NamedKey::ctrl, "Strg"}, NameCase{"de", NamedKey::shift, "Umschalt"},
        NameCase{"de", NamedKey::enter, "Eingabe"},
        NameCase{"de", NamedKey::backspace, "R\u00FCcktaste"},
        NameCase{"de", NamedKey::home, "Pos1"}, NameCase{"fr", NamedKey::enter, "Entr\u00E9e"},
        NameCase{"fr", NamedKey::shift, "Maj"}, NameCase{"fr", NamedKey::escape, "\u00C9chap"},
        NameCase{"es", NamedKey::enter, "Intro"}, NameCase{"es", NamedKey::shift, "May\u00FAs"},
        NameCase{"it", NamedKey::enter, "Invio"}, NameCase{"it", NamedKey::shift, "Maiusc"},
        NameCase{"pl", NamedKey::home, "Home"}, NameCase{"pl", NamedKey::space, "Spacja"},
        NameCase{"ja", NamedKey::backspace, "Backspace"},
        NameCase{"ja", NamedKey::space, "\u30B9\u30DA\u30FC\u30B9"},
        NameCase{"uk", NamedKey::space, "\u041F\u0440\u043E\u0431\u0456\u043B"},
        NameCase{"nl", NamedKey::space, "Spatie"},
        NameCase{"pt-BR", NamedKey::space, "Espa\u00E7o"},
        // A language without names of its own reads English.
        NameCase{"sv", NamedKey::ctrl, "Ctrl"}));

TEST_P(KeyNameTable, NamesTheKeyAsItsKeyboardsDo) {
    const NameCase& c = GetParam();
    EXPECT_EQ(KeyNames::name(c.key, c.language), c.name);
}

TEST(KeyNames, EveryLanguageNamesEveryKeyOnce) {
    ASSERT_EQ(KeyNames::languages().size(), 10u);
    for (const auto& language : KeyNames::languages()) {
        ASSERT_TRUE(Resources::text("strings/" + language + ".json")) << language;
        std::set<std::string_view> seen;
        for (NamedKey key : allNamedKeys()) {
            const auto name = KeyNames::name(key, language);
            EXPECT_FALSE(name.empty()) << language << " " << static_cast<int>(key);
            // A "+" would split the chord it is written in.
            EXPECT_EQ(name.find('+'), std::string_view::npos) << language << " " << name;
            EXPECT_TRUE(seen.insert(name).second) << language << " names two keys " << name;
        }
    }
}

TEST(KeyNames, ChordsAreWrittenInTheLanguagesWords) {
    const KeyChord addAbove{PhysicalKey::returnKey, KeyModifiers::shift | KeyModifiers::command};
    const KeyChord library{PhysicalKey::s, KeyModifiers::control | KeyModifiers::command};
    const KeyChord label{PhysicalKey::digit1, KeyModifiers::option | KeyModifiers::shift};
    EXPECT_EQ(KeyNames::text(addAbove, "de", "?"), "Strg+Umschalt+Eingabe");
    EXPECT_EQ(KeyNames::text(addAbove, "fr", "?"), "Ctrl+Maj+Entr\u00E9e");
    EXPECT_EQ(KeyNames::text(library, "en", "S"), "Meta+Ctrl+S");
    // A key that types a character is written as its cap shows it.
    EXPECT_EQ(KeyNames::text({PhysicalKey::bracketLeft, KeyModifiers::command}, "de", "\u00DC"),
              "Strg+\u00DC");
    EXPECT_EQ(KeyNames::text(label, "es", "1"), "Alt+May\u00FAs+1");
}

TEST(KeyNames, TheStoredFormReadsBackAsTheKeyMapsChord) {
    using M = KeyModifiers;
    EXPECT_EQ(KeyNames::parse("Meta+Ctrl+S"), (KeyChord{PhysicalKey::s, M::control | M::command}));
    EXPECT_EQ(KeyNames::parse("Shift+Return"), (KeyChord{PhysicalKey::returnKey, M::shift}));
    EXPECT_EQ(KeyNames::parse("Ctrl+Enter"), (KeyChord{PhysicalKey::returnKey, M::command}));
    EXPECT_EQ(KeyNames::parse("Alt+Shift+1"),
              (KeyChord{PhysicalKey::digit1, M::option | M::shift}));
    EXPECT_EQ(KeyNames::parse("Del"), (KeyChord{PhysicalKey::forwardDelete, M::none}));
    EXPECT_EQ(KeyNames::parse("F2"), (KeyChord{PhysicalKey::f2, M::none}));
    // Every chord of the key map reads back as itself.
    for (const KeyBinding& row : KeyMap::bindings({}))
        EXPECT_EQ(KeyNames::parse(KeyMap::text(row.chord)), row.chord) << KeyMap::text(row.chord);
    for (std::string_view text : {"Ctrl+Q", "Kein+Akkord", "Ctrl+", "Ctrl+Ctrl+S", "Shift+Home"})
        EXPECT_EQ(KeyNames::parse(text), std::nullopt) << text;
}

TEST(KeyNames, PortableNamesOfOneKeyMeanIt) {
    EXPECT_EQ(KeyNames::fromPortableName("Return"), NamedKey::enter);
    EXPECT_EQ(KeyNames::fromPortableName("Enter"), NamedKey::enter);
    EXPECT_EQ(KeyNames::fromPortableName("Backtab"), NamedKey::tab);
    EXPECT_EQ(KeyNames::fromPortableName("PgUp"), NamedKey::pageUp);
    EXPECT_EQ(KeyNames::fromPortableName("Strg"), std::nullopt);
    for (NamedKey key : allNamedKeys())
        EXPECT_EQ(KeyNames::fromPortableName(KeyNames::portableName(key)), key);
}

// --- Texts that name keys ------------------------------------------------------------------

// Letters and digits; any byte of a character beyond ASCII counts as a letter ("Ins" is not in
// "Insérer").
bool isWordCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Whether the text holds the word, not as part of a longer word ("End" is not in "Ende").
bool holdsWord(std::string_view text, std::string_view word) {
    for (auto at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
        const bool startsWord = at == 0 || !isWordCharacter(text[at - 1]);
        const auto end = at + word.size();
        if (startsWord && (end == text.size() || !isWordCharacter(text[end])))
            return true;
    }
    return false;
}

// The names that must not name a key in the language: the English and stored names its own
// differ from, and names Qt's catalogues or earlier texts gave.
std::set<std::string> foreignNames(const std::string& language) {
    std::set<std::string> out = {"Return", "Retour", "Backspae", "Katalog domowy"};
    for (NamedKey key : allNamedKeys())
        for (std::string_view other : {KeyNames::name(key, "en"), KeyNames::portableName(key)})
            out.insert(std::string(other));
    for (NamedKey key : allNamedKeys())
        out.erase(std::string(KeyNames::name(key, language)));
    return out;
}

// The text without the language's own names of keys, longest first ("Up" is not left of "Page
// Up").
std::string withoutOwnNames(std::string text, const std::string& language) {
    std::vector<std::string_view> own;
    for (NamedKey key : allNamedKeys())
        own.push_back(KeyNames::name(key, language));
    std::sort(own.begin(), own.end(),
              [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
    for (std::string_view name : own)
        for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at + 1))
            text.replace(at, name.size(), " ");
    return text;
}

// The text without the chords written in the stored form ("Ctrl+Return"), which the help panel
// shows in the language's words.
std::string withoutChords(std::string_view text) {
    std::string out;
    std::string run;
    auto flush = [&] {
        const bool chord = run.find('+') != std::string::npos && !run.starts_with('+');
        out += chord ? std::string(" ") : run;
        run.clear();
    };
    for (char c : text) {
        if (isWordCharacter(c) || c == '+') {
            run += c;
        } else {
            flush();
            out += c;
        }
    }
    flush();
    return out;
}

TEST(KeyNames, TheHelpNamesKeysAsTheTableDoes) {
    for (const auto& language : KeyNames::languages()) {
        const auto help = Resources::text("help/" + language + "/help.md");
        ASSERT_TRUE(help) << language;
        const std::string prose = withoutOwnNames(withoutChords(*help), language);
        for (const auto& name : foreignNames(language)) {
            EXPECT_FALSE(holdsWord(prose, name))
                << language << " help names a key \"" << name << '"';
        }
    }
    EXPECT_EQ(withoutChords("Press Ctrl+Return or Esc."), "Press   or Esc.");
}

TEST(KeyNames, TheSettingsNameKeysAsTheTableDoes) {
    for (const auto& language : KeyNames::languages()) {
        const StringTable& table = Strings::table(language);
        for (const auto& key : table.keys()) {
            if (!key.starts_with("settings."))
                continue;
            const std::string text = withoutOwnNames(std::string(*table.text(key)), language);
            for (const auto& name : foreignNames(language))
                EXPECT_FALSE(holdsWord(text, name)) << language << ": " << key << ": " << text;
        }
        // The editing settings name Enter and Tab by the table's names.
        const std::string enter(KeyNames::name(NamedKey::enter, language));
        EXPECT_NE(std::string(*table.text("settings.return")).find(enter), std::string::npos)
            << language;
        EXPECT_NE(std::string(*table.text("settings.return.note")).find("Alt+" + enter),
                  std::string::npos)
            << language;
        EXPECT_NE(std::string(*table.text("settings.returnEdits")).find(enter), std::string::npos)
            << language;
    }
}

// --- The palette ---------------------------------------------------------------------------

TEST(KeyNames, ThePaletteFindsACommandByTheShortcutItShows) {
    namespace CR = CommandRegistry;
    const auto palette = CR::palette({}, {});
    const std::map<Action, std::string> shown = {
        {Action::importBackup, "Strg+Umschalt+I"}, {Action::indent, "Strg++"},
        {Action::outdent, "Strg+\u00DC"},          {Action::showFamily, "Strg+Umschalt+O"},
        {Action::moveUp, "Alt+Umschalt+Hoch"},     {Action::exportBackup, "Ctrl+Maj+E"},
        {Action::toggleLibrary, "Meta+Strg+S"},
    };
    const std::pair<const char*, Action> cases[] = {
        {"Strg+Umschalt+I", Action::importBackup}, {"strg umschalt i", Action::importBackup},
        {"umschalt+strg+i", Action::importBackup}, {"Strg++", Action::indent},
        {"strg+\u00FC", Action::outdent},          {"strg u", Action::outdent},
        {"alt umschalt hoch", Action::moveUp},     {"ctrl maj e", Action::exportBackup},
        {"strg meta s", Action::toggleLibrary},
    };
    for (const auto& [query, action] : cases) {
        const auto hits = CR::search(palette, query, shown);
        ASSERT_FALSE(hits.empty()) << query;
        EXPECT_EQ(hits.front().action, action) << query;
    }
    // The English names still match; a shown text does not match with a modifier left out.
    EXPECT_EQ(CR::search(palette, "ctrl+shift+i", shown).front().action, Action::importBackup);
    const auto partial = CR::search(palette, "strg i", shown);
    EXPECT_TRUE(partial.empty() || partial.front().action != Action::importBackup);
    // Without the shown texts the localised chord matches nothing.
    EXPECT_TRUE(CR::search(palette, "strg umschalt i").empty());
}

} // namespace

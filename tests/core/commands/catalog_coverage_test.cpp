// The built-in texts against the code: every command the menus and the palette show has an
// English title, every catalog key the sources use has English text, and every translation
// fits its English original.
#include "core/commands/command_registry.hpp"
#include "core/commands/help_catalog.hpp"
#include "core/commands/plural.hpp"
#include "core/commands/resources.hpp"
#include "core/commands/strings.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

using namespace velmora;
namespace fs = std::filesystem;

namespace {

const StringTable& english() {
    return Strings::table("en");
}

std::string helpPath(const std::string& language) {
    return "help/" + language + "/help.md";
}

std::vector<std::string> helpLanguages() {
    std::vector<std::string> out;
    for (std::string_view path : Resources::paths())
        if (path.starts_with("help/") && path.ends_with("/help.md"))
            out.emplace_back(path.substr(5, path.size() - 5 - 8));
    return out;
}

// Dotted strings in the sources that are identifiers, not catalog keys, though they look alike.
const std::set<std::string> kNotCatalogKeys = {
    "palette.search", // accessibility identifiers of the command palette
    "palette.list",
    "org.opml.opml", // the OPML file type's identifier, beside the Org error keys
    "org.freedesktop.FileManager1", // the desktop file manager's D-Bus service and interface
};

// Every quoted string in the project's sources that looks like a catalog key of a namespace
// the English table uses ("menu.file.open", "status.itemCount %lld"), with where it was found.
std::map<std::string, std::string> catalogKeysInSources() {
    std::set<std::string> namespaces;
    for (const auto& key : english().keys())
        namespaces.insert(key.substr(0, key.find('.')));
    const std::regex literal(R"re("([a-z][A-Za-z0-9]*(\.[A-Za-z0-9-]+)+((?: %@| %lld)*))")re");
    const fs::path root = fs::path(OSTREVO_TEST_DATA).parent_path().parent_path();
    std::map<std::string, std::string> found;
    for (const char* folder : {"core", "app", "cli"}) {
        if (!fs::exists(root / folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const auto ext = entry.path().extension();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".hpp" && ext != ".h"))
                continue;
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            const std::string source = text.str();
            for (std::sregex_iterator it(source.begin(), source.end(), literal), end; it != end;
                 ++it) {
                const std::string key = (*it)[1];
                if (namespaces.contains(key.substr(0, key.find('.'))) &&
                    !kNotCatalogKeys.contains(key))
                    found.emplace(key, fs::relative(entry.path(), root).string());
            }
        }
    }
    return found;
}

// The placeholders of a text, without their positions ("%2$@" counts as "%@").
std::multiset<std::string> placeholders(std::string_view text) {
    static const std::regex pattern(R"(%(?:[0-9]+\$)?(@|lld|ld|d))");
    std::multiset<std::string> out;
    const std::string s(text);
    for (std::sregex_iterator it(s.begin(), s.end(), pattern), end; it != end; ++it)
        out.insert((*it)[1]);
    return out;
}

} // namespace

TEST(CatalogCoverage, EveryMenuAndPaletteActionHasAnEnglishTitle) {
    auto help = HelpCatalog::parse(Resources::helpText("en"));
    std::set<Action> shown;
    for (const auto& section : CommandRegistry::sections())
        if (section.inMenu)
            for (Action action : section.actions())
                shown.insert(action);
    for (const auto& group : CommandRegistry::paletteGroups())
        shown.insert(group.actions.begin(), group.actions.end());
    for (Action action : CommandRegistry::missingTitles(help))
        EXPECT_FALSE(shown.contains(action)) << rawValue(action) << " has no English title";
    for (const auto& command : CommandRegistry::commands(help, EditorPreferences{}))
        EXPECT_FALSE(command.title.empty()) << rawValue(command.action);
}

TEST(CatalogCoverage, EveryHelpTextHasTheTopicSections) {
    for (const auto& language : helpLanguages()) {
        auto text = *Resources::text(helpPath(language));
        EXPECT_EQ(text.find('\r'), std::string_view::npos) << language << ": line feeds only";
        auto help = HelpCatalog::parse(text);
        EXPECT_NE(help.section(kAllKeysSectionID), nullptr) << language;
        for (HelpTopic topic : kAllHelpTopics) {
            for (const auto& id : sectionIDs(topic)) {
                const HelpSection* section = help.section(id);
                ASSERT_NE(section, nullptr) << language << ": " << id;
                EXPECT_FALSE(section->blocks.empty()) << language << ": " << id;
            }
        }
    }
}

TEST(CatalogCoverage, EveryCatalogKeyInTheSourcesHasEnglishText) {
    auto keys = catalogKeysInSources();
    EXPECT_FALSE(keys.empty());
    for (const auto& [key, file] : keys)
        EXPECT_TRUE(english().text(key)) << '"' << key << "\" used in " << file;
}

TEST(CatalogCoverage, ComposedKeysHaveEnglishText) {
    std::vector<std::string> keys;
    for (HelpTopic topic : kAllHelpTopics)
        keys.push_back("help.topic." + std::string(rawValue(topic)));
    for (const auto& group : CommandRegistry::paletteGroups())
        if (group.id != "labels" && group.id != "view")
            keys.push_back("palette.group." + group.id);
    for (Action action : allActions())
        keys.emplace_back(catalogKey(action));
    for (const auto& key : keys)
        EXPECT_TRUE(english().text(key)) << key;
}

TEST(CatalogCoverage, TranslationsKeepTheEnglishPlaceholders) {
    for (const auto& language : Resources::stringTableLanguages()) {
        auto json = *Resources::text("strings/" + language + ".json");
        auto table = StringTable::parse(json);
        ASSERT_TRUE(table.ok()) << language << " line " << table.error().line;
        for (const auto& key : table->keys()) {
            auto original = english().text(key);
            ASSERT_TRUE(original) << language << ": \"" << key << "\" is not an English key";
            // Every plural form takes the same arguments as the key.
            for (const auto& text : {*table->text(key), *original})
                for (const auto& form : Plural::forms(text).value_or(
                         std::vector<Plural::Form>{{Plural::Category::other, text}}))
                    EXPECT_EQ(placeholders(form.text), placeholders(key))
                        << language << ": " << key;
        }
    }
}

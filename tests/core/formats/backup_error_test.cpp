#include "core/formats/backup_codec.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace velmora;
using Kind = BackupError::Kind;

namespace {

using Overrides = std::vector<std::pair<std::string, std::string>>;

// A JSON object of members, with defaults replaced by `overrides`; an empty raw value leaves
// the member out.
std::string object(std::map<std::string, std::string> members, const Overrides& overrides) {
    for (const auto& [key, raw] : overrides)
        members[key] = raw;
    std::string out = "{";
    for (const auto& [key, raw] : members)
        if (!raw.empty())
            out += (out.size() > 1 ? ", \"" : "\"") + key + "\": " + raw;
    return out + "}";
}

std::string item(const Overrides& overrides = {}) {
    return object({{"id", "\"i\""},
                   {"text", "\"t\""},
                   {"note", "\"\""},
                   {"checked", "false"},
                   {"color", "null"},
                   {"collapsed", "false"},
                   {"children", "[]"}},
                  overrides);
}

std::string document(const std::string& items, const Overrides& overrides = {}) {
    return object({{"id", "\"d\""}, {"title", "\"Notes\""}, {"items", items}}, overrides);
}

const std::string kSettings = R"({"openMode": "tab", "view": "list", "showAllNotes": false})";

std::string backup(const std::string& documents, const Overrides& overrides = {}) {
    return object({{"format", "\"velmora\""},
                   {"version", "1"},
                   {"documents", documents},
                   {"settings", kSettings}},
                  overrides);
}

std::string oneItem(const Overrides& overrides) {
    return backup("[" + document("[" + item(overrides) + "]") + "]");
}

std::string settings(const Overrides& overrides) {
    return backup(
        "[" + document("[]") + "]",
        {{"settings",
          object({{"openMode", "\"tab\""}, {"view", "\"list\""}, {"showAllNotes", "false"}},
                 overrides)}});
}

struct ErrorCase {
    std::string name;
    std::string text;
    BackupError expected;
    std::string catalogKey;
};

BackupError withText(Kind kind, std::string text) {
    return BackupError{kind, std::move(text)};
}

std::vector<ErrorCase> errorCases() {
    const std::string doc = document("[]");
    const std::string firstItemWithChild =
        "[" + item({{"children", "[" + item({{"id", ""}, {"text", "\"\""}}) + "]"}}) + "]";
    return {
        {"VersionTwo", backup("[" + doc + "]", {{"version", "2"}}),
         BackupError::unsupportedVersion("2"), "backup.error.unsupportedVersion %@"},
        {"VersionAsString", backup("[" + doc + "]", {{"version", "\"1\""}}),
         BackupError::unsupportedVersion("1"), "backup.error.unsupportedVersion %@"},
        {"VersionMissing", backup("[" + doc + "]", {{"version", ""}}),
         BackupError::unsupportedVersion("undefined"), "backup.error.unsupportedVersion %@"},
        {"VersionFraction", backup("[" + doc + "]", {{"version", "1.5"}}),
         BackupError::unsupportedVersion("1.5"), "backup.error.unsupportedVersion %@"},
        {"VersionObject", backup("[" + doc + "]", {{"version", "{}"}}),
         BackupError::unsupportedVersion("[object Object]"), "backup.error.unsupportedVersion %@"},
        {"DocumentNotObject", backup("[" + doc + ", 5]"), BackupError::documentCorrupt(2),
         "backup.error.documentCorrupt %lld"},
        {"SecondDocumentWithoutID", backup("[" + doc + ", " + document("[]", {{"id", ""}}) + "]"),
         BackupError::documentNoID(2), "backup.error.documentNoID %lld"},
        {"DocumentEmptyID", backup("[" + document("[]", {{"id", "\"\""}}) + "]"),
         BackupError::documentNoID(1), "backup.error.documentNoID %lld"},
        {"DocumentTitleNotString", backup("[" + document("[]", {{"title", "5"}}) + "]"),
         BackupError::documentNoTitle(1), "backup.error.documentNoTitle %lld"},
        {"DocumentWithoutItems", backup("[" + document("", {{"title", "\"Trip\""}}) + "]"),
         BackupError::documentNoItems("Trip"), "backup.error.documentNoItems %@"},
        {"ChildNotObject",
         backup("[" + document("[" + item({{"children", "[" + item() + ", \"x\"]"}}) + "]") + "]"),
         BackupError::itemCorrupt("Notes/0/1"), "backup.error.itemCorrupt %@"},
        {"ChildWithoutIDNamedByPath", backup("[" + document(firstItemWithChild) + "]"),
         withText(Kind::itemNoID, "Notes/0/0"), "backup.error.itemNoID %@"},
        {"ItemWithoutIDNamedByText", oneItem({{"id", ""}, {"text", "\"Milk\""}}),
         withText(Kind::itemNoID, "Milk"), "backup.error.itemNoID %@"},
        {"ItemTextNotString", oneItem({{"text", "5"}}),
         withText(Kind::itemTextNotString, "Notes/0"), "backup.error.itemText %@"},
        {"ItemNoteMissing", oneItem({{"note", ""}}), withText(Kind::itemNoteNotString, "t"),
         "backup.error.itemNote %@"},
        {"ItemCheckedAsString", oneItem({{"checked", "\"true\""}}),
         withText(Kind::itemCheckedNotBool, "t"), "backup.error.itemChecked %@"},
        {"ColourInOtherCase", oneItem({{"color", "\"Red\""}}),
         withText(Kind::itemUnknownColor, "t"), "backup.error.itemColor %@"},
        {"ColourMissing", oneItem({{"color", ""}}), withText(Kind::itemUnknownColor, "t"),
         "backup.error.itemColor %@"},
        {"ColourNumber", oneItem({{"color", "3"}}), withText(Kind::itemUnknownColor, "t"),
         "backup.error.itemColor %@"},
        {"CollapsedMissing", oneItem({{"collapsed", ""}}),
         withText(Kind::itemCollapsedMissing, "t"), "backup.error.itemCollapsed %@"},
        {"ChildrenNull", oneItem({{"children", "null"}}), withText(Kind::itemNoChildren, "t"),
         "backup.error.itemChildren %@"},
        {"NotJSON", "{\"format\": \"velmora\",", BackupError::plain(Kind::notJSON),
         "backup.error.notJSON"},
        {"TopLevelArray", "[1]", BackupError::plain(Kind::notVelmora), "backup.error.notVelmora"},
        {"OtherFormat", backup("[" + doc + "]", {{"format", "\"Velmora\""}}),
         BackupError::plain(Kind::notVelmora), "backup.error.notVelmora"},
        {"NoDocuments", backup("[]"), BackupError::plain(Kind::noDocuments),
         "backup.error.noDocuments"},
        {"DocumentsNotArray", backup("{}"), BackupError::plain(Kind::noDocuments),
         "backup.error.noDocuments"},
        {"SettingsMissing", backup("[" + doc + "]", {{"settings", ""}}),
         BackupError::plain(Kind::settingsMissing), "backup.error.settingsMissing"},
        {"OpenModeUnknown", settings({{"openMode", "\"tabs\""}}),
         BackupError::plain(Kind::settingsOpenMode), "backup.error.settingsOpenMode"},
        {"ViewMap", settings({{"view", "\"map\""}}), BackupError::plain(Kind::settingsView),
         "backup.error.settingsView"},
        {"ShowAllNotesAsString", settings({{"showAllNotes", "\"false\""}}),
         BackupError::plain(Kind::settingsShowAllNotes), "backup.error.settingsShowAllNotes"},
        // Reading order decides which fault is named.
        {"ItemFaultBeforeSettingsFault",
         backup("[" + document("[" + item({{"checked", "1"}}) + "]") + "]", {{"settings", "1"}}),
         withText(Kind::itemCheckedNotBool, "t"), "backup.error.itemChecked %@"},
        {"IdCheckedBeforeText", oneItem({{"id", "7"}, {"text", "7"}}),
         withText(Kind::itemNoID, "Notes/0"), "backup.error.itemNoID %@"},
        {"ChildFaultBeforeLaterSibling",
         backup("[" +
                document("[" + item({{"children", "[" + item({{"note", "1"}}) + "]"}}) + ", " +
                         item({{"id", ""}}) + "]") +
                "]"),
         withText(Kind::itemNoteNotString, "t"), "backup.error.itemNote %@"},
        {"VersionBeforeDocuments", backup("5", {{"version", "2"}}),
         BackupError::unsupportedVersion("2"), "backup.error.unsupportedVersion %@"},
    };
}

class BackupErrors : public ::testing::TestWithParam<ErrorCase> {};

} // namespace

TEST_P(BackupErrors, NamesTheFirstFaultWithItsPayload) {
    const ErrorCase& c = GetParam();
    auto result = BackupCodec::decode(c.text);
    ASSERT_FALSE(result.ok()) << c.text;
    EXPECT_EQ(rawValue(result.error().kind), rawValue(c.expected.kind)) << c.text;
    EXPECT_EQ(result.error(), c.expected) << c.text;
    EXPECT_EQ(result.error().catalogKey(), c.catalogKey);
}

INSTANTIATE_TEST_SUITE_P(Cases, BackupErrors, ::testing::ValuesIn(errorCases()),
                         [](const auto& param) { return param.param.name; });

TEST(BackupErrorsTable, EveryCaseHasItsOwnCatalogKey) {
    std::set<std::string_view> keys;
    for (int k = 0; k <= static_cast<int>(Kind::settingsShowAllNotes); ++k)
        keys.insert(BackupError{static_cast<Kind>(k), {}}.catalogKey());
    EXPECT_EQ(keys.size(), 20u);
}

TEST(BackupErrorsTable, ValidBaseTextsRead) {
    EXPECT_TRUE(BackupCodec::decode(oneItem({})).ok());
    EXPECT_TRUE(BackupCodec::decode(settings({})).ok());
}

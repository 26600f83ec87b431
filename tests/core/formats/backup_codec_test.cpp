#include "core/formats/backup_codec.hpp"

#include "format_fixtures.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

const char* const kExample = R"({
  "format": "velmora",
  "version": 1,
  "documents": [
    {
      "id": "d1",
      "title": "Trip",
      "items": [
        {
          "id": "i1",
          "text": "Book the flights",
          "note": "",
          "checked": false,
          "color": "red",
          "bold": true,
          "collapsed": false,
          "created": "2026-03-07T09:30:05Z",
          "children": []
        }
      ]
    }
  ],
  "settings": {
    "openMode": "tab",
    "view": "list",
    "showAllNotes": false
  }
}
)";

TreeDocument exampleDocument() {
    Item item = Item::blank("i1", "Book the flights");
    item.color = ColorLabel::red;
    item.bold = true;
    item.created = at("2026-03-07T09:30:05Z");
    return TreeDocument{"d1", "Trip", {item}};
}

Backup decoded(std::string_view text) {
    auto result = BackupCodec::decode(text);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : rawValue(result.error().kind));
    return result.ok() ? result.value() : Backup{};
}

} // namespace

TEST(BackupCodec, WritesTheExampleByteForByte) {
    EXPECT_EQ(BackupCodec::encode({exampleDocument()}, BackupSettings{}), kExample);
}

TEST(BackupCodec, WritesNestedItemsEmptyListsAndSettings) {
    Item child = Item::blank("c", "child");
    child.underline = true;
    child.modified = at("2026-01-02T03:04:05Z");
    Item parent = Item::blank("p", "parent");
    parent.children = ItemList{child};
    BackupSettings settings{BackupSettings::OpenMode::newtab, BackupSettings::View::tree, true};
    std::string text = BackupCodec::encode(
        {TreeDocument{"d", "A", {parent}}, TreeDocument{"e", "B", {}}}, settings);
    EXPECT_NE(text.find("          \"children\": [\n"
                        "            {\n"
                        "              \"id\": \"c\",\n"),
              std::string::npos);
    EXPECT_NE(text.find("              \"underline\": true,\n"
                        "              \"collapsed\": false,\n"
                        "              \"modified\": \"2026-01-02T03:04:05Z\",\n"
                        "              \"children\": []\n"
                        "            }\n"
                        "          ]\n"
                        "        }\n"
                        "      ]\n"
                        "    },\n"
                        "    {\n"
                        "      \"id\": \"e\",\n"
                        "      \"title\": \"B\",\n"
                        "      \"items\": []\n"
                        "    }\n"
                        "  ],\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"openMode\": \"newtab\",\n    \"view\": \"tree\",\n"
                        "    \"showAllNotes\": true\n  }\n}\n"),
              std::string::npos);
    EXPECT_EQ(text.find("\"bold\""), std::string::npos);
    EXPECT_EQ(text.find("\"created\""), std::string::npos);
}

TEST(BackupCodec, ReadsTheExample) {
    Backup backup = decoded(kExample);
    ASSERT_EQ(backup.documents.size(), 1u);
    EXPECT_EQ(backup.documents[0], exampleDocument());
    EXPECT_EQ(backup.settings, BackupSettings{});
}

TEST(BackupCodec, RoundTripKeepsEveryField) {
    std::vector<TreeDocument> documents{richDocument(), exampleDocument()};
    for (auto mode : {BackupSettings::OpenMode::tab, BackupSettings::OpenMode::window,
                      BackupSettings::OpenMode::newtab}) {
        BackupSettings settings{mode, BackupSettings::View::tree, true};
        Backup backup = decoded(BackupCodec::encode(documents, settings));
        EXPECT_EQ(backup.documents, documents);
        EXPECT_EQ(backup.settings, settings);
    }
}

TEST(BackupCodec, ItemWithoutOptionalLinesReadsAsPlain) {
    Backup backup = decoded(
        BackupCodec::encode({TreeDocument{"d", "T", {Item::blank("i", "x")}}}, BackupSettings{}));
    const Item& item = backup.documents[0].items[0];
    EXPECT_FALSE(item.bold);
    EXPECT_FALSE(item.underline);
    EXPECT_FALSE(item.created);
    EXPECT_FALSE(item.modified);
    EXPECT_FALSE(item.color);
}

TEST(BackupCodec, ColourAliasesReadAsTheirColourAndWriteBackUnderItsName) {
    std::string text = BackupCodec::encode({exampleDocument()}, BackupSettings{});
    for (auto [alias, label] : {std::pair{"aqua", ColorLabel::blue},
                                {"pink", ColorLabel::red},
                                {"brown", ColorLabel::gray},
                                {"orange", ColorLabel::orange}}) {
        std::string aliased = text;
        aliased.replace(aliased.find("\"red\""), 5, std::string("\"") + alias + "\"");
        Backup backup = decoded(aliased);
        EXPECT_EQ(backup.documents[0].items[0].color, label) << alias;
        std::string written = BackupCodec::encode(backup.documents, backup.settings);
        EXPECT_NE(written.find(std::string("\"color\": \"") + std::string(rawValue(label))),
                  std::string::npos);
    }
}

TEST(BackupCodec, OptionalMembersOfTheWrongTypeAreIgnored) {
    std::string text = kExample;
    text.replace(text.find("\"bold\": true"), 12, "\"bold\": \"yes\", \"underline\": 1");
    text.replace(text.find("\"2026-03-07T09:30:05Z\""), 22, "\"yesterday\", \"modified\": 5");
    Backup backup = decoded(text);
    const Item& item = backup.documents[0].items[0];
    EXPECT_FALSE(item.bold);
    EXPECT_FALSE(item.underline);
    EXPECT_FALSE(item.created);
    EXPECT_FALSE(item.modified);
}

TEST(BackupCodec, UnknownMembersAndMemberOrderDoNotMatter) {
    const char* text = R"({"settings": {"showAllNotes": true, "view": "tree", "openMode": "window",
        "extra": 1}, "documents": [{"items": [{"children": [], "collapsed": true, "color": null,
        "checked": true, "note": "n", "text": "t", "id": "i", "tags": ["x"]}], "title": "",
        "id": "d", "pinned": true}], "version": 1.0, "format": "velmora", "app": "other"})";
    Backup backup = decoded(text);
    ASSERT_EQ(backup.documents.size(), 1u);
    EXPECT_EQ(backup.documents[0].title, "");
    const Item& item = backup.documents[0].items[0];
    EXPECT_EQ(item.text, "t");
    EXPECT_TRUE(item.checked);
    EXPECT_TRUE(item.collapsed);
    EXPECT_EQ(backup.settings.openMode, BackupSettings::OpenMode::window);
}

TEST(BackupCodec, RepeatedIdsAreKept) {
    Backup backup = decoded(BackupCodec::encode(
        {TreeDocument{"d", "T", {Item::blank("same", "a"), Item::blank("same", "b")}}},
        BackupSettings{}));
    EXPECT_EQ(backup.documents[0].items[1].id, "same");
}

TEST(BackupCodec, FileNameUsesTheLocalDay) {
    Timestamp lateUTC = at("2026-03-06T23:30:00Z");
    EXPECT_EQ(BackupCodec::fileName(lateUTC), "velmora-backup-2026-03-06.json");
    EXPECT_EQ(BackupCodec::fileName(lateUTC, 3600), "velmora-backup-2026-03-07.json");
    EXPECT_EQ(BackupCodec::fileName(at("2026-01-01T00:30:00Z"), -3600),
              "velmora-backup-2025-12-31.json");
}

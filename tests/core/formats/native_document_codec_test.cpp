#include "core/formats/native_document_codec.hpp"
#include "core/formats/native_session.hpp"

#include "format_fixtures.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using namespace velmora;
using namespace velmora::testing;

namespace {

const BackupSettings kTreeSettings{BackupSettings::OpenMode::tab, BackupSettings::View::tree,
                                   false};

EditorSnapshot fullSnapshot() {
    EditorSnapshot s;
    s.document = richDocument();
    s.selectedId = "i9";
    s.anchorId = "a1";
    s.extraIds = {"a2"};
    s.view = ViewMode::map;
    s.hoistTabs = {HoistTab{"h1", "i7", "Trip"}};
    s.activeHoist = "h1";
    s.showAllNotes = false;
    s.editing = EditingTarget::item("a1");
    s.columnWidths = std::vector<double>{240, 180.5};
    return s;
}

LoadedNative loaded(std::string_view text) {
    auto result = NativeDocumentCodec::decode(text);
    EXPECT_TRUE(result.ok());
    return result.ok() ? result.value() : LoadedNative{};
}

// A one-document file whose "mac" member is the given raw JSON.
std::string withMac(const std::string& mac) {
    std::string text = BackupCodec::encode({richDocument()}, kTreeSettings);
    text.replace(text.rfind("\n}\n"), 3, ",\n  \"mac\": " + mac + "\n}\n");
    return text;
}

const std::string kGoodMac =
    R"({"view": "map", "hoistTabs": [{"id": "h", "rootId": "a1", "title": "T"}],
        "showAllNotes": true, "selectedId": "b1", "activeHoist": "h", "columnWidths": [100, 2.5]})";

} // namespace

TEST(NativeDocumentCodec, WritesTheViewStateAfterTheSettings) {
    std::string text = NativeDocumentCodec::encode(fullSnapshot(), kTreeSettings);
    const char* tail = R"(  "settings": {
    "openMode": "tab",
    "view": "tree",
    "showAllNotes": false
  },
  "mac": {
  "activeHoist" : "h1",
  "columnWidths" : [
    240,
    180.5
  ],
  "hoistTabs" : [
    {
      "id" : "h1",
      "rootId" : "i7",
      "title" : "Trip"
    }
  ],
  "selectedId" : "i9",
  "showAllNotes" : false,
  "view" : "map"
}
}
)";
    ASSERT_GE(text.size(), std::strlen(tail));
    EXPECT_EQ(text.substr(text.size() - std::strlen(tail)), tail);
}

TEST(NativeDocumentCodec, AbsentStateFieldsAreLeftOut) {
    EditorSnapshot s;
    s.document = TreeDocument{"d", "T", {}};
    s.showAllNotes = true;
    std::string text = NativeDocumentCodec::encode(s, BackupSettings{});
    EXPECT_NE(text.find("  \"mac\": {\n  \"hoistTabs\" : [],\n  \"showAllNotes\" : true,\n"
                        "  \"view\" : \"list\"\n}\n}\n"),
              std::string::npos);
    EXPECT_EQ(text.find("activeHoist"), std::string::npos);
    EXPECT_EQ(text.find("selectedId"), std::string::npos);
    EXPECT_EQ(text.find("columnWidths"), std::string::npos);
}

TEST(NativeDocumentCodec, WithoutTheStateTheFileIsTheBackupText) {
    EditorSnapshot s = fullSnapshot();
    std::string text = NativeDocumentCodec::encode(s, kTreeSettings);
    auto mac = text.find(",\n  \"mac\": ");
    ASSERT_NE(mac, std::string::npos);
    std::string stripped = text.substr(0, mac) + "\n}\n";
    EXPECT_EQ(stripped, BackupCodec::encode({s.document}, kTreeSettings));
}

TEST(NativeDocumentCodec, NonFiniteWidthWritesAnEmptyStateThatReadsAsNone) {
    EditorSnapshot s = fullSnapshot();
    s.columnWidths = std::vector<double>{100, std::numeric_limits<double>::quiet_NaN()};
    std::string text = NativeDocumentCodec::encode(s, kTreeSettings);
    EXPECT_NE(text.find("\"mac\": {}\n}\n"), std::string::npos);
    EXPECT_FALSE(loaded(text).mac);
}

TEST(NativeDocumentCodec, RoundTripRestoresDocumentAndViewState) {
    EditorSnapshot s = fullSnapshot();
    LoadedNative file = loaded(NativeDocumentCodec::encode(s, kTreeSettings));
    EXPECT_EQ(file.document, s.document);
    EXPECT_EQ(file.settings, kTreeSettings);
    ASSERT_TRUE(file.mac);
    EXPECT_EQ(*file.mac, NativeDocumentCodec::state(s));

    EditorSnapshot restored = NativeDocumentCodec::snapshot(file);
    EXPECT_EQ(restored.document, s.document);
    EXPECT_EQ(restored.view, ViewMode::map);
    EXPECT_EQ(restored.hoistTabs, s.hoistTabs);
    EXPECT_EQ(restored.activeHoist, s.activeHoist);
    EXPECT_EQ(restored.selectedId, s.selectedId);
    EXPECT_EQ(restored.columnWidths, s.columnWidths);
    // Neither the range selection nor the editor survives a file.
    EXPECT_FALSE(restored.anchorId);
    EXPECT_TRUE(restored.extraIds.empty());
    EXPECT_FALSE(restored.editing);
}

TEST(NativeDocumentCodec, BackupWithoutStateOpensAfterItsSettings) {
    for (auto view : {BackupSettings::View::list, BackupSettings::View::tree}) {
        BackupSettings settings{BackupSettings::OpenMode::window, view, true};
        LoadedNative file = loaded(BackupCodec::encode({richDocument()}, settings));
        EXPECT_FALSE(file.mac);
        EditorSnapshot s = NativeDocumentCodec::snapshot(file);
        EXPECT_EQ(s.view, view == BackupSettings::View::tree ? ViewMode::tree : ViewMode::list);
        EXPECT_TRUE(s.showAllNotes);
        EXPECT_TRUE(s.hoistTabs.empty());
        EXPECT_FALSE(s.selectedId);
        EXPECT_FALSE(s.columnWidths);
    }
}

TEST(NativeDocumentCodec, MapViewInTheStateWinsOverTreeInTheSettings) {
    EditorSnapshot s = NativeDocumentCodec::snapshot(loaded(withMac(kGoodMac)));
    EXPECT_EQ(s.view, ViewMode::map);
    EXPECT_TRUE(s.showAllNotes);
    EXPECT_EQ(s.selectedId, "b1");
    EXPECT_EQ(s.columnWidths, (std::vector<double>{100, 2.5}));
}

TEST(NativeDocumentCodec, UnknownViewKeepsTheRestOfTheState) {
    std::string mac = kGoodMac;
    mac.replace(mac.find("\"map\""), 5, "\"grid\"");
    LoadedNative file = loaded(withMac(mac));
    ASSERT_TRUE(file.mac);
    EXPECT_EQ(file.mac->view, "grid");
    EditorSnapshot s = NativeDocumentCodec::snapshot(file);
    EXPECT_EQ(s.view, ViewMode::tree);
    EXPECT_EQ(s.selectedId, "b1");
    EXPECT_EQ(s.activeHoist, "h");
    EXPECT_TRUE(s.showAllNotes);
}

TEST(NativeDocumentCodec, StateOfTheWrongShapeIsDroppedWhole) {
    auto replaced = [](std::string from, std::string to) {
        std::string mac = kGoodMac;
        mac.replace(mac.find(from), from.size(), to);
        return mac;
    };
    for (const std::string& mac :
         {replaced("\"showAllNotes\": true,", ""), replaced("\"view\": \"map\",", ""),
          replaced("\"view\": \"map\"", "\"view\": 3"),
          replaced("\"showAllNotes\": true", "\"showAllNotes\": 1"),
          replaced("\"selectedId\": \"b1\"", "\"selectedId\": 5"),
          replaced("[100, 2.5]", "[100, \"2\"]"), replaced("[100, 2.5]", "{}"),
          replaced("\"rootId\": \"a1\", ", ""), replaced("[{\"id\"", "[5, {\"id\""),
          std::string("[]"), std::string("\"mac\""), std::string("{}")}) {
        LoadedNative file = loaded(withMac(mac));
        EXPECT_FALSE(file.mac) << mac;
        EXPECT_EQ(NativeDocumentCodec::snapshot(file).view, ViewMode::tree) << mac;
        EXPECT_FALSE(NativeDocumentCodec::snapshot(file).selectedId) << mac;
    }
}

TEST(NativeDocumentCodec, NullOptionalFieldsAndUnknownMembersAreFine) {
    std::string mac = kGoodMac;
    mac.replace(mac.find("\"b1\""), 4, "null");
    mac.replace(mac.find("\"columnWidths\": [100, 2.5]"), 26,
                "\"columnWidths\": null, \"zoom\": 2");
    LoadedNative file = loaded(withMac(mac));
    ASSERT_TRUE(file.mac);
    EXPECT_FALSE(file.mac->selectedId);
    EXPECT_FALSE(file.mac->columnWidths);
    EXPECT_FALSE(loaded(withMac("null")).mac);
}

TEST(NativeDocumentCodec, RefusesBackupsOfSeveralDocumentsAndBrokenBackups) {
    std::vector<TreeDocument> three(3, richDocument());
    auto result = NativeDocumentCodec::decode(BackupCodec::encode(three, BackupSettings{}));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), NativeReadError::multipleDocuments(3));
    EXPECT_EQ(result.error().catalogKey(), "backup.error.multipleDocuments %lld");
    EXPECT_EQ(result.error().suggestionKey(), "backup.error.multipleDocuments.suggestion");

    auto broken = NativeDocumentCodec::decode("{\"format\": \"other\"}");
    ASSERT_FALSE(broken.ok());
    EXPECT_EQ(broken.error(),
              NativeReadError::fromBackup(BackupError::plain(BackupError::Kind::notVelmora)));
    EXPECT_EQ(broken.error().catalogKey(), "backup.error.notVelmora");
    EXPECT_FALSE(broken.error().suggestionKey());
}

TEST(NativeSession, LoadsASessionWithTheFileSettingsAndWritesItBack) {
    EditorPreferences preferences;
    preferences.tabIndents = false;
    std::string text = NativeDocumentCodec::encode(fullSnapshot(), kTreeSettings);
    auto opened = NativeDocumentCodec::loadNative(text, preferences);
    ASSERT_TRUE(opened.ok());
    const EditorSession& session = opened.value().session;
    EXPECT_EQ(opened.value().settings, kTreeSettings);
    EXPECT_EQ(session.preferences, preferences);
    EXPECT_EQ(session.snapshot, NativeDocumentCodec::snapshot(loaded(text)));
    EXPECT_FALSE(session.hideCompleted);
    EXPECT_TRUE(session.checksVisible);
    EXPECT_EQ(NativeDocumentCodec::encodeNative(session, kTreeSettings), text);

    auto refused = NativeDocumentCodec::loadNative("[]", preferences);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().backup.kind, BackupError::Kind::notVelmora);
}

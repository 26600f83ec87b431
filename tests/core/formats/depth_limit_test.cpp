// Every reader accepts items down to kMaxItemDepth and refuses deeper input with its own
// error, without recursion that a crafted file could drive into a stack overflow.

#include "core/formats/backup_codec.hpp"
#include "core/formats/item_clipboard.hpp"
#include "core/formats/native_document_codec.hpp"
#include "core/formats/opml_codec.hpp"
#include "format_fixtures.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

std::string backupOf(const ItemList& items) {
    return BackupCodec::encode({TreeDocument{"d", "Deep", items}}, BackupSettings{});
}

// A compact one-document file whose single chain of items reaches `depth`.
std::string compactChain(int depth) {
    std::string text =
        R"({"format":"velmora","version":1,"documents":[{"id":"d","title":"T","items":[)";
    for (int d = 0; d <= depth; ++d)
        text +=
            R"({"id":"i","text":"","note":"","checked":false,"color":null,"collapsed":false,"children":[)";
    for (int d = 0; d <= depth; ++d)
        text += "]}";
    return text + R"(]}],"settings":{"openMode":"tab","view":"list","showAllNotes":false}})";
}

} // namespace

TEST(DepthLimit, BackupReadsTheDeepestItemAndRefusesOneLevelMoreAsTooDeep) {
    ItemList deepest = chain(kMaxItemDepth);
    auto read = BackupCodec::decode(backupOf(deepest));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(chainDepth(read.value().documents[0].items), kMaxItemDepth);
    EXPECT_EQ(read.value().documents[0].items, deepest);

    // Reported as what it is, not as text that is not JSON.
    for (int depth : {kMaxItemDepth + 1, kMaxItemDepth + 2, 3 * kMaxItemDepth}) {
        auto refused = BackupCodec::decode(compactChain(depth));
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error(), BackupError::plain(BackupError::Kind::tooDeep)) << depth;
        EXPECT_EQ(refused.error().catalogKey(), "backup.error.tooDeep");
    }
}

TEST(DepthLimit, DeepJSONOutsideTheItemsIsStillNotJSON) {
    // An unknown member of a shallow item nests arrays past the parser's depth.
    std::string text =
        R"({"format":"velmora","version":1,"documents":[{"id":"d","title":"T","items":[)"
        R"({"id":"i","text":"","note":"","checked":false,"color":null,"collapsed":false,)"
        R"("children":[],"x":)";
    text += std::string(2 * kMaxItemDepth + 10, '[') + std::string(2 * kMaxItemDepth + 10, ']');
    text += R"(}]}],"settings":{"openMode":"tab","view":"list","showAllNotes":false}})";
    auto refused = BackupCodec::decode(text);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().kind, BackupError::Kind::notJSON);
}

TEST(DepthLimit, DocumentFileRefusesTooDeepItems) {
    auto read = NativeDocumentCodec::decode(compactChain(kMaxItemDepth));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(chainDepth(read.value().document.items), kMaxItemDepth);
    auto refused = NativeDocumentCodec::decode(compactChain(kMaxItemDepth + 1));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().backup.kind, BackupError::Kind::tooDeep);
    // A document saved one level too deep (an item added under the deepest one and typed in).
    ItemList tooDeep = chain(kMaxItemDepth + 1);
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"d", "Deep", tooDeep};
    auto saved = NativeDocumentCodec::decode(NativeDocumentCodec::encode(snapshot, {}));
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().backup.kind, BackupError::Kind::tooDeep);
}

TEST(DepthLimit, JSONNestedAMillionLevelsIsNotJSON) {
    std::string text = R"({"format": "velmora", "version": 1, "documents": )";
    text += std::string(1'000'000, '[');
    auto refused = BackupCodec::decode(text + std::string(1'000'000, ']') + "}");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().kind, BackupError::Kind::notJSON);
}

TEST(DepthLimit, OPMLReadsTheDeepestOutlineAndNamesTheLineOfOneLevelMore) {
    ItemList deepest = chain(kMaxItemDepth);
    auto read = OPMLCodec::decode(OPMLCodec::encode("Deep", deepest), "", counter());
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value().items, deepest);

    auto refused =
        OPMLCodec::decode(OPMLCodec::encode("Deep", chain(kMaxItemDepth + 1)), "", counter());
    ASSERT_FALSE(refused.ok());
    // Six lines of prologue and head, then one outline per line from depth 0.
    EXPECT_EQ(refused.error().line, 7 + kMaxItemDepth + 1);
    EXPECT_TRUE(refused.error().tooDeep);
    EXPECT_EQ(refused.error().catalogKey(), "opml.error.tooDeep %lld");

    // Damaged XML keeps its own message.
    auto damaged = OPMLCodec::decode("<opml><body><outline></body></opml>", "", counter());
    ASSERT_FALSE(damaged.ok());
    EXPECT_FALSE(damaged.error().tooDeep);
    EXPECT_EQ(damaged.error().catalogKey(), "opml.error.malformed %lld");
}

TEST(DepthLimit, OPMLWithAMillionNestedElementsDoesNotCrash) {
    std::string outlines;
    for (int i = 0; i < 200'000; ++i)
        outlines += "<outline>";
    auto refused = OPMLCodec::decode("<opml><body>" + outlines, "", counter());
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().line, 1);
    EXPECT_TRUE(refused.error().tooDeep);

    std::string junk;
    for (int i = 0; i < 1'000'000; ++i)
        junk += "<p>";
    EXPECT_FALSE(OPMLCodec::decode("<opml><body>" + junk, "", counter()).ok());
}

TEST(DepthLimit, PlainTextAttachesDeeperLinesAtTheMaximumDepth) {
    std::string text;
    for (int depth = 0; depth <= kMaxItemDepth + 10; ++depth)
        text += std::string(static_cast<std::size_t>(depth), ' ') + "line\n";
    text += "top\n";
    ItemList items = ItemClipboard::itemsFromPlainText(text, counter());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items.totalCount(), kMaxItemDepth + 12);
    EXPECT_EQ(chainDepth(items), kMaxItemDepth);
    // The eleven lines too deep to nest became siblings at the deepest level.
    const ItemList* list = &items;
    for (int depth = 0; depth < kMaxItemDepth; ++depth)
        list = &list->front().children;
    EXPECT_EQ(list->size(), 11u);
}

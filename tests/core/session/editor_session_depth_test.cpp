// No edit nests an item deeper than the readers accept: an indent, a new child, a paste, a drop
// or a move past kMaxItemDepth is refused and changes nothing, so one keystroke can never make
// a document that cannot be opened again. Up to the limit everything still works.
#include "core/session/editor_session.hpp"
#include "editor_session_fixture.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing_support;

namespace {

// A chain "d0" > "d1" > … whose deepest item, "d<deepest>", sits at that depth.
Item chainTo(int deepest, std::vector<Item> belowDeepest = {}) {
    Item item = I("d" + std::to_string(deepest), std::move(belowDeepest));
    for (int depth = deepest - 1; depth >= 0; --depth)
        item = I("d" + std::to_string(depth), {item});
    return item;
}

// A leaf with a chain of `levels` items below it.
Item tower(const std::string& id, int levels) {
    Item item = I(id + std::to_string(levels));
    for (int level = levels - 1; level >= 1; --level)
        item = I(id + std::to_string(level), {item});
    return levels == 0 ? I(id) : I(id, {item});
}

const std::string deepestId = "d" + std::to_string(kMaxItemDepth);

} // namespace

TEST(EditorSessionDepth, AddingAChildBelowTheDeepestItemIsRefused) {
    auto session = sessionOf({chainTo(kMaxItemDepth)}, deepestId);
    const EditorSnapshot before = session.snapshot;
    for (Action action : {Action::addChild, Action::addChildExpand}) {
        auto result = session.perform(action);
        EXPECT_FALSE(result.command);
        EXPECT_EQ(result.side, SideEffect::tooDeep);
        EXPECT_EQ(session.snapshot, before);
    }
    // One level up there is room for exactly one more.
    const std::string above = "d" + std::to_string(kMaxItemDepth - 1);
    session.snapshot.selectedId = above;
    auto result = session.perform(Action::addChild);
    EXPECT_TRUE(result.command);
    EXPECT_NE(result.side, SideEffect::tooDeep);
    EXPECT_EQ(session.item(above)->children.size(), 2u);
}

TEST(EditorSessionDepth, TextTypedBeforeARefusedStepIsStillCommitted) {
    auto session = sessionOf({chainTo(kMaxItemDepth)}, deepestId);
    session.snapshot.editing = EditingTarget::item(deepestId);
    auto result = session.perform(Action::addChild, std::string("typed"));
    EXPECT_EQ(result.side, SideEffect::tooDeep);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(session.item(deepestId)->text, "typed");
    EXPECT_TRUE(session.item(deepestId)->children.empty());
}

TEST(EditorSessionDepth, IndentIsRefusedWhenTheIndentedBranchWouldPassTheLimit) {
    // "a" and "b" sit one level above the deepest; "b" has one level below it.
    const int depth = kMaxItemDepth - 1;
    auto session = sessionOf({chainTo(depth - 1, {I("a"), tower("b", 1)})}, "b");
    const EditorSnapshot before = session.snapshot;
    for (Action action : {Action::indent, Action::moveRight}) {
        auto result = session.perform(action);
        EXPECT_FALSE(result.command);
        EXPECT_EQ(result.side, SideEffect::tooDeep);
        EXPECT_EQ(session.snapshot, before);
    }
    // A leaf fits.
    auto leafSession = sessionOf({chainTo(depth - 1, {I("a"), I("b")})}, "b");
    auto result = leafSession.perform(Action::indent);
    EXPECT_TRUE(result.command);
    EXPECT_EQ(leafSession.item("a")->children.size(), 1u);
}

TEST(EditorSessionDepth, IndentingASelectionIsRefusedAsAWhole) {
    // "b" alone would fit below "a"; "c" brings a child along that would not.
    const int depth = kMaxItemDepth - 1;
    auto session = sessionOf({chainTo(depth - 1, {I("a"), I("b"), tower("c", 1)})}, "c");
    session.snapshot.anchorId = "b";
    const EditorSnapshot before = session.snapshot;
    auto result = session.perform(Action::indent);
    EXPECT_FALSE(result.command);
    EXPECT_EQ(result.side, SideEffect::tooDeep);
    EXPECT_EQ(session.snapshot, before);
}

TEST(EditorSessionDepth, PasteDropAndMoveAreRefusedPastTheLimit) {
    auto session = sessionOf({chainTo(kMaxItemDepth), I("top")}, deepestId);
    const std::vector<Item> leaf{I("leaf")};
    const std::vector<Item> twoLevels{tower("t", 1)};

    // A leaf pasted beside the deepest item fits; one with a child does not.
    EXPECT_FALSE(session.pasteNestsTooDeep(leaf));
    EXPECT_TRUE(session.pasteNestsTooDeep(twoLevels));
    const EditorSnapshot before = session.snapshot;
    EXPECT_FALSE(session.paste(twoLevels));
    EXPECT_EQ(session.snapshot, before);

    // Dropped into the deepest item, even a leaf is one level too many.
    EXPECT_TRUE(session.nestsTooDeep(leaf, deepestId));
    EXPECT_FALSE(session.insertItems(leaf, deepestId, 0));
    EXPECT_EQ(session.snapshot, before);
    const std::string above = "d" + std::to_string(kMaxItemDepth - 1);
    EXPECT_FALSE(session.nestsTooDeep(leaf, above));
    EXPECT_TRUE(session.nestsTooDeep(twoLevels, above));

    // Moving "top" under the deepest item: refused; under the item above it: allowed.
    EXPECT_TRUE(session.moveNestsTooDeep("top", deepestId));
    EXPECT_FALSE(session.moveItem("top", deepestId, 0));
    EXPECT_EQ(session.snapshot, before);
    EXPECT_FALSE(session.moveNestsTooDeep("top", above));
    EXPECT_TRUE(session.moveItem("top", above, 0));
    EXPECT_EQ(session.item(above)->children.size(), 2u);
    EXPECT_TRUE(session.paste(leaf));
}

TEST(EditorSessionDepth, ArchivingIsRefusedWhenTheArchiveWouldNestTooDeep) {
    // A completed top-level chain that already reaches the limit would sit one level deeper
    // inside the archive item.
    Item done = chainTo(kMaxItemDepth);
    done.checked = true;
    auto session = sessionOf({done, I("open")}, "open");
    const EditorSnapshot before = session.snapshot;
    auto result = session.perform(Action::archiveCompleted);
    EXPECT_FALSE(result.command);
    EXPECT_EQ(result.side, SideEffect::tooDeep);
    EXPECT_EQ(session.snapshot, before);
}

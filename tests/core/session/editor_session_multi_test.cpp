// Actions on multi-selections (topmost reduction and runs), clipboard and drag and drop.
#include "tests/core/session/editor_session_fixture.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing_support;

namespace {

using Ids = std::vector<std::string>;

// Siblings a, b, c, d with a and c chosen by command-clicks (c focused).
EditorSession aAndC() {
    auto session = sessionOf({I("a"), I("b"), I("c"), I("d")}, "a");
    session.toggleSelection("c");
    return session;
}

} // namespace

TEST(EditorSessionMulti, MoveDownTakesTheLaterRunFirst) {
    auto session = aAndC();
    auto result = session.perform(Action::moveDown);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.move");
    EXPECT_EQ(shapeOf(session), "b a d c");
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "c"}));
    session.perform(Action::moveUp);
    EXPECT_EQ(shapeOf(session), "a b c d");
}

TEST(EditorSessionMulti, DuplicateOfSeveralRunsKeepsAllCopiesSelected) {
    auto session = aAndC();
    auto result = session.perform(Action::duplicate);
    EXPECT_EQ(result.command->catalogKey, "undo.duplicate");
    EXPECT_EQ(shapeOf(session), "a n1 b c n2 d");
    EXPECT_EQ(session.selectedIDs(), (Ids{"n1", "n2"}));
    EXPECT_EQ(session.snapshot.selectedId, "n2");
    EXPECT_FALSE(session.snapshot.anchorId);
}

TEST(EditorSessionMulti, DuplicateOfOneRunSelectsTheCopiesAsARange) {
    auto session = sessionOf({I("a"), I("b"), I("c")}, "a");
    session.extendSelection("b");
    session.perform(Action::duplicate);
    EXPECT_EQ(shapeOf(session), "a b n1 n2 c");
    EXPECT_EQ(session.snapshot.anchorId, "n1");
    EXPECT_EQ(session.snapshot.selectedId, "n2");
    EXPECT_TRUE(session.snapshot.extraIds.empty());
    EXPECT_EQ(session.selectedIDs(), (Ids{"n1", "n2"}));
}

TEST(EditorSessionMulti, HiddenSiblingsJoinRunsAndStayInPlace) {
    auto session = sessionOf({I("s"), I("x"), checked(I("h")), I("y")}, "x");
    session.hideCompleted = true;
    session.extendSelection("y");
    EXPECT_EQ(session.selectedIDs(), (Ids{"x", "y"}));
    session.perform(Action::moveUp); // one run: s passes over the whole block
    EXPECT_EQ(shapeOf(session), "x h✓ y s");
    session.perform(Action::indent);
    EXPECT_EQ(shapeOf(session), "x h✓ y s"); // no visible sibling before the block
}

TEST(EditorSessionMulti, IndentAndOutdentKeepTheOrder) {
    auto session = sessionOf({collapsed(I("p", {I("p1")})), I("a"), I("b"), I("c")}, "a");
    session.extendSelection("c");
    auto indent = session.perform(Action::indent);
    EXPECT_EQ(indent.command->catalogKey, "undo.indent");
    EXPECT_EQ(shapeOf(session), "p(p1 a b c)");
    auto outdent = session.perform(Action::moveLeft);
    EXPECT_EQ(outdent.command->catalogKey, "undo.outdent");
    EXPECT_EQ(shapeOf(session), "p(p1) a b c");
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "b", "c"}));
}

TEST(EditorSessionMulti, OutdentUnderTheHoistRootStays) {
    auto session = sessionOf({I("r", {I("a"), I("b")})}, "a");
    hoist(session, "r");
    session.extendSelection("b");
    EXPECT_FALSE(session.perform(Action::outdent).command);
    EXPECT_EQ(shapeOf(session), "r(a b)");
}

TEST(EditorSessionMulti, ChecksAndLabelsApplyToEveryMember) {
    auto session = sessionOf({checked(I("a")), checked(I("b")), I("c")}, "a");
    session.extendSelection("c");
    session.snapshot.editing = EditingTarget::item("c");
    auto result = session.perform(Action::toggleCheck);
    EXPECT_EQ(result.command->catalogKey, "undo.check");
    EXPECT_EQ(shapeOf(session), "a✓ b✓ c✓");
    EXPECT_FALSE(session.snapshot.editing);
    session.perform(Action::toggleCheck);
    EXPECT_EQ(shapeOf(session), "a b c");

    session.perform(Action::label2);
    EXPECT_EQ(session.item("b")->color, ColorLabel::orange);
    session.perform(Action::label2);
    EXPECT_EQ(session.item("c")->color, std::nullopt);
    session.perform(Action::toggleUnderline);
    EXPECT_TRUE(session.item("a")->underline && session.item("c")->underline);
}

TEST(EditorSessionMulti, DeleteRemovesTopmostItemsAndSelectsTheNextOne) {
    auto session = sessionOf({I("a", {I("a1")}), I("b"), I("c")}, "a");
    session.selectAll();
    session.toggleSelection("c");
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "a1", "b"}));
    auto result = session.perform(Action::deleteItem);
    EXPECT_EQ(result.command->catalogKey, "undo.delete");
    EXPECT_EQ(shapeOf(session), "c");
    EXPECT_EQ(session.snapshot.selectedId, "c");
    EXPECT_TRUE(session.snapshot.extraIds.empty());
}

TEST(EditorSessionClipboard, CopyTakesParentsWithTheirSubtrees) {
    auto session = sessionOf({I("a", {I("a1")}), I("b")}, "a");
    session.toggleSelection("a1");
    auto copied = session.copySelection();
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_EQ(copied[0].id, "a");
    EXPECT_EQ(copied[0].children.size(), 1u);
}

TEST(EditorSessionClipboard, CutAndPasteTwiceMakeDistinctItems) {
    auto session = sessionOf({I("a", {I("a1")}), I("b"), I("c")}, "a");
    auto cut = session.cutSelection();
    ASSERT_TRUE(cut.command);
    EXPECT_EQ(cut.command->catalogKey, "undo.cut");
    EXPECT_EQ(shapeOf(session), "b c");
    EXPECT_EQ(session.snapshot.selectedId, "b");

    auto first = session.paste(cut.items);
    EXPECT_EQ(first->catalogKey, "undo.paste");
    EXPECT_EQ(shapeOf(session), "b n1(n2) c");
    EXPECT_EQ(session.snapshot.selectedId, "n1");
    session.paste(cut.items);
    EXPECT_EQ(shapeOf(session), "b n1(n2) n3(n4) c");
    EXPECT_EQ(session.item("n3")->text, "a");
    EXPECT_EQ(session.item("n4")->created, kNow);
    EXPECT_FALSE(session.paste({}));
}

TEST(EditorSessionClipboard, CutWhileEditingTakesTheEditedItem) {
    auto session = sessionOf({I("a"), I("b"), I("c")}, "a");
    session.toggleSelection("c");
    session.snapshot.editing = EditingTarget::item("b");
    auto cut = session.cutSelection(std::string("Bee"));
    ASSERT_EQ(cut.items.size(), 1u);
    EXPECT_EQ(cut.items[0].text, "Bee");
    EXPECT_EQ(shapeOf(session), "a c");
}

TEST(EditorSessionClipboard, PasteWhileHoistedGoesIntoTheRoot) {
    auto session = sessionOf({I("r", {I("x")}), I("b")});
    hoist(session, "r");
    session.paste({I("p")}, std::nullopt, [] { return std::string("fresh"); });
    EXPECT_EQ(shapeOf(session), "r(x fresh) b");
    session.select("r");
    session.paste({I("q")});
    EXPECT_EQ(shapeOf(session), "r(x fresh n1) b");
}

TEST(EditorSessionDrag, DropsStayOutOfTheirOwnSubtreeAndInsideTheHoist) {
    auto session = sessionOf({I("a", {I("a1", {I("x")})}), I("b")});
    EXPECT_FALSE(session.canDrop("x", "a"));
    EXPECT_FALSE(session.canDrop("a", "a"));
    EXPECT_TRUE(session.canDrop(std::nullopt, "x"));
    EXPECT_FALSE(session.canDrop("missing", std::nullopt));
    hoist(session, "a");
    EXPECT_FALSE(session.canDrop(std::nullopt, "x"));
    EXPECT_FALSE(session.canDrop("b", "x"));
    EXPECT_TRUE(session.canDrop("a", "x"));

    auto moved = session.moveItem("x", "a", 0);
    EXPECT_EQ(moved->catalogKey, "undo.move");
    EXPECT_EQ(shapeOf(session), "a(x a1) b");
    EXPECT_FALSE(session.moveItem("a", "x", std::nullopt));
}

TEST(EditorSessionDrag, ForeignItemsArriveAsFreshCopies) {
    auto session = sessionOf({collapsed(I("a", {I("a1")}))}, "a");
    auto result = session.insertItems({I("z", {I("z1")})}, "a", 1);
    EXPECT_EQ(result->catalogKey, "undo.paste");
    EXPECT_EQ(shapeOf(session), "a(a1 n1(n2))");
    EXPECT_EQ(session.item("n1")->text, "z");
    EXPECT_FALSE(session.insertItems({I("z")}, "missing", std::nullopt));
}

// A bulk change is one record whose `before` is the whole old document and whose `after` stamps
// exactly the items that changed.
TEST(EditorSessionMulti, CheckingEverythingIsUndoneExactly) {
    auto session = sessionOf(
        {I("a", {I("a1"), checked(I("a2", {I("x")}))}), I("b"), checked(I("c"))}, "a");
    const TreeDocument original = session.snapshot.document;
    session.selectAll();
    ASSERT_EQ(session.snapshot.extraIds.size(), 6u);
    session.clock = [] { return Timestamp{kNow.seconds + 60}; };
    const auto result = session.perform(Action::toggleCheck);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(shapeOf(session), "a✓(a1✓ a2✓(x✓)) b✓ c✓");
    EXPECT_EQ(result.command->before.document, original);
    EXPECT_EQ(result.command->after.document, session.snapshot.document);
    const auto& items = session.snapshot.document.items;
    EXPECT_EQ(items[0].modified, Timestamp{kNow.seconds + 60});
    EXPECT_EQ(items[0].children[1].modified, original.items[0].children[1].modified);
    EXPECT_EQ(items[2].modified, original.items[2].modified);
    EXPECT_EQ(result.command->after.extraIds, result.command->before.extraIds);

    // Everything checked: the same action clears every mark.
    session.perform(Action::toggleCheck);
    EXPECT_EQ(shapeOf(session), "a(a1 a2(x)) b c");

    session.snapshot = result.command->before;
    session.perform(Action::deleteItem);
    EXPECT_EQ(shapeOf(session), "");
    EXPECT_FALSE(session.snapshot.selectedId);
}

// Copies of a selection share it; a change after its lookup was built is seen by the changed
// copy's lookup and by no other copy.
TEST(EditorSessionMulti, SelectionCopiesSeeOnlyTheirOwnChanges) {
    IdSet chosen{"a", "b"};
    EXPECT_TRUE(chosen.lookup().contains("a"));
    IdSet copy = chosen;
    copy.insert("c");
    copy.erase("a");
    EXPECT_TRUE(copy.lookup().contains("c"));
    EXPECT_FALSE(copy.lookup().contains("a"));
    EXPECT_FALSE(chosen.lookup().contains("c"));
    EXPECT_EQ(chosen, (IdSet{"b", "a"}));
    chosen.clear();
    EXPECT_FALSE(chosen.lookup().contains("b"));
    EXPECT_EQ(std::vector<std::string>(copy.begin(), copy.end()), (Ids{"b", "c"}));
}

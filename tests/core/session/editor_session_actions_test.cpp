// Single-item actions driven as a user would: adding, moving, folding, labels, deletion,
// splitting, duplicating, archiving and hoisting.
#include "tests/core/session/editor_session_fixture.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing_support;

TEST(EditorSessionAdd, InsertsBlankItemsAndEditsThem) {
    auto session = sessionOf({I("a", {I("a1")}), I("b")}, "a1");
    auto below = session.perform(Action::addBelow);
    EXPECT_EQ(shapeOf(session), "a(a1 n1) b");
    ASSERT_TRUE(below.command);
    EXPECT_EQ(below.command->catalogKey, "undo.add");
    EXPECT_EQ(session.item("n1")->created, kNow);
    EXPECT_EQ(session.snapshot.selectedId, "n1");
    EXPECT_EQ(session.snapshot.editing, EditingTarget::item("n1"));

    session.perform(Action::addAbove);
    EXPECT_EQ(shapeOf(session), "a(a1 n2 n1) b");
    session.perform(Action::addAunt);
    EXPECT_EQ(shapeOf(session), "a(a1 n2 n1) n3 b");
    session.perform(Action::addAunt); // a top-level item gets a sibling
    EXPECT_EQ(shapeOf(session), "a(a1 n2 n1) n3 n4 b");
}

TEST(EditorSessionAdd, ChildExpandsTheParentAndFamily) {
    auto session = sessionOf({collapsed(I("a", {collapsed(I("a1", {I("x")}))}))}, "a");
    session.perform(Action::addChild);
    EXPECT_EQ(shapeOf(session), "a(a1+(x) n1)");
    session.snapshot.selectedId = "a";
    session.perform(Action::collapseFamily);
    EXPECT_EQ(shapeOf(session), "a+(a1+(x+) n1+)");
    session.perform(Action::addChildExpand);
    EXPECT_EQ(shapeOf(session), "a(a1(x) n1 n2)");
}

TEST(EditorSessionAdd, StaysInsideTheHoistedTree) {
    auto session = sessionOf({I("a", {I("a1")}), I("b")}, "a");
    hoist(session, "a");
    session.perform(Action::addBelow);
    EXPECT_EQ(shapeOf(session), "a(a1 n1) b");
    session.snapshot.selectedId = "a1";
    session.perform(Action::addAunt);
    EXPECT_EQ(shapeOf(session), "a(a1 n1 n2) b");
    session.perform(Action::deselect);
    session.perform(Action::addBelow);
    EXPECT_EQ(shapeOf(session), "a(a1 n1 n2 n3) b");
}

TEST(EditorSessionAdd, WithoutSelectionAppendsAtTheTop) {
    auto session = sessionOf({I("a", {I("a1")})});
    session.perform(Action::addChild);
    EXPECT_EQ(shapeOf(session), "a(a1) n1");
}

TEST(EditorSessionAdd, CommitNextCommitsTheDraftAndAddsBelowInOneRecord) {
    auto session = sessionOf({I("a"), I("b")}, "a");
    session.snapshot.editing = EditingTarget::item("a");
    auto result = session.perform(Action::commitNext, std::string("Apples"));
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.add");
    EXPECT_EQ(result.command->before.document.items[0].text, "a");
    EXPECT_EQ(session.item("a")->text, "Apples");
    EXPECT_EQ(shapeOf(session), "a n1 b");
    EXPECT_EQ(session.snapshot.editing, EditingTarget::item("n1"));
}

TEST(EditorSessionMove, IndentSkipsHiddenSiblingsAndExpandsTheNewParent) {
    auto session = sessionOf({collapsed(I("a", {I("a1")})), checked(I("h")), I("x"), I("y")}, "x");
    session.hideCompleted = true;
    auto result = session.perform(Action::indent);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.indent");
    EXPECT_EQ(shapeOf(session), "a(a1 x) h✓ y");

    session.snapshot.selectedId = "a";
    EXPECT_FALSE(session.perform(Action::moveRight).command); // no previous sibling
}

TEST(EditorSessionMove, OutdentNeverLeavesTheHoistedTree) {
    auto session = sessionOf({I("a", {I("a1", {I("x")})}), I("b")}, "a1");
    hoist(session, "a");
    EXPECT_FALSE(session.perform(Action::outdent).command);
    session.snapshot.selectedId = "x";
    auto result = session.perform(Action::moveLeft);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.outdent");
    EXPECT_EQ(shapeOf(session), "a(a1 x) b");
}

TEST(EditorSessionMove, UpAndDownPassExactlyOneVisibleSibling) {
    auto session = sessionOf({I("s"), checked(I("h1")), checked(I("h2")), I("x")}, "x");
    session.hideCompleted = true;
    auto result = session.perform(Action::moveUp);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.move");
    EXPECT_EQ(shapeOf(session), "h1✓ h2✓ x s");
    EXPECT_FALSE(session.perform(Action::moveUp).command); // only hidden siblings above
    session.perform(Action::moveDown);
    EXPECT_EQ(shapeOf(session), "h1✓ h2✓ s x");
    EXPECT_FALSE(session.perform(Action::moveDown).command);
}

TEST(EditorSessionFold, CollapseOfALeafFoldsItsParent) {
    auto session = sessionOf({I("a", {I("a1"), I("a2")}), I("b")}, "a2");
    auto result = session.perform(Action::collapse);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.collapse");
    EXPECT_EQ(shapeOf(session), "a+(a1 a2) b");
    EXPECT_EQ(session.snapshot.selectedId, "a");
    EXPECT_EQ(session.item("a")->modified, std::nullopt); // folding is no content change

    session.snapshot.selectedId = "b";
    EXPECT_FALSE(session.perform(Action::collapse).command); // top-level leaf
    session.perform(Action::expandAll);
    EXPECT_EQ(shapeOf(session), "a(a1 a2) b");
}

TEST(EditorSessionFormat, LabelsToggleAndReplace) {
    auto session = sessionOf({I("a")}, "a");
    auto result = session.perform(Action::label1);
    EXPECT_EQ(result.command->catalogKey, "undo.label");
    EXPECT_EQ(session.item("a")->color, ColorLabel::red);
    session.perform(Action::label3);
    EXPECT_EQ(session.item("a")->color, ColorLabel::yellow);
    session.perform(Action::label3);
    EXPECT_EQ(session.item("a")->color, std::nullopt);
    session.perform(Action::label7);
    session.perform(Action::label0);
    EXPECT_EQ(session.item("a")->color, std::nullopt);
    EXPECT_EQ(session.perform(Action::toggleBold).command->catalogKey, "undo.format");
    EXPECT_TRUE(session.item("a")->bold);
}

TEST(EditorSessionEdit, EditAfterDeselectTakesTheFirstRow) {
    auto session = sessionOf({I("a"), I("b")}, "b");
    session.perform(Action::deselect);
    session.perform(Action::edit);
    EXPECT_EQ(session.snapshot.selectedId, "a");
    EXPECT_EQ(session.snapshot.editing, EditingTarget::item("a"));
    session.perform(Action::editNote);
    EXPECT_EQ(session.snapshot.editing, EditingTarget::note("a"));
    session.perform(Action::editNote);
    EXPECT_FALSE(session.snapshot.editing);
}

TEST(EditorSessionDelete, ProposesTheNeighbourAndDeletesTheEditedItem) {
    auto session = sessionOf({I("a"), I("b"), I("c")}, "c");
    session.snapshot.editing = EditingTarget::item("b");
    auto result = session.perform(Action::deleteItem);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.delete");
    EXPECT_EQ(shapeOf(session), "a c");
    EXPECT_EQ(session.snapshot.selectedId, "a");
    EXPECT_FALSE(session.snapshot.editing);
}

TEST(EditorSessionDelete, HoistRootSurvivesItsLastChildButNotItsOwnDeletion) {
    auto session = sessionOf({I("a", {I("a1")}), I("b")}, "a1");
    hoist(session, "a");
    session.perform(Action::deleteItem);
    EXPECT_EQ(session.snapshot.selectedId, "a");
    EXPECT_EQ(session.snapshot.activeHoist, "tab-a");

    auto result = session.perform(Action::deleteItem);
    EXPECT_EQ(shapeOf(session), "b");
    EXPECT_TRUE(session.snapshot.hoistTabs.empty());
    EXPECT_FALSE(session.snapshot.activeHoist);
    EXPECT_EQ(session.snapshot.selectedId, "b");
    EXPECT_EQ(result.command->before.activeHoist, "tab-a"); // undo brings the tab back
}

TEST(EditorSessionSplit, CutsAtTheCaretCountedInGraphemes) {
    // "n" + "e" with a combining acute + "e": the caret after two characters falls after the
    // accent, never between the e and its accent.
    auto session = sessionOf({I("a"), I("b")}, "a");
    session.snapshot.editing = EditingTarget::item("a");
    auto result = session.perform(Action::split,
                                  std::string("ne\xCC\x81"
                                              "e"),
                                  2);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.edit");
    EXPECT_EQ(session.item("a")->text, "ne\xCC\x81");
    EXPECT_EQ(session.item("n1")->text, "e");
    EXPECT_EQ(shapeOf(session), "a n1 b");
    EXPECT_EQ(session.snapshot.editing, EditingTarget::item("n1"));

    session.perform(Action::split, std::string("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD!"), 1);
    EXPECT_EQ(session.item("n1")->text, "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD");
    EXPECT_EQ(session.item("n2")->text, "!");
}

TEST(EditorSessionSplit, WithoutCaretTheNewItemIsEmptyAndNotesAreNotSplit) {
    auto session = sessionOf({I("a")}, "a");
    session.snapshot.editing = EditingTarget::item("a");
    session.perform(Action::split, std::string("whole"));
    EXPECT_EQ(session.item("a")->text, "whole");
    EXPECT_EQ(session.item("n1")->text, "");

    session.snapshot.editing = EditingTarget::note("a");
    EXPECT_FALSE(session.perform(Action::split, std::string("note"), 1).command);
}

TEST(EditorSessionDuplicate, CopiesTheSubtreeWithFreshIdsAndStamps) {
    auto session = sessionOf({I("a", {I("a1")}), I("b")}, "a");
    auto result = session.perform(Action::duplicate);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.duplicate");
    EXPECT_EQ(shapeOf(session), "a(a1) n1(n2) b");
    EXPECT_EQ(session.snapshot.selectedId, "n1");
    EXPECT_EQ(session.item("n2")->text, "a1");
    EXPECT_EQ(session.item("n2")->created, kNow);
    EXPECT_EQ(session.item("a1")->created, std::nullopt);
}

TEST(EditorSessionArchive, MovesTopmostCompletedItemsIntoANewArchive) {
    auto session = sessionOf(
        {I("a", {checked(I("a1", {checked(I("x"))})), I("a2")}), checked(I("b")), I("c")}, "a2");
    session.archiveTitle = "Archiv";
    auto result = session.perform(Action::archiveCompleted);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.archive");
    EXPECT_EQ(shapeOf(session), "a(a2) c n1+(a1✓(x✓) b✓)");
    EXPECT_EQ(session.item("n1")->text, "Archiv");
    EXPECT_EQ(session.item("n1")->created, kNow);
    EXPECT_EQ(session.item("a1")->modified, std::nullopt); // moved items keep their times
    EXPECT_EQ(session.snapshot.selectedId, "c");           // after the last archived item

    session.snapshot.document.items = ItemList({I(" archive "), checked(I("d"))});
    session.perform(Action::archiveCompleted);
    EXPECT_EQ(shapeOf(session), " archive (d✓)");
    EXPECT_FALSE(session.perform(Action::archiveCompleted).command);
}

TEST(EditorSessionHoist, ShowFamilyTwiceHoistsAndReturns) {
    auto session = sessionOf({I("a", {I("a1")}), I("b")}, "a");
    session.snapshot.editing = EditingTarget::item("a");
    auto result = session.perform(Action::showFamily);
    EXPECT_FALSE(result.command);
    ASSERT_EQ(session.snapshot.hoistTabs.size(), 1u);
    EXPECT_EQ(session.snapshot.hoistTabs[0], (HoistTab{"n1", "a", "a"}));
    EXPECT_EQ(session.snapshot.activeHoist, "n1");
    EXPECT_EQ(session.hoistRoot(), "a");
    EXPECT_FALSE(session.snapshot.editing);
    EXPECT_EQ(session.visibleRows().size(), 2u);

    session.perform(Action::showFamily);
    EXPECT_FALSE(session.snapshot.activeHoist);
    EXPECT_EQ(session.snapshot.hoistTabs.size(), 1u);
    session.perform(Action::showFamily); // the existing tab is reused
    EXPECT_EQ(session.snapshot.activeHoist, "n1");
    EXPECT_EQ(session.snapshot.hoistTabs.size(), 1u);
}

TEST(EditorSessionHoist, SwitchingTabsKeepsTheSelectionInView) {
    auto session = sessionOf({I("a", {I("a1")}), I("b")}, "b");
    session.snapshot.hoistTabs = {HoistTab{"t1", "a", "A"}, HoistTab{"t2", "gone", "G"}};
    session.snapshot.anchorId = "a";
    session.activateHoist("t1");
    EXPECT_EQ(session.snapshot.selectedId, "a");
    EXPECT_FALSE(session.snapshot.anchorId);
    session.activateHoist("t2");
    EXPECT_EQ(session.snapshot.activeHoist, "t2");
    EXPECT_FALSE(session.snapshot.selectedId); // a tab whose root is gone shows nothing
    session.activateHoist("nope");
    EXPECT_FALSE(session.snapshot.activeHoist);

    session.activateHoist("t1");
    session.closeHoist("t1");
    EXPECT_FALSE(session.snapshot.activeHoist);
    ASSERT_EQ(session.snapshot.hoistTabs.size(), 1u);
    EXPECT_EQ(session.snapshot.hoistTabs[0].id, "t2");
}

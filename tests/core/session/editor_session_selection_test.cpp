// Keyboard navigation, the selected ids and the selection entry points and direct edits that
// views call outside `perform`.
#include "tests/core/session/editor_session_fixture.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing_support;

namespace {

using Ids = std::vector<std::string>;

EditorSession threeBranches() {
    return sessionOf({I("a", {I("a1"), I("a2")}), collapsed(I("b", {I("b1")})), I("c")}, "a");
}

} // namespace

TEST(EditorSessionNavigation, ListArrowsFoldBeforeMoving) {
    auto session = threeBranches();
    session.snapshot.selectedId = "b";
    auto expand = session.perform(Action::navRight);
    ASSERT_TRUE(expand.command); // expanding changes the document
    EXPECT_EQ(expand.command->catalogKey, "undo.collapse");
    EXPECT_EQ(session.snapshot.selectedId, "b");
    EXPECT_FALSE(session.perform(Action::navRight).command);
    EXPECT_EQ(session.snapshot.selectedId, "b1");
    EXPECT_FALSE(session.perform(Action::navLeft).command);
    EXPECT_EQ(session.snapshot.selectedId, "b");
    EXPECT_TRUE(session.perform(Action::navLeft).command);
    EXPECT_EQ(shapeOf(session), "a(a1 a2) b+(b1) c");
    session.perform(Action::navUp);
    EXPECT_EQ(session.snapshot.selectedId, "a2");
    session.snapshot.selectedId = "c";
    session.perform(Action::navDown); // clamped at the last row
    EXPECT_EQ(session.snapshot.selectedId, "c");
}

TEST(EditorSessionNavigation, RightSkipsHiddenChildrenAndLeftStopsAtTheHoistRoot) {
    auto session = sessionOf({I("a", {checked(I("a1")), I("a2")})}, "a");
    session.hideCompleted = true;
    session.perform(Action::navRight);
    EXPECT_EQ(session.snapshot.selectedId, "a2");
    hoist(session, "a");
    session.perform(Action::navLeft);
    EXPECT_EQ(session.snapshot.selectedId, "a");
    session.perform(Action::navLeft); // collapses the root, then stays
    session.perform(Action::navLeft);
    EXPECT_EQ(session.snapshot.selectedId, "a");
}

TEST(EditorSessionNavigation, CanvasMovesAmongItemsOfTheSameDepth) {
    auto session = threeBranches();
    session.snapshot.view = ViewMode::tree;
    session.snapshot.selectedId = "b";
    auto result = session.perform(Action::navRight); // expands and selects in one step
    EXPECT_EQ(result.command->catalogKey, "undo.collapse");
    EXPECT_EQ(session.snapshot.selectedId, "b1");
    session.perform(Action::navUp); // across branches to the nearest row of depth 1
    EXPECT_EQ(session.snapshot.selectedId, "a2");
    session.perform(Action::navDown);
    EXPECT_EQ(session.snapshot.selectedId, "b1");
    session.perform(Action::navDown); // no depth-1 row below: the next shallower one
    EXPECT_EQ(session.snapshot.selectedId, "c");
    EXPECT_FALSE(session.perform(Action::navDown).command);
    EXPECT_EQ(session.snapshot.selectedId, "c");
    session.snapshot.selectedId = "a1";
    session.perform(Action::navUp); // nothing above at depth 1: the parent
    EXPECT_EQ(session.snapshot.selectedId, "a");
}

TEST(EditorSessionNavigation, StartsAtTheFirstRowAndDropsTheRange) {
    auto session = threeBranches();
    session.snapshot.selectedId.reset();
    session.snapshot.editing = EditingTarget::item("c");
    session.perform(Action::navDown);
    EXPECT_EQ(session.snapshot.selectedId, "a");
    EXPECT_FALSE(session.snapshot.editing);
    session.snapshot.anchorId = "c";
    session.perform(Action::navDown);
    EXPECT_FALSE(session.snapshot.anchorId);
}

TEST(EditorSessionSelectedIds, RangeHoldsVisibleSiblingsOnly) {
    auto session = sessionOf({I("a", {I("a1")}), checked(I("h")), I("b", {I("b1")}), I("c")});
    session.snapshot.selectedId = "b";
    session.snapshot.anchorId = "a";
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "h", "b"}));
    session.hideCompleted = true;
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "b"}));
    session.snapshot.anchorId = "a1"; // another parent: just the selected item
    EXPECT_EQ(session.selectedIDs(), (Ids{"b"}));
    session.snapshot.anchorId = "a";
    hoist(session, "a");
    session.snapshot.selectedId = "b";
    session.snapshot.anchorId = "a";
    EXPECT_EQ(session.selectedIDs(), (Ids{"b"})); // the hoist root never starts a range
}

TEST(EditorSessionSelectedIds, ExtrasFollowVisibleRowOrder) {
    auto session = sessionOf({I("a", {I("a1")}), collapsed(I("b", {I("b1")})), I("c")}, "c");
    session.snapshot.extraIds = {"c", "b1", "a1", "a"};
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "a1", "c"})); // b1 is folded away
}

TEST(EditorSessionSelect, ClickCommitsTheDraftAndKeepsOrClosesTheEditor) {
    auto session = sessionOf({I("a"), I("b")}, "a");
    session.snapshot.editing = EditingTarget::item("a");
    EXPECT_FALSE(session.select("a", std::string("a")));
    EXPECT_EQ(session.snapshot.editing, EditingTarget::item("a"));
    auto result = session.select("b", std::string("Apples"));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->catalogKey, "undo.edit");
    EXPECT_EQ(session.item("a")->text, "Apples");
    EXPECT_FALSE(session.snapshot.editing);
    EXPECT_EQ(session.snapshot.selectedId, "b");
    session.select("missing");
    EXPECT_FALSE(session.snapshot.selectedId);
}

TEST(EditorSessionSelect, ShiftClickBuildsASiblingRange) {
    auto session = sessionOf({I("a", {I("a1")}), I("b"), I("c")}, "a");
    session.extendSelection("a");
    EXPECT_FALSE(session.snapshot.anchorId); // a one-row range keeps no anchor
    session.extendSelection("c");
    EXPECT_EQ(session.snapshot.anchorId, "a");
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "b", "c"}));
    session.select("b");
    session.extendSelection("a1");
    EXPECT_FALSE(session.snapshot.anchorId);
    EXPECT_EQ(session.selectedIDs(), (Ids{"a1"}));
}

TEST(EditorSessionSelect, ShiftArrowStaysAmongVisibleSiblings) {
    auto session = sessionOf({I("a", {I("a1")}), checked(I("h")), I("b"), I("c")}, "a");
    session.hideCompleted = true;
    session.extendSelection(1);
    EXPECT_EQ(session.snapshot.selectedId, "b");
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "b"}));
    session.extendSelection(5);
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "b", "c"}));
    session.extendSelection(-9);
    EXPECT_EQ(session.snapshot.selectedId, "a");
    EXPECT_FALSE(session.snapshot.anchorId);

    hoist(session, "a");
    session.select("a");
    session.extendSelection(1);
    EXPECT_EQ(session.snapshot.selectedId, "a");
}

TEST(EditorSessionSelect, CommandClickAddsAndRemoves) {
    auto session = sessionOf({I("a"), I("b"), I("c")}, "b");
    session.toggleSelection("b");
    EXPECT_EQ(session.selectedIDs(), (Ids{"b"})); // a sole item cannot be toggled off
    session.toggleSelection("c");
    session.toggleSelection("a");
    EXPECT_EQ(session.snapshot.selectedId, "a");
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "b", "c"}));
    session.toggleSelection("b");
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "c"}));
    session.toggleSelection("a"); // the focus goes to the first remaining member
    EXPECT_EQ(session.snapshot.selectedId, "c");
    EXPECT_TRUE(session.snapshot.extraIds.empty());
}

TEST(EditorSessionSelect, SelectAllLeavesOutTheHoistRoot) {
    auto session = sessionOf({I("a", {I("a1"), I("a2")}), I("b")}, "b");
    hoist(session, "a");
    session.selectAll();
    EXPECT_EQ(session.selectedIDs(), (Ids{"a1", "a2"}));
    EXPECT_EQ(session.snapshot.selectedId, "a1");
    session.collapseSelection();
    EXPECT_EQ(session.selectedIDs(), (Ids{"a1"}));
}

TEST(EditorSessionDirectEdits, TextAndNoteCommitsRecordOnlyChanges) {
    auto session = sessionOf({I("a")}, "a");
    session.snapshot.editing = EditingTarget::item("a");
    EXPECT_FALSE(session.commitItemText("a", "a"));
    EXPECT_FALSE(session.snapshot.editing);
    EXPECT_EQ(session.commitItemText("a", "A")->catalogKey, "undo.edit");
    EXPECT_EQ(session.commitNote("a", "n")->catalogKey, "undo.note");
    EXPECT_EQ(session.item("a")->note, "n");
}

TEST(EditorSessionDirectEdits, CheckBoxActsOnTheSelectionItBelongsTo) {
    auto session = sessionOf({I("a"), I("b"), I("c")}, "a");
    session.toggleSelection("b");
    auto result = session.setChecked("b", true);
    EXPECT_EQ(result->catalogKey, "undo.check");
    EXPECT_EQ(shapeOf(session), "a✓ b✓ c");
    EXPECT_EQ(session.selectedIDs(), (Ids{"a", "b"}));
    session.setChecked("c", true); // outside the selection: it alone
    EXPECT_EQ(session.selectedIDs(), (Ids{"c"}));
    session.hideCompleted = true;
    session.setChecked("c", true);
    EXPECT_FALSE(session.snapshot.selectedId); // hidden, with nothing left to show
}

TEST(EditorSessionDirectEdits, LabelAndDisclosureSelectTheItemAlone) {
    auto session = sessionOf({I("a", {I("a1")}), I("b")}, "b");
    session.snapshot.editing = EditingTarget::item("b");
    EXPECT_EQ(session.setLabel("a", ColorLabel::blue)->catalogKey, "undo.label");
    EXPECT_EQ(session.snapshot.selectedId, "a");
    EXPECT_FALSE(session.snapshot.editing);
    EXPECT_FALSE(session.setLabel("a", ColorLabel::blue)); // no toggling here
    EXPECT_EQ(session.toggleCollapsed("a")->catalogKey, "undo.collapse");
    EXPECT_EQ(shapeOf(session), "a+(a1) b");
    EXPECT_FALSE(session.toggleCollapsed("b")); // a leaf stays as it is
    EXPECT_EQ(session.snapshot.selectedId, "b");
}

TEST(EditorSessionNavigation, FocusStepsVisitTheVisibleRowsInOrder) {
    auto tree = std::vector<Item>{
        I("a", {I("a1", {I("a11"), checked(I("a12"))}), collapsed(I("a2", {I("x")}))}),
        checked(I("h", {I("h1")})), I("b", {I("b1", {I("b11", {I("b111")})})}), I("c")};
    for (bool hiding : {false, true}) {
        for (std::optional<std::string> root : {std::optional<std::string>(), {"a"}, {"b1"}}) {
            auto session = sessionOf(tree);
            session.hideCompleted = hiding;
            if (root)
                hoist(session, *root);
            Ids rows, down, up;
            for (const auto& row : session.visibleRows())
                rows.push_back(row.item().id);
            session.select(rows.front());
            for (std::size_t i = 0; i < rows.size(); ++i, session.perform(Action::focusNext))
                down.push_back(*session.snapshot.selectedId);
            EXPECT_EQ(down, rows) << "hiding " << hiding << " root " << root.value_or("-");
            EXPECT_EQ(session.snapshot.selectedId, rows.back()); // stops at the last row
            for (std::size_t i = 0; i < rows.size(); ++i, session.perform(Action::navUp))
                up.insert(up.begin(), *session.snapshot.selectedId);
            EXPECT_EQ(up, rows);
            EXPECT_EQ(session.snapshot.selectedId, rows.front());
        }
    }
}

// The rules the window once kept for itself: going to an item, text committed from the
// inspector's fields, and typing on after a move.
TEST(EditorSessionWindowRules, JumpingShowsTheBranchAndLeavesAHoistThatDoesNotHoldIt) {
    auto s = sessionOf({I("a", {I("a1")}), collapsed(I("b", {collapsed(I("b1", {I("b2")}))}))},
                       "a");
    (void)s.perform(Action::showFamily);
    ASSERT_EQ(s.hoistRoot(), "a");
    const auto command = s.jumpTo("b2");
    ASSERT_TRUE(command);
    EXPECT_EQ(s.snapshot.selectedId, "b2");
    EXPECT_FALSE(s.hoistRoot());
    EXPECT_EQ(shapeOf(s), "a(a1) b(b1(b2))");
    EXPECT_EQ(shapeOf(command->before.document.items), "a(a1) b+(b1+(b2))");
    // Inside the hoisted branch the hoist stays.
    (void)s.select("a");
    (void)s.perform(Action::showFamily);
    (void)s.jumpTo("a1");
    EXPECT_EQ(s.hoistRoot(), "a");
    const auto before = s.snapshot;
    EXPECT_FALSE(s.jumpTo("nowhere"));
    EXPECT_EQ(s.snapshot, before);
}

TEST(EditorSessionWindowRules, FieldTextKeepsAnotherItemsEditorOpenThroughUndo) {
    auto s = sessionOf({I("a"), I("b")}, "a");
    (void)s.perform(Action::edit);
    const auto command = s.commitFieldText("b", "Bee", false);
    ASSERT_TRUE(command);
    EXPECT_EQ(s.snapshot.document.items[1].text, "Bee");
    ASSERT_TRUE(s.snapshot.editing);
    EXPECT_EQ(s.snapshot.editing->id, "a");
    ASSERT_TRUE(command->after.editing);
    EXPECT_EQ(command->after.editing->id, "a");
    ASSERT_TRUE(s.commitFieldText("b", "Note", true));
    EXPECT_EQ(s.snapshot.document.items[1].note, "Note");
    EXPECT_FALSE(s.commitFieldText("gone", "x", false));
}

TEST(EditorSessionWindowRules, MovingTheItemBeingTypedOpensItsEditorAgain) {
    auto s = sessionOf({I("a"), I("b")}, "b");
    (void)s.perform(Action::edit);
    const auto typing = s.snapshot.editing;
    (void)s.perform(Action::indent, "b typed");
    (void)s.keepTyping(Action::indent, typing);
    ASSERT_TRUE(s.snapshot.editing);
    EXPECT_EQ(s.snapshot.editing->id, "b");
    EXPECT_EQ(shapeOf(s), "a(b)");
    // Other actions, or no title being typed before, leave the editor as the action left it.
    (void)s.perform(Action::commit);
    EXPECT_FALSE(s.keepTyping(Action::toggleBold, typing));
    EXPECT_FALSE(s.keepTyping(Action::outdent, std::nullopt));
    EXPECT_FALSE(s.snapshot.editing);
}

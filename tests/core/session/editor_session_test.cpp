// The session as a whole: construction, availability of actions, the order of `perform`
// (completion gate, draft commit, record, side effect) and what becomes undoable.
#include "core/model/tree_ops.hpp"
#include "tests/core/session/editor_session_fixture.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing_support;

TEST(EditorSessionSetup, BlankDocumentEditsItsOneItem) {
    auto session = EditorSession::blank("Plan", "doc-1", "item-1", [] { return kNow; });
    const auto& s = session.snapshot;
    EXPECT_EQ(s.document.id, "doc-1");
    EXPECT_EQ(s.document.title, "Plan");
    ASSERT_EQ(s.document.items.size(), 1u);
    EXPECT_EQ(s.document.items[0].created, kNow);
    EXPECT_EQ(s.document.items[0].modified, kNow);
    EXPECT_EQ(s.selectedId, "item-1");
    EXPECT_EQ(s.editing, EditingTarget::item("item-1"));
    EXPECT_EQ(s.view, ViewMode::tree);
    EXPECT_TRUE(s.showAllNotes);
    EXPECT_EQ(session.preferences, EditorPreferences{});
    EXPECT_TRUE(session.checksVisible);
    EXPECT_FALSE(session.hideCompleted);
    EXPECT_EQ(session.archiveTitle, "Archive");
}

TEST(EditorSessionSetup, EqualityIgnoresClockAndIdFactory) {
    auto a = sessionOf({I("a")}, "a");
    auto b = a;
    b.makeID = [] { return std::string("other"); };
    EXPECT_EQ(a, b);
    b.hideCompleted = true;
    EXPECT_NE(a, b);
}

TEST(EditorSessionAvailability, FollowsSelectionEditingAndChecks) {
    auto session = sessionOf({I("a")});
    EXPECT_FALSE(session.canPerform(Action::edit));
    EXPECT_FALSE(session.canPerform(Action::label4));
    EXPECT_FALSE(session.canPerform(Action::toggleCheck));
    EXPECT_TRUE(session.canPerform(Action::addBelow));
    EXPECT_TRUE(session.canPerform(Action::expandAll));
    EXPECT_FALSE(session.canPerform(Action::commit));

    session.snapshot.selectedId = "a";
    session.snapshot.editing = EditingTarget::note("a");
    EXPECT_TRUE(session.canPerform(Action::toggleCheck));
    EXPECT_TRUE(session.canPerform(Action::commit));
    EXPECT_TRUE(session.canPerform(Action::newline));
    EXPECT_FALSE(session.canPerform(Action::split));
    EXPECT_FALSE(session.canPerform(Action::commitNext));
    session.snapshot.editing = EditingTarget::item("a");
    EXPECT_TRUE(session.canPerform(Action::split));

    session.checksVisible = false;
    EXPECT_FALSE(session.canPerform(Action::toggleCheck));
    EXPECT_FALSE(session.canPerform(Action::hideCompleted));
    EXPECT_FALSE(session.canPerform(Action::archiveCompleted));
}

TEST(EditorSessionPerform, CommitRecordsOnlyARealChange) {
    auto session = sessionOf({I("a"), I("b")}, "a");
    session.snapshot.editing = EditingTarget::item("a");
    auto same = session.perform(Action::commit, std::string("a"));
    EXPECT_FALSE(same.command);
    EXPECT_FALSE(session.snapshot.editing);
    EXPECT_FALSE(session.item("a")->modified);

    session.snapshot.editing = EditingTarget::item("a");
    auto before = session.snapshot;
    auto changed = session.perform(Action::commit, std::string("Apples"));
    ASSERT_TRUE(changed.command);
    EXPECT_EQ(changed.command->catalogKey, "undo.edit");
    EXPECT_EQ(changed.command->before, before);
    EXPECT_EQ(changed.command->after, session.snapshot);
    EXPECT_EQ(session.item("a")->text, "Apples");
    EXPECT_EQ(session.item("a")->modified, kNow);
    EXPECT_FALSE(session.item("b")->modified);
}

TEST(EditorSessionPerform, DraftOfANoteGoesIntoTheNote) {
    auto session = sessionOf({I("a")}, "a");
    session.snapshot.editing = EditingTarget::note("a");
    auto result = session.perform(Action::editNote, std::string("remember"));
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.note");
    EXPECT_EQ(session.item("a")->note, "remember");
    EXPECT_EQ(session.item("a")->text, "a");
    EXPECT_FALSE(session.snapshot.editing);
}

TEST(EditorSessionPerform, SelectionAndViewChangesAreNeverUndoable) {
    auto session = sessionOf({I("a"), I("b")}, "a");
    EXPECT_FALSE(session.perform(Action::focusNext).command);
    EXPECT_EQ(session.snapshot.selectedId, "b");
    EXPECT_FALSE(session.perform(Action::viewMap).command);
    EXPECT_EQ(session.snapshot.view, ViewMode::map);
    EXPECT_FALSE(session.perform(Action::toggleNotes).command);
    EXPECT_FALSE(session.perform(Action::deselect).command);
    EXPECT_FALSE(session.snapshot.selectedId);
    EXPECT_FALSE(session.perform(Action::hideCompleted).command);
    EXPECT_TRUE(session.hideCompleted);
}

TEST(EditorSessionPerform, SideEffectsComeWithTheirActions) {
    auto session = sessionOf({I("a")});
    EXPECT_EQ(session.perform(Action::help).side, SideEffect::showHelp);
    EXPECT_EQ(session.perform(Action::helpSearch).side, SideEffect::focusHelpSearch);
    EXPECT_EQ(session.perform(Action::exportOPML).side, SideEffect::exportOPML);
    EXPECT_FALSE(session.perform(Action::jump).side);
    session.snapshot.selectedId = "a";
    EXPECT_EQ(session.perform(Action::jump).side, SideEffect::jump);
    EXPECT_FALSE(session.perform(Action::expandAll).side);
}

TEST(EditorSessionPerform, UndoWhileTypingCommitsTheTextFirst) {
    auto session = sessionOf({I("a")}, "a");
    session.snapshot.editing = EditingTarget::item("a");
    auto result = session.perform(Action::undo, std::string("typed"));
    EXPECT_EQ(result.side, SideEffect::undo);
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.edit");
    EXPECT_EQ(session.item("a")->text, "typed");
}

TEST(EditorSessionPerform, NewlineKeepsTheDraftInTheEditor) {
    auto session = sessionOf({I("a")}, "a");
    session.snapshot.editing = EditingTarget::item("a");
    auto result = session.perform(Action::newline, std::string("half"));
    EXPECT_EQ(result.side, SideEffect::insertNewline);
    EXPECT_FALSE(result.command);
    EXPECT_EQ(session.item("a")->text, "a");
    EXPECT_EQ(session.snapshot.editing, EditingTarget::item("a"));
}

TEST(EditorSessionPerform, HiddenChecksTurnCompletionOffEntirely) {
    auto session = sessionOf({checked(I("a")), I("b")}, "b");
    session.checksVisible = false;
    session.hideCompleted = true;
    session.snapshot.editing = EditingTarget::item("b");
    auto before = session.snapshot;
    auto result = session.perform(Action::toggleCheck, std::string("draft"));
    EXPECT_FALSE(result.command);
    EXPECT_FALSE(result.side);
    EXPECT_EQ(session.snapshot, before); // not even the draft is committed
    EXPECT_FALSE(session.perform(Action::archiveCompleted).command);
    EXPECT_FALSE(session.perform(Action::hideCompleted).command);
    EXPECT_TRUE(session.hideCompleted);
    EXPECT_EQ(session.visibleRows().size(), 2u);
}

TEST(EditorSessionPerform, RecordKeepsTheEditorStateOfItsMoment) {
    auto session = sessionOf({I("a"), I("b")}, "b");
    hoist(session, "b");
    session.snapshot.editing = EditingTarget::item("b");
    auto result = session.perform(Action::addChild, std::string("B"));
    ASSERT_TRUE(result.command);
    EXPECT_EQ(result.command->catalogKey, "undo.add");
    EXPECT_EQ(result.command->before.selectedId, "b");
    EXPECT_EQ(result.command->before.editing, EditingTarget::item("b"));
    EXPECT_EQ(result.command->before.activeHoist, "tab-b");
    EXPECT_EQ(result.command->after.selectedId, "n1");
    EXPECT_EQ(result.command->after.editing, EditingTarget::item("n1"));
    EXPECT_EQ(result.command->after.document.items[1].text, "B");
}

TEST(EditorSessionPerform, HidingMovesSelectionAndEditorOffCheckedItems) {
    auto session = sessionOf({I("p", {I("x"), checked(I("y")), I("z")})}, "z");
    session.hideCompleted = true;
    session.snapshot.editing = EditingTarget::item("z");
    session.perform(Action::toggleCheck);
    EXPECT_EQ(session.snapshot.selectedId, "x"); // no visible sibling after, so the one before
    EXPECT_FALSE(session.snapshot.editing);

    session.perform(Action::toggleCheck);
    EXPECT_EQ(session.snapshot.selectedId, "p"); // every sibling hidden: the parent
}

TEST(EditorSessionPerform, HiddenParentPassesTheSearchUpwards) {
    auto session = sessionOf({I("a"), checked(I("p", {I("c")})), I("b")}, "c");
    session.hideCompleted = true;
    session.retargetIfHidden();
    EXPECT_EQ(session.snapshot.selectedId, "b");
}

TEST(EditorSessionPerform, ActsOnTheRightItemAfterTheTreeChanges) {
    auto session = sessionOf({I("a", {I("x")}), I("b"), I("c")}, "x");
    session.perform(Action::toggleCheck);
    session.snapshot.selectedId = "b";
    session.perform(Action::moveUp); // a moves below b: x's old path now leads nowhere
    EXPECT_EQ(shapeOf(session), "b a(x✓) c");
    session.snapshot.selectedId = "x";
    session.perform(Action::toggleCheck);
    EXPECT_EQ(shapeOf(session), "b a(x) c");

    auto undone = session;
    undone.snapshot.document.items = ItemList({I("c"), I("x")}); // a wholesale replacement
    undone.perform(Action::toggleCheck);
    EXPECT_EQ(shapeOf(undone), "c x✓");
}

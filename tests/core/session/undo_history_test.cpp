// The undo history the application and `ostrevo-cli run` share.
#include "core/session/undo_history.hpp"

#include "tests/core/session/editor_session_fixture.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing_support;

TEST(UndoHistory, WalksRecordsBothWaysAndANewChangeDropsTheUndoneOnes) {
    auto s = sessionOf({I("a"), I("b")}, "a");
    UndoHistory history;
    EXPECT_FALSE(history.undo(s));
    history.push(*s.commitItemText("a", "A1"));
    history.push(*s.commitItemText("a", "A2"));
    ASSERT_EQ(history.nextUndo()->after.document.items[0].text, "A2");
    history.undo(s);
    EXPECT_EQ(s.snapshot.document.items[0].text, "A1");
    EXPECT_TRUE(history.canRedo());
    history.redo(s);
    EXPECT_EQ(s.snapshot.document.items[0].text, "A2");
    EXPECT_FALSE(history.redo(s));
    history.undo(s);
    history.push(*s.commitItemText("b", "B1"));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.count(), 2u);
    history.undo(s);
    history.undo(s);
    EXPECT_EQ(shapeOf(s), "a b");
    EXPECT_EQ(s.snapshot.document.items[0].text, "a");
}

TEST(UndoHistory, CleanFollowsTheSavedVersionUntilItsRecordIsReplaced) {
    auto s = sessionOf({I("a")}, "a");
    UndoHistory history;
    EXPECT_TRUE(history.isClean());
    history.push(*s.commitItemText("a", "A1"));
    EXPECT_FALSE(history.isClean());
    history.markClean();
    history.push(*s.commitItemText("a", "A2"));
    history.undo(s);
    EXPECT_TRUE(history.isClean());
    // Undone past the saved version and changed otherwise: the saved version is unreachable.
    history.undo(s);
    history.push(*s.commitItemText("a", "other"));
    history.undo(s);
    EXPECT_FALSE(history.isClean());
}

TEST(UndoHistory, AStateThatHidesTheSelectionMovesItToAShownItem) {
    auto s = sessionOf({I("a"), I("b")}, "b");
    UndoHistory history;
    history.push(*s.setChecked("b", true));
    s.hideCompleted = true;
    s.retargetIfHidden();
    history.undo(s);
    history.redo(s);
    // "b" is checked again and hidden: the selection is not left on it.
    EXPECT_NE(s.snapshot.selectedId, "b");
}

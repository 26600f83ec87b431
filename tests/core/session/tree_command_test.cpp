#include "../model/tree_fixtures.hpp"
#include "core/session/tree_command.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

const Timestamp kOld{1000};
const Timestamp kNow{1800000000};

Item stampedLeaf(const std::string& id) {
    Item item = leaf(id);
    item.created = kOld;
    item.modified = kOld;
    return item;
}

EditorSnapshot snapshot(std::vector<Item> items) {
    EditorSnapshot s;
    s.document = doc(std::move(items));
    s.selectedId = "a";
    return s;
}

const Item& find(const EditorSnapshot& s, const std::string& id) {
    return *TreeOps::itemAt(s.document.items, *TreeOps::pathOf(s.document.items, id));
}

EditorSnapshot sample() {
    Item a = stampedLeaf("a");
    a.children = ItemList{stampedLeaf("a1"), stampedLeaf("a2")};
    return snapshot({a, stampedLeaf("b")});
}

} // namespace

TEST(UndoRecord, NoRecordWhenOnlyTheEditorStateChanged) {
    auto before = sample();
    auto after = before;
    after.selectedId = "b";
    after.view = ViewMode::map;
    after.editing = EditingTarget::item("b");
    after.hoistTabs.push_back({"t", "a", "a"});
    EXPECT_FALSE(UndoRecords::form(before, "undo.edit", after, kNow));
    // Rebuilt but equal content is no change either.
    after.document = sample().document;
    EXPECT_FALSE(UndoRecords::form(before, "undo.edit", after, kNow));
}

TEST(UndoRecord, ChangedContentGetsANewModifiedStamp) {
    auto before = sample();
    auto after = before;
    after.document = TreeOps::updateItem(before.document, "a2", [](Item& i) { i.text = "x"; });
    auto record = UndoRecords::form(before, "undo.edit", after, kNow);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->catalogKey, "undo.edit");
    EXPECT_EQ(record->before, before);
    EXPECT_EQ(find(record->after, "a2").modified, kNow);
    EXPECT_EQ(find(record->after, "a2").created, kOld);
    EXPECT_EQ(find(record->after, "a").modified, kOld);
    EXPECT_EQ(find(record->after, "a1").modified, kOld);
    EXPECT_EQ(record->after.selectedId, "a");
}

TEST(UndoRecord, EachContentFieldCountsButCollapseAndChildrenDoNot) {
    auto before = sample();
    std::vector<std::function<void(Item&)>> contentChanges = {
        [](Item& i) { i.note = "n"; }, [](Item& i) { i.checked = true; },
        [](Item& i) { i.color = ColorLabel::red; }, [](Item& i) { i.bold = true; },
        [](Item& i) { i.underline = true; }};
    for (const auto& change : contentChanges) {
        auto after = before;
        after.document = TreeOps::updateItem(before.document, "b", change);
        EXPECT_EQ(find(UndoRecords::form(before, "k", after, kNow)->after, "b").modified, kNow);
    }
    auto collapsed = before;
    collapsed.document = TreeOps::setCollapsed(before.document, "a", true);
    auto record = UndoRecords::form(before, "undo.collapse", collapsed, kNow);
    ASSERT_TRUE(record);
    EXPECT_EQ(find(record->after, "a").modified, kOld);
    EXPECT_TRUE(find(record->after, "a").collapsed);
}

TEST(UndoRecord, NewItemsGetBothStampsAtWholeSeconds) {
    auto before = sample();
    auto after = before;
    after.document = TreeOps::insertSiblingBelow(before.document, "a1", "", "new").doc;
    auto record = UndoRecords::form(before, "undo.add", after, kNow);
    EXPECT_EQ(find(record->after, "new").created, kNow);
    EXPECT_EQ(find(record->after, "new").modified, kNow);
    EXPECT_EQ(find(record->after, "a1").modified, kOld);
    EXPECT_EQ(find(record->after, "a").modified, kOld);
}

TEST(UndoRecord, DuplicatedSubtreeIsStampedThroughout) {
    auto before = sample();
    auto after = before;
    Counter counter;
    after.document = TreeOps::duplicate(before.document, "a", counter).doc;
    auto record = UndoRecords::form(before, "undo.duplicate", after, kNow);
    for (auto id : {"n1", "n2", "n3"}) {
        EXPECT_EQ(find(record->after, id).created, kNow) << id;
        EXPECT_EQ(find(record->after, id).modified, kNow) << id;
    }
    EXPECT_EQ(find(record->after, "a2").created, kOld);
}

TEST(UndoRecord, MovedItemsKeepStampsUnlessTheyChanged) {
    auto before = sample();
    auto after = before;
    after.document = TreeOps::indent(before.document, "b");
    after.document = TreeOps::outdent(after.document, "a2");
    auto record = UndoRecords::form(before, "undo.indent", after, kNow);
    ASSERT_TRUE(record);
    EXPECT_EQ(find(record->after, "b").modified, kOld);
    EXPECT_EQ(find(record->after, "a2").modified, kOld);

    // Moved to another parent and edited in the same change.
    auto edited = before;
    edited.document = TreeOps::move(before.document, "b", std::string("a"), 0);
    edited.document = TreeOps::updateItem(edited.document, "b", [](Item& i) { i.text = "x"; });
    auto record2 = UndoRecords::form(before, "undo.move", edited, kNow);
    EXPECT_EQ(find(record2->after, "b").modified, kNow);
    EXPECT_EQ(find(record2->after, "b").created, kOld);
}

TEST(UndoRecord, EverythingIsNewWhenTheDocumentWasEmpty) {
    auto before = snapshot({});
    auto after = sample();
    after.document.items = ItemList{leaf("x"), node("y", {leaf("z")})};
    auto record = UndoRecords::form(before, "undo.paste", after, kNow);
    for (auto id : {"x", "y", "z"})
        EXPECT_EQ(find(record->after, id).created, kNow);
}

TEST(UndoRecord, UntouchedSubtreesStayShared) {
    auto before = sample();
    auto after = before;
    after.document = TreeOps::updateItem(before.document, "b", [](Item& i) { i.text = "x"; });
    auto record = UndoRecords::form(before, "undo.edit", after, kNow);
    EXPECT_TRUE(record->after.document.items[0].children.sharesStorageWith(
        before.document.items[0].children));
}

TEST(UndoRecord, InverseSwapsAndTwiceGivesTheSameCommand) {
    auto before = sample();
    auto after = before;
    after.document = TreeOps::removeItem(before.document, "b").doc;
    auto record = *UndoRecords::form(before, "undo.delete", after, kNow);
    EXPECT_EQ(record.inverse().before, record.after);
    EXPECT_EQ(record.inverse().catalogKey, "undo.delete");
    EXPECT_EQ(record.inverse().inverse(), record);
}

#include "core/model/document_merge.hpp"
#include "tree_fixtures.hpp"

#include <gtest/gtest.h>

#include <set>

using namespace velmora;
using namespace velmora::testing;

namespace {

// The tree as "a[a1,a2],b": ids, with ":text" where the text differs from the id.
std::string shapeOf(const ItemList& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        if (i > 0)
            out += ",";
        out += item.id;
        if (item.text != item.id)
            out += ":" + item.text;
        if (!item.children.empty())
            out += "[" + shapeOf(item.children) + "]";
    }
    return out;
}

std::string shapeOf(const TreeDocument& d) {
    return shapeOf(d.items);
}

// a (a1, a2, a3), b, c (c1)
TreeDocument base() {
    return doc(
        {node("a", {leaf("a1"), leaf("a2"), leaf("a3")}), leaf("b"), node("c", {leaf("c1")})});
}

TreeDocument retitled(const TreeDocument& d, const std::string& id, const std::string& text) {
    return TreeOps::updateItem(d, id, [&](Item& item) { item.text = text; });
}

TreeDocument added(const TreeDocument& d, const std::string& after, const std::string& id) {
    return TreeOps::insertSiblingBelow(d, after, id, id).doc;
}

const Item& itemOf(const TreeDocument& d, const std::string& id) {
    static Item none;
    auto path = TreeOps::pathOf(d.items, id);
    return path ? *TreeOps::itemAt(d.items, *path) : none;
}

} // namespace

TEST(DocumentMergeFields, ChangeOnOneSideIsTakenFromEither) {
    auto ours = retitled(base(), "a1", "mine");
    auto theirs = TreeOps::updateItem(base(), "b", [](Item& item) {
        item.note = "their note";
        item.checked = true;
        item.color = ColorLabel::green;
    });
    auto r = DocumentMerge::merge(base(), ours, theirs);
    EXPECT_EQ(shapeOf(r.document), "a[a1:mine,a2,a3],b,c[c1]");
    EXPECT_EQ(itemOf(r.document, "b").note, "their note");
    EXPECT_TRUE(itemOf(r.document, "b").checked);
    EXPECT_EQ(itemOf(r.document, "b").color, ColorLabel::green);
    EXPECT_EQ(r.summary.fromOurs, 1);
    EXPECT_EQ(r.summary.fromTheirs, 1);
    EXPECT_TRUE(r.summary.clean());
}

TEST(DocumentMergeFields, SameChangeOnBothSidesIsNoConflict) {
    auto edited = retitled(base(), "a2", "same");
    auto r = DocumentMerge::merge(base(), edited, retitled(base(), "a2", "same"));
    EXPECT_EQ(shapeOf(r.document), "a[a1,a2:same,a3],b,c[c1]");
    EXPECT_TRUE(r.summary.clean());
}

TEST(DocumentMergeFields, TitlesChangedDifferentlyKeepTheirsAsNextSibling) {
    auto ours = retitled(base(), "a", "ours");
    auto theirs = TreeOps::updateItem(base(), "a", [](Item& item) {
        item.text = "theirs";
        item.note = "their note";
        item.checked = true;
    });
    auto r = DocumentMerge::merge(base(), ours, theirs);
    ASSERT_EQ(r.document.items.size(), 4u);
    EXPECT_EQ(shapeOf(r.document.items[0].children), "a1,a2,a3");
    EXPECT_EQ(r.document.items[0].text, "ours");
    EXPECT_EQ(r.document.items[0].note, "their note"); // only the title conflicted
    const Item& copy = r.document.items[1];
    EXPECT_EQ(copy.text, "theirs");
    EXPECT_EQ(copy.note, "their note");
    EXPECT_FALSE(copy.checked);
    EXPECT_TRUE(copy.children.empty());
    EXPECT_EQ(copy.id.size(), 36u);
    EXPECT_EQ(r.summary.conflicts, 1);
    EXPECT_EQ(r.summary.conflictCopyIds, std::vector<std::string>{copy.id});
    EXPECT_FALSE(r.summary.clean());
    // The same inputs name the copy the same way.
    EXPECT_EQ(DocumentMerge::merge(base(), ours, theirs).document, r.document);
}

TEST(DocumentMergeFields, NotesChangedDifferentlyKeepBothNotes) {
    auto withNote = [](const std::string& note) {
        return TreeOps::updateItem(base(), "c1", [&](Item& item) { item.note = note; });
    };
    auto r = DocumentMerge::merge(base(), withNote("left"), withNote("right"));
    EXPECT_EQ(childIds(r.document, "c").size(), 2u);
    EXPECT_EQ(itemOf(r.document, "c1").note, "left");
    EXPECT_EQ(itemOf(r.document, r.summary.conflictCopyIds.at(0)).note, "right");
    EXPECT_EQ(itemOf(r.document, r.summary.conflictCopyIds.at(0)).text, "c1");
}

TEST(DocumentMergeFields, FlagsNeverConflictOursWins) {
    auto set = [](bool checked, ColorLabel color, bool collapsed) {
        return TreeOps::updateItem(base(), "a", [&](Item& item) {
            item.checked = checked;
            item.color = color;
            item.collapsed = collapsed;
            item.bold = checked;
        });
    };
    auto r = DocumentMerge::merge(base(), set(true, ColorLabel::red, true),
                                  set(false, ColorLabel::blue, false));
    EXPECT_TRUE(r.summary.clean());
    EXPECT_EQ(r.document.items.size(), 3u);
    EXPECT_EQ(r.document.items[0].color, ColorLabel::red);
    EXPECT_TRUE(r.document.items[0].checked);
    EXPECT_TRUE(r.document.items[0].collapsed);
    EXPECT_TRUE(r.document.items[0].bold);
}

TEST(DocumentMergeFields, DocumentTitleMergesLikeAnItemTitle) {
    auto titled = [](const std::string& title) {
        auto d = base();
        d.title = title;
        return d;
    };
    EXPECT_EQ(DocumentMerge::merge(base(), base(), titled("New")).document.title, "New");
    EXPECT_EQ(DocumentMerge::merge(base(), titled("New"), base()).document.title, "New");
    auto r = DocumentMerge::merge(base(), titled("Mine"), titled("Yours"));
    EXPECT_EQ(r.document.title, "Mine");
    EXPECT_TRUE(r.summary.titleConflict);
    EXPECT_FALSE(r.summary.clean());
}

TEST(DocumentMergeStructure, AddsOnBothSidesStayAfterTheirLeftNeighbour) {
    auto ours = added(added(base(), "a1", "x"), "x", "x2");
    auto theirs = TreeOps::insert(added(base(), "a2", "y"), {leaf("z")}, std::nullopt, 0);
    auto r = DocumentMerge::merge(base(), ours, theirs);
    EXPECT_EQ(shapeOf(r.document), "z,a[a1,x,x2,a2,y,a3],b,c[c1]");
    EXPECT_EQ(r.summary.fromOurs, 2);
    EXPECT_EQ(r.summary.fromTheirs, 2);
}

TEST(DocumentMergeStructure, AddUnderParentDeletedOnOtherSideKeepsParent) {
    auto ours = TreeOps::addChild(base(), "c1", "new", "n").doc;
    auto theirs = TreeOps::removeItem(base(), "c").doc;
    auto r = DocumentMerge::merge(base(), ours, theirs);
    EXPECT_EQ(shapeOf(r.document), "a[a1,a2,a3],b,c[c1[n:new]]");
    EXPECT_EQ(r.summary.keptDespiteDeletion, 2);
    // The same with the sides swapped.
    EXPECT_EQ(shapeOf(DocumentMerge::merge(base(), theirs, ours).document),
              "a[a1,a2,a3],b,c[c1[n:new]]");
}

TEST(DocumentMergeStructure, DeletionGoesOnlyWhereTheOtherSideLeftItAlone) {
    auto ours = TreeOps::removeItem(base(), "a").doc;
    // Unchanged on their side: the whole branch goes.
    auto r = DocumentMerge::merge(base(), ours, base());
    EXPECT_EQ(shapeOf(r.document), "b,c[c1]");
    EXPECT_EQ(r.summary.fromOurs, 4);
    // Edited inside the branch on their side: the edited item and its parent stay.
    r = DocumentMerge::merge(base(), ours, retitled(base(), "a2", "kept"));
    EXPECT_EQ(shapeOf(r.document), "a[a2:kept],b,c[c1]");
    EXPECT_EQ(r.summary.keptDespiteDeletion, 2);
    // Moved out on their side: it stays where it went.
    r = DocumentMerge::merge(base(), ours, TreeOps::move(base(), "a3", std::nullopt, 3));
    EXPECT_EQ(shapeOf(r.document), "b,c[c1],a3");
}

TEST(DocumentMergeStructure, MoveOnOneSideMovesMovesOnBothKeepOurs) {
    auto theirs = TreeOps::move(base(), "b", std::string("c"), 0);
    auto r = DocumentMerge::merge(base(), retitled(base(), "a1", "t"), theirs);
    EXPECT_EQ(shapeOf(r.document), "a[a1:t,a2,a3],c[b,c1]");
    auto ours = TreeOps::move(base(), "b", std::string("a"), 1);
    r = DocumentMerge::merge(base(), ours, theirs);
    EXPECT_EQ(shapeOf(r.document), "a[a1,b,a2,a3],c[c1]");
}

TEST(DocumentMergeStructure, ReorderOnOneSideIsTaken) {
    auto theirs = TreeOps::move(base(), "a3", TreeOps::MoveDirection::up);
    auto ours = added(base(), "a1", "x");
    EXPECT_EQ(shapeOf(DocumentMerge::merge(base(), ours, theirs).document),
              "a[a1,x,a3,a2],b,c[c1]");
    EXPECT_EQ(shapeOf(DocumentMerge::merge(base(), theirs, ours).document),
              "a[a1,x,a3,a2],b,c[c1]");
}

TEST(DocumentMergeStructure, MoveThatMakesACycleGivesWayToOurs) {
    auto ours = TreeOps::move(base(), "a", std::string("c1"), 0);
    auto theirs = TreeOps::move(base(), "c", std::string("a2"), 0);
    auto r = DocumentMerge::merge(base(), ours, theirs);
    EXPECT_EQ(shapeOf(r.document), "b,c[c1[a[a1,a2,a3]]]");
    r = DocumentMerge::merge(base(), theirs, ours);
    EXPECT_EQ(shapeOf(r.document), "a[a1,a2[c[c1]],a3],b");
}

TEST(DocumentMergeIdentity, MergingUnchangedSidesGivesTheChangedOne) {
    auto x = TreeOps::indent(added(retitled(base(), "b", "B"), "c", "d"), "b");
    auto same = DocumentMerge::merge(x, x, x);
    EXPECT_EQ(same.document, x);
    EXPECT_TRUE(same.document.items.sharesStorageWith(x.items));
    EXPECT_EQ(same.summary, MergeSummary{});
    EXPECT_EQ(DocumentMerge::merge(base(), base(), x).document, x);
    EXPECT_EQ(DocumentMerge::merge(base(), x, base()).document, x);
    EXPECT_EQ(DocumentMerge::merge(base(), x, x).document, x);
}

TEST(DocumentMergeIdentity, RepeatedIdsInInputGiveUniqueIds) {
    auto twice = doc({node("a", {leaf("k")}), leaf("k"), leaf("b")});
    EXPECT_EQ(DocumentMerge::merge(twice, twice, twice).document, twice);
    auto r = DocumentMerge::merge(twice, retitled(twice, "b", "B"), added(twice, "b", "c"));
    std::set<std::string> seen;
    std::function<void(const ItemList&)> walk = [&](const ItemList& items) {
        for (const auto& item : items) {
            EXPECT_TRUE(seen.insert(item.id).second) << item.id;
            walk(item.children);
        }
    };
    walk(r.document.items);
    EXPECT_EQ(seen.size(), 5u);
}

TEST(DocumentMergeTwoWay, KeepsTheUnionAndBothTexts) {
    auto ours = retitled(added(base(), "b", "o"), "a1", "mine");
    auto theirs = retitled(TreeOps::removeItem(added(base(), "a3", "t"), "b").doc, "a1", "theirs");
    auto r = DocumentMerge::mergeTwoWay(ours, theirs);
    ASSERT_EQ(r.summary.conflicts, 1);
    const std::string copy = r.summary.conflictCopyIds[0];
    EXPECT_EQ(shapeOf(r.document), "a[a1:mine," + copy + ":theirs,a2,a3,t],b,o,c[c1]");
    EXPECT_EQ(DocumentMerge::mergeTwoWay(ours, ours).document, ours);
}

TEST(DocumentMergeCommonVersion, LatestWriteTheirsShowsATraceOfElseTheOneRead) {
    const TreeDocument read = base();
    const TreeDocument first = added(read, "b", "x");       // a write that adds an item
    const TreeDocument second = retitled(first, "c1", "C"); // a write that changes a title
    const std::vector<TreeDocument> versions = {read, first, second};
    EXPECT_EQ(DocumentMerge::commonVersion(versions, retitled(second, "a", "T")), second);
    EXPECT_EQ(DocumentMerge::commonVersion(versions, retitled(first, "a", "T")), first);
    EXPECT_EQ(DocumentMerge::commonVersion(versions, retitled(read, "a", "T")), read);
    EXPECT_EQ(DocumentMerge::commonVersion({read}, second), read);

    // Their version was made while ours was written: against our last write, what our writes
    // did would look undone by them and be lost.
    const TreeDocument theirs = retitled(read, "a", "T");
    EXPECT_EQ(shapeOf(DocumentMerge::merge(second, second, theirs).document),
              "a:T[a1,a2,a3],b,c[c1]");
    const auto& from = DocumentMerge::commonVersion(versions, theirs);
    EXPECT_EQ(shapeOf(DocumentMerge::merge(from, second, theirs).document),
              "a:T[a1,a2,a3],b,x,c[c1:C]");
}

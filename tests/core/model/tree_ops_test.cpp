#include "core/model/archive_titles.hpp"
#include "tree_fixtures.hpp"

#include <gtest/gtest.h>

#include <set>

using namespace velmora;
using namespace velmora::testing;
using Ids = std::vector<std::string>;

namespace {

// a (a1, a2, a3), b, c (c1 (c11))
TreeDocument sample() {
    return doc({node("a", {leaf("a1"), leaf("a2"), leaf("a3")}), leaf("b"),
                node("c", {node("c1", {leaf("c11")})})});
}

void collectIds(const ItemList& items, std::multiset<std::string>& into) {
    for (const auto& item : items) {
        into.insert(item.id);
        collectIds(item.children, into);
    }
}

} // namespace

TEST(TreeOpsLocate, FindsPathItemAndParent) {
    auto d = sample();
    auto loc = TreeOps::locate(d.items, "c11");
    ASSERT_TRUE(loc);
    EXPECT_EQ(loc->path, (std::vector<int>{2, 0, 0}));
    EXPECT_EQ(loc->item.id, "c11");
    EXPECT_EQ(loc->parent->id, "c1");
    EXPECT_FALSE(TreeOps::locate(d.items, "zz"));
    EXPECT_FALSE(TreeOps::locate(d.items, "b")->parent);
}

TEST(TreeOpsLocate, DuplicateIdsResolveToFirstInPreOrder) {
    auto d = doc({node("x", {leaf("dup")}), leaf("dup")});
    EXPECT_EQ(TreeOps::locate(d.items, "dup")->path, (std::vector<int>{0, 0}));
}

TEST(TreeOpsInsert, NewItemsGoBesideBelowAboveAndAsChild) {
    auto d = sample();
    auto below = TreeOps::insertSiblingBelow(d, "a2", "t", "n");
    EXPECT_EQ(childIds(below.doc, "a"), (Ids{"a1", "a2", "n", "a3"}));
    EXPECT_EQ(below.id, "n");
    EXPECT_EQ(TreeOps::locate(below.doc.items, "n")->item.text, "t");
    auto above = TreeOps::insertSiblingAbove(d, "a1", "", "n");
    EXPECT_EQ(childIds(above.doc, "a"), (Ids{"n", "a1", "a2", "a3"}));
    auto collapsed = TreeOps::setCollapsed(d, "c", true);
    auto child = TreeOps::addChild(collapsed, "c", "", "n");
    EXPECT_EQ(childIds(child.doc, "c"), (Ids{"c1", "n"}));
    EXPECT_FALSE(TreeOps::locate(child.doc.items, "c")->item.collapsed);
}

TEST(TreeOpsInsert, AuntGoesAfterTheParent) {
    auto d = sample();
    EXPECT_EQ(ids(TreeOps::addAunt(d, "a2", "", "n").doc.items), (Ids{"a", "n", "b", "c"}));
    EXPECT_EQ(childIds(TreeOps::addAunt(d, "c11", "", "n").doc, "c"), (Ids{"c1", "n"}));
    // A top-level item gets its aunt directly after itself.
    EXPECT_EQ(ids(TreeOps::addAunt(d, "b", "", "n").doc.items), (Ids{"a", "b", "n", "c"}));
}

TEST(TreeOpsInsert, UnknownIdAppendsAtTheTop) {
    auto d = sample();
    for (auto r : {TreeOps::insertSiblingBelow(d, "zz", "", "n"),
                   TreeOps::insertSiblingAbove(d, "zz", "", "n"),
                   TreeOps::addChild(d, "zz", "", "n"), TreeOps::addAunt(d, "zz", "", "n")})
        EXPECT_EQ(ids(r.doc.items), (Ids{"a", "b", "c", "n"}));
}

TEST(TreeOpsSplit, CutsAtGraphemeClusters) {
    auto d = TreeOps::updateItem(sample(), "b", [](Item& i) {
        i.text = "he\xCC\x81llo"; // h, e + combining acute, l, l, o
        i.note = "note";
    });
    auto r = TreeOps::splitItem(d, "b", 2, "n");
    auto b = TreeOps::locate(r.doc.items, "b")->item;
    auto n = TreeOps::locate(r.doc.items, "n")->item;
    EXPECT_EQ(b.text, "he\xCC\x81");
    EXPECT_EQ(n.text, "llo");
    EXPECT_EQ(b.note, "note");
    EXPECT_EQ(n.note, "");
    EXPECT_EQ(ids(r.doc.items), (Ids{"a", "b", "n", "c"}));

    auto atStart = TreeOps::splitItem(d, "b", -4, "n");
    EXPECT_EQ(TreeOps::locate(atStart.doc.items, "b")->item.text, "");
    EXPECT_EQ(TreeOps::locate(atStart.doc.items, "n")->item.text, "he\xCC\x81llo");
    auto pastEnd = TreeOps::splitItem(d, "b", 99, "n");
    EXPECT_EQ(TreeOps::locate(pastEnd.doc.items, "n")->item.text, "");
    // A split keeps the item's children with the upper half.
    auto parent = TreeOps::splitItem(d, "c", 1, "n");
    EXPECT_EQ(childIds(parent.doc, "c"), (Ids{"c1"}));
    EXPECT_TRUE(childIds(parent.doc, "n").empty());
}

TEST(TreeOpsCopy, DuplicateGivesFreshIdsAtEveryDepthAndNoStamps) {
    auto d = TreeOps::updateItem(sample(), "c1", [](Item& i) {
        i.created = Timestamp{1};
        i.modified = Timestamp{2};
        i.color = ColorLabel::blue;
    });
    Counter counter;
    auto r = TreeOps::duplicate(d, "c", counter);
    EXPECT_EQ(r.id, "n1");
    EXPECT_EQ(ids(r.doc.items), (Ids{"a", "b", "c", "n1"}));
    auto copy = TreeOps::locate(r.doc.items, "n1")->item;
    EXPECT_EQ(copy.children[0].id, "n2");
    EXPECT_EQ(copy.children[0].children[0].id, "n3");
    EXPECT_EQ(copy.children[0].color, ColorLabel::blue);
    EXPECT_FALSE(copy.children[0].created);
    EXPECT_FALSE(copy.children[0].modified);
    std::multiset<std::string> all;
    collectIds(r.doc.items, all);
    for (const auto& id : all)
        EXPECT_EQ(all.count(id), 1u) << id;
}

TEST(TreeOpsRemove, ProposesPreviousThenNextThenParent) {
    auto d = sample();
    auto middle = TreeOps::removeItem(d, "a2");
    EXPECT_EQ(childIds(middle.doc, "a"), (Ids{"a1", "a3"}));
    EXPECT_EQ(middle.selectedId, "a1");
    EXPECT_EQ(TreeOps::removeItem(d, "a1").selectedId, "a2");
    EXPECT_EQ(TreeOps::removeItem(d, "c11").selectedId, "c1");
    auto only = TreeOps::removeItem(doc({leaf("x")}), "x");
    EXPECT_TRUE(only.doc.items.empty());
    EXPECT_EQ(only.selectedId, std::nullopt);
    auto unknown = TreeOps::removeItem(d, "zz");
    EXPECT_EQ(unknown.doc, d);
    EXPECT_EQ(unknown.selectedId, std::nullopt);
}

TEST(TreeOpsRemove, SelectionAfterRemovingSeveralPrefersTheNextSibling) {
    auto d = doc({node("p", {leaf("s1"), leaf("s2"), leaf("s3"), leaf("s4")})});
    EXPECT_EQ(TreeOps::selectionAfterRemoving(d.items, {"s2", "s3"}), "s4");
    EXPECT_EQ(TreeOps::selectionAfterRemoving(d.items, {"s3", "s4"}), "s2");
    EXPECT_EQ(TreeOps::selectionAfterRemoving(d.items, {"s1", "s2", "s3", "s4"}), "p");
    EXPECT_EQ(TreeOps::selectionAfterRemoving(d.items, {}), std::nullopt);
    EXPECT_EQ(TreeOps::selectionAfterRemoving(d.items, {"s1", "gone"}), std::nullopt);
    // Only the siblings of the last listed id are marked.
    EXPECT_EQ(TreeOps::selectionAfterRemoving(d.items, {"s4", "p"}), std::nullopt);
    EXPECT_EQ(TreeOps::selectionAfterRemoving(d.items, {"p", "s1"}), "s2");
}

TEST(TreeOpsIndent, IndentMovesUnderPreviousSiblingAndExpandsIt) {
    auto d = TreeOps::setCollapsed(sample(), "a", true);
    auto r = TreeOps::indent(d, "b");
    EXPECT_EQ(ids(r.items), (Ids{"a", "c"}));
    EXPECT_EQ(childIds(r, "a"), (Ids{"a1", "a2", "a3", "b"}));
    EXPECT_FALSE(TreeOps::locate(r.items, "a")->item.collapsed);
    EXPECT_EQ(TreeOps::indent(d, "a"), d);
    EXPECT_EQ(TreeOps::indent(d, "a1"), d);
    EXPECT_EQ(TreeOps::indent(d, "zz"), d);
}

TEST(TreeOpsIndent, OutdentLeavesFollowingSiblingsUnderTheOldParent) {
    auto d = sample();
    auto r = TreeOps::outdent(d, "a2");
    EXPECT_EQ(ids(r.items), (Ids{"a", "a2", "b", "c"}));
    EXPECT_EQ(childIds(r, "a"), (Ids{"a1", "a3"}));
    EXPECT_TRUE(childIds(r, "a2").empty());
    EXPECT_EQ(TreeOps::outdent(d, "b"), d);
}

TEST(TreeOpsMove, DirectionsStayAmongSiblings) {
    auto d = sample();
    EXPECT_EQ(childIds(TreeOps::move(d, "a2", TreeOps::MoveDirection::up), "a"),
              (Ids{"a2", "a1", "a3"}));
    EXPECT_EQ(childIds(TreeOps::move(d, "a2", TreeOps::MoveDirection::down), "a"),
              (Ids{"a1", "a3", "a2"}));
    EXPECT_EQ(TreeOps::move(d, "a1", TreeOps::MoveDirection::up), d);
    EXPECT_EQ(TreeOps::move(d, "a3", TreeOps::MoveDirection::down), d);
    EXPECT_EQ(TreeOps::move(d, "b", TreeOps::MoveDirection::right), TreeOps::indent(d, "b"));
    EXPECT_EQ(TreeOps::move(d, "a1", TreeOps::MoveDirection::left), TreeOps::outdent(d, "a1"));
}

TEST(TreeOpsMove, ToAPlaceAdjustsForItsOwnRemoval) {
    auto d = sample();
    // Index 0 to index 2 among three siblings lands between the other two.
    EXPECT_EQ(childIds(TreeOps::move(d, "a1", std::string("a"), 2), "a"), (Ids{"a2", "a1", "a3"}));
    EXPECT_EQ(ids(TreeOps::move(d, "a", std::nullopt, 2).items), (Ids{"b", "a", "c"}));
    EXPECT_EQ(ids(TreeOps::move(d, "c1", std::nullopt, 0).items), (Ids{"c1", "a", "b", "c"}));
    auto collapsed = TreeOps::setCollapsed(d, "c", true);
    auto into = TreeOps::move(collapsed, "b", std::string("c"), std::nullopt);
    EXPECT_EQ(childIds(into, "c"), (Ids{"c1", "b"}));
    EXPECT_FALSE(TreeOps::locate(into.items, "c")->item.collapsed);
    EXPECT_EQ(childIds(TreeOps::move(d, "b", std::string("a"), 99), "a"),
              (Ids{"a1", "a2", "a3", "b"}));
}

TEST(TreeOpsMove, NeverIntoItselfOrItsDescendants) {
    auto d = sample();
    EXPECT_FALSE(TreeOps::canMove(d, "c", std::string("c11")));
    EXPECT_FALSE(TreeOps::canMove(d, "c", std::string("c")));
    EXPECT_FALSE(TreeOps::canMove(d, "c", std::string("gone")));
    EXPECT_FALSE(TreeOps::canMove(d, "gone", std::nullopt));
    EXPECT_TRUE(TreeOps::canMove(d, "c11", std::nullopt));
    EXPECT_TRUE(TreeOps::canMove(d, "c11", std::string("a")));
    EXPECT_EQ(TreeOps::move(d, "c", std::string("c11"), 0), d);
}

TEST(TreeOpsMove, MovedSubtreeKeepsItsStorage) {
    auto d = sample();
    auto r = TreeOps::move(d, "c", std::string("a"), 0);
    EXPECT_EQ(&TreeOps::locate(d.items, "c1")->item.children[0],
              &TreeOps::locate(r.items, "c1")->item.children[0]);
}

TEST(TreeOpsInsertItems, IntoAParentOrAtTheTop) {
    auto d = TreeOps::setCollapsed(sample(), "c", true);
    std::vector<Item> items{leaf("x"), leaf("y")};
    auto r = TreeOps::insert(d, items, std::string("c"), 0);
    EXPECT_EQ(childIds(r, "c"), (Ids{"x", "y", "c1"}));
    EXPECT_FALSE(TreeOps::locate(r.items, "c")->item.collapsed);
    EXPECT_EQ(ids(TreeOps::insert(d, items, std::nullopt, -5).items),
              (Ids{"x", "y", "a", "b", "c"}));
    EXPECT_EQ(TreeOps::insert(d, items, std::string("gone"), 0), d);
    EXPECT_EQ(TreeOps::insert(d, {}, std::nullopt, 0), d);
}

TEST(TreeOpsInsertItems, AfterAnItemOrAtTheEndOfTheRoot) {
    auto d = TreeOps::setCollapsed(sample(), "a", true);
    std::vector<Item> items{leaf("x")};
    EXPECT_EQ(ids(TreeOps::insertAfter(d, items, std::string("a"), std::nullopt).items),
              (Ids{"a", "x", "b", "c"}));
    auto atRoot = TreeOps::insertAfter(d, items, std::string("a"), std::string("a"));
    EXPECT_EQ(childIds(atRoot, "a"), (Ids{"a1", "a2", "a3", "x"}));
    EXPECT_FALSE(TreeOps::locate(atRoot.items, "a")->item.collapsed);
    EXPECT_EQ(childIds(TreeOps::insertAfter(d, items, std::nullopt, std::string("c")), "c"),
              (Ids{"c1", "x"}));
    EXPECT_EQ(ids(TreeOps::insertAfter(d, items, std::string("gone"), std::nullopt).items),
              (Ids{"a", "b", "c", "x"}));
    auto appended = TreeOps::appendChildren(d, "a", items);
    EXPECT_EQ(childIds(appended, "a"), (Ids{"a1", "a2", "a3", "x"}));
    EXPECT_TRUE(TreeOps::locate(appended.items, "a")->item.collapsed);
}

TEST(TreeOpsCollapse, FamilyAndAll) {
    auto d = sample();
    auto family = TreeOps::setCollapsedFamily(d, "c", true);
    EXPECT_TRUE(TreeOps::locate(family.items, "c")->item.collapsed);
    EXPECT_TRUE(TreeOps::locate(family.items, "c11")->item.collapsed);
    EXPECT_FALSE(TreeOps::locate(family.items, "a")->item.collapsed);
    auto all = TreeOps::setCollapsedAll(d, true);
    EXPECT_TRUE(TreeOps::locate(all.items, "a1")->item.collapsed);
    // Collapsing what is already collapsed keeps the storage.
    EXPECT_TRUE(TreeOps::setCollapsedAll(all, true).items.sharesStorageWith(all.items));
}

TEST(TreeOpsBranch, AncestorsAndBranch) {
    auto d = sample();
    EXPECT_EQ(TreeOps::ancestorIds(d.items, "c11"), (std::set<std::string>{"c", "c1"}));
    EXPECT_TRUE(TreeOps::ancestorIds(d.items, "b").empty());
    EXPECT_EQ(TreeOps::branch(d.items, "c1"), (std::set<std::string>{"c", "c1", "c11"}));
    EXPECT_TRUE(TreeOps::branch(d.items, "zz").empty());
}

TEST(TreeOpsArchive, TitlesMatchTrimmedAndCaseInsensitive) {
    EXPECT_TRUE(ArchiveTitles::matches("  archive \n"));
    EXPECT_TRUE(ArchiveTitles::matches("АРХІВ"));
    EXPECT_TRUE(ArchiveTitles::matches("アーカイブ"));
    EXPECT_FALSE(ArchiveTitles::matches("Archives"));
    EXPECT_FALSE(ArchiveTitles::matches(""));
}

TEST(TreeOpsArchive, TopmostCompletedSkipsTheArchive) {
    auto d = doc({node("a", {checked(node("a1", {checked(leaf("a11"))})), leaf("a2")}),
                  checked(leaf("b")), node(" archive ", {checked(leaf("old"))})});
    EXPECT_EQ(ids(ItemList(TreeOps::topmostCompleted(d.items, std::nullopt))), (Ids{"a1", "b"}));
    EXPECT_TRUE(TreeOps::isInArchive(d.items, "old"));
    EXPECT_TRUE(TreeOps::isInArchive(d.items, " archive "));
    EXPECT_FALSE(TreeOps::isInArchive(d.items, "a1"));
    EXPECT_EQ(ids(ItemList(TreeOps::topmostCompleted(d.items, std::string("a")))), (Ids{"a1"}));
    EXPECT_EQ(ids(ItemList(TreeOps::topmostCompleted(d.items, std::string("a1")))), (Ids{"a1"}));
    EXPECT_TRUE(TreeOps::topmostCompleted(d.items, std::string(" archive ")).empty());
    EXPECT_TRUE(TreeOps::topmostCompleted(d.items, std::string("gone")).empty());
}

TEST(TreeOpsDepth, DeepestAllowedTreeIsWalkedAndReleasedSafely) {
    Item deepest = leaf("d" + std::to_string(kMaxItemDepth));
    for (int depth = kMaxItemDepth - 1; depth >= 0; --depth)
        deepest = node("d" + std::to_string(depth), {deepest});
    auto d = doc({deepest});
    EXPECT_EQ(d.itemCount(), kMaxItemDepth + 1);
    auto last = "d" + std::to_string(kMaxItemDepth);
    EXPECT_EQ(TreeOps::locate(d.items, last)->path.size(), static_cast<size_t>(kMaxItemDepth + 1));
    auto changed = TreeOps::updateItem(d, last, [](Item& i) { i.text = "x"; });
    EXPECT_EQ(TreeOps::visibleItems(changed.items, std::nullopt, false).size(),
              static_cast<size_t>(kMaxItemDepth + 1));
    EXPECT_NE(changed, d);
}

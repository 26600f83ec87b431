#include "tree_fixtures.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;
using Ids = std::vector<std::string>;

namespace {

// a (b (c), d collapsed (e)), f checked (g)
TreeDocument sample() {
    return doc({node("a", {node("b", {leaf("c")}), node("d", {leaf("e")}, true)}),
                checked(node("f", {leaf("g")}))});
}

} // namespace

TEST(Visibility, EmptyDocumentHasNothingToShow) {
    TreeDocument empty = doc({});
    EXPECT_EQ(empty.itemCount(), 0);
    EXPECT_TRUE(TreeOps::visibleItems(empty.items, std::nullopt, false).empty());
    EXPECT_TRUE(TreeOps::displayItems(empty.items, std::nullopt, true).empty());
}

TEST(Visibility, CollapsedItemsHideTheirDescendants) {
    auto d = sample();
    auto rows = TreeOps::visibleItems(d.items, std::nullopt, false);
    EXPECT_EQ(rowIds(rows), (Ids{"a", "b", "c", "d", "f", "g"}));
    EXPECT_EQ(rows[2].depth, 2);
    EXPECT_EQ(rows[2].parentId(), "b");
    EXPECT_EQ(rows[0].parentId(), std::nullopt);

    auto expanded = TreeOps::setCollapsed(d, "d", false);
    EXPECT_EQ(rowIds(TreeOps::visibleItems(expanded.items, std::nullopt, false)),
              (Ids{"a", "b", "c", "d", "e", "f", "g"}));
}

TEST(Visibility, HidingCompletedDropsCheckedSubtrees) {
    auto d = sample();
    EXPECT_EQ(rowIds(TreeOps::visibleItems(d.items, std::nullopt, true)),
              (Ids{"a", "b", "c", "d"}));
    auto display = TreeOps::displayItems(d.items, std::nullopt, true);
    EXPECT_EQ(ids(display), (Ids{"a"}));
    // Collapsed items keep their children in the display tree.
    EXPECT_EQ(ids(display[0].children[1].children), (Ids{"e"}));
}

TEST(Visibility, HoistedRootIsFirstRowEvenWhenChecked) {
    auto d = doc({node("r", {checked(node("f", {leaf("g")})), node("x", {checked(leaf("y"))})})});
    d = TreeOps::updateItem(d, "r", [](Item& i) { i.checked = true; });
    auto rows = TreeOps::visibleItems(d.items, std::string("r"), true);
    EXPECT_EQ(rowIds(rows), (Ids{"r", "x"}));
    EXPECT_EQ(rows[0].depth, 0);
    EXPECT_EQ(rows[1].depth, 1);
    EXPECT_EQ(ids(TreeOps::displayItems(d.items, std::string("r"), true)), (Ids{"r"}));
    EXPECT_EQ(ids(TreeOps::displayItems(d.items, std::string("r"), true)[0].children), (Ids{"x"}));
}

TEST(Visibility, HoistedRootRowCarriesItsParent) {
    auto d = sample();
    auto rows = TreeOps::visibleItems(d.items, std::string("b"), false);
    EXPECT_EQ(rowIds(rows), (Ids{"b", "c"}));
    EXPECT_EQ(rows[0].parentId(), "a");
    EXPECT_TRUE(TreeOps::visibleItems(d.items, std::string("gone"), false).empty());
    EXPECT_TRUE(TreeOps::displayItems(d.items, std::string("gone"), false).empty());
}

TEST(Visibility, CompletedHiddenLooksAtAncestorsBelowTheRoot) {
    auto d = doc({checked(node("r", {node("a", {leaf("b")}), checked(node("c", {leaf("e")}))}))});
    EXPECT_TRUE(TreeOps::isCompletedHidden(d.items, "b", std::nullopt));
    EXPECT_FALSE(TreeOps::isCompletedHidden(d.items, "b", std::string("r")));
    EXPECT_FALSE(TreeOps::isCompletedHidden(d.items, "r", std::string("r")));
    EXPECT_TRUE(TreeOps::isCompletedHidden(d.items, "e", std::string("r")));
    EXPECT_TRUE(TreeOps::isCompletedHidden(d.items, "c", std::string("r")));
    EXPECT_FALSE(TreeOps::isCompletedHidden(d.items, "unknown", std::nullopt));
}

TEST(Visibility, ModelIndexSkipsHiddenSiblings) {
    ItemList siblings{leaf("a"), checked(leaf("b")), leaf("c"), checked(leaf("d"))};
    auto hidden = [](const Item& i) { return i.checked; };
    EXPECT_EQ(TreeOps::modelIndex(0, siblings, hidden), 0);
    EXPECT_EQ(TreeOps::modelIndex(1, siblings, hidden), 2);
    EXPECT_EQ(TreeOps::modelIndex(2, siblings, hidden), 4);
    ItemList allHidden{checked(leaf("a")), checked(leaf("b"))};
    EXPECT_EQ(TreeOps::modelIndex(0, allHidden, hidden), 2);
}

TEST(Model, CountsAndDeepEquality) {
    auto d = sample();
    EXPECT_EQ(d.itemCount(), 7);
    EXPECT_EQ(d.items[0].count(), 5);
    auto other = TreeOps::setCollapsed(d, "e", true);
    EXPECT_NE(d, other);
    Item a = leaf("a"), b = leaf("a");
    b.modified = Timestamp{5};
    EXPECT_NE(a, b);
    // Equal content in separate storage still compares equal.
    EXPECT_EQ(sample(), d);
}

TEST(Model, LabelNamesReadStrictlyWithOlderAliases) {
    EXPECT_EQ(colorLabelFromRawValue("pink"), ColorLabel::red);
    EXPECT_EQ(colorLabelFromRawValue("aqua"), ColorLabel::blue);
    EXPECT_EQ(colorLabelFromRawValue("brown"), ColorLabel::gray);
    EXPECT_EQ(colorLabelFromRawValue("purple"), ColorLabel::purple);
    EXPECT_EQ(colorLabelFromRawValue("Red"), std::nullopt);
    EXPECT_EQ(colorLabelFromRawValue(""), std::nullopt);
    for (auto label : ColorLabels::allCases)
        EXPECT_EQ(colorLabelFromRawValue(rawValue(label)), label);
}

TEST(Model, MadeIdsAreLowerCaseVersion4UUIDs) {
    auto a = TreeIDs::make(), b = TreeIDs::make();
    EXPECT_NE(a, b);
    ASSERT_EQ(a.size(), 36u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23)
            EXPECT_EQ(a[i], '-');
        else
            EXPECT_TRUE((a[i] >= '0' && a[i] <= '9') || (a[i] >= 'a' && a[i] <= 'f')) << a;
    }
    EXPECT_EQ(a[14], '4');
    EXPECT_NE(std::string("89ab").find(a[19]), std::string::npos);
}

TEST(Model, CopiesShareUntouchedSubtrees) {
    auto d = doc({node("a", {leaf("a1"), leaf("a2")}), node("b", {leaf("b1")})});
    auto changed = TreeOps::updateItem(d, "a2", [](Item& i) { i.text = "new"; });
    // The untouched branch is the same storage in both trees; the edited path is not.
    EXPECT_EQ(&d.items[1], &changed.items[1]);
    EXPECT_TRUE(d.items[1].children.sharesStorageWith(changed.items[1].children));
    EXPECT_EQ(&d.items[0].children[0], &changed.items[0].children[0]);
    EXPECT_FALSE(d.items[0].children.sharesStorageWith(changed.items[0].children));
    EXPECT_EQ(d.items[0].children[1].text, "a2");
    // A copy of the document shares everything.
    TreeDocument copy = d;
    EXPECT_TRUE(copy.items.sharesStorageWith(d.items));
}

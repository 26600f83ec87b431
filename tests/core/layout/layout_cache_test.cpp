// The layout that remembers subtrees by node, against the layout made from scratch, over long
// random edit sequences in both styles with hoisting, hidden completed items, collapsing and
// column widths.
#include "core/layout/layout_cache.hpp"
#include "core/model/tree_ops.hpp"

#include <gtest/gtest.h>

#include <random>

using namespace velmora;
using TreeLayout::Style;

namespace {

// A size that follows the item's content, in quarter points so sums are exact.
LayoutSize sizeOf(const Item& item, int depth, const std::vector<double>& columns) {
    if (item.text.size() % 5 == 0)
        return {TreeLayout::nodeWidth(depth, columns), 21}; // as if never measured
    return {double(item.text.size() * 7 % 200) + 0.25, 21 + 17.5 * double(item.text.size() % 3)};
}

Item randomItem(std::mt19937& rng, int depth, int& next) {
    Item item = Item::blank("i" + std::to_string(next++), std::string(rng() % 9, 'x'));
    item.checked = rng() % 6 == 0;
    if (depth < 5 && rng() % 3 != 0) {
        std::vector<Item> children;
        const int count = 1 + int(rng() % 4);
        for (int i = 0; i < count; ++i)
            children.push_back(randomItem(rng, depth + 1, next));
        item.children = ItemList(std::move(children));
        item.collapsed = rng() % 6 == 0;
    }
    return item;
}

std::vector<std::string> allIds(const ItemList& items) {
    std::vector<std::string> ids;
    std::vector<const ItemList*> stack{&items};
    while (!stack.empty()) {
        const ItemList* list = stack.back();
        stack.pop_back();
        for (const Item& item : *list) {
            ids.push_back(item.id);
            stack.push_back(&item.children);
        }
    }
    return ids;
}

// One random edit of the kind the session makes.
TreeDocument edit(const TreeDocument& doc, std::mt19937& rng, int& next) {
    auto ids = allIds(doc.items);
    if (ids.empty())
        return TreeOps::insert(doc, {Item::blank("i" + std::to_string(next++), "new")},
                               std::nullopt, std::nullopt);
    const std::string& id = ids[rng() % ids.size()];
    const std::string fresh = "i" + std::to_string(next++);
    switch (rng() % 9) {
    case 0:
        return TreeOps::updateItem(doc, id, [&](Item& i) { i.text += "ab"; });
    case 1:
        return TreeOps::updateItem(doc, id, [&](Item& i) { i.collapsed = !i.collapsed; });
    case 2:
        return TreeOps::updateItem(doc, id, [&](Item& i) { i.checked = !i.checked; });
    case 3:
        return TreeOps::insertSiblingBelow(doc, id, "sibling", fresh).doc;
    case 4:
        return TreeOps::addChild(doc, id, "child text", fresh).doc;
    case 5:
        return TreeOps::removeItem(doc, id).doc;
    case 6:
        return TreeOps::indent(doc, id);
    case 7:
        return TreeOps::outdent(doc, id);
    default:
        return TreeOps::move(doc, id, rng() % 2 ? TreeOps::MoveDirection::up : TreeOps::MoveDirection::down);
    }
}

struct Scenario {
    Style style;
    std::vector<double> columns;
    bool hoist;
    bool hide;
    bool rootLine;
};

void runScenario(const Scenario& s, unsigned seed) {
    std::mt19937 rng(seed);
    int next = 0;
    std::vector<Item> top;
    for (int i = 0; i < 5; ++i)
        top.push_back(randomItem(rng, 0, next));
    TreeDocument doc{"d", "D", ItemList(std::move(top))};
    TreeLayoutCache cache;
    const TreeLayoutCache::Context context{s.columns, s.style, s.rootLine, 0};
    std::optional<std::string> hoistRoot;
    for (int step = 0; step < 300; ++step) {
        doc = edit(doc, rng, next);
        if (s.hoist && step % 40 == 0) {
            auto ids = allIds(doc.items);
            hoistRoot = ids.empty() || rng() % 3 == 0 ? std::nullopt
                                                      : std::optional(ids[rng() % ids.size()]);
        }
        const ItemList shown = TreeOps::displayItems(doc.items, hoistRoot, s.hide);
        LayoutSizes sizes;
        std::vector<std::pair<const ItemList*, int>> stack{{&shown, 0}};
        while (!stack.empty()) {
            auto [list, depth] = stack.back();
            stack.pop_back();
            for (const Item& item : *list) {
                sizes[item.id] = sizeOf(item, depth, s.columns);
                stack.push_back({&item.children, depth + 1});
            }
        }
        cache.update(shown, context, [&](const ItemList::Node& node, int depth) {
            return sizeOf(*node, depth, s.columns);
        });
        const auto expected = TreeLayout::layout(shown, sizes, s.columns, s.style, s.rootLine);
        ASSERT_EQ(cache.result(), expected) << "step " << step << " seed " << seed;
        ASSERT_EQ(cache.contentSize(), expected.contentSize);
    }
}

TEST(TreeLayoutCache, MatchesTheFullLayoutAfterLongRandomEditSequences) {
    const std::vector<Scenario> scenarios = {
        {Style::tree, {}, false, false, true},
        {Style::tree, {130, 300, 480}, true, true, false},
        {Style::tree, {200}, false, true, true},
        {Style::map, {}, false, false, true},
        {Style::map, {260}, true, true, true},
        {Style::map, {}, true, false, true},
    };
    for (std::size_t i = 0; i < scenarios.size(); ++i) {
        SCOPED_TRACE("scenario " + std::to_string(i));
        runScenario(scenarios[i], 100 + static_cast<unsigned>(i));
        if (HasFatalFailure())
            return;
    }
}

TEST(TreeLayoutCache, AnEditLaysOutOnlyThePathToTheChange) {
    std::mt19937 rng(7);
    int next = 0;
    std::vector<Item> top;
    for (int i = 0; i < 30; ++i)
        top.push_back(randomItem(rng, 0, next));
    TreeDocument doc{"d", "D", TreeOps::setCollapsedAll({"d", "D", ItemList(std::move(top))}, false).items};
    TreeLayoutCache cache;
    int measured = 0;
    auto measure = [&](const ItemList::Node& node, int depth) {
        ++measured;
        return sizeOf(*node, depth, {});
    };
    cache.update(doc.items, {}, measure);
    EXPECT_EQ(measured, TreeLayout::shownCount(doc.items));

    const auto ids = allIds(doc.items);
    const std::string deep = ids.back();
    const auto depth = TreeOps::pathOf(doc.items, deep)->size();
    measured = 0;
    doc = TreeOps::updateItem(doc, deep, [](Item& i) { i.text = "changed"; });
    cache.update(doc.items, {}, measure);
    EXPECT_EQ(measured, static_cast<int>(depth)); // the item and its ancestors, nothing else
    EXPECT_EQ(cache.laidOutCount(), static_cast<std::int64_t>(depth));

    // Another context (column widths) lays out everything again.
    measured = 0;
    cache.update(doc.items, {{300}, Style::tree, true, 0}, measure);
    EXPECT_EQ(measured, TreeLayout::shownCount(doc.items));
}

} // namespace

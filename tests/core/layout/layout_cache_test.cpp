// The layout that remembers subtrees by node, against the layout made from scratch, over long
// random edit sequences in both styles with hoisting, hidden completed items, collapsing and
// column widths changed between edits; stepping through it in outline order.
#include "core/layout/layout_cache.hpp"
#include "core/layout/layout_order.hpp"
#include "core/layout/layout_query.hpp"
#include "core/model/tree_ops.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

using namespace velmora;
using TreeLayout::Style;

namespace {

// A size that follows the item's content and, as a wrapping title does, its column's width;
// in quarter points so sums are exact.
LayoutSize sizeOf(const Item& item, int depth, const std::vector<double>& columns) {
    const double width = TreeLayout::nodeWidth(depth, columns);
    if (item.text.size() % 5 == 0)
        return {width, 21}; // as if never measured
    const double text = double(item.text.size() * 23 % 300);
    const double lines = std::ceil((text + 1) / (width - 40));
    return {std::min(text, width - 40) + 0.25,
            21 + 17.5 * (lines - 1) + 17.5 * double(item.text.size() % 3)};
}

// A drag of one column's edge (now and then back to a width it had), or all widths reset.
void resizeColumns(std::vector<double>& columns, std::mt19937& rng) {
    if (rng() % 8 == 0) {
        columns.clear();
        return;
    }
    const std::size_t depth = rng() % 5;
    if (columns.size() <= depth)
        columns.resize(depth + 1, TreeLayout::column);
    static constexpr double widths[] = {120, 150, 220, 221.5, 300, 480, 600};
    columns[depth] = widths[rng() % std::size(widths)];
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

// Whether the record is in the list.
template <typename T> bool holds(const std::vector<T>& list, const T& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool reaches(double from, double to, double top, double bottom) {
    return to >= top && from <= bottom;
}

// The visible part of a few random bands against the whole reference layout: everything the
// reference has in the band is there, nothing is there that the reference lacks, and the lit
// branch is the selected item's ancestors, itself and its descendants.
void expectVisibleMatches(const TreeLayoutCache::Tree& tree, const TreeLayoutResult& expected,
                          const ItemList& documentItems, const std::optional<std::string>& selected,
                          std::mt19937& rng) {
    LayoutQuery::Branch branch;
    std::set<std::string> litIds;
    if (selected) {
        const auto path = TreeOps::pathOf(documentItems, *selected);
        const ItemList* list = &documentItems;
        for (int index : *path) {
            branch.path.insert(list->node(std::size_t(index)).get());
            branch.item = list->node(std::size_t(index)).get();
            list = &list->node(std::size_t(index))->children;
        }
        litIds = TreeOps::branch(documentItems, *selected);
    }
    const bool tree_ = tree.context.style == Style::tree;
    for (int band = 0; band < 3; ++band) {
        const double top = double(rng() % 2000) - 100;
        const double bottom = top + double(rng() % 400);
        const auto part = LayoutQuery::visible(tree, top, bottom, selected ? &branch : nullptr);
        std::vector<PlacedBlock> blocks;
        for (const auto& b : part.blocks) {
            blocks.push_back({b.entry->node->id, b.frame, b.entry->depth});
            ASSERT_TRUE(holds(expected.blocks, blocks.back())) << b.entry->node->id;
            EXPECT_EQ(b.lit, selected && litIds.contains(b.entry->node->id)) << b.entry->node->id;
        }
        for (const auto& b : expected.blocks)
            if (reaches(b.frame.y, b.frame.maxY(), top, bottom)) {
                ASSERT_TRUE(holds(blocks, b)) << b.id << " in " << top << "…" << bottom;
            }
        for (const auto& seg : part.segments)
            ASSERT_TRUE(holds(expected.segments, seg));
        for (const auto& seg : expected.segments)
            if (reaches(std::min(seg.y1, seg.y2) - 1, std::max(seg.y1, seg.y2) + 1, top, bottom)) {
                ASSERT_TRUE(holds(part.segments, seg)) << rawValue(seg.kind) << " " << seg.y1;
            }
        for (const auto& knob : part.knobs)
            ASSERT_TRUE(holds(expected.knobs, knob));
        for (const auto& knob : expected.knobs)
            if (reaches(knob.cy - 8, knob.cy + 8, top, bottom)) {
                ASSERT_TRUE(holds(part.knobs, knob)) << knob.id;
            }
        for (std::size_t i = 0; i < part.links.size(); ++i) {
            const auto& link = part.links[i];
            ASSERT_TRUE(holds(expected.links, link)) << link.id;
            EXPECT_EQ(part.litLinks[i], selected && litIds.contains(link.id) &&
                                            litIds.contains(link.parent));
        }
        for (const auto& link : expected.links) {
            if (!reaches(std::min(link.parentY, link.y) - 2, std::max(link.parentY, link.y) + 2,
                         top, bottom) ||
                holds(part.links, link))
                continue;
            // Below the band a tree parent's links share one line, drawn by the first of them.
            const bool stoodFor =
                tree_ && link.y > bottom &&
                std::any_of(part.links.begin(), part.links.end(), [&](const LayoutLink& l) {
                    return l.parent == link.parent && l.y > bottom && l.y <= link.y;
                });
            ASSERT_TRUE(stoodFor) << link.id << " from " << link.parent;
        }
    }
}

// Every shown item's block, found along its path, is the reference's block; an item that is
// not shown (hidden when completed, or inside a collapsed branch) is found nowhere, not even
// as the block of a sibling beside it.
void expectLocated(const TreeLayoutCache::Tree& tree, const TreeLayoutResult& expected,
                   const ItemList& documentItems, const std::optional<std::string>& hoistRoot) {
    std::vector<int> rootPath;
    if (hoistRoot)
        rootPath = TreeOps::pathOf(documentItems, *hoistRoot).value_or(std::vector<int>{});
    std::set<std::string> shown;
    for (const auto& b : expected.blocks)
        shown.insert(b.id);
    for (const auto& id : allIds(documentItems)) {
        auto path = *TreeOps::pathOf(documentItems, id);
        if (hoistRoot) {
            if (path.size() < rootPath.size() ||
                !std::equal(rootPath.begin(), rootPath.end(), path.begin()))
                continue;
            path.erase(path.begin(), path.begin() + std::ptrdiff_t(rootPath.size()));
            path.insert(path.begin(), 0);
        }
        const auto located = LayoutQuery::locate(tree, path);
        if (!shown.contains(id)) {
            EXPECT_FALSE(located) << id << " is not shown but was found as "
                                  << located->block.entry->node->id;
            continue;
        }
        const auto b = std::find_if(expected.blocks.begin(), expected.blocks.end(),
                                    [&](const PlacedBlock& block) { return block.id == id; });
        ASSERT_TRUE(located) << id;
        EXPECT_EQ(located->block.entry->node->id, id);
        EXPECT_EQ(located->block.frame, b->frame) << id;
        EXPECT_EQ(static_cast<int>(located->ancestors.size()), b->depth);
    }
}

// Stepping through the laid-out items in outline order, from a random item by random counts,
// ends where the shown items' own order says, stopping at the ends.
void expectOrder(const TreeLayoutCache::Tree& tree, const ItemList& shown,
                 const ItemList& documentItems, const std::optional<std::string>& hoistRoot,
                 std::mt19937& rng) {
    std::vector<std::string> order;
    std::vector<const ItemList*> stack{&shown};
    std::vector<std::size_t> at{0};
    while (!stack.empty()) {
        if (at.back() == stack.back()->size()) {
            stack.pop_back();
            at.pop_back();
            continue;
        }
        const Item& item = (*stack.back())[at.back()++];
        order.push_back(item.id);
        if (!item.collapsed) {
            stack.push_back(&item.children);
            at.push_back(0);
        }
    }
    ASSERT_EQ(LayoutOrder::first(tree) != nullptr, !order.empty());
    if (order.empty())
        return;
    EXPECT_EQ(LayoutOrder::first(tree)->node->id, order.front());
    EXPECT_EQ(LayoutOrder::last(tree)->node->id, order.back());
    std::vector<int> rootPath;
    if (hoistRoot)
        rootPath = TreeOps::pathOf(documentItems, *hoistRoot).value_or(std::vector<int>{});
    for (int probe = 0; probe < 5; ++probe) {
        const auto from = std::int64_t(rng() % order.size());
        const auto steps = std::int64_t(rng() % 13) - 6;
        auto path = *TreeOps::pathOf(documentItems, order[std::size_t(from)]);
        if (hoistRoot) {
            path.erase(path.begin(), path.begin() + std::ptrdiff_t(rootPath.size()));
            path.insert(path.begin(), 0);
        }
        const auto* reached = LayoutOrder::step(tree, path, steps);
        ASSERT_TRUE(reached) << order[std::size_t(from)];
        const auto expected = std::clamp<std::int64_t>(from + steps, 0, std::int64_t(order.size()) - 1);
        EXPECT_EQ(reached->node->id, order[std::size_t(expected)])
            << order[std::size_t(from)] << " by " << steps;
    }
}

struct Scenario {
    Style style;
    std::vector<double> columns;
    bool hoist;
    bool hide;
    bool rootLine;
    bool resizing; // column widths change between edits
};

void runScenario(const Scenario& s, unsigned seed) {
    std::mt19937 rng(seed);
    int next = 0;
    std::vector<Item> top;
    for (int i = 0; i < 5; ++i)
        top.push_back(randomItem(rng, 0, next));
    TreeDocument doc{"d", "D", ItemList(std::move(top))};
    TreeLayoutCache cache;
    std::vector<double> columns = s.columns;
    // The same layout with hidden items left out by the cache itself.
    TreeLayoutCache hiding;
    std::optional<std::string> hoistRoot;
    for (int step = 0; step < 300; ++step) {
        // Columns dragged alone, as while the mouse moves, or together with an edit.
        const bool resized = s.resizing && rng() % 3 == 0;
        if (resized)
            resizeColumns(columns, rng);
        if (!resized || rng() % 2 == 0)
            doc = edit(doc, rng, next);
        const TreeLayoutCache::Context context{columns, s.style, s.rootLine, 0};
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
                sizes[item.id] = sizeOf(item, depth, columns);
                stack.push_back({&item.children, depth + 1});
            }
        }
        cache.update(shown, context, [&](const ItemList::Node& node, int depth) {
            return sizeOf(*node, depth, columns);
        });
        const auto expected = TreeLayout::layout(shown, sizes, columns, s.style, s.rootLine);
        ASSERT_EQ(cache.result(), expected) << "step " << step << " seed " << seed;
        ASSERT_EQ(cache.contentSize(), expected.contentSize);

        const ItemList laidOut = TreeOps::displayItems(doc.items, hoistRoot, false);
        hiding.update(laidOut, {columns, s.style, s.rootLine, 0, s.hide, hoistRoot.has_value()},
                      [&](const ItemList::Node& node, int depth) {
                          return sizeOf(*node, depth, columns);
                      });
        ASSERT_EQ(hiding.result(), expected) << "step " << step << " seed " << seed;
        std::optional<std::string> selected;
        if (auto ids = allIds(shown); !ids.empty() && rng() % 4 != 0)
            selected = ids[rng() % ids.size()];
        if (step % 3 == 0) {
            expectVisibleMatches(*hiding.tree(), expected, doc.items, selected, rng);
            expectLocated(*hiding.tree(), expected, doc.items, hoistRoot);
            expectOrder(*hiding.tree(), shown, doc.items, hoistRoot, rng);
        }
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

TEST(TreeLayoutCache, MatchesTheFullLayoutAfterLongRandomEditSequences) {
    const std::vector<Scenario> scenarios = {
        {Style::tree, {}, false, false, true, false},
        {Style::tree, {130, 300, 480}, true, true, false, true},
        {Style::tree, {200}, false, true, true, true},
        {Style::map, {}, false, false, true, false},
        {Style::map, {260}, true, true, true, true},
        {Style::map, {}, true, false, true, true},
        {Style::tree, {}, true, false, true, true},
    };
    for (std::size_t i = 0; i < scenarios.size(); ++i) {
        SCOPED_TRACE("scenario " + std::to_string(i));
        runScenario(scenarios[i], 100 + static_cast<unsigned>(i));
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

// A random document of `count` top-level items with every branch expanded.
TreeDocument expandedDocument(unsigned seed, int count) {
    std::mt19937 rng(seed);
    int next = 0;
    std::vector<Item> top;
    for (int i = 0; i < count; ++i)
        top.push_back(randomItem(rng, 0, next));
    return TreeOps::setCollapsedAll({"d", "D", ItemList(std::move(top))}, false);
}

TEST(TreeLayoutCache, AnEditLaysOutOnlyThePathToTheChange) {
    TreeDocument doc = expandedDocument(7, 30);
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

    // A wider first column measures its own blocks again and no other.
    measured = 0;
    cache.update(doc.items, {{300}, Style::tree, true, 0}, measure);
    EXPECT_EQ(measured, static_cast<int>(doc.items.size()));
    // Naming the standard width changes no width: nothing is laid out.
    measured = 0;
    cache.update(doc.items, {{300, TreeLayout::column}, Style::tree, true, 0}, measure);
    EXPECT_EQ(measured, 0);
    EXPECT_EQ(cache.laidOutCount(), 0);
    // Another context (the style) lays out everything again.
    measured = 0;
    cache.update(doc.items, {{300}, Style::map, true, 0}, measure);
    EXPECT_EQ(measured, TreeLayout::shownCount(doc.items));
}

TEST(TreeLayoutCache, HidingCompletedItemsKeepsTheGeometryOfUnchangedBranches) {
    TreeDocument doc = expandedDocument(11, 30);
    TreeLayoutCache cache;
    const TreeLayoutCache::Context hiding{{}, Style::tree, true, 0, true, false};
    auto measure = [&](const ItemList::Node& node, int depth) { return sizeOf(*node, depth, {}); };
    cache.update(doc.items, hiding, measure);
    const auto shown = TreeOps::displayItems(doc.items, std::nullopt, true);
    EXPECT_EQ(cache.tree()->shown, TreeLayout::shownCount(shown));

    // An edit far from every checked item lays out its path only, though many branches hold
    // checked items.
    const auto ids = allIds(shown);
    const std::string deep = ids.back();
    const auto depth = TreeOps::pathOf(doc.items, deep)->size();
    doc = TreeOps::updateItem(doc, deep, [](Item& i) { i.text = "changed"; });
    cache.update(doc.items, hiding, measure);
    EXPECT_EQ(cache.laidOutCount(), static_cast<std::int64_t>(depth));
    TreeLayoutCache copied; // hidden items left out by copying the branches that hold them
    copied.update(TreeOps::displayItems(doc.items, std::nullopt, true), {}, measure);
    EXPECT_EQ(cache.result(), copied.result());

    // A checked item, hidden, is found nowhere; its unchecked sibling is.
    const auto path = TreeOps::pathOf(doc.items, deep);
    EXPECT_TRUE(LayoutQuery::locate(*cache.tree(), *path));
    doc = TreeOps::updateItem(doc, deep, [](Item& i) { i.checked = true; });
    cache.update(doc.items, hiding, measure);
    EXPECT_FALSE(LayoutQuery::locate(*cache.tree(), *path));
}

// Estimated sizes are replaced by measured ones for the listed nodes only; the result is the
// layout of the measured sizes.
TEST(TreeLayoutCache, RemeasuringRefinesEstimatesAlongTheirPaths) {
    std::mt19937 rng(5);
    const ItemList items = expandedDocument(5, 10).items;
    std::set<const Item*> measured;
    auto measure = [&](const ItemList::Node& node, int depth) -> TreeLayoutCache::Measured {
        if (measured.contains(node.get()))
            return sizeOf(*node, depth, {});
        return {LayoutSize{10, 21}, true};
    };
    TreeLayoutCache cache;
    cache.update(items, {}, measure);
    for (int round = 0; round < 50; ++round) {
        // A band's worth of estimated blocks, with their ancestors.
        const double y = double(rng() % 1500);
        const auto part = LayoutQuery::visible(*cache.tree(), y, y + 200, nullptr);
        std::unordered_set<const Item*> changed;
        for (std::size_t i = 0; i < part.blocks.size(); ++i) {
            if (!part.blocks[i].entry->estimated)
                continue;
            measured.insert(part.blocks[i].entry->node.get());
            for (int at = int(i); at >= 0; at = part.blocks[std::size_t(at)].parent)
                changed.insert(part.blocks[std::size_t(at)].entry->node.get());
        }
        cache.remeasure(changed, measure);
        EXPECT_LE(cache.laidOutCount(), static_cast<std::int64_t>(changed.size()));
        for (const auto& b : LayoutQuery::visible(*cache.tree(), y, y + 200, nullptr).blocks)
            if (measured.contains(b.entry->node.get())) {
                EXPECT_FALSE(b.entry->estimated);
            }
    }
    TreeLayoutCache fresh;
    fresh.update(items, {}, measure);
    EXPECT_EQ(cache.result(), fresh.result());
}

} // namespace

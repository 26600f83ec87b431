// Larger random outlines, checked for the properties every drawing must have.
#include "core/layout/tree_layout.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

using namespace velmora;
using TreeLayout::Style;

namespace {

struct Outline {
    ItemList items;
    LayoutSizes sizes;
};

Item randomItem(std::mt19937& rng, int depth, int& next, LayoutSizes& sizes) {
    Item item = Item::blank("i" + std::to_string(next++));
    sizes[item.id] = {double(rng() % 300), double(21 + 17 * (rng() % 3))};
    if (depth < 6 && rng() % 3 != 0) {
        std::vector<Item> children;
        const int count = 1 + int(rng() % 5);
        for (int i = 0; i < count; ++i)
            children.push_back(randomItem(rng, depth + 1, next, sizes));
        item.children = ItemList(std::move(children));
        item.collapsed = rng() % 7 == 0;
    }
    return item;
}

Outline randomOutline(unsigned seed) {
    std::mt19937 rng(seed);
    Outline o;
    int next = 0;
    std::vector<Item> top;
    for (int i = 0; i < 6; ++i)
        top.push_back(randomItem(rng, 0, next, o.sizes));
    o.items = ItemList(std::move(top));
    return o;
}

// Every shown item with its parent and depth, in pre-order.
struct Shown {
    const Item* item;
    const Item* parent;
    int depth;
};

void collect(const ItemList& items, const Item* parent, int depth, std::vector<Shown>& out) {
    for (const Item& item : items) {
        out.push_back({&item, parent, depth});
        if (!item.collapsed)
            collect(item.children, &item, depth + 1, out);
    }
}

const std::vector<double> columns{180, 300, 90, 220, 500};

class LayoutInvariants : public testing::TestWithParam<unsigned> {};

} // namespace

TEST_P(LayoutInvariants, BlocksSitInTheirColumnsWithoutOverlap) {
    auto outline = randomOutline(GetParam());
    std::vector<Shown> shown;
    collect(outline.items, nullptr, 0, shown);
    for (Style style : {Style::tree, Style::map}) {
        auto r = TreeLayout::layout(outline.items, outline.sizes, columns, style, true);
        ASSERT_EQ(r.blocks.size(), shown.size());
        std::map<std::string, PlacedBlock> byId;
        std::map<int, std::vector<LayoutRect>> byDepth;
        for (const auto& b : r.blocks) {
            byId[b.id] = b;
            byDepth[b.depth].push_back(b.frame);
            EXPECT_EQ(b.frame.x, TreeLayout::columnOrigin(b.depth, columns) + 16);
            EXPECT_EQ(b.frame.width, TreeLayout::nodeWidth(b.depth, columns));
            EXPECT_LE(b.frame.maxX(), r.contentSize.width - 40);
            EXPECT_LE(b.frame.maxY(), r.contentSize.height - 40);
        }
        for (const auto& s : shown) {
            EXPECT_EQ(byId[s.item->id].depth, s.depth);
            if (s.parent) {
                EXPECT_EQ(byId[s.item->id].depth, byId[s.parent->id].depth + 1);
            }
        }
        for (auto& [depth, frames] : byDepth) {
            std::sort(frames.begin(), frames.end(),
                      [](const auto& a, const auto& b) { return a.y < b.y; });
            for (std::size_t i = 1; i < frames.size(); ++i)
                EXPECT_LE(frames[i - 1].maxY(), frames[i].y) << "depth " << depth;
        }
        EXPECT_EQ(r.links.size(), shown.size() - outline.items.size());
    }
}

TEST_P(LayoutInvariants, TreeStyleParentRowMeetsFirstChildTick) {
    auto outline = randomOutline(GetParam());
    auto r = TreeLayout::layout(outline.items, outline.sizes, columns, Style::tree, false);
    std::map<std::string, PlacedBlock> byId;
    for (const auto& b : r.blocks)
        byId[b.id] = b;
    std::vector<Shown> shown;
    collect(outline.items, nullptr, 0, shown);
    int checked = 0;
    for (const auto& knob : r.knobs) {
        const Item* item = nullptr;
        for (const auto& s : shown)
            if (s.item->id == knob.id)
                item = s.item;
        ASSERT_NE(item, nullptr);
        if (item->collapsed)
            continue;
        const auto& first = byId[item->children.front().id];
        const double joint = first.frame.x - 10; // the bracket of the child's column
        EXPECT_EQ(first.frame.y, byId[knob.id].frame.y);
        auto stub = LayoutSegment{LayoutSegment::Kind::stub, knob.cx + 6, knob.cy, joint, knob.cy};
        auto tick =
            LayoutSegment{LayoutSegment::Kind::tick, joint, knob.cy, first.frame.x - 1, knob.cy};
        EXPECT_NE(std::find(r.segments.begin(), r.segments.end(), stub), r.segments.end());
        EXPECT_NE(std::find(r.segments.begin(), r.segments.end(), tick), r.segments.end());
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_P(LayoutInvariants, MapStyleParentIsCentredOnItsChildren) {
    auto outline = randomOutline(GetParam());
    auto r = TreeLayout::layout(outline.items, outline.sizes, columns, Style::map, false);
    std::map<std::string, PlacedBlock> byId;
    for (const auto& b : r.blocks)
        byId[b.id] = b;
    std::vector<Shown> shown;
    collect(outline.items, nullptr, 0, shown);
    for (const auto& s : shown) {
        if (s.item->collapsed || s.item->children.empty())
            continue;
        const double firstY = byId[s.item->children.front().id].frame.y;
        const double lastY = byId[s.item->children.back().id].frame.y;
        EXPECT_EQ(byId[s.item->id].frame.y, (firstY + lastY) / 2);
    }
}

INSTANTIATE_TEST_SUITE_P(TreeLayout, LayoutInvariants, testing::Values(1u, 2u, 3u, 17u, 99u));

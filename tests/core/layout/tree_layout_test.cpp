#include "core/layout/tree_layout.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using namespace velmora;
using Kind = LayoutSegment::Kind;
using TreeLayout::Style;

namespace {

Item leaf(std::string id) {
    return Item::blank(std::move(id));
}

Item parent(std::string id, std::vector<Item> children, bool collapsed = false) {
    Item item = Item::blank(std::move(id));
    item.children = ItemList(std::move(children));
    item.collapsed = collapsed;
    return item;
}

std::vector<LayoutSegment> segmentsOf(const TreeLayoutResult& r, Kind kind) {
    std::vector<LayoutSegment> out;
    std::copy_if(r.segments.begin(), r.segments.end(), std::back_inserter(out),
                 [&](const LayoutSegment& s) { return s.kind == kind; });
    return out;
}

const PlacedBlock& blockOf(const TreeLayoutResult& r, const std::string& id) {
    return *std::find_if(r.blocks.begin(), r.blocks.end(),
                         [&](const PlacedBlock& b) { return b.id == id; });
}

TreeLayoutResult lay(const ItemList& items, Style style, bool rootLine = false,
                     const LayoutSizes& sizes = {}, const std::vector<double>& columns = {}) {
    return TreeLayout::layout(items, sizes, columns, style, rootLine);
}

} // namespace

TEST(TreeLayout, NoItemsGiveAnEmptyDrawing) {
    for (Style style : {Style::tree, Style::map}) {
        auto r = lay({}, style, true);
        EXPECT_TRUE(r.blocks.empty() && r.segments.empty() && r.knobs.empty() && r.links.empty());
        EXPECT_EQ(r.contentSize, (LayoutSize{40, 50}));
    }
}

TEST(TreeLayout, SingleItemWithoutSizeUsesTheStandardBlock) {
    for (Style style : {Style::tree, Style::map}) {
        auto r = lay({leaf("a")}, style, true);
        ASSERT_EQ(r.blocks.size(), 1u);
        EXPECT_EQ(r.blocks[0], (PlacedBlock{"a", {16, 10, 184, 21}, 0}));
        EXPECT_TRUE(r.knobs.empty());
        EXPECT_EQ(r.contentSize, (LayoutSize{240, 71}));
    }
    auto withLine = lay({leaf("a")}, Style::tree, true);
    EXPECT_EQ(withLine.segments, (std::vector<LayoutSegment>{{Kind::tick, 6, 20.5, 15, 20.5}}));
    EXPECT_TRUE(lay({leaf("a")}, Style::tree, false).segments.empty());
    EXPECT_TRUE(lay({leaf("a")}, Style::map, true).segments.empty());
}

TEST(TreeLayout, CollapsedParentCountsHiddenDescendants) {
    ItemList items{parent(
        "p", {parent("c1", {leaf("g1"), leaf("g2")}), parent("c2", {leaf("g3")}, true)}, true)};
    for (Style style : {Style::tree, Style::map}) {
        auto r = lay(items, style);
        ASSERT_EQ(r.blocks.size(), 1u);
        ASSERT_EQ(r.knobs.size(), 1u);
        EXPECT_EQ(r.knobs[0], (LayoutKnob{"p", 210, 20.5, true, 5}));
        EXPECT_TRUE(r.links.empty());
    }
    // Only the stub before the knob: nothing leads on to the hidden children.
    EXPECT_EQ(lay(items, Style::tree).segments,
              (std::vector<LayoutSegment>{{Kind::stub, 203, 20.5, 204, 20.5}}));
}

TEST(TreeLayout, StoredWidthsAreClampedPerColumn) {
    ItemList items{parent("a", {parent("b", {leaf("c")})})};
    auto r = lay(items, Style::tree, false, {}, {100, 600});
    EXPECT_EQ(blockOf(r, "a").frame, (LayoutRect{16, 10, 84, 21}));
    EXPECT_EQ(blockOf(r, "b").frame, (LayoutRect{136, 10, 444, 21}));
    EXPECT_EQ(blockOf(r, "c").frame, (LayoutRect{616, 10, 184, 21}));
    EXPECT_EQ(r.knobs[0].cx, 110);
    EXPECT_EQ(r.knobs[1].cx, 590);
    EXPECT_EQ(r.contentSize.width, 840);
}

TEST(TreeLayout, TreeStyleHangsChildrenFromABracket) {
    ItemList items{parent("p", {leaf("a"), leaf("b")})};
    auto r = lay(items, Style::tree, false, {{"p", {50, 21}}, {"b", {60, 40}}});
    EXPECT_EQ(blockOf(r, "a").frame.y, 10);
    EXPECT_EQ(blockOf(r, "b").frame.y, 35);
    EXPECT_EQ(r.contentSize.height, 10 + 65 + 40);
    EXPECT_EQ(r.segments, (std::vector<LayoutSegment>{
                              {Kind::stub, 71, 20.5, 204, 20.5},
                              {Kind::stub, 216, 20.5, 226, 20.5},
                              {Kind::bracket, 226, 20.5, 226, 45.5},
                              {Kind::tick, 226, 20.5, 235, 20.5},
                              {Kind::tick, 226, 45.5, 235, 45.5},
                          }));
    EXPECT_EQ(r.links, (std::vector<LayoutLink>{{"a", "p", 71, 20.5, 226, 20.5, 235},
                                                {"b", "p", 71, 20.5, 226, 45.5, 235}}));
}

TEST(TreeLayout, TreeStyleOnlyChildGetsATickButNoBracket) {
    auto r = lay({parent("p", {leaf("a")})}, Style::tree);
    EXPECT_TRUE(segmentsOf(r, Kind::bracket).empty());
    EXPECT_EQ(segmentsOf(r, Kind::tick).size(), 1u);
}

TEST(TreeLayout, TreeStyleOverlongTitleLeavesAOnePointStub) {
    auto r = lay({parent("p", {leaf("a")})}, Style::tree, false, {{"p", {400, 21}}});
    EXPECT_EQ(r.segments.front(), (LayoutSegment{Kind::stub, 203, 20.5, 204, 20.5}));
    EXPECT_EQ(r.links.front().startX, 203);
}

TEST(TreeLayout, TreeStyleOrdersDeeperLinesAndLinksFirst) {
    ItemList items{parent("p", {parent("a", {leaf("x")}), leaf("b")}), leaf("q")};
    auto r = lay(items, Style::tree, true);
    std::vector<std::string> order;
    for (const auto& b : r.blocks)
        order.push_back(b.id);
    EXPECT_EQ(order, (std::vector<std::string>{"p", "a", "x", "b", "q"}));
    std::vector<std::string> links;
    for (const auto& l : r.links)
        links.push_back(l.id);
    EXPECT_EQ(links, (std::vector<std::string>{"x", "a", "b"}));
    // The top level's bracket and ticks come last, after every deeper line.
    ASSERT_GE(r.segments.size(), 3u);
    EXPECT_EQ(r.segments[r.segments.size() - 3], (LayoutSegment{Kind::bracket, 6, 20.5, 6, 70.5}));
}

TEST(TreeLayout, MapStyleCentresAParentOnItsChildren) {
    ItemList items{parent("p", {leaf("a"), leaf("b")}), leaf("q")};
    auto r = lay(items, Style::map);
    std::vector<std::string> order;
    for (const auto& b : r.blocks)
        order.push_back(b.id);
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "p", "q"}));
    EXPECT_EQ(blockOf(r, "a").frame.y, 10);
    EXPECT_EQ(blockOf(r, "b").frame.y, 37);
    EXPECT_EQ(blockOf(r, "p").frame.y, 23.5);
    EXPECT_EQ(r.knobs, (std::vector<LayoutKnob>{{"p", 210, 34, false, 2}}));
    EXPECT_EQ(r.links, (std::vector<LayoutLink>{{"a", "p", 216.5, 34, 210, 20.5, 236},
                                                {"b", "p", 216.5, 34, 210, 47.5, 236}}));
    // q starts below the children's extent (10 … 58) plus the map gap.
    EXPECT_EQ(blockOf(r, "q").frame.y, 64);
    EXPECT_TRUE(r.segments.empty());
}

TEST(TreeLayout, MapStyleTallParentPushesItsNextSibling) {
    ItemList items{parent("p", {leaf("a")}), leaf("q")};
    auto r = lay(items, Style::map, false, {{"p", {0, 80}}});
    EXPECT_EQ(blockOf(r, "p").frame.y, 10);
    EXPECT_EQ(blockOf(r, "q").frame.y, 96);
}

TEST(TreeLayout, LinksWithinKeepsOnlyLinksInsideTheSet) {
    ItemList items{parent("p", {parent("a", {leaf("x")}), leaf("b")})};
    auto r = lay(items, Style::map);
    auto lit = r.linksWithin({"p", "a", "x"});
    ASSERT_EQ(lit.size(), 2u);
    EXPECT_EQ(lit[0].id, "x");
    EXPECT_EQ(lit[1].id, "a");
    EXPECT_TRUE(r.linksWithin({"x", "b"}).empty());
}

// A chain as deep as the model allows lays out without exhausting the stack.
TEST(TreeLayout, DeepestChainLaysOut) {
    Item item = leaf("n" + std::to_string(kMaxItemDepth));
    for (int d = kMaxItemDepth - 1; d >= 0; --d)
        item = parent("n" + std::to_string(d), {std::move(item)});
    for (Style style : {Style::tree, Style::map}) {
        auto r = lay({item}, style);
        EXPECT_EQ(r.blocks.size(), static_cast<std::size_t>(kMaxItemDepth) + 1);
        EXPECT_EQ(r.contentSize.width, 220.0 * kMaxItemDepth + 16 + 184 + 40);
    }
}

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// The geometry the tree and map views draw. Coordinates are points with the origin at the top
// left; y grows downwards.
namespace velmora {

struct LayoutSize {
    double width = 0;
    double height = 0;

    bool operator==(const LayoutSize&) const = default;
};

struct LayoutRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    [[nodiscard]] double midX() const { return x + width / 2; }
    [[nodiscard]] double midY() const { return y + height / 2; }
    [[nodiscard]] double maxX() const { return x + width; }
    [[nodiscard]] double maxY() const { return y + height; }

    bool operator==(const LayoutRect&) const = default;
};

// The rectangle of one shown item; depth 0 for the top-level items that were laid out.
struct PlacedBlock {
    std::string id;
    LayoutRect frame;
    int depth = 0;

    bool operator==(const PlacedBlock&) const = default;
};

// One straight piece of connector line from (x1, y1) to (x2, y2).
struct LayoutSegment {
    // stub: a horizontal piece on a parent's row, before or after its knob; bracket: the
    // vertical line joining the rows of siblings; tick: the piece from the bracket to a child.
    enum class Kind { stub, bracket, tick };

    Kind kind = Kind::stub;
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;

    bool operator==(const LayoutSegment&) const = default;
};

// The name of a segment kind ("stub", "bracket", "tick").
[[nodiscard]] std::string_view rawValue(LayoutSegment::Kind kind);
[[nodiscard]] std::optional<LayoutSegment::Kind> segmentKindFromRawValue(std::string_view raw);

// The expand/collapse knob of an item with children, and how many items hang below it at every
// depth (collapsed ones included).
struct LayoutKnob {
    std::string id;
    double cx = 0;
    double cy = 0;
    bool collapsed = false;
    std::int64_t count = 0;

    bool operator==(const LayoutKnob&) const = default;
};

// The path from a parent to one child: from (startX, parentY) across to bracketX, down or up to
// y, and across to endX. The canvas lights up a branch by drawing its links.
struct LayoutLink {
    std::string id;
    std::string parent;
    double startX = 0;
    double parentY = 0;
    double bracketX = 0;
    double y = 0;
    double endX = 0;

    bool operator==(const LayoutLink&) const = default;
};

struct TreeLayoutResult {
    std::vector<PlacedBlock> blocks;
    std::vector<LayoutSegment> segments;
    std::vector<LayoutKnob> knobs;
    std::vector<LayoutLink> links;
    LayoutSize contentSize;

    // The links whose child and parent are both in `ids`, in stored order.
    [[nodiscard]] std::vector<LayoutLink>
    linksWithin(const std::unordered_set<std::string>& ids) const;

    bool operator==(const TreeLayoutResult&) const = default;
};

} // namespace velmora

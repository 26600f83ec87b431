#pragma once

#include "core/layout/layout_records.hpp"

#include <cstddef>
#include <vector>

// Where printed pages end. A page break must not cut a row of a printed list or an item box of a
// printed picture when it can move above it; these functions answer where breaks go, for one
// direction of the paper at a time (tops and bottoms, or left and right edges).
namespace velmora {

// The extent of one frame along the direction being paginated: its top and bottom, or its left
// and right edge.
struct PageSpan {
    double start = 0;
    double end = 0;

    [[nodiscard]] double length() const { return end - start; }

    bool operator==(const PageSpan&) const = default;
};

namespace PageBreaks {

// The break for a page whose proposed break is `proposed` and which must not end above `limit`:
// the proposed break when it cuts no frame (a frame is cut when it starts above the break and
// ends below it); otherwise the smallest start among the frames it cuts, unless that lies at or
// above the limit, when the proposed break stays and the frame is cut where it must be.
[[nodiscard]] double adjusted(const std::vector<PageSpan>& frames, double proposed, double limit);

// The frames sorted once, so that many breaks are answered in logarithmic time each.
class Index {
public:
    explicit Index(std::vector<PageSpan> frames);

    // As `adjusted`, and then again from the moved break while it still cuts a frame it can move
    // above: a break moved above one box may cut another that ended before the proposed break
    // (boxes of different columns of a tree).
    [[nodiscard]] double settle(double proposed, double limit) const;

    [[nodiscard]] std::size_t size() const { return m_frames.size(); }

private:
    // The smallest start among the frames the break cuts, if any frame is cut.
    [[nodiscard]] const PageSpan* firstCut(double at) const;

    std::vector<PageSpan> m_frames; // by start
    std::vector<double> m_reach;    // the largest end among the frames up to each one
};

// The pages that cover 0…length, each at most `pageLength` long, with every break settled above
// the frames it would cut (never above the page's own start). A non-positive or non-finite length
// gives one page; so does a page length that is not positive and finite.
[[nodiscard]] std::vector<PageSpan> paginate(const Index& frames, double length, double pageLength);
[[nodiscard]] std::vector<PageSpan> paginate(const std::vector<PageSpan>& frames, double length,
                                             double pageLength);

// The vertical (top to bottom) and horizontal (left to right) extents of rectangles.
[[nodiscard]] std::vector<PageSpan> verticalSpans(const std::vector<LayoutRect>& frames);
[[nodiscard]] std::vector<PageSpan> horizontalSpans(const std::vector<LayoutRect>& frames);

} // namespace PageBreaks
} // namespace velmora

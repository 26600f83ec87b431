#include "core/layout/page_breaks.hpp"

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

// Frames and breaks come from scaled text heights; closer than this counts as touching.
constexpr double kTouching = 1e-7;

bool cuts(const PageSpan& frame, double at) {
    return frame.start < at - kTouching && frame.end > at + kTouching;
}

} // namespace

double PageBreaks::adjusted(const std::vector<PageSpan>& frames, double proposed, double limit) {
    const PageSpan* first = nullptr;
    for (const PageSpan& frame : frames) {
        if (cuts(frame, proposed) && (!first || frame.start < first->start)) {
            first = &frame;
        }
    }
    if (!first || first->start <= limit + kTouching) {
        return proposed;
    }
    return first->start;
}

PageBreaks::Index::Index(std::vector<PageSpan> frames) : m_frames(std::move(frames)) {
    std::erase_if(m_frames, [](const PageSpan& f) {
        return !(f.end > f.start) || !std::isfinite(f.start) || !std::isfinite(f.end);
    });
    std::sort(m_frames.begin(), m_frames.end(),
              [](const PageSpan& a, const PageSpan& b) { return a.start < b.start; });
    m_reach.reserve(m_frames.size());
    double reach = -INFINITY;
    for (const PageSpan& frame : m_frames) {
        reach = std::max(reach, frame.end);
        m_reach.push_back(reach);
    }
}

const PageSpan* PageBreaks::Index::firstCut(double at) const {
    // Every frame before the first one that reaches past the break ends at or above it; every
    // frame after it starts no higher, so it is the cut frame with the smallest start, if cut.
    const auto it = std::upper_bound(m_reach.begin(), m_reach.end(), at + kTouching);
    if (it == m_reach.end()) {
        return nullptr;
    }
    const PageSpan& frame = m_frames[static_cast<std::size_t>(it - m_reach.begin())];
    return cuts(frame, at) ? &frame : nullptr;
}

double PageBreaks::Index::settle(double proposed, double limit) const {
    double at = proposed;
    while (const PageSpan* cut = firstCut(at)) {
        if (cut->start <= limit + kTouching) {
            break;
        }
        at = cut->start;
    }
    return at;
}

std::vector<PageSpan> PageBreaks::paginate(const Index& frames, double length, double pageLength) {
    if (!std::isfinite(length) || length <= 0) {
        return {PageSpan{0, std::isfinite(length) ? std::max(length, 0.0) : 0.0}};
    }
    if (!std::isfinite(pageLength) || pageLength <= 0) {
        return {PageSpan{0, length}};
    }
    std::vector<PageSpan> pages;
    double start = 0;
    while (start < length) {
        const double proposed = start + pageLength;
        if (proposed >= length - kTouching) {
            pages.push_back({start, length});
            break;
        }
        const double end = frames.settle(proposed, start);
        pages.push_back({start, end});
        start = end;
    }
    return pages;
}

std::vector<PageSpan> PageBreaks::paginate(const std::vector<PageSpan>& frames, double length,
                                           double pageLength) {
    return paginate(Index(frames), length, pageLength);
}

std::vector<PageSpan> PageBreaks::verticalSpans(const std::vector<LayoutRect>& frames) {
    std::vector<PageSpan> spans;
    spans.reserve(frames.size());
    for (const LayoutRect& frame : frames) {
        spans.push_back({frame.y, frame.maxY()});
    }
    return spans;
}

std::vector<PageSpan> PageBreaks::horizontalSpans(const std::vector<LayoutRect>& frames) {
    std::vector<PageSpan> spans;
    spans.reserve(frames.size());
    for (const LayoutRect& frame : frames) {
        spans.push_back({frame.x, frame.maxX()});
    }
    return spans;
}

} // namespace velmora

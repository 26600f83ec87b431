#include "core/layout/paper_pattern.hpp"

#include "core/layout/tree_layout.hpp"

#include <algorithm>
#include <cmath>

// Shapes are produced for every lattice point whose shape can reach into the dirty rectangle,
// so that a partial repaint draws the same pixels as a full one (the painter clips the rest).
namespace velmora::PaperPattern {
namespace {

using Shape = PatternMark::Shape;
using Ink = PatternMark::Ink;

// Limits the lattice walk of a pathological rectangle; no screen or page comes near it.
constexpr long long kMaxLatticePoints = 1'000'000;

// Calls f(k, origin + k × step) for every lattice value within lo…hi.
template <typename F> void lattice(double origin, double step, double lo, double hi, F f) {
    if (!(step > 0) || !(hi >= lo) || !std::isfinite(lo) || !std::isfinite(hi)) {
        return;
    }
    auto first = static_cast<long long>(std::ceil((lo - origin) / step));
    auto last = static_cast<long long>(std::floor((hi - origin) / step));
    last = std::min(last, first + kMaxLatticePoints);
    for (long long k = first; k <= last; ++k) {
        f(k, origin + static_cast<double>(k) * step);
    }
}

PatternMark bar(double x, double y, double width, double height, Ink ink, double alpha) {
    return {Shape::bar, ink, alpha, {x, y, width, height}};
}

PatternMark dot(double x, double y, double diameter, Ink ink, double alpha) {
    return {Shape::dot, ink, alpha, {x - diameter / 2, y - diameter / 2, diameter, diameter}};
}

void gridLines(const LayoutRect& d, double ox, double oy, double step, const MarkSink& sink) {
    lattice(oy, step, d.y, d.maxY() + 1,
            [&](long long, double y) { sink(bar(d.x, y - 1, d.width, 1, Ink::pattern, 0.15)); });
    lattice(ox, step, d.x - 1, d.maxX(),
            [&](long long, double x) { sink(bar(x, d.y, 1, d.height, Ink::pattern, 0.15)); });
}

void crosses(const LayoutRect& d, double ox, double oy, double step, const MarkSink& sink) {
    lattice(oy, step, d.y - 5, d.maxY() + 5, [&](long long, double y) {
        lattice(ox, step, d.x - 5, d.maxX() + 5, [&](long long, double x) {
            sink(bar(x - 4, y - 0.5, 8, 1, Ink::primary, 0.2));
            sink(bar(x - 0.5, y - 4, 1, 8, Ink::primary, 0.2));
        });
    });
}

void dotLattice(const LayoutRect& d, double ox, double oy, double step, double diameter,
                double alpha, const MarkSink& sink) {
    lattice(oy, step, d.y - 5, d.maxY() + 5, [&](long long, double y) {
        lattice(ox, step, d.x - 5, d.maxX() + 5,
                [&](long long, double x) { sink(dot(x, y, diameter, Ink::primary, alpha)); });
    });
}

void baselineLine(const LayoutRect& d, double y, const MarkSink& sink) {
    if (y >= d.y && y <= d.maxY() + 1) {
        sink(bar(d.x, y - 1, d.width, 1, Ink::pattern, 0.24));
    }
}

void baselineDots(const LayoutRect& d, double y, double ox, const MarkSink& sink) {
    if (y < d.y - 1 || y > d.maxY() + 1) {
        return;
    }
    lattice(ox, 25, d.x - 1, d.maxX() + 1,
            [&](long long, double x) { sink(dot(x, y, 2, Ink::primary, 0.22)); });
}

void marginLine(const LayoutRect& d, double x, double top, const MarkSink& sink) {
    double from = std::max(d.y, top);
    if (x >= d.x - 1 && x <= d.maxX() && d.maxY() > from) {
        sink(bar(x, from, 1, d.maxY() - from, Ink::red, 0.45));
    }
}

void band(const LayoutRect& d, double y, double height, const MarkSink& sink) {
    double top = std::max(d.y, y);
    double bottom = std::min(d.maxY(), y + height);
    if (bottom > top) {
        sink(bar(d.x, top, d.width, bottom - top, Ink::primary, 0.04));
    }
}

void levelBands(const LayoutRect& d, const std::vector<double>& columns, const MarkSink& sink) {
    double x = canvasColumnsX;
    for (int i = 0; x <= d.maxX(); ++i) {
        double w = TreeLayout::columnWidth(i, columns);
        double left = std::max(d.x, x);
        double right = std::min(d.maxX(), x + w);
        if (i % 2 == 1 && right > left) {
            sink(bar(left, d.y, right - left, d.height, Ink::primary, 0.04));
        }
        x += w;
    }
}

void levelLines(const LayoutRect& d, const std::vector<double>& columns, const MarkSink& sink) {
    double x = canvasColumnsX;
    for (int i = 0; x <= d.maxX(); ++i) {
        x += TreeLayout::columnWidth(i, columns);
        if (x + 1 >= d.x && x <= d.maxX()) {
            sink(bar(x, d.y, 1, d.height, Ink::primary, 0.1));
        }
    }
}

template <typename Emit> std::vector<PatternMark> collected(Emit emit) {
    std::vector<PatternMark> marks;
    emit([&](const PatternMark& mark) { marks.push_back(mark); });
    return marks;
}

} // namespace

void canvas(PaperStyle style, const LayoutRect& d, const std::vector<double>& columns,
            const MarkSink& sink) {
    const double ox = canvasOriginX;
    const double oy = canvasOriginY;
    const double step = canvasStep;
    switch (style) {
    case PaperStyle::grid:
        return gridLines(d, ox, oy, step, sink);
    case PaperStyle::crosses:
        return crosses(d, ox, oy, step * 2, sink);
    case PaperStyle::fineDots:
        return dotLattice(d, ox, oy, step / 2, 1.6, 0.17, sink);
    case PaperStyle::dots:
        return dotLattice(d, ox, oy, step, 2, 0.22, sink);
    case PaperStyle::lines:
    case PaperStyle::margin:
        lattice(oy, step, d.y, d.maxY() + 1,
                [&](long long, double y) { baselineLine(d, y, sink); });
        if (style == PaperStyle::margin) {
            marginLine(d, canvasColumnsX + TreeLayout::columnWidth(0, columns), oy, sink);
        }
        return;
    case PaperStyle::zebra:
        lattice(oy, step, d.y - step, d.maxY(), [&](long long k, double y) {
            if (k % 2 != 0) {
                band(d, y, step, sink);
            }
        });
        return;
    case PaperStyle::levelBands:
        return levelBands(d, columns, sink);
    case PaperStyle::levelLines:
        return levelLines(d, columns, sink);
    case PaperStyle::plain:
        return;
    }
}

std::vector<PatternMark> canvas(PaperStyle style, const LayoutRect& dirty,
                                const std::vector<double>& columns) {
    return collected([&](const MarkSink& sink) { canvas(style, dirty, columns, sink); });
}

void list(PaperStyle style, const LayoutRect& d, const std::vector<PaperRow>& rows, long rowCount,
          double lastRowBottom, double rowHeight, double marginX, const MarkSink& sink) {
    const double ox = listOriginX;
    const double oy = listOriginY;
    switch (style) {
    case PaperStyle::grid:
        return gridLines(d, ox, oy, rowHeight, sink);
    case PaperStyle::crosses:
        return crosses(d, ox, oy, rowHeight * 2, sink);
    case PaperStyle::fineDots:
        return dotLattice(d, ox, oy, rowHeight / 2, 1.6, 0.17, sink);
    case PaperStyle::levelBands:
    case PaperStyle::levelLines:
    case PaperStyle::plain:
        return;
    default:
        break;
    }
    // Real rows, then virtual rows of the row height below the last one.
    std::vector<PaperRow> all = rows;
    if (rowHeight > 0) {
        double from = std::max(0.0, std::floor((d.y - lastRowBottom) / rowHeight) - 1);
        for (auto j = static_cast<long>(from);; ++j) {
            double y = lastRowBottom + static_cast<double>(j) * rowHeight;
            if (y > d.maxY() + 1 || j - static_cast<long>(from) > kMaxLatticePoints) {
                break;
            }
            all.push_back({rowCount + j, y, rowHeight});
        }
    }
    for (const PaperRow& row : all) {
        double bottom = row.y + row.height;
        if (style == PaperStyle::dots) {
            baselineDots(d, bottom, ox, sink);
        } else if (style == PaperStyle::lines || style == PaperStyle::margin) {
            baselineLine(d, bottom, sink);
        } else if (style == PaperStyle::zebra && row.index % 2 == 1) {
            band(d, row.y, row.height, sink);
        }
    }
    if (style == PaperStyle::margin) {
        marginLine(d, marginX, 0, sink);
    }
}

std::vector<PatternMark> list(PaperStyle style, const LayoutRect& dirty,
                              const std::vector<PaperRow>& rows, long rowCount,
                              double lastRowBottom, double rowHeight, double marginX) {
    return collected([&](const MarkSink& sink) {
        list(style, dirty, rows, rowCount, lastRowBottom, rowHeight, marginX, sink);
    });
}

double listMarginX(std::optional<double> firstDisclosureLeft) {
    if (!firstDisclosureLeft) {
        return 8;
    }
    return std::max(5.0, *firstDisclosureLeft - 6);
}

} // namespace velmora::PaperPattern

#include "core/layout/print_layout.hpp"

#include <algorithm>
#include <cmath>

namespace velmora {

PrintLayout::RowColumns PrintLayout::columns(int depth, double width, bool dot) {
    RowColumns c;
    const double indent = std::max(0, depth) * indentStep;
    c.indent = std::max(0.0, std::min(indent, width - indentReserve));
    c.markerX = c.indent + 6;
    c.markerY = 9;
    if (dot) {
        c.dot = LayoutRect{c.indent + 16, 5, dotSize, dotSize};
        c.titleX = c.indent + 30;
    } else {
        c.titleX = c.indent + 16;
    }
    c.titleWidth = std::max(titleMinimumWidth, width - c.titleX);
    return c;
}

double PrintLayout::titleHeight(double measured) {
    if (!std::isfinite(measured)) {
        return titleMinimumHeight;
    }
    return std::max(titleMinimumHeight, std::ceil(measured));
}

double PrintLayout::firstRowTop(double headerHeight) {
    return std::ceil(std::max(0.0, headerHeight)) + headerGap;
}

double PrintLayout::fitScale(LayoutSize picture, LayoutSize page) {
    if (!(picture.width > 0) || !(picture.height > 0) || !(page.width > 0) ||
        !(page.height > 0)) {
        return 1;
    }
    return std::min({1.0, page.width / picture.width, page.height / picture.height});
}

bool PrintLayout::prefersLandscape(LayoutSize picture) {
    return picture.width > picture.height;
}

} // namespace velmora

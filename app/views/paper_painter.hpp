#pragma once

#include "app/platform/appearance.hpp"
#include "core/layout/paper_pattern.hpp"

#include <QColor>
#include <QPalette>
#include <QRectF>

#include <vector>

class QPainter;

namespace velmora {

// Fills views with the paper: its colour and its pattern, only within the dirty rectangle.
namespace PaperPainter {

// The paper colour of the palette the outline is drawn in; plain white while printing.
[[nodiscard]] QColor paperColor(const Appearance& appearance, const QPalette& palette,
                                bool printing = false);

// The colour of one pattern ink at an alpha.
[[nodiscard]] QColor inkColor(PatternMark::Ink ink, double alpha, const Appearance& appearance,
                              const QPalette& palette);

// The paper of the tree canvas: `dirty` and `columns` in canvas coordinates and widths.
void paintCanvas(QPainter& painter, const QRectF& dirty, const Appearance& appearance,
                 const QPalette& palette, const std::vector<double>& columns,
                 bool printing = false);

// The paper of the list: `rows` are the real rows that meet the dirty rectangle (see
// PaperPattern::list for the other values).
void paintList(QPainter& painter, const QRectF& dirty, const Appearance& appearance,
               const QPalette& palette, const std::vector<PaperRow>& rows, long rowCount,
               double lastRowBottom, double rowHeight, double marginX);

// Draws pattern shapes.
void paintMarks(QPainter& painter, const std::vector<PatternMark>& marks,
                const Appearance& appearance, const QPalette& palette);

} // namespace PaperPainter
} // namespace velmora

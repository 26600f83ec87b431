#pragma once

#include "app/platform/appearance.hpp"
#include "app/views/canvas_scene.hpp"

#include <QColor>
#include <QPalette>
#include <QRectF>

class QPainter;

namespace velmora {

// The colours the canvas draws with, resolved once per paint from the palette and the
// appearance preferences.
struct CanvasPalette {
    bool dark = false;
    QColor paper;
    QColor text;
    QColor secondary;
    QColor tertiary;
    QColor separator;
    QColor accent;
    QColor highlight;
    QColor textBackground;
    QColor link;

    // The colours of the canvas in the palette (already the paper's palette, see
    // Appearances::paperPalette); white paper while printing.
    [[nodiscard]] static CanvasPalette make(const Appearance& appearance, const QPalette& palette,
                                            bool printing = false);
};

// Paints the scene: connectors, map curves, the lit branch, knobs and blocks, limited to what
// reaches into the exposed rectangle. All rectangles are in canvas coordinates.
namespace CanvasPainter {

// Everything above the paper.
void paint(QPainter& painter, const CanvasScene& scene, const CanvasPalette& colors,
           const Appearance& appearance, const QRectF& exposed);

// One block with its origin at the painter's origin (used for drag images too).
void paintBlock(QPainter& painter, const CanvasBlock& block, const CanvasPalette& colors,
                const Appearance& appearance, bool checksVisible);

// The check box of a block, in block coordinates, when the check style shows one.
[[nodiscard]] QRectF checkBoxRect();
// Where the web check mark and its disclosure sit (its centre), in block coordinates.
[[nodiscard]] QPointF checkMarkCentre();

} // namespace CanvasPainter
} // namespace velmora

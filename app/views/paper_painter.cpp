#include "app/views/paper_painter.hpp"

#include <QPainter>

#include <algorithm>

namespace velmora::PaperPainter {
namespace {

QRectF toQt(const LayoutRect& r) {
    return {r.x, r.y, r.width, r.height};
}

LayoutRect toLayout(const QRectF& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// Draws shapes as they come, changing the brush only when the ink or alpha changes (every
// pattern uses one or two).
class MarkDrawer {
public:
    MarkDrawer(QPainter& painter, const Appearance& appearance, const QPalette& palette)
        : m_painter(painter), m_appearance(appearance), m_palette(palette) {
        m_painter.setPen(Qt::NoPen);
    }

    void operator()(const PatternMark& mark) {
        if (!m_brush || mark.ink != m_ink || mark.alpha != m_alpha) {
            m_ink = mark.ink;
            m_alpha = mark.alpha;
            m_brush = inkColor(mark.ink, mark.alpha, m_appearance, m_palette);
            m_painter.setBrush(*m_brush);
        }
        if (mark.shape == PatternMark::Shape::dot) {
            m_painter.setRenderHint(QPainter::Antialiasing, true);
            m_painter.drawEllipse(toQt(mark.rect));
        } else {
            m_painter.setRenderHint(QPainter::Antialiasing, false);
            m_painter.fillRect(toQt(mark.rect), *m_brush);
        }
    }

private:
    QPainter& m_painter;
    const Appearance& m_appearance;
    const QPalette& m_palette;
    std::optional<QColor> m_brush;
    PatternMark::Ink m_ink = PatternMark::Ink::pattern;
    double m_alpha = 0;
};

} // namespace

QColor paperColor(const Appearance& appearance, const QPalette& palette, bool printing) {
    if (printing) {
        return Qt::white;
    }
    return appearance.paper(Appearances::isDark(palette), palette.color(QPalette::Base));
}

QColor inkColor(PatternMark::Ink ink, double alpha, const Appearance& appearance,
                const QPalette& palette) {
    QColor color;
    switch (ink) {
    case PatternMark::Ink::pattern:
        return appearance.pattern(alpha);
    case PatternMark::Ink::primary:
        color = palette.color(QPalette::Text);
        break;
    case PatternMark::Ink::red:
        color = QColor(255, 59, 48);
        break;
    }
    color.setAlphaF(static_cast<float>(std::clamp(alpha, 0.0, 1.0)));
    return color;
}

void paintCanvas(QPainter& painter, const QRectF& dirty, const Appearance& appearance,
                 const QPalette& palette, const std::vector<double>& columns, bool printing) {
    painter.save();
    painter.fillRect(dirty, paperColor(appearance, palette, printing));
    MarkDrawer draw(painter, appearance, palette);
    PaperPattern::canvas(appearance.paperStyle, toLayout(dirty), columns,
                         [&](const PatternMark& mark) { draw(mark); });
    painter.restore();
}

void paintList(QPainter& painter, const QRectF& dirty, const Appearance& appearance,
               const QPalette& palette, const std::vector<PaperRow>& rows, long rowCount,
               double lastRowBottom, double rowHeight, double marginX) {
    painter.save();
    painter.fillRect(dirty, paperColor(appearance, palette));
    MarkDrawer draw(painter, appearance, palette);
    PaperPattern::list(appearance.paperStyle, toLayout(dirty), rows, rowCount, lastRowBottom,
                       rowHeight, marginX, [&](const PatternMark& mark) { draw(mark); });
    painter.restore();
}

void paintMarks(QPainter& painter, const std::vector<PatternMark>& marks,
                const Appearance& appearance, const QPalette& palette) {
    painter.save();
    MarkDrawer draw(painter, appearance, palette);
    for (const auto& mark : marks) {
        draw(mark);
    }
    painter.restore();
}

} // namespace velmora::PaperPainter

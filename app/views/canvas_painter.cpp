#include "app/views/canvas_painter.hpp"

#include "app/views/note_renderer.hpp"
#include "app/views/paper_painter.hpp"
#include "core/formats/note_markdown.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <cmath>

namespace velmora {
namespace {

using CanvasBlockStyle::controlsWidth;

constexpr double kRowCentre = 10.5;

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QPainterPath linkCurve(const LayoutLink& link) {
    const double d = std::max((link.endX - link.startX) / 2, 8.0);
    QPainterPath path({link.startX, link.parentY});
    path.cubicTo({link.startX + d, link.parentY}, {link.endX - d, link.y}, {link.endX, link.y});
    return path;
}

void paintConnectors(QPainter& painter, const LayoutQuery::Visible& part,
                     const CanvasPalette& colors) {
    QPainterPath stubs;
    QPainterPath lines;
    for (const LayoutSegment& s : part.segments) {
        const double shift = s.x1 == s.x2 ? 0.5 : 0;
        QPainterPath& path = s.kind == LayoutSegment::Kind::stub ? stubs : lines;
        path.moveTo(s.x1 + shift, s.y1);
        path.lineTo(s.x2 + shift, s.y2);
    }
    QPen solid(colors.tertiary, 1);
    solid.setCapStyle(Qt::FlatCap);
    painter.strokePath(lines, solid);
    QPen dashed = solid;
    dashed.setDashPattern({1.5, 2.5});
    dashed.setDashOffset(0);
    painter.strokePath(stubs, dashed);
}

void paintLinks(QPainter& painter, const CanvasScene& scene, const LayoutQuery::Visible& part,
                const CanvasPalette& colors) {
    const bool map = scene.style == TreeLayout::Style::map;
    QPainterPath curves;
    QPainterPath lit;
    for (std::size_t i = 0; i < part.links.size(); ++i) {
        const LayoutLink& link = part.links[i];
        if (scene.branchLit && part.litLinks[i]) {
            if (map) {
                lit.addPath(linkCurve(link));
            } else {
                lit.moveTo(link.startX, link.parentY);
                lit.lineTo(link.bracketX + 0.5, link.parentY);
                lit.lineTo(link.bracketX + 0.5, link.y);
                lit.lineTo(link.endX, link.y);
            }
        } else if (map) {
            curves.addPath(linkCurve(link));
        }
    }
    painter.strokePath(curves, QPen(colors.tertiary, 1));
    QPen pen(colors.highlight, 2);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.strokePath(lit, pen);
}

void paintKnobs(QPainter& painter, const LayoutQuery::Visible& part, const CanvasPalette& colors) {
    const QFont countFont = CanvasBlockStyle::font(CanvasBlockStyle::countSize);
    const QFontMetricsF countMetrics(countFont);
    painter.setFont(countFont);
    for (const LayoutKnob& knob : part.knobs) {
        const double cx = knob.cx;
        const double cy = knob.cy;
        painter.setPen(QPen(colors.tertiary, 1));
        painter.setBrush(colors.paper);
        painter.drawEllipse(QRectF(cx - 5.5, cy - 5.5, 11, 11));
        painter.setPen(QPen(colors.secondary, 1));
        painter.drawLine(QPointF(cx - 2.5, cy), QPointF(cx + 2.5, cy));
        if (knob.collapsed) {
            painter.drawLine(QPointF(cx, cy - 2.5), QPointF(cx, cy + 2.5));
            const QString count = QString::number(knob.count);
            const double height = countMetrics.height();
            painter.drawText(
                QRectF(cx + 8, cy - height / 2, countMetrics.horizontalAdvance(count) + 2, height),
                Qt::AlignLeft | Qt::AlignVCenter, count);
        }
    }
}

void paintBackground(QPainter& painter, const CanvasBlock& block, const CanvasPalette& colors,
                     const Appearance& appearance) {
    const double w = block.frame.width();
    const double h = block.frame.height();
    if (block.framed) {
        painter.setPen(QPen(block.selected ? colors.accent : colors.separator, 1));
        painter.setBrush(colors.paper);
        painter.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 7, 7);
    }
    const QRectF content =
        QRectF(controlsWidth, 0, w - controlsWidth, h).adjusted(0.75, 0.75, -0.75, -0.75);
    painter.setPen(Qt::NoPen);
    if (auto fill = appearance.labelFill(block.item().color, colors.dark)) {
        painter.setBrush(*fill);
        painter.drawRoundedRect(content, 5, 5);
    }
    if (block.lit) {
        painter.setBrush(withAlpha(colors.highlight, 0.12));
        painter.drawRoundedRect(content, 5, 5);
    }
    if (block.editing) {
        painter.setPen(QPen(colors.accent, 1.5));
        painter.setBrush(colors.textBackground);
        painter.drawRoundedRect(content, 5, 5);
    } else if (block.selected) {
        painter.setPen(QPen(withAlpha(colors.accent, 0.45), 1));
        painter.setBrush(withAlpha(colors.accent, 0.14));
        painter.drawRoundedRect(content, 5, 5);
    }
}

void paintControls(QPainter& painter, const CanvasBlock& block, const CanvasPalette& colors,
                   const Appearance& appearance, bool checksVisible) {
    const Item& item = block.item();
    if (checksVisible && appearance.checkStyle == CheckStyle::box) {
        Appearances::paintCheckBox(painter, CanvasPainter::checkBoxRect(), item.checked,
                                   colors.accent, colors.secondary, colors.textBackground);
    } else if (checksVisible && appearance.checkStyle == CheckStyle::web) {
        const QPointF c = CanvasPainter::checkMarkCentre();
        if (item.checked) {
            Appearances::paintTick(painter, c, appearance.highlight(colors.dark, colors.accent));
        } else if (block.hasChildren) {
            // The mark folds its item: a small chevron says so.
            QPen pen(colors.tertiary, 1.5);
            pen.setCapStyle(Qt::RoundCap);
            painter.setPen(pen);
            const bool folded = item.collapsed;
            const QPointF a = folded ? c + QPointF(-1.5, -3) : c + QPointF(-3, -1.5);
            const QPointF m = folded ? c + QPointF(1.5, 0) : c + QPointF(0, 1.5);
            const QPointF b = folded ? c + QPointF(-1.5, 3) : c + QPointF(3, -1.5);
            painter.drawPolyline(std::array<QPointF, 3>{a, m, b}.data(), 3);
        }
    }
    if (item.color && appearance.labelStyle == LabelStyle::dot) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Appearances::labelColor(*item.color));
        painter.drawEllipse(QPointF(block.metrics.leading - 8.5, kRowCentre), 4.5, 4.5);
    }
}

void paintTitle(QPainter& painter, const CanvasBlock& block, const CanvasPalette& colors,
                const Appearance& appearance) {
    const Item& item = block.item();
    QFont font = CanvasBlockStyle::titleFont(item);
    if (item.checked && appearance.strikeChecked) {
        font.setStrikeOut(true);
    }
    QTextLayout layout;
    const QRectF rect = block.metrics.textRect;
    CanvasBlockStyle::layoutTitle(
        layout,
        CanvasBlockStyle::titleText(item.text, CanvasBlockStyle::titleCharacterLimit(rect.width())),
        font, rect.width());
    painter.setPen(item.checked ? colors.secondary : colors.text);
    layout.draw(&painter, rect.topLeft());
}

void paintNote(QPainter& painter, const CanvasBlock& block, const CanvasPalette& colors) {
    const QRectF rect = *block.metrics.noteRect;
    const QFont font = CanvasBlockStyle::noteFont();
    StyledNote note = renderNote(block.item().note, font, colors.secondary, colors.link);
    if (block.metrics.noteShow == NoteShow::placeholder) {
        // A long note shows its first line, cut with an ellipsis.
        QString first = note.text.section(QLatin1Char('\n'), 0, 0);
        const QFontMetricsF metrics(font);
        first = metrics.elidedText(first, Qt::ElideRight, rect.width() - 4);
        if (!first.endsWith(QChar(0x2026))) {
            first += QChar(0x2026);
        }
        painter.setFont(font);
        painter.setPen(colors.secondary);
        painter.drawText(rect.adjusted(2, 0, -2, 0),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, first);
        return;
    }
    QTextLayout layout;
    layoutNote(layout, note, rect.width());
    painter.setPen(colors.secondary);
    layout.draw(&painter, rect.topLeft());
}

} // namespace

CanvasPalette CanvasPalette::make(const Appearance& appearance, const QPalette& palette,
                                  bool printing) {
    CanvasPalette c;
    c.dark = Appearances::isDark(palette) && !printing;
    const QPalette& p = palette;
    c.text = printing ? QColor(Qt::black) : p.color(QPalette::Text);
    c.paper = PaperPainter::paperColor(appearance, palette, printing);
    c.secondary = withAlpha(c.text, 0.55);
    c.tertiary = withAlpha(c.text, 0.28);
    c.separator = withAlpha(c.text, 0.14);
    c.accent = p.color(QPalette::Highlight);
    c.highlight = appearance.highlight(c.dark, c.accent);
    c.textBackground = printing ? QColor(Qt::white) : p.color(QPalette::Base);
    c.link = p.color(QPalette::Link);
    return c;
}

QRectF CanvasPainter::checkBoxRect() {
    return {9.5, kRowCentre - 6.5, 13, 13};
}

QPointF CanvasPainter::checkMarkCentre() {
    return {16, kRowCentre};
}

void CanvasPainter::paintBlock(QPainter& painter, const CanvasBlock& block,
                               const CanvasPalette& colors, const Appearance& appearance,
                               bool checksVisible) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    paintBackground(painter, block, colors, appearance);
    paintControls(painter, block, colors, appearance, checksVisible);
    // The editor lies over the title or note it edits; the block leaves that text out.
    if (block.editing != EditingTarget::Kind::item) {
        paintTitle(painter, block, colors, appearance);
    }
    if (block.metrics.noteRect && block.metrics.noteShow != NoteShow::editing) {
        paintNote(painter, block, colors);
    }
}

void CanvasPainter::paint(QPainter& painter, const CanvasScene& scene, const CanvasPalette& colors,
                          const Appearance& appearance, const QRectF& exposed) {
    const double top = exposed.top() - CanvasScene::insetY;
    const double bottom = exposed.bottom() - CanvasScene::insetY;
    const CanvasScene::Part part = scene.visible(top, bottom);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(CanvasScene::insetX, CanvasScene::insetY);
    paintConnectors(painter, part.geometry, colors);
    paintLinks(painter, scene, part.geometry, colors);
    paintKnobs(painter, part.geometry, colors);
    painter.restore();

    for (const CanvasBlock& block : part.blocks) {
        if (!block.frame.intersects(exposed)) {
            continue;
        }
        painter.save();
        painter.translate(block.frame.topLeft());
        painter.setOpacity(block.alpha);
        paintBlock(painter, block, colors, appearance, scene.checksVisible);
        painter.restore();
    }
}

} // namespace velmora

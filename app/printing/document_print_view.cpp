#include "app/printing/document_print_view.hpp"

#include "app/platform/preferences.hpp"
#include "app/views/canvas_blocks.hpp"
#include "app/views/canvas_painter.hpp"
#include "app/views/note_renderer.hpp"
#include "app/views/paper_painter.hpp"
#include "core/layout/print_layout.hpp"
#include "core/model/tree_ops.hpp"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

using CanvasBlockStyle::textInset;

// Black text at the strengths of the light appearance's label colours.
const QColor kLabel(0, 0, 0, 217);
const QColor kSecondary(0, 0, 0, 128);
const QColor kLink(0, 102, 204);
constexpr double kLabelFillAlpha = 0.18;
constexpr double kFillRadius = 5;
constexpr int kProgressStride = 512;

QFont headerFont() {
    QFont font = CanvasBlockStyle::font(16);
    font.setWeight(QFont::DemiBold);
    return font;
}

// The title font as the list and tree views show the item.
QFont rowTitleFont(const Item& item, const Appearance& appearance) {
    QFont font = CanvasBlockStyle::titleFont(item);
    font.setStrikeOut(item.checked && appearance.strikeChecked);
    return font;
}

QColor titleColor(const Item& item, const Appearance& appearance) {
    const bool faded =
        item.checked && (appearance.checkStyle == CheckStyle::web || appearance.strikeChecked);
    return faded ? kSecondary : kLabel;
}

// Lays the text out wrapped at the width, lines one under the other; returns the height.
double layoutWrapped(QTextLayout& layout, const QString& text, const QFont& font, double width) {
    layout.setText(lineSeparated(text));
    layout.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    double y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1.0, width));
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

// Whether the title fits on one line of the width without laying it out.
bool fitsOneLine(const QString& title, const QFontMetricsF& metrics, double width) {
    return !title.contains(QChar::LineSeparator) &&
           metrics.horizontalAdvance(title) <= width - 2 * textInset;
}

// The measured height of a title, as the tree canvas measures its blocks' titles.
double titleTextHeight(const QString& title, const QFont& font, double width) {
    const QFontMetricsF metrics(font);
    int lines = 1;
    if (!fitsOneLine(title, metrics, width)) {
        QTextLayout layout;
        lines = CanvasBlockStyle::layoutTitle(layout, title, font, width);
    }
    const double lineHeight = metrics.height();
    return lines * lineHeight + std::max(0.0, PrintLayout::titleMinimumHeight - lineHeight);
}

StyledNote printedNote(const Item& item) {
    return renderNote(item.note, CanvasBlockStyle::noteFont(), kSecondary, kLink);
}

void strokeTick(QPainter& painter, const QPointF& c, const QColor& color, double width) {
    QPainterPath tick;
    tick.moveTo(c.x() - 4, c.y());
    tick.lineTo(c.x() - 1.5, c.y() + 2.5);
    tick.lineTo(c.x() + 4, c.y() - 3);
    painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tick);
}

} // namespace

DocumentPrintView::DocumentPrintView(EditorSession session, Appearance appearance, QString title)
    : m_session(std::move(session)), m_appearance(appearance), m_title(std::move(title)) {
    m_canvas = m_session.snapshot.view != ViewMode::list;
    m_accent = lightPalette().color(QPalette::Highlight);
}

DocumentPrintView::~DocumentPrintView() = default;

QPalette DocumentPrintView::lightPalette() {
    QPalette palette(QColor(239, 239, 239));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    QColor accent = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
    if (accent.lightnessF() > 0.75) {
        accent = QColor(0, 122, 255);
    }
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, kLink);
    return palette;
}

bool DocumentPrintView::prepare(const PrintOptions& options, double pageWidth,
                                const Progress& progress) {
    m_notes = options.notes;
    if (m_canvas && !options.asList) {
        makePicture(options.notes);
        return true;
    }
    bool cancelled = false;
    layoutList(pageWidth, options.notes, progress, cancelled);
    if (cancelled) {
        m_rows.clear();
        m_frames.clear();
        m_size = {};
    }
    return !cancelled;
}

void DocumentPrintView::makePicture(bool notes) {
    m_rows.clear();
    m_headerHeight = 0;
    EditorSession session = m_session;
    session.snapshot.selectedId.reset();
    session.snapshot.anchorId.reset();
    session.snapshot.extraIds.clear();
    session.snapshot.editing.reset();
    session.snapshot.showAllNotes = notes;
    if (auto root = session.hoistRoot();
        root && !TreeOps::pathOf(session.snapshot.document.items, *root)) {
        session.activateHoist(std::nullopt);
    }
    CanvasOptions options;
    options.appearance = m_appearance;
    options.hideRootLine = Preferences().hideRootLine();
    options.printing = true;
    m_picture = std::make_unique<CanvasScene>(buildScene(session, options));
    m_frames.clear();
    const std::vector<CanvasBlock> blocks = m_picture->blocks();
    m_frames.reserve(blocks.size());
    for (const CanvasBlock& block : blocks) {
        const QRectF& f = block.frame;
        m_frames.push_back({f.x(), f.y(), f.width(), f.height()});
    }
    m_size = m_picture->frameSize();
}

void DocumentPrintView::layoutList(double width, bool notes, const Progress& progress,
                                   bool& cancelled) {
    m_picture.reset();
    m_rows.clear();
    m_frames.clear();
    width = std::max(1.0, width);
    if (m_title.isEmpty()) {
        m_headerHeight = 0;
    } else {
        QTextLayout layout;
        m_headerHeight = layoutWrapped(layout, m_title, headerFont(), width);
    }
    double y = PrintLayout::firstRowTop(m_headerHeight);

    const auto& items = m_session.snapshot.document.items;
    std::optional<std::string> root = m_session.hoistRoot();
    if (root && !TreeOps::pathOf(items, *root)) {
        root.reset();
    }
    const ItemList shown = TreeOps::displayItems(items, root, m_session.isHiding());
    const long long total = shown.totalCount();
    m_rows.reserve(static_cast<std::size_t>(std::min<long long>(total, 1 << 22)));
    const bool dots = m_appearance.labelStyle == LabelStyle::dot;

    struct Frame {
        const ItemList* list;
        std::size_t next;
    };
    std::vector<Frame> stack{{&shown, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next >= frame.list->size()) {
            stack.pop_back();
            continue;
        }
        const ItemList::Node& node = frame.list->node(frame.next++);
        const Item& item = *node;
        const int depth = static_cast<int>(stack.size()) - 1;

        const auto c = PrintLayout::columns(depth, width, item.color && dots);
        Row row;
        row.item = node;
        row.depth = depth;
        row.hasChildren = !item.children.empty();
        row.marker = QPointF(c.markerX, y + c.markerY);
        if (c.dot) {
            row.dot = QRectF(c.dot->x, y + c.dot->y, c.dot->width, c.dot->height);
        }
        const QString title = CanvasBlockStyle::titleText(item.text);
        const double titleHeight = PrintLayout::titleHeight(
            titleTextHeight(title, rowTitleFont(item, m_appearance), c.titleWidth));
        row.titleFrame = QRectF(c.titleX, y, c.titleWidth, titleHeight);
        double bottom = row.titleFrame.bottom();
        if (notes && !item.note.empty()) {
            QTextLayout layout;
            const double height = layoutNote(layout, printedNote(item), c.titleWidth);
            row.noteFrame = QRectF(c.titleX, bottom + PrintLayout::noteGap, c.titleWidth, height);
            bottom = row.noteFrame->bottom();
        }
        row.frame = QRectF(0, y, width, bottom - y);
        m_frames.push_back({0, y, width, bottom - y});
        m_rows.push_back(std::move(row));
        y = bottom + PrintLayout::rowGap;

        if (!item.children.empty()) {
            stack.push_back({&item.children, 0});
        }
        if (progress && m_rows.size() % kProgressStride == 0 &&
            !progress(static_cast<long long>(m_rows.size()), total)) {
            cancelled = true;
            return;
        }
    }
    // The space after the last row is no content: it must not start a page of its own.
    m_size = QSizeF(width, m_rows.empty() ? y : y - PrintLayout::rowGap);
}

std::vector<DocumentPrintView::Page> DocumentPrintView::pages(QSizeF printable,
                                                              const PrintInfo& info) const {
    std::vector<Page> result;
    const double pageWidth = std::max(1.0, printable.width());
    const double pageHeight = std::max(1.0, printable.height());
    if (m_size.isEmpty()) {
        result.push_back({QRectF(0, 0, pageWidth, pageHeight), 1});
        return result;
    }
    if (m_picture && info.horizontal == Pagination::fit && info.vertical == Pagination::fit) {
        const double scale = PrintLayout::fitScale({m_size.width(), m_size.height()},
                                                   {pageWidth, pageHeight});
        result.push_back({QRectF(QPointF(0, 0), m_size), scale});
        return result;
    }
    double scale = 1;
    std::vector<PageSpan> across{{0, m_size.width()}};
    if (info.horizontal == Pagination::fit) {
        scale = std::min(1.0, pageWidth / m_size.width());
    } else {
        across = PageBreaks::paginate(PageBreaks::horizontalSpans(m_frames), m_size.width(),
                                      pageWidth);
    }
    auto down = PageBreaks::paginate(PageBreaks::verticalSpans(m_frames), m_size.height(),
                                     pageHeight / scale);
    // A last row or column of pages that would hold only the picture's margin is left out.
    const auto holdsFrame = [this](const PageSpan& span, bool vertical) {
        return std::any_of(m_frames.begin(), m_frames.end(), [&](const LayoutRect& f) {
            const double start = vertical ? f.y : f.x;
            const double end = vertical ? f.maxY() : f.maxX();
            return start < span.end && end > span.start;
        });
    };
    while (m_picture && down.size() > 1 && !holdsFrame(down.back(), true)) {
        down.pop_back();
    }
    while (m_picture && across.size() > 1 && !holdsFrame(across.back(), false)) {
        across.pop_back();
    }
    result.reserve(down.size() * across.size());
    for (const PageSpan& v : down) {
        for (const PageSpan& h : across) {
            result.push_back(
                {QRectF(h.start, v.start, h.length(), v.length()), scale, across.size() == 1});
        }
    }
    return result;
}

void DocumentPrintView::draw(QPainter& painter, const QRectF& rect) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (m_picture) {
        const QPalette palette = lightPalette();
        PaperPainter::paintCanvas(painter, rect, m_appearance, palette, m_picture->columns, true);
        const CanvasPalette colors = CanvasPalette::make(m_appearance, palette, true);
        CanvasPainter::paint(painter, *m_picture, colors, m_appearance, rect);
        painter.restore();
        return;
    }
    if (!m_title.isEmpty() && rect.top() < m_headerHeight) {
        QTextLayout layout;
        layoutWrapped(layout, m_title, headerFont(), m_size.width());
        painter.setPen(kLabel);
        layout.draw(&painter, QPointF(0, 0));
    }
    // Rows are in order down the page: start at the first one that reaches into the rectangle.
    // A row that only touches it belongs to the neighbouring page.
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), rect.top(),
                               [](const Row& row, double top) { return row.frame.bottom() <= top; });
    for (; it != m_rows.end() && it->frame.top() < rect.bottom(); ++it) {
        drawRow(painter, *it);
    }
    painter.restore();
}

void DocumentPrintView::drawRow(QPainter& painter, const Row& row) const {
    const Item& item = *row.item;
    if (m_appearance.labelStyle == LabelStyle::fill && item.color) {
        QColor fill = Appearances::labelColor(*item.color);
        fill.setAlphaF(static_cast<float>(kLabelFillAlpha));
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        // The fill starts at the row's own indent, as in the list view, not at the paper's edge.
        QRectF band = row.frame;
        band.setLeft(row.marker.x() - 6);
        painter.drawRoundedRect(band.adjusted(-1.25, -1.25, 1.25, 1.25), kFillRadius,
                                kFillRadius);
    }
    drawMarker(painter, row);
    if (row.dot && item.color) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Appearances::labelColor(*item.color));
        painter.drawEllipse(*row.dot);
    }

    const QFont font = rowTitleFont(item, m_appearance);
    const QString title = CanvasBlockStyle::titleText(item.text);
    const QFontMetricsF metrics(font);
    painter.setPen(titleColor(item, m_appearance));
    const QRectF& frame = row.titleFrame;
    if (fitsOneLine(title, metrics, frame.width())) {
        const double top = (PrintLayout::titleMinimumHeight - metrics.height()) / 2;
        painter.setFont(font);
        painter.drawText(QPointF(frame.left() + textInset, frame.top() + top + metrics.ascent()),
                         title);
    } else {
        QTextLayout layout;
        CanvasBlockStyle::layoutTitle(layout, title, font, frame.width());
        layout.draw(&painter, frame.topLeft());
    }
    if (row.noteFrame) {
        QTextLayout layout;
        layoutNote(layout, printedNote(item), row.noteFrame->width());
        painter.setPen(kSecondary);
        layout.draw(&painter, row.noteFrame->topLeft());
    }
}

void DocumentPrintView::drawMarker(QPainter& painter, const Row& row) const {
    if (!m_session.checksVisible) {
        return;
    }
    const Item& item = *row.item;
    const QColor& accent = m_accent;
    const QColor highlight = m_appearance.highlight(false, accent);
    const QPointF c = row.marker;
    switch (m_appearance.checkStyle) {
    case CheckStyle::web:
        if (item.checked) {
            strokeTick(painter, c, highlight, 1.75);
        } else {
            QColor bullet = kLabel;
            bullet.setAlphaF(0.25f);
            painter.setPen(Qt::NoPen);
            painter.setBrush(row.hasChildren ? highlight : bullet);
            painter.drawEllipse(c, 3, 3);
        }
        break;
    case CheckStyle::box: {
        const QRectF box(c.x() - 6, c.y() - 6, 12, 12);
        if (item.checked) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(accent);
            painter.drawRoundedRect(box, 3, 3);
            strokeTick(painter, box.center() + QPointF(0, 0.25), Qt::white, 1.6);
        } else {
            painter.setPen(QPen(kSecondary, 1));
            painter.setBrush(Qt::white);
            painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        }
        break;
    }
    case CheckStyle::none:
        break;
    }
}

} // namespace velmora

#include "app/views/list_outline_delegate.hpp"

#include "app/views/note_renderer.hpp"

#include "app/views/list_outline_model.hpp"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>

#include <cmath>

namespace velmora {
namespace {

// Distances of the row layout before zooming.
constexpr double kLeftInset = 4;
constexpr double kIndent = 18;
constexpr double kDisclosureWidth = 16;
constexpr double kCheckWidth = 18;
constexpr double kDotWidth = 12;
constexpr double kDotDiameter = 8;
constexpr double kRightInset = 8;

// The first line of a title; a title with more lines ends in an ellipsis.
QString shownTitle(const std::string& text) {
    const auto end = text.find('\n');
    if (end == std::string::npos) {
        return QString::fromStdString(text);
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(end)) + QStringLiteral(" …");
}

// The links in a line of text, as (first character, length, address).
struct Link {
    qsizetype start;
    qsizetype length;
    QUrl url;
};

std::vector<Link> linksIn(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:https?://|mailto:|www\.)[^\s<>"]+)"),
        QRegularExpression::CaseInsensitiveOption);
    std::vector<Link> links;
    auto matches = pattern.globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        QString address = match.captured();
        // Punctuation that ends a sentence is not part of the address.
        while (!address.isEmpty() && QStringLiteral(".,;:!?)'").contains(address.back())) {
            address.chop(1);
        }
        if (address.size() < 5) {
            continue;
        }
        QString target = address;
        if (target.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
            target.prepend(QStringLiteral("https://"));
        }
        QUrl url(target, QUrl::StrictMode);
        if (url.isValid()) {
            links.push_back({match.capturedStart(), address.size(), url});
        }
    }
    return links;
}

std::optional<QUrl> linkInLine(const QString& text, const QFont& font, const QRect& rect,
                               const QPoint& point) {
    if (!rect.contains(point)) {
        return std::nullopt;
    }
    const QFontMetrics metrics(font);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, rect.width());
    const int x = point.x() - rect.left();
    for (const Link& link : linksIn(shown)) {
        const int from = metrics.horizontalAdvance(shown.left(link.start));
        const int to = metrics.horizontalAdvance(shown.left(link.start + link.length));
        if (x >= from && x < to) {
            return link.url;
        }
    }
    return std::nullopt;
}

} // namespace

ListOutlineDelegate::ListOutlineDelegate(const ListOutlineModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model) {}

void ListOutlineDelegate::setZoom(double zoom) {
    m_zoom = zoom;
}

int ListOutlineDelegate::scaled(double value) const {
    return static_cast<int>(std::lround(value * m_zoom));
}

QFont ListOutlineDelegate::titleFont(const Item& item) const {
    QFont font = QApplication::font();
    font.setPointSizeF(font.pointSizeF() * m_zoom);
    font.setBold(item.bold);
    font.setUnderline(item.underline);
    return font;
}

QFont ListOutlineDelegate::noteFont() const {
    QFont font = QApplication::font();
    font.setPointSizeF(font.pointSizeF() * m_zoom * 11.0 / 13.0);
    return font;
}

ListOutlineDelegate::Geometry ListOutlineDelegate::geometry(int row, const QRect& rect) const {
    const auto& visible = m_model.rowAt(row);
    const Item& item = visible.item();
    Geometry g;
    g.row = rect;
    const int titleHeight = QFontMetrics(titleFont(item)).height();
    const int lineTop = rect.top() + (scaled(ListOutlineModel::kRowHeight) - titleHeight) / 2;
    int x = rect.left() + scaled(kLeftInset + kIndent * visible.depth);
    g.disclosure =
        QRect(x, rect.top(), scaled(kDisclosureWidth), scaled(ListOutlineModel::kRowHeight));
    x = g.disclosure.right() + 1;
    if (m_checksVisible && m_appearance.checkStyle != CheckStyle::none) {
        g.check = QRect(x, rect.top(), scaled(kCheckWidth), scaled(ListOutlineModel::kRowHeight));
        x = g.check.right() + 1;
    }
    if (item.color && m_appearance.labelStyle == LabelStyle::dot) {
        g.dot = QRect(x, rect.top(), scaled(kDotWidth), scaled(ListOutlineModel::kRowHeight));
        x = g.dot.right() + 1;
    }
    const int width = std::max(rect.right() - scaled(kRightInset) - x, scaled(40));
    g.text = QRect(x + scaled(2), lineTop, width, titleHeight);
    if (m_model.showsNote(row)) {
        g.note =
            QRect(g.text.left(), g.text.bottom() + 1, width, QFontMetrics(noteFont()).height());
    }
    return g;
}

ListOutlineDelegate::Part ListOutlineDelegate::hit(int row, const QRect& rect,
                                                   const QPoint& point) const {
    if (!rect.contains(point)) {
        return Part::none;
    }
    const Geometry g = geometry(row, rect);
    if (g.disclosure.contains(point) && m_model.isExpandable(row)) {
        return Part::disclosure;
    }
    if (g.check.contains(point)) {
        return Part::check;
    }
    if (g.note.isValid() && point.y() > g.text.bottom()) {
        return Part::note;
    }
    return Part::text;
}

std::optional<QUrl> ListOutlineDelegate::linkAt(int row, const QRect& rect,
                                                const QPoint& point) const {
    const Item& item = m_model.rowAt(row).item();
    const Geometry g = geometry(row, rect);
    if (auto url = linkInLine(shownTitle(item.text), titleFont(item), g.text.adjusted(2, 0, 0, 0),
                              point)) {
        return url;
    }
    if (g.note.isValid()) {
        NoteLabel label;
        label.note = renderNote(firstNoteLine(item.note), noteFont(), Qt::black);
        label.bounds = g.note;
        label.maximumLines = 1;
        return noteLinkAt(label, point);
    }
    return std::nullopt;
}

QSize ListOutlineDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    return {scaled(200), m_model.rowHeight(index.row())};
}

void ListOutlineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const int row = index.row();
    if (row < 0 || row >= m_model.count()) {
        return;
    }
    const Item& item = m_model.rowAt(row).item();
    const Geometry g = geometry(row, option.rect);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    paintBackground(painter, option, g, item);
    if (m_model.isExpandable(row)) {
        paintDisclosure(painter, option, g, item.collapsed);
    }
    if (g.check.isValid()) {
        paintCheck(painter, option, g, item, m_model.isExpandable(row));
    }
    if (g.dot.isValid() && item.color) {
        const double d = kDotDiameter * m_zoom;
        const QPointF centre(g.dot.center().x() + 0.5, g.text.center().y() + 0.5);
        painter->setPen(Qt::NoPen);
        painter->setBrush(Appearances::labelColor(*item.color));
        painter->drawEllipse(centre, d / 2, d / 2);
    }
    paintTexts(painter, option, g, item);
    painter->restore();
}

void ListOutlineDelegate::paintBackground(QPainter* painter, const QStyleOptionViewItem& option,
                                          const Geometry& g, const Item& item) const {
    const bool dark = Appearances::isDark(option.palette);
    const QRectF band = QRectF(g.row).adjusted(2, 1, -2, -1);
    const QRectF content(g.text.left() - scaled(4), band.top(),
                         band.right() - g.text.left() + scaled(4), band.height());
    if (auto fill = m_appearance.labelFill(item.color, dark)) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(*fill);
        painter->drawRoundedRect(content, 4, 4);
    }
    const bool editing = m_editing && m_editing->id == item.id;
    QColor accent = option.palette.color(QPalette::Highlight);
    if (editing) {
        // The box the editor lies in: the editor's own frame over the title or the note.
        const QRect& edited = m_editing->isNote() && g.note.isValid() ? g.note : g.text;
        const QRectF box = QRectF(edited).adjusted(0, -2, 0, 2);
        painter->setPen(QPen(accent, 1.5));
        painter->setBrush(option.palette.color(QPalette::Base));
        painter->drawRoundedRect(box.adjusted(0.75, 0.75, -0.75, -0.75), 5, 5);
    } else if (option.state.testFlag(QStyle::State_Selected)) {
        QColor fill = accent;
        fill.setAlphaF(dark ? 0.40f : 0.22f);
        QColor stroke = accent;
        stroke.setAlphaF(0.45f);
        painter->setPen(QPen(stroke, 1));
        painter->setBrush(fill);
        painter->drawRoundedRect(band.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    }
}

void ListOutlineDelegate::paintDisclosure(QPainter* painter, const QStyleOptionViewItem& option,
                                          const Geometry& g, bool collapsed) const {
    const QPointF c(g.disclosure.center().x() + 0.5, g.text.center().y() + 0.5);
    const double s = 3.5 * m_zoom;
    QPainterPath triangle;
    if (collapsed) {
        triangle.moveTo(c.x() - s * 0.6, c.y() - s);
        triangle.lineTo(c.x() + s * 0.9, c.y());
        triangle.lineTo(c.x() - s * 0.6, c.y() + s);
    } else {
        triangle.moveTo(c.x() - s, c.y() - s * 0.6);
        triangle.lineTo(c.x() + s, c.y() - s * 0.6);
        triangle.lineTo(c.x(), c.y() + s * 0.9);
    }
    triangle.closeSubpath();
    painter->setPen(Qt::NoPen);
    painter->setBrush(Appearances::secondaryText(option.palette));
    painter->drawPath(triangle);
}

void ListOutlineDelegate::paintCheck(QPainter* painter, const QStyleOptionViewItem& option,
                                     const Geometry& g, const Item& item, bool hasChildren) const {
    const QPointF c(g.check.center().x() + 0.5, g.text.center().y() + 0.5);
    const bool dark = Appearances::isDark(option.palette);
    const QColor highlight =
        m_appearance.highlight(dark, option.palette.color(QPalette::Highlight));
    if (m_appearance.checkStyle == CheckStyle::box) {
        // Drawn as the tree view draws it: the style's own box all but vanishes on dark paper.
        const double z = m_zoom;
        Appearances::paintCheckBox(
            *painter, QRectF(c.x() - 7 * z, c.y() - 7 * z, 14 * z, 14 * z), item.checked, highlight,
            Appearances::secondaryText(option.palette), option.palette.color(QPalette::Base), z);
        return;
    }
    // The web style: a tick when checked, else a bullet that doubles as the fold control.
    if (item.checked) {
        Appearances::paintTick(*painter, c, highlight, m_zoom);
        return;
    }
    painter->setPen(Qt::NoPen);
    if (hasChildren && item.collapsed) {
        QColor ring = highlight;
        ring.setAlphaF(0.25f);
        painter->setBrush(ring);
        painter->drawEllipse(c, 6 * m_zoom, 6 * m_zoom);
    }
    QColor bullet = option.palette.color(QPalette::Text);
    bullet.setAlphaF(0.25f);
    painter->setBrush(hasChildren ? highlight : bullet);
    painter->drawEllipse(c, 3 * m_zoom, 3 * m_zoom);
}

void ListOutlineDelegate::paintTexts(QPainter* painter, const QStyleOptionViewItem& option,
                                     const Geometry& g, const Item& item) const {
    const bool editing = m_editing && m_editing->id == item.id;
    QFont title = titleFont(item);
    const bool struck = item.checked && m_appearance.strikeChecked;
    title.setStrikeOut(struck);
    const bool faded =
        item.checked && (m_appearance.checkStyle == CheckStyle::web || m_appearance.strikeChecked);
    const QColor secondary = Appearances::secondaryText(option.palette);
    if (!(editing && m_editing->isItem())) {
        painter->setFont(title);
        painter->setPen(faded ? secondary : option.palette.color(QPalette::Text));
        const QRect titleRect = g.text.adjusted(scaled(2), 0, 0, 0);
        // On the title font's own baseline: a line laid out from the top would sit lower when
        // a fallback font with a taller ascent (Chinese, Japanese) draws some of its letters.
        const QFontMetricsF metrics(title);
        painter->drawText(QPointF(titleRect.left(), titleRect.top() + metrics.ascent()),
                          QFontMetrics(title).elidedText(shownTitle(item.text), Qt::ElideRight,
                                                         titleRect.width()));
    }
    if (g.note.isValid() && !(editing && m_editing->isNote())) {
        // The note's first line with its inline markdown.
        drawNoteLine(*painter,
                     renderNote(firstNoteLine(item.note), noteFont(), secondary,
                                option.palette.color(QPalette::Link)),
                     QRectF(g.note.adjusted(scaled(2), 0, 0, 0)));
    }
}

} // namespace velmora

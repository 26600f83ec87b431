#include "app/library/library_row_delegate.hpp"

#include "app/library/library_outline.hpp"

#include <QApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>

namespace velmora {
namespace {

constexpr int kDatePadding = 8;
constexpr int kRightPadding = 6;

QFont smallFont(QFont font) {
    font.setPointSizeF(font.pointSizeF() * 11.0 / 13.0);
    return font;
}

QColor secondaryText(const QPalette& palette, bool selected) {
    if (selected) {
        return palette.color(QPalette::HighlightedText);
    }
    QColor color = palette.color(QPalette::Text);
    color.setAlphaF(0.55f);
    return color;
}

} // namespace

LibraryRowDelegate::LibraryRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QString LibraryRowDelegate::shortDate(const QDateTime& modified) {
    if (!modified.isValid()) {
        return {};
    }
    return QLocale().toString(modified.toLocalTime().date(), QLocale::ShortFormat);
}

void LibraryRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const auto kind = static_cast<LibraryOutline::RowKind>(index.data(LibraryOutline::kindRole).toInt());
    const bool selected = opt.state & QStyle::State_Selected;
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();

    if (kind == LibraryOutline::RowKind::section) {
        opt.font = smallFont(opt.font);
        opt.font.setBold(true);
        opt.palette.setColor(QPalette::Text, secondaryText(opt.palette, false));
        opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
        opt.rect.adjust(0, 4, 0, 0);
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        return;
    }
    if (kind == LibraryOutline::RowKind::placeholder) {
        opt.font.setItalic(true);
        opt.palette.setColor(QPalette::Text, secondaryText(opt.palette, false));
        opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        return;
    }
    // The date keeps its weight; only the current document's name stands out.
    const QFont dateFont = smallFont(opt.font);
    if (index.data(LibraryOutline::currentRole).toBool()) {
        opt.font.setBold(true);
    }
    const QString date = shortDate(index.data(LibraryOutline::modifiedRole).toDateTime());
    const int dateWidth =
        date.isEmpty() ? 0 : QFontMetrics(dateFont).horizontalAdvance(date) + kDatePadding;
    // The name gives way to the date: elided before it, never drawn under it.
    const QString name = opt.text;
    QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    textRect.setRight(textRect.right() - kRightPadding);
    const int nameWidth = std::max(0, textRect.width() - dateWidth);
    if (dateWidth > 0 && nameWidth < QFontMetrics(opt.font).horizontalAdvance(name) / 2) {
        // Too narrow for both: the name matters more.
        opt.text = QFontMetrics(opt.font).elidedText(name, Qt::ElideRight, textRect.width());
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        return;
    }
    opt.text = QFontMetrics(opt.font).elidedText(name, Qt::ElideRight, nameWidth);
    opt.textElideMode = Qt::ElideNone;
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (dateWidth > 0) {
        painter->save();
        painter->setFont(dateFont);
        painter->setPen(secondaryText(opt.palette, selected));
        QRect dateRect = textRect;
        dateRect.setLeft(textRect.right() - dateWidth + kDatePadding);
        painter->drawText(dateRect, Qt::AlignRight | Qt::AlignVCenter, date);
        painter->restore();
    }
}

QSize LibraryRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height() + 6, 24));
    return size;
}

QWidget* LibraryRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
    (void)option;
    (void)index;
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("libraryRenameField"));
    editor->setFrame(true);
    return editor;
}

void LibraryRowDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* field = static_cast<QLineEdit*>(editor);
    field->setText(index.data(Qt::DisplayRole).toString());
    field->selectAll();
}

void LibraryRowDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                      const QModelIndex& index) const {
    (void)model;
    // The row shows the file's name as the next scan finds it; it never holds typed text.
    // Only a name the user changed renames: the editor also commits when it merely loses the
    // keyboard, and the shown name made safe again could differ from the file's ("Plan: A").
    const QString typed = static_cast<QLineEdit*>(editor)->text();
    if (typed == index.data(Qt::DisplayRole).toString()) {
        return;
    }
    if (onRename) {
        onRename(index.data(LibraryOutline::pathRole).toString(), typed);
    }
}

void LibraryRowDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    QRect rect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    rect.setRight(option.rect.right() - 2);
    editor->setGeometry(rect.adjusted(-3, 1, 0, -1));
}

} // namespace velmora

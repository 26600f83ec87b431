#include "app/views/item_text_editor.hpp"

#include "app/views/spell_highlighter.hpp"
#include "core/model/text.hpp"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include <cmath>

namespace velmora {
namespace {

// The inset between the editor's edge and its text: the text container inset of 1 plus a line
// fragment padding of 2.
constexpr qreal kDocumentMargin = 2;

} // namespace

ItemTextEditor::ItemTextEditor(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("itemTextEditor"));
    setUndoRedoEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    setBackgroundVisible(false);
    setCenterOnScroll(false);
    document()->setDocumentMargin(kDocumentMargin);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (fit()) {
            emit grew();
        }
    });
    m_spelling = new SpellHighlighter(document());
    m_spelling->followCaret(this);
}

void ItemTextEditor::setFittedHeight(double height) {
    m_fittedHeight = height;
    viewport()->setAutoFillBackground(drawsBackground());
    update();
}

void ItemTextEditor::setOutsets(int left, int right) {
    const QMargins margins(left, 0, right, 0);
    if (viewportMargins() != margins) {
        setViewportMargins(margins);
    }
}

std::string ItemTextEditor::draft() const {
    // The raw text keeps non-breaking spaces that the plain-text form would turn into blanks.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text.toStdString();
}

long long ItemTextEditor::caretInGraphemes() const {
    QString before = document()->toRawText().left(textCursor().position());
    before.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return static_cast<long long>(Text::graphemeCount(before.toStdString()));
}

void ItemTextEditor::load(const QString& text) {
    setPlainText(text);
    moveCursor(QTextCursor::End);
}

bool ItemTextEditor::isComposing() const {
    const QTextBlock block = textCursor().block();
    return block.isValid() && block.layout() && !block.layout()->preeditAreaText().isEmpty();
}

void ItemTextEditor::insertNewline() {
    // The change of text fits the editor.
    textCursor().insertText(QStringLiteral("\n"));
}

int ItemTextEditor::neededHeight() const {
    qreal height = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        height += blockBoundingRect(block).height();
    }
    return static_cast<int>(std::ceil(height + 2 * kDocumentMargin)) + 2 * frameWidth();
}

bool ItemTextEditor::fit() {
    const int needed = neededHeight();
    const bool grows = height() < needed;
    if (grows) {
        resize(width(), needed);
    }
    viewport()->setAutoFillBackground(drawsBackground());
    return grows;
}

bool ItemTextEditor::drawsBackground() const {
    return height() > m_fittedHeight + 0.5;
}

bool ItemTextEditor::event(QEvent* event) {
    if (event->type() == QEvent::Paint && drawsBackground() && !viewportMargins().isNull()) {
        // The box's part in the outsets, beside the text area.
        QPainter painter(this);
        paintBox(painter, QPointF());
    }
    return QPlainTextEdit::event(event);
}

void ItemTextEditor::keyPressEvent(QKeyEvent* event) {
    // The window's key map decides every chord it knows, undo and redo among them; a Return
    // it leaves to the editor (Shift+Return, or with modifiers the map does not name) is a
    // line feed, never the line separator the text field would insert.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        insertNewline();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ItemTextEditor::paintEvent(QPaintEvent* event) {
    if (drawsBackground()) {
        QPainter painter(viewport());
        paintBox(painter, viewport()->pos());
    }
    QPlainTextEdit::paintEvent(event);
}

// Grown past its row: an opaque box, outlined like the row beneath it, so that the lines below
// do not show through. It spans the editor with its outsets; `origin` is where the painter's
// widget lies in the editor.
void ItemTextEditor::paintBox(QPainter& painter, QPointF origin) const {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRoundedRect(QRectF(rect()).translated(-origin).adjusted(0.75, 0.75, -0.75, -0.75),
                            5, 5);
}

void ItemTextEditor::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-undo")) {
            action->setEnabled(canUndo && canUndo());
            disconnect(action, nullptr, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] {
                if (forwardUndo) {
                    forwardUndo();
                }
            });
        } else if (action->objectName() == QLatin1String("edit-redo")) {
            action->setEnabled(canRedo && canRedo());
            disconnect(action, nullptr, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] {
                if (forwardRedo) {
                    forwardRedo();
                }
            });
        }
    }
    m_spelling->addMenuEntries(menu, cursorForPosition(event->pos()).position());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace velmora

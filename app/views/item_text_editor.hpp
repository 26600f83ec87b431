#pragma once

#include <QPlainTextEdit>
#include <QPointF>

#include <functional>
#include <limits>
#include <string>

class QPainter;

namespace velmora {

class SpellHighlighter;

// The one text field of a document window in which an item's title or note is typed. Plain
// text only, with no undo history of its own: undo and redo are forwarded to the window, which
// commits the typed text first and then undoes the document. It grows downwards with its text
// and paints its own background only once it reaches past the row it covers.
class ItemTextEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ItemTextEditor(QWidget* parent = nullptr);

    // What the editor's undo and redo do.
    std::function<void()> forwardUndo;
    std::function<void()> forwardRedo;
    // Whether the window can undo or redo now (the context menu's entries follow them).
    std::function<bool()> canUndo;
    std::function<bool()> canRedo;

    // The height the editor had when it was last placed over a new item: the row it covers.
    [[nodiscard]] double fittedHeight() const { return m_fittedHeight; }
    void setFittedHeight(double height);

    // The editor's text as UTF-8.
    [[nodiscard]] std::string draft() const;
    // The caret as a count of user-perceived characters from the start of the text.
    [[nodiscard]] long long caretInGraphemes() const;
    // Replaces the text and puts the caret at its end.
    void load(const QString& text);
    // Whether an input method is composing text in the editor.
    [[nodiscard]] bool isComposing() const;
    // Replaces the selection by a line feed and fits the editor.
    void insertNewline();
    // Grows the editor to its text; never shrinks it. Returns whether it grew.
    bool fit();
    // The height the text needs, with the insets.
    [[nodiscard]] int neededHeight() const;
    // Whether the editor paints its background (it reaches past the row it covers).
    [[nodiscard]] bool drawsBackground() const;
    // Widens the editor by `left` and `right` pixels on either side of its text, which stays
    // where it is: the box it paints once grown then covers the frame of the block beneath.
    void setOutsets(int left, int right);
    // The spell checking of the editor's text.
    [[nodiscard]] SpellHighlighter* spelling() const { return m_spelling; }

signals:
    // Typing grew the editor.
    void grew();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void paintBox(QPainter& painter, QPointF origin) const;

    double m_fittedHeight = std::numeric_limits<double>::max();
    SpellHighlighter* m_spelling = nullptr;
};

} // namespace velmora

#pragma once

#include <QAbstractScrollArea>
#include <QPointer>

namespace velmora {

// The scroll area of the tree canvas. A widget is at most 16,777,215 pixels tall, less than the
// tree of a large outline, so the canvas is never sized to what it draws: it fills the
// viewport and draws from the scroll bars' offset, and the area scrolls over the size the
// canvas reports. Scrolling moves the canvas's pixels and its children (the item editor, the
// drop mark) with the content.
class CanvasScrollArea : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CanvasScrollArea(QWidget* parent = nullptr);

    // Puts the canvas into the viewport, filling it.
    void setCanvas(QWidget* canvas);
    [[nodiscard]] QWidget* canvas() const { return m_canvas; }
    // The size of everything the canvas draws, at its magnification.
    void setContentSize(const QSize& size);
    [[nodiscard]] QSize contentSize() const { return m_content; }
    // The top-left corner of what shows, in the content's pixels.
    [[nodiscard]] QPoint offset() const;

protected:
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void updateRanges();

    QPointer<QWidget> m_canvas;
    QSize m_content;
};

} // namespace velmora

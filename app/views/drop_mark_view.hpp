#pragma once

#include <QColor>
#include <QWidget>

namespace velmora {

// The drop indicator laid over the canvas or the list during a drag: an insertion line between
// blocks or rows, or a frame around the block or row that will receive the items as children.
// It never takes clicks.
class DropMarkView : public QWidget {
    Q_OBJECT
public:
    enum class Mode { line, frame };

    explicit DropMarkView(QWidget* parent = nullptr);

    [[nodiscard]] Mode mode() const { return m_mode; }
    // Shows the indicator in `rect` (the parent's coordinates): for a line, the band of 8
    // points centred on the insertion edge; for a frame, the receiving block.
    void showMark(Mode mode, const QRectF& rect);
    void setColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Mode m_mode = Mode::line;
    QColor m_color;
    QRectF m_rect;
};

} // namespace velmora

#pragma once

#include <QProxyStyle>

namespace velmora {

// The desktop's style with check boxes that show on dark palettes. Qt's own styles draw the
// box in a shade of the window colour, which all but vanishes on a dark one; there the boxes
// of buttons and item views are drawn as the outline draws its own. Light palettes, and every
// other element, are left to the desktop's style.
class ContrastStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Takes ownership of `base`; without one, wraps the application's default style.
    explicit ContrastStyle(QStyle* base = nullptr);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    // Wraps the application's current style, unless it is wrapped already.
    static void install();
};

} // namespace velmora

#pragma once

#include <QColor>
#include <QPalette>

namespace velmora::test {

// A dark desktop palette, for pictures of windows and views in the dark appearance.
inline QPalette darkPalette() {
    QPalette p;
    const QColor window(30, 30, 34);
    const QColor text(235, 235, 240);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(24, 24, 27));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(58, 58, 64));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(65, 156, 255));
    p.setColor(QPalette::PlaceholderText, QColor(150, 150, 155));
    return p;
}

} // namespace velmora::test

#pragma once

#include "core/commands/action.hpp"

#include <QPushButton>

namespace velmora {

// A key cap of the help panel: the shortcut of a command as a small flat key that runs the
// command when pressed. It never takes the keyboard focus.
class KeycapButton : public QPushButton {
    Q_OBJECT
public:
    KeycapButton(Action command, const QString& title, QWidget* parent = nullptr);

    [[nodiscard]] Action command() const { return m_command; }
    // Whether the command can run now; a key cap that cannot is dimmed but still answers a
    // click (with a beep).
    [[nodiscard]] bool isAvailable() const { return m_available; }
    void setAvailable(bool available);
    // The natural size widened by 8 pixels, at least 22 wide, and 2 pixels taller.
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }
    // The key cap at least this wide (key caps of a list line up).
    void setColumnWidth(int width);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Action m_command;
    bool m_available = true;
    int m_columnWidth = 0;
};

} // namespace velmora

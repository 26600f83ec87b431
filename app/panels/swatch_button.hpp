#pragma once

#include "core/commands/action.hpp"
#include "core/model/color_label.hpp"

#include <QAbstractButton>

#include <optional>

namespace velmora {

// One colour of the properties' label row: a filled circle for a label, a crossed-out circle
// for "no label", ringed in the accent colour when it is the item's label. It never takes the
// keyboard focus.
class SwatchButton : public QAbstractButton {
    Q_OBJECT
public:
    SwatchButton(Action command, std::optional<ColorLabel> color, QWidget* parent = nullptr);

    [[nodiscard]] Action command() const { return m_command; }
    [[nodiscard]] std::optional<ColorLabel> color() const { return m_color; }
    [[nodiscard]] bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    [[nodiscard]] QSize sizeHint() const override { return {22, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Action m_command;
    std::optional<ColorLabel> m_color;
    bool m_selected = false;
};

} // namespace velmora

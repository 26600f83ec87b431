#pragma once

#include "core/session/editor_snapshot.hpp"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QHBoxLayout;

namespace velmora {

// The strip above the outline with one button per hoist tab, after a button for the whole
// document; each tab button carries a close button. Hidden while there are no hoist tabs.
class HoistBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 36;

    explicit HoistBar(QWidget* parent = nullptr);

    // A tab button was pressed: the tab's id, or nothing for the whole document.
    std::function<void(const std::optional<std::string>& tabId)> onActivate;
    // A tab's close button was pressed.
    std::function<void(const std::string& tabId)> onClose;

    // Rebuilds the buttons from the tabs; the active tab's button (or "whole") is on.
    void rebuild(const std::vector<HoistTab>& tabs, const std::optional<std::string>& active);
    // Rebuilds with the texts of the current interface language.
    void relocalize();

private:
    QHBoxLayout* m_layout = nullptr;
    bool m_built = false;
    std::vector<HoistTab> m_tabs;
    std::optional<std::string> m_active;
};

} // namespace velmora

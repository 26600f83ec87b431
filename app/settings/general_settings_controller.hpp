#pragma once

#include "app/settings/settings_pane_controller.hpp"

namespace velmora {

// The general pane: the interface language, what the start brings back, the view of a new
// document and whether documents open as tabs or as windows.
class GeneralSettingsController : public SettingsPaneController {
    Q_OBJECT
public:
    explicit GeneralSettingsController(QWidget* parent = nullptr);

    void refresh() override;

    QComboBox* language = nullptr;
    QComboBox* startup = nullptr;
    QComboBox* newDocumentView = nullptr;
    QComboBox* documents = nullptr;
};

} // namespace velmora

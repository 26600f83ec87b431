#pragma once

#include "app/settings/settings_pane_controller.hpp"

namespace velmora {

// The editing pane: what Tab and Enter do in the outline and while typing, and spell checking.
class EditingSettingsController : public SettingsPaneController {
    Q_OBJECT
public:
    explicit EditingSettingsController(QWidget* parent = nullptr);

    void refresh() override;

    QCheckBox* tabIndents = nullptr;
    QCheckBox* returnEdits = nullptr;
    QComboBox* returnWhileTyping = nullptr;
    QCheckBox* spelling = nullptr;
    QLabel* spellingNote = nullptr;

private:
    // Stores the three editor preferences together and announces them.
    void storeEditorPreferences();
    void showSpellingNote();
};

} // namespace velmora

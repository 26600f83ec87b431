#include "app/panels/editing_settings_controller.hpp"

#include "app/shell/notifications.hpp"
#include "app/shell/preferences.hpp"

#include <QCheckBox>
#include <QComboBox>

namespace velmora {

EditingSettingsController::EditingSettingsController(QWidget* parent)
    : SettingsPaneController(parent) {
    tabIndents = addCheck(QStringLiteral("settings.tabIndents"));
    returnEdits = addCheck(QStringLiteral("settings.returnEdits"));
    returnWhileTyping = addChoice(
        QStringLiteral("settings.return"),
        {QStringLiteral("settings.return.finish"), QStringLiteral("settings.return.next")},
        {QStringLiteral("finish"), QStringLiteral("finishAndAddNext")});
    addNote(QStringLiteral("settings.return.note"));
    spelling = addCheck(QStringLiteral("settings.spelling"));

    connect(tabIndents, &QCheckBox::clicked, this,
            &EditingSettingsController::storeEditorPreferences);
    connect(returnEdits, &QCheckBox::clicked, this,
            &EditingSettingsController::storeEditorPreferences);
    connect(returnWhileTyping, &QComboBox::activated, this,
            &EditingSettingsController::storeEditorPreferences);
    connect(spelling, &QCheckBox::clicked, this, [](bool checked) {
        Preferences().setBool(PreferenceKeys::checkSpelling, checked);
        // The text editors follow it.
        Notifications::shared().post(Notifications::preferences);
    });
}

void EditingSettingsController::storeEditorPreferences() {
    Preferences preferences;
    preferences.setString(PreferenceKeys::returnWhileTyping, value(returnWhileTyping));
    preferences.setBool(PreferenceKeys::tabIndents, tabIndents->isChecked());
    preferences.setBool(PreferenceKeys::returnEdits, returnEdits->isChecked());
    Notifications::shared().post(Notifications::preferences);
}

void EditingSettingsController::refresh() {
    const Preferences preferences;
    tabIndents->setChecked(preferences.tabIndents());
    returnEdits->setChecked(preferences.returnEdits());
    select(returnWhileTyping, preferences.returnWhileTyping(), QStringLiteral("finish"));
    spelling->setChecked(preferences.checkSpelling());
}

} // namespace velmora

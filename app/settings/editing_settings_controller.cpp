#include "app/settings/editing_settings_controller.hpp"

#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/platform/spell_service.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

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
    // Which dictionary stands in when the interface language has none; hidden when it has one.
    spellingNote = addNote(QStringLiteral("settings.spelling.english"));
    connect(&SpellService::shared(), &SpellService::changed, this,
            &EditingSettingsController::showSpellingNote);

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
    showSpellingNote();
}

void EditingSettingsController::showSpellingNote() {
    const QString note = SpellService::shared().settingsNote();
    spellingNote->setText(note);
    spellingNote->parentWidget()->setVisible(!note.isEmpty());
}

} // namespace velmora

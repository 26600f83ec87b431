#include "app/settings/general_settings_controller.hpp"

#include "app/platform/app_language.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"

#include <QComboBox>

namespace velmora {
namespace {

const QString kRestore = QStringLiteral("restore");
const QString kBlank = QStringLiteral("blank");
const QString kTabs = QStringLiteral("tabs");
const QString kWindows = QStringLiteral("windows");

QString raw(bool value, const QString& yes, const QString& no) {
    return value ? yes : no;
}

} // namespace

GeneralSettingsController::GeneralSettingsController(QWidget* parent)
    : SettingsPaneController(parent) {
    QStringList languageKeys{QStringLiteral("settings.language.system")};
    QStringList languageValues{AppLanguages::rawValue(AppLanguage::system)};
    for (const AppLanguage each : AppLanguages::supported) {
        languageValues.append(AppLanguages::rawValue(each));
        languageKeys.append(QStringLiteral("settings.language.") + languageValues.last());
    }
    language = addChoice(QStringLiteral("settings.language"), languageKeys, languageValues);
    addNote(QStringLiteral("settings.relaunch.note"));
    startup = addChoice(QStringLiteral("settings.startup"),
                        {QStringLiteral("settings.startup.restore"),
                         QStringLiteral("settings.startup.blank")},
                        {kRestore, kBlank});
    newDocumentView = addChoice(
        QStringLiteral("settings.newDocumentView"),
        {QStringLiteral("menu.view.list"), QStringLiteral("menu.view.tree"),
         QStringLiteral("menu.view.map")},
        {QStringLiteral("list"), QStringLiteral("tree"), QStringLiteral("map")});
    documents = addChoice(QStringLiteral("settings.documents"),
                          {QStringLiteral("settings.documents.tabs"),
                           QStringLiteral("settings.documents.windows")},
                          {kTabs, kWindows});

    connect(language, &QComboBox::activated, this, [this] {
        const auto chosen = AppLanguages::fromRawValue(value(language));
        Localization::changeLanguage(chosen.value_or(AppLanguage::system));
    });
    connect(startup, &QComboBox::activated, this, [this] {
        Preferences().setBool(PreferenceKeys::quitAlwaysKeepsWindows, value(startup) == kRestore);
    });
    connect(newDocumentView, &QComboBox::activated, this, [this] {
        Preferences().setString(PreferenceKeys::newDocumentView, value(newDocumentView));
    });
    connect(documents, &QComboBox::activated, this, [this] {
        Preferences().setBool(PreferenceKeys::documentsInTabs, value(documents) == kTabs);
        // The application re-arranges the open windows on it.
        Notifications::shared().post(Notifications::preferences);
    });
}

void GeneralSettingsController::refresh() {
    const Preferences preferences;
    select(language, AppLanguages::rawValue(AppLanguages::current(preferences)), {});
    select(startup, raw(preferences.quitAlwaysKeepsWindows(), kRestore, kBlank), {});
    select(newDocumentView, preferences.newDocumentView(), QStringLiteral("tree"));
    select(documents, raw(preferences.documentsInTabs(), kTabs, kWindows), {});
}

} // namespace velmora

#include "app/settings/files_settings_controller.hpp"

#include "app/library/library_host.hpp"
#include "app/library/library_store.hpp"
#include "app/platform/library_folder.hpp"
#include "app/platform/preferences.hpp"
#include "app/settings/library_relocation.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace velmora {

FilesSettingsController::FilesSettingsController(LibraryStore& store, Dialogs& dialogs,
                                                 LibraryHost& host, QWidget* parent)
    : SettingsPaneController(parent), m_store(store), m_dialogs(dialogs), m_host(host) {
    location = addChoice(
        QStringLiteral("settings.files.location"),
        {QStringLiteral("settings.files.local"), QStringLiteral("settings.files.custom")},
        {LibraryFolder::rawValue(LibraryLocation::local),
         LibraryFolder::rawValue(LibraryLocation::custom)});
    path = addValue();
    path->setObjectName(QStringLiteral("libraryPath"));
    addNote(QStringLiteral("settings.files.note"));
    autosaveClears = addCheck(QStringLiteral("settings.files.autosaveClears"));
    addNote(QStringLiteral("settings.files.autosaveClears.note"));
    showFolder = addButton(QStringLiteral("library.showInFinder"));
    samples = addButton(QStringLiteral("settings.files.samples"));
    addNote(QStringLiteral("settings.files.samples.note"));

    connect(location, &QComboBox::activated, this, &FilesSettingsController::changeLocation);
    connect(autosaveClears, &QCheckBox::clicked, this, [](bool checked) {
        Preferences().setBool(PreferenceKeys::autosaveClearsEdited, checked);
    });
    connect(showFolder, &QPushButton::clicked, this, [this] {
        const QString root = m_store.root();
        QDir().mkpath(root);
        QDesktopServices::openUrl(QUrl::fromLocalFile(root));
    });
    connect(samples, &QPushButton::clicked, this,
            [this] { m_host.createLibrarySamples(window()); });
}

void FilesSettingsController::changeLocation() {
    const auto chosen = value(location) == LibraryFolder::rawValue(LibraryLocation::custom)
                            ? LibraryLocation::custom
                            : LibraryLocation::local;
    (void)LibraryRelocation::change(m_store, m_dialogs, window(), chosen, m_host.openDocuments());
    // Whatever was answered, the menu and the path show what is stored now.
    refresh();
}

void FilesSettingsController::refresh() {
    const Preferences preferences;
    select(location, LibraryFolder::rawValue(m_store.location()), {});
    path->setText(abbreviated(m_store.root(), QDir::homePath()));
    autosaveClears->setChecked(preferences.autosaveClearsEdited());
}

QString FilesSettingsController::abbreviated(const QString& path, const QString& home) {
    const QString cleanHome = QDir::cleanPath(home);
    const QString cleanPath = QDir::cleanPath(path);
    if (cleanHome.isEmpty() || cleanHome == QLatin1String("/")) {
        return cleanPath;
    }
    if (cleanPath == cleanHome) {
        return QStringLiteral("~");
    }
    if (cleanPath.startsWith(cleanHome + QLatin1Char('/'))) {
        return QLatin1Char('~') + cleanPath.mid(cleanHome.size());
    }
    return cleanPath;
}

} // namespace velmora

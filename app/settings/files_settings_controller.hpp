#pragma once

#include "app/settings/settings_pane_controller.hpp"

namespace velmora {

class Dialogs;
class LibraryHost;
class LibraryStore;

// The files pane: where the library lives (the documents folder or another folder; Linux has
// no cloud drive), its path, whether autosaving clears the edited mark, and buttons that show
// the library folder and write the sample documents.
class FilesSettingsController : public SettingsPaneController {
    Q_OBJECT
public:
    FilesSettingsController(LibraryStore& store, Dialogs& dialogs, LibraryHost& host,
                            QWidget* parent = nullptr);

    void refresh() override;

    // A path with the home folder written as "~".
    [[nodiscard]] static QString abbreviated(const QString& path, const QString& home);

    QComboBox* location = nullptr;
    QLabel* path = nullptr;
    QCheckBox* autosaveClears = nullptr;
    QPushButton* showFolder = nullptr;
    QPushButton* samples = nullptr;

private:
    void changeLocation();

    LibraryStore& m_store;
    Dialogs& m_dialogs;
    LibraryHost& m_host;
};

} // namespace velmora

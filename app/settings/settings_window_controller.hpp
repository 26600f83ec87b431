#pragma once

#include <QStringList>
#include <QWidget>

class QTabWidget;

namespace velmora {

class AppearanceSettingsController;
class Dialogs;
class EditingSettingsController;
class FilesSettingsController;
class GeneralSettingsController;
class LibraryHost;
class LibraryStore;

// The settings window: one tab per pane (general, appearance, editing, files). Every control
// stores its preference the moment it changes, so there is nothing to apply or cancel; Esc or
// Ctrl+W closes it. The application keeps one for the life of the process.
class SettingsWindowController : public QWidget {
    Q_OBJECT
public:
    enum class Pane { general = 0, appearance = 1, editing = 2, files = 3 };

    SettingsWindowController(LibraryStore& store, Dialogs& dialogs, LibraryHost& host,
                             QWidget* parent = nullptr);

    // Brings the window to the front, centred on the screen when it was not shown.
    void present();
    // The same, with the pane chosen.
    void present(Pane pane);
    [[nodiscard]] Pane pane() const;

    [[nodiscard]] QTabWidget* tabs() const { return m_tabs; }
    // The catalog keys of the tabs' labels, in tab order.
    [[nodiscard]] const QStringList& tabKeys() const { return m_tabKeys; }
    [[nodiscard]] GeneralSettingsController& general() const { return *m_general; }
    [[nodiscard]] AppearanceSettingsController& appearance() const { return *m_appearance; }
    [[nodiscard]] EditingSettingsController& editing() const { return *m_editing; }
    [[nodiscard]] FilesSettingsController& files() const { return *m_files; }

    // Looks the title, the tab labels and every pane's texts up again.
    void relocalize();

private:
    QTabWidget* m_tabs = nullptr;
    QStringList m_tabKeys;
    GeneralSettingsController* m_general = nullptr;
    AppearanceSettingsController* m_appearance = nullptr;
    EditingSettingsController* m_editing = nullptr;
    FilesSettingsController* m_files = nullptr;
};

} // namespace velmora

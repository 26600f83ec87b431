#pragma once

#include "app/document/document_view.hpp"
#include "app/library/library_host.hpp"
#include "app/window/main_menu.hpp"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace velmora {

class Dialogs;
class DocumentPrinting;
class ImportExportFlows;
class Preferences;
class SettingsWindowController;
class VelmoraDocumentController;

// The application object's behaviour: start-up, the untitled-file and reopen rules, the
// samples of the first launch, quitting, and every menu command (`velmoraPerform`).
class AppDelegate : public QObject,
                    public MenuTarget,
                    public DocumentViewHost,
                    public LibraryHost {
    Q_OBJECT
public:
    // `dataFolder` holds autosaves and the list of documents to reopen.
    AppDelegate(Dialogs& dialogs, QString dataFolder, DocumentViewFactory viewFactory = {},
                QObject* parent = nullptr);
    ~AppDelegate() override;

    // The steps before the event loop: drop an interface-language override that names no
    // supported language. (The registered defaults are answered by Preferences itself.)
    static void prepare(Preferences& preferences);

    // Runs launching: reopens the documents of the last run, opens `files`, asks for an
    // untitled file when nothing opened, then finishes launching (revealing the documents
    // on the next turn of the event loop).
    void launch(const QStringList& files);
    // At launch and on reactivation without documents. On the first launch with an empty
    // library it writes the sample documents there and opens nothing itself.
    bool applicationOpenUntitledFile();
    void applicationDidFinishLaunching();
    // Another start handed over its files (none: the user just started Ostrevo again).
    void reopen(const QStringList& files);
    // Writes the sample documents into the library; errors are shown. Returns success.
    bool createSamples(QWidget* parent);
    // Saves what needs saving and ends the application; false when the quit was stopped.
    bool requestQuit();
    // Shows the settings window (made on first use), at the library's pane with `files`.
    void showSettings(bool files = false);
    // The settings window once it has been shown, else none.
    [[nodiscard]] SettingsWindowController* settingsWindow() const { return m_settings.get(); }

    [[nodiscard]] VelmoraDocumentController& controller() const { return *m_controller; }
    [[nodiscard]] ImportExportFlows& flows() const { return *m_flows; }
    [[nodiscard]] DocumentPrinting& printing() const { return *m_printing; }

    // MenuTarget
    void velmoraPerform(Action action, QWidget* window) override;
    bool canPerform(Action action, QWidget* window) const override;
    void run(StandardItem item, QWidget* window) override;
    bool canRun(StandardItem item, QWidget* window) const override;
    QString undoName(QWidget* window, bool redo) const override;
    QStringList recentDocuments() const override;
    void openRecent(const QString& path) override;
    bool updatesAvailable() const override;
    QList<OpenDocumentEntry> openDocumentEntries(QWidget* window) const override;
    void showOpenDocument(int index) override;

    // DocumentViewHost
    void carryOut(SideEffect side, VelmoraDocument& document) override;

    // LibraryHost
    void openLibraryDocument(const QString& path, bool ownWindow) override;
    QList<VelmoraDocument*> openDocuments() const override;
    void createLibrarySamples(QWidget* parent) override { createSamples(parent); }
    void showLibrarySettings() override { showSettings(true); }

private:
    void runEditItem(StandardItem item);
    // The toolbar and the tab and window commands.
    [[nodiscard]] static bool isWindowItem(StandardItem item);
    void runWindowItem(StandardItem item, QWidget* window);
    [[nodiscard]] bool canRunWindowItem(StandardItem item, QWidget* window) const;
    void runPrinting(StandardItem item, VelmoraDocument& document, QWidget* window);
    void zoom(StandardItem item);
    [[nodiscard]] VelmoraDocument* documentOf(QWidget* window) const;

    Dialogs& m_dialogs;
    std::unique_ptr<VelmoraDocumentController> m_controller;
    std::unique_ptr<ImportExportFlows> m_flows;
    std::unique_ptr<DocumentPrinting> m_printing;
    std::unique_ptr<SettingsWindowController> m_settings;
};

} // namespace velmora

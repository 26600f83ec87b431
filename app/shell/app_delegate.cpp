#include "app/shell/app_delegate.hpp"

#include "app/document/document_codec.hpp"
#include "app/document/velmora_document.hpp"
#include "app/library/library_store.hpp"
#include "app/platform/app_language.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/library_folder.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/outline_zoom.hpp"
#include "app/platform/preferences.hpp"
#include "app/printing/document_printing.hpp"
#include "app/settings/settings_window_controller.hpp"
#include "app/shell/import_export_flows.hpp"
#include "app/shell/update_service.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_window.hpp"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

const QString kFeedbackAddress = QStringLiteral("https://ostrevo.app/feedback");
const QString kHomeAddress = QStringLiteral("https://ostrevo.app");


// The edit command of the outline a standard menu item stands for.
std::optional<EditCommand> editCommandOf(StandardItem item) {
    switch (item) {
    case StandardItem::cut:
        return EditCommand::cut;
    case StandardItem::copy:
        return EditCommand::copy;
    case StandardItem::paste:
        return EditCommand::paste;
    case StandardItem::selectAll:
        return EditCommand::selectAll;
    default:
        return std::nullopt;
    }
}

bool isTextField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget);
}

} // namespace

AppDelegate::AppDelegate(Dialogs& dialogs, QString dataFolder, DocumentViewFactory viewFactory,
                         QObject* parent)
    : QObject(parent), m_dialogs(dialogs),
      m_controller(std::make_unique<VelmoraDocumentController>(
          dialogs, *this, *this, std::move(dataFolder), std::move(viewFactory))),
      m_flows(std::make_unique<ImportExportFlows>(*m_controller, dialogs)),
      m_printing(std::make_unique<DocumentPrinting>(dialogs)) {
    connect(&Notifications::shared(), &Notifications::preferencesChanged, this, [this] {
        m_controller->applyTabPreference();
        MainMenu::updateNewTabVisibility();
        Preferences preferences;
        for (VelmoraDocument* document : m_controller->documents()) {
            document->applyEditorPreferences(preferences);
        }
    });
    connect(&Notifications::shared(), &Notifications::languageChanged, this, [this] {
        for (VelmoraDocument* document : m_controller->documents()) {
            if (DocumentView* view = m_controller->viewOf(document)) {
                view->relocalize();
            }
        }
    });
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::prepare(Preferences& preferences) {
    if (AppLanguages::cleanOverride(preferences)) {
        qCInfo(documentLog) << "removed an unsupported interface language override";
    }
}

void AppDelegate::launch(const QStringList& files) {
    m_controller->restoreDocuments();
    for (const QString& path : files) {
        m_controller->openDocument(path, true);
    }
    if (m_controller->documents().isEmpty()) {
        applicationOpenUntitledFile();
    }
    applicationDidFinishLaunching();
}

bool AppDelegate::applicationOpenUntitledFile() {
    qCInfo(documentLog) << "applicationOpenUntitledFile";
    Preferences preferences;
    if (!preferences.libraryFirstLaunchDone()) {
        preferences.setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        preferences.sync();
        const QString root = LibraryFolder::root(preferences);
        if (!LibraryFolder::containsDocuments(root) && createSamples(nullptr)) {
            return true;
        }
    }
    VelmoraDocument* document = m_controller->openUntitledDocumentAndDisplay(true);
    qCInfo(documentLog).noquote() << QStringLiteral("applicationOpenUntitledFile ok ") +
                                         AppLog::describe(m_controller->windowOf(document));
    return true;
}

void AppDelegate::applicationDidFinishLaunching() {
    qCInfo(documentLog).noquote() << QStringLiteral("applicationDidFinishLaunching documents=%1")
                                         .arg(m_controller->documents().size());
    UpdateService::shared().start();
    QTimer::singleShot(0, this, [this] { m_controller->revealDocuments(); });
}

void AppDelegate::reopen(const QStringList& files) {
    for (const QString& path : files) {
        m_controller->openDocument(path, true);
    }
    if (files.isEmpty()) {
        m_controller->reopen();
    }
}

bool AppDelegate::createSamples(QWidget* parent) {
    Preferences preferences;
    const QString root = LibraryFolder::root(preferences);
    QString folder;
    if (const auto message = DocumentCodec::installSamples(root, &folder)) {
        qCCritical(documentLog).noquote() << QStringLiteral("createSamples error ") + *message;
        m_dialogs.alert(parent, localized(QStringLiteral("library.samples.failed")), *message);
        return false;
    }
    preferences.setBool(PreferenceKeys::libraryVisible, true);
    // Every sidebar shows itself with the new folder selected: a second click is never silent.
    LibraryStore::shared().reveal(folder);
    return true;
}

void AppDelegate::openLibraryDocument(const QString& path, bool ownWindow) {
    VelmoraDocument* document = m_controller->openDocument(path, true);
    if (document && ownWindow) {
        m_controller->moveToOwnWindow(document);
    }
}

QList<VelmoraDocument*> AppDelegate::openDocuments() const {
    return m_controller->documents();
}

bool AppDelegate::requestQuit() {
    if (!m_controller->prepareToQuit()) {
        return false;
    }
    Preferences().sync();
    // exit() rather than quit(): the documents are saved, so windows must not ask again.
    QCoreApplication::exit(0);
    return true;
}

void AppDelegate::showSettings(bool files) {
    if (!m_settings) {
        m_settings =
            std::make_unique<SettingsWindowController>(LibraryStore::shared(), m_dialogs, *this);
    }
    if (files) {
        m_settings->present(SettingsWindowController::Pane::files);
    } else {
        m_settings->present();
    }
}

VelmoraDocument* AppDelegate::documentOf(QWidget* window) const {
    auto* documentWindow = qobject_cast<DocumentWindow*>(window);
    return documentWindow ? documentWindow->currentDocument() : nullptr;
}

void AppDelegate::velmoraPerform(Action action, QWidget* window) {
    if (VelmoraDocument* document = documentOf(window)) {
        if (DocumentView* view = m_controller->viewOf(document)) {
            view->perform(action);
            return;
        }
    }
    // Without a document window only four commands work.
    switch (action) {
    case Action::settings:
        showSettings();
        break;
    case Action::newDocumentTab:
        m_controller->newDocument();
        break;
    case Action::importBackup:
        m_flows->importBackup(window);
        break;
    case Action::importOPML:
        m_flows->importOPML(window);
        break;
    default:
        break;
    }
}

bool AppDelegate::canPerform(Action action, QWidget* window) const {
    if (VelmoraDocument* document = documentOf(window)) {
        if (DocumentView* view = m_controller->viewOf(document)) {
            return view->canPerform(action);
        }
    }
    return action == Action::settings || action == Action::newDocumentTab ||
           action == Action::importBackup || action == Action::importOPML;
}

void AppDelegate::carryOut(SideEffect side, VelmoraDocument& document) {
    QWidget* window = m_controller->windowOf(&document);
    switch (side) {
    case SideEffect::exportBackup:
        m_flows->exportBackup(window);
        break;
    case SideEffect::importBackup:
        m_flows->importBackup(window);
        break;
    case SideEffect::exportOPML:
        m_flows->exportOPML(document, window);
        break;
    case SideEffect::importOPML:
        m_flows->importOPML(window);
        break;
    case SideEffect::settings:
        showSettings();
        break;
    case SideEffect::newDocumentTab:
        m_controller->newDocument();
        break;
    default:
        // Undo, panels, help and the library belong to the document window itself.
        break;
    }
}

void AppDelegate::run(StandardItem item, QWidget* window) {
    if (isWindowItem(item)) {
        runWindowItem(item, window);
        return;
    }
    VelmoraDocument* document = documentOf(window);
    switch (item) {
    case StandardItem::about:
        QMessageBox::about(window, localized(QStringLiteral("menu.app.about")),
                           QStringLiteral("<b>Ostrevo</b> ") + QStringLiteral(OSTREVO_VERSION) +
                               QStringLiteral("<p>") +
                               localized(QStringLiteral("menu.app.aboutText")).toHtmlEscaped());
        break;
    case StandardItem::checkUpdates:
        UpdateService::shared().checkForUpdates();
        break;
    case StandardItem::quit:
        requestQuit();
        break;
    case StandardItem::newDocument:
        m_controller->newDocument();
        break;
    case StandardItem::open:
        m_controller->openDocumentsWithDialog(window);
        break;
    case StandardItem::clearRecent:
        m_controller->clearRecentDocuments();
        break;
    case StandardItem::close:
        if (document) {
            m_controller->closeDocument(document);
        } else if (window) {
            window->close();
        }
        break;
    case StandardItem::save:
        if (document) {
            m_controller->saveDocument(document, window);
        }
        break;
    case StandardItem::saveAs:
        if (document) {
            m_controller->saveDocumentAs(document, window);
        }
        break;
    case StandardItem::createSamples:
        createSamples(window);
        break;
    case StandardItem::exportMarkdown:
        if (document) {
            m_flows->exportMarkdown(*document, window);
        }
        break;
    case StandardItem::importMarkdown:
        m_flows->importMarkdown(window);
        break;
    case StandardItem::exportOrg:
        if (document) {
            m_flows->exportOrg(*document, window);
        }
        break;
    case StandardItem::importOrg:
        m_flows->importOrg(window);
        break;
    case StandardItem::exportWebPage:
        if (document) {
            m_flows->exportWebPage(*document, window);
        }
        break;
    case StandardItem::pageSetup:
    case StandardItem::print:
    case StandardItem::printPreview:
    case StandardItem::exportPDF:
        if (document) {
            runPrinting(item, *document, window);
        }
        break;
    case StandardItem::undo:
    case StandardItem::redo:
        if (document) {
            document->undoOrRedo(item == StandardItem::redo);
        }
        break;
    case StandardItem::zoomIn:
    case StandardItem::zoomOut:
    case StandardItem::actualSize:
        zoom(item);
        break;
    case StandardItem::fullScreen:
        if (window) {
            window->isFullScreen() ? window->showNormal() : window->showFullScreen();
        }
        break;
    case StandardItem::minimize:
        if (window) {
            window->showMinimized();
        }
        break;
    case StandardItem::zoom:
        if (window) {
            window->isMaximized() ? window->showNormal() : window->showMaximized();
        }
        break;
    case StandardItem::feedback:
        QDesktopServices::openUrl(QUrl(kFeedbackAddress));
        break;
    case StandardItem::moreApps:
        QDesktopServices::openUrl(QUrl(kHomeAddress));
        break;
    case StandardItem::deleteSelection:
        // With no text field focused, Delete removes the selected items as Item ▸ Delete does.
        if (DocumentView* view = document ? m_controller->viewOf(document) : nullptr;
            view && !isTextField(QApplication::focusWidget())) {
            view->perform(Action::deleteItem);
            break;
        }
        runEditItem(item);
        break;
    default:
        // With no text field focused, the edit commands act on the outline.
        if (const auto command = editCommandOf(item);
            command && document && !isTextField(QApplication::focusWidget())) {
            if (DocumentView* view = m_controller->viewOf(document);
                view && view->runEditCommand(*command)) {
                break;
            }
        }
        runEditItem(item);
        break;
    }
}

void AppDelegate::runPrinting(StandardItem item, VelmoraDocument& document, QWidget* window) {
    switch (item) {
    case StandardItem::pageSetup:
        m_printing->pageSetup(document, window);
        break;
    case StandardItem::print:
        m_printing->print(document, window);
        break;
    case StandardItem::printPreview:
        m_printing->preview(document, window);
        break;
    default:
        m_printing->exportPDF(document, window);
        break;
    }
}

// Cut, copy, paste, delete and select all go to the text field that has the focus.
void AppDelegate::runEditItem(StandardItem item) {
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        switch (item) {
        case StandardItem::cut:
            line->cut();
            break;
        case StandardItem::copy:
            line->copy();
            break;
        case StandardItem::paste:
            line->paste();
            break;
        case StandardItem::deleteSelection:
            line->del();
            break;
        case StandardItem::selectAll:
            line->selectAll();
            break;
        default:
            break;
        }
        return;
    }
    auto apply = [item](auto* text) {
        switch (item) {
        case StandardItem::cut:
            text->cut();
            break;
        case StandardItem::copy:
            text->copy();
            break;
        case StandardItem::paste:
            text->paste();
            break;
        case StandardItem::deleteSelection:
            text->textCursor().removeSelectedText();
            break;
        case StandardItem::selectAll:
            text->selectAll();
            break;
        default:
            break;
        }
    };
    if (auto* text = qobject_cast<QTextEdit*>(focus)) {
        apply(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
        apply(plain);
    }
}

void AppDelegate::zoom(StandardItem item) {
    if (item == StandardItem::zoomIn) {
        OutlineZoom::zoomIn();
    } else if (item == StandardItem::zoomOut) {
        OutlineZoom::zoomOut();
    } else {
        OutlineZoom::actualSize();
    }
}

bool AppDelegate::canRun(StandardItem item, QWidget* window) const {
    if (isWindowItem(item)) {
        return canRunWindowItem(item, window);
    }
    VelmoraDocument* document = documentOf(window);
    switch (item) {
    case StandardItem::close:
        return window != nullptr;
    case StandardItem::save:
    case StandardItem::saveAs:
    case StandardItem::exportMarkdown:
    case StandardItem::exportOrg:
    case StandardItem::exportWebPage:
        return document != nullptr;
    case StandardItem::undo:
        return document && document->undoStack()->canUndo();
    case StandardItem::redo:
        return document && document->undoStack()->canRedo();
    case StandardItem::pageSetup:
    case StandardItem::print:
    case StandardItem::printPreview:
    case StandardItem::exportPDF:
        return document != nullptr;
    case StandardItem::checkUpdates:
        return UpdateService::shared().isAvailable();
    default:
        return true;
    }
}

QString AppDelegate::undoName(QWidget* window, bool redo) const {
    VelmoraDocument* document = documentOf(window);
    if (!document) {
        return {};
    }
    return document->undoName(redo);
}

QStringList AppDelegate::recentDocuments() const {
    return m_controller->recentDocuments();
}

void AppDelegate::openRecent(const QString& path) {
    m_controller->openDocument(path, true);
}

bool AppDelegate::updatesAvailable() const {
    return UpdateService::shared().isAvailable();
}

} // namespace velmora

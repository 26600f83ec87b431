// The window side of the document controller: giving documents their views and showing them;
// where their windows go is the `WindowArrangement`'s.
#include "app/shell/velmora_document_controller.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/controller_entry.hpp"
#include "app/shell/window_arrangement.hpp"
#include "app/window/document_window.hpp"

namespace velmora {

DocumentWindow* VelmoraDocumentController::windowOf(const VelmoraDocument* document) const {
    return m_arrangement->windowOf(document);
}

QList<DocumentWindow*> VelmoraDocumentController::windows() const {
    return m_arrangement->windows();
}

int VelmoraDocumentController::visibleWindowCount() const {
    return m_arrangement->visibleWindowCount();
}

DocumentWindow* VelmoraDocumentController::frontWindow() const {
    return m_arrangement->frontWindow();
}

void VelmoraDocumentController::windowMade(DocumentWindow* window) {
    connect(window, &DocumentWindow::closeRequested, this,
            [this](DocumentWindow* closing) { closeWindow(closing); });
    connect(window, &DocumentWindow::tabCloseRequested, this,
            [this](VelmoraDocument* document) { closeDocument(document); });
}

void VelmoraDocumentController::makeWindowControllers(VelmoraDocument* document) {
    Entry* entry = entryOf(document);
    if (!entry) {
        return;
    }
    document->applyForeignFileRule();
    qCInfo(documentLog).noquote()
        << QStringLiteral("makeWindowControllers existing=%1").arg(entry->view ? 1 : 0);
    if (entry->view) {
        showWindows(document);
        return;
    }
    Preferences preferences;
    DocumentWindow* window = m_arrangement->windowForNewDocument();
    entry->view = m_viewFactory(*document, m_host);
    window->addDocument(document, entry->view->widget());
    document->applyEditorPreferences(preferences);
    document->applyDisplayPreferences(preferences);
    entry->view->refresh();
    qCInfo(documentLog).noquote() << QStringLiteral("makeWindowControllers added controllers=1 ") +
                                         AppLog::describe(window);
    showWindows(document);
}

void VelmoraDocumentController::showWindows(VelmoraDocument* document) {
    DocumentWindow* window = windowOf(document);
    qCInfo(documentLog).noquote()
        << QStringLiteral("showWindows controllers=%1").arg(window ? 1 : 0);
    if (!window) {
        qCInfo(documentLog) << "showWindows controller has nil window";
        return;
    }
    m_arrangement->present(window, document);
    qCInfo(documentLog).noquote() << AppLog::describe(window);
}

void VelmoraDocumentController::revealDocuments() {
    qCInfo(documentLog).noquote() << QStringLiteral(
                                         "revealDocuments documents=%1 visibleWindows=%2")
                                         .arg(m_entries.size())
                                         .arg(visibleWindowCount());
    if (m_entries.empty()) {
        newDocument();
        return;
    }
    for (VelmoraDocument* document : documents()) {
        makeWindowControllers(document);
    }
}

void VelmoraDocumentController::reopen() {
    if (visibleWindowCount() > 0) {
        if (DocumentWindow* front = frontWindow()) {
            if (front->isMinimized()) {
                front->showNormal();
            }
            front->raise();
            front->activateWindow();
        }
        return;
    }
    revealDocuments();
}

void VelmoraDocumentController::moveToOwnWindow(VelmoraDocument* document) {
    if (entryOf(document)) {
        m_arrangement->moveToOwnWindow(document);
    }
    showWindows(document);
}

void VelmoraDocumentController::applyTabPreference() {
    m_arrangement->applyTabPreference();
}

void VelmoraDocumentController::mergeAllWindows(DocumentWindow* into) {
    m_arrangement->mergeAllWindows(into);
}

QList<VelmoraDocument*> VelmoraDocumentController::documentsInWindowOrder() const {
    return m_arrangement->documentsInWindowOrder();
}

} // namespace velmora

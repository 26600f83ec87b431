// The window side of the menu commands: the toolbar, moving between tabs, moving tabs between
// windows and the list of open documents in the Window menu.
#include "app/shell/app_delegate.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/preferences.hpp"
#include "app/platform/toolbar_items.hpp"
#include "app/settings/toolbar_customizer.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_window.hpp"

namespace velmora {

bool AppDelegate::isWindowItem(StandardItem item) {
    switch (item) {
    case StandardItem::toggleToolbar:
    case StandardItem::customizeToolbar:
    case StandardItem::nextTab:
    case StandardItem::previousTab:
    case StandardItem::moveTabToNewWindow:
    case StandardItem::mergeAllWindows:
        return true;
    default:
        return false;
    }
}

void AppDelegate::runWindowItem(StandardItem item, QWidget* window) {
    auto* documentWindow = qobject_cast<DocumentWindow*>(window);
    switch (item) {
    case StandardItem::toggleToolbar:
        ToolbarItems::setHidden(!ToolbarItems::hidden(Preferences()));
        break;
    case StandardItem::customizeToolbar:
        ToolbarCustomizer::show(window);
        break;
    case StandardItem::nextTab:
    case StandardItem::previousTab:
        if (documentWindow) {
            documentWindow->selectAdjacentTab(item == StandardItem::nextTab ? 1 : -1);
        }
        break;
    case StandardItem::moveTabToNewWindow:
        if (documentWindow && documentWindow->currentDocument()) {
            m_controller->moveToOwnWindow(documentWindow->currentDocument());
        }
        break;
    case StandardItem::mergeAllWindows:
        if (documentWindow) {
            m_controller->mergeAllWindows(documentWindow);
        }
        break;
    default:
        break;
    }
}

bool AppDelegate::canRunWindowItem(StandardItem item, QWidget* window) const {
    auto* documentWindow = qobject_cast<DocumentWindow*>(window);
    switch (item) {
    case StandardItem::nextTab:
    case StandardItem::previousTab:
    case StandardItem::moveTabToNewWindow:
        return documentWindow && documentWindow->documentCount() > 1;
    case StandardItem::mergeAllWindows:
        return documentWindow && m_controller->windows().size() > 1;
    default:
        return documentWindow != nullptr;
    }
}

QList<OpenDocumentEntry> AppDelegate::openDocumentEntries(QWidget* window) const {
    auto* documentWindow = qobject_cast<DocumentWindow*>(window);
    VelmoraDocument* current = documentWindow ? documentWindow->currentDocument() : nullptr;
    QList<OpenDocumentEntry> entries;
    for (VelmoraDocument* document : m_controller->documentsInWindowOrder()) {
        entries.append({document->displayName(), document == current});
    }
    return entries;
}

void AppDelegate::showOpenDocument(int index) {
    const QList<VelmoraDocument*> documents = m_controller->documentsInWindowOrder();
    if (index >= 0 && index < documents.size()) {
        m_controller->showWindows(documents[index]);
    }
}

} // namespace velmora

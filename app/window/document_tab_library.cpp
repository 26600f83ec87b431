// The library half of the document window: the sidebar on the leading side, its visibility
// ("libraryVisible") and width ("sidebarWidth"), and moving the focus between it and the outline.
#include "app/window/document_tab.hpp"

#include "app/document/velmora_document.hpp"
#include "app/library/library_controller.hpp"
#include "app/library/library_host.hpp"
#include "app/library/library_store.hpp"
#include "app/platform/preferences.hpp"
#include "app/window/side_places.hpp"
#include "core/session/editor_session.hpp"

#include <QApplication>
#include <QVBoxLayout>

namespace velmora {

void DocumentTab::buildLibrary() {
    // The application delegate serves the library; a window made without one (a test) still
    // shows the library, but opens nothing.
    auto* host = dynamic_cast<LibraryHost*>(&m_host);
    LibraryStore& store = LibraryStore::shared();
    m_library = new LibraryController(store, host, m_places->sidebarPlace());
    auto* layout = new QVBoxLayout(m_places->sidebarPlace());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_library);
    m_library->setCurrentPath(m_document.filePath());
    connect(&m_document, &VelmoraDocument::fileChanged, m_library, [this] {
        m_library->setCurrentPath(m_document.filePath());
        LibraryStore::shared().rescan();
    });
    m_library->onEscape = [this] {
        contentViewFor(m_document.session().snapshot.view)->setFocus(Qt::ShortcutFocusReason);
    };
    connect(&store, &LibraryStore::revealRequested, this, [this](const QString& path) {
        setLibraryVisible(true);
        m_library->reveal(path);
    });
    // F6 moves between the library and the outline.
    m_places->onNextPane = [this] {
        if (isInLibrary(QApplication::focusWidget())) {
            m_library->onEscape();
        } else {
            setLibraryVisible(true);
            m_library->focusOutline();
        }
    };
    m_places->sidebarFilled();
    setLibraryVisible(Preferences().libraryVisible());
}

bool DocumentTab::isLibraryVisible() const {
    return m_places->sidebarShown();
}

bool DocumentTab::isInLibrary(const QWidget* widget) const {
    return m_library && widget && (widget == m_library || m_library->isAncestorOf(widget));
}

void DocumentTab::setLibraryVisible(bool visible) {
    if (visible == isLibraryVisible()) {
        return;
    }
    if (!visible && isInLibrary(QApplication::focusWidget())) {
        m_library->onEscape();
    }
    m_places->showSidebar(visible);
}

void DocumentTab::toggleLibrary() {
    const bool visible = !isLibraryVisible();
    setLibraryVisible(visible);
    Preferences().setBool(PreferenceKeys::libraryVisible, visible);
}

} // namespace velmora

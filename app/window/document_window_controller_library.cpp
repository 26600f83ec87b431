// The library half of the document window: the sidebar on the leading side, its visibility
// ("libraryVisible") and width ("sidebarWidth"), and moving the focus between it and the outline.
#include "app/window/document_window_controller.hpp"

#include "app/document/velmora_document.hpp"
#include "app/library/library_controller.hpp"
#include "app/library/library_host.hpp"
#include "app/library/library_store.hpp"
#include "app/platform/preferences.hpp"
#include "core/session/editor_session.hpp"

#include <QApplication>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {
namespace {

constexpr int kDefaultSidebarWidth = 240;
constexpr int kMinSidebarWidth = 160;
constexpr int kMaxSidebarWidth = 480;
constexpr int kMinContentWidth = 320;

} // namespace

void DocumentWindowController::buildLibrary() {
    // The application delegate serves the library; a window made without one (a test) still
    // shows the library, but opens nothing.
    auto* host = dynamic_cast<LibraryHost*>(&m_host);
    LibraryStore& store = LibraryStore::shared();
    m_library = new LibraryController(store, host, m_sidebarPlace);
    auto* layout = new QVBoxLayout(m_sidebarPlace);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_library);
    m_sidebarPlace->setMinimumWidth(kMinSidebarWidth);
    m_split->setStretchFactor(0, 0);
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
    connect(m_split, &QSplitter::splitterMoved, this, [this] {
        if (m_applyingSidebarWidth || !isLibraryVisible()) {
            return;
        }
        const int width = m_split->sizes().value(0);
        Preferences preferences;
        if (width == 0) {
            // Dragged shut: the same as hiding it.
            m_sidebarPlace->hide();
            preferences.setBool(PreferenceKeys::libraryVisible, false);
        } else if (isActiveWindow()) {
            preferences.setDouble(PreferenceKeys::sidebarWidth, width);
        }
    });
    // F6 moves between the panes, as elsewhere on the desktop.
    auto* panes = new QShortcut(QKeySequence(Qt::Key_F6), this);
    panes->setContext(Qt::WidgetWithChildrenShortcut);
    connect(panes, &QShortcut::activated, this, [this] {
        if (isInLibrary(QApplication::focusWidget())) {
            m_library->onEscape();
        } else {
            setLibraryVisible(true);
            m_library->focusOutline();
        }
    });
    setLibraryVisible(Preferences().libraryVisible());
    // The window is laid out once it is shown: give the sidebar its stored width then.
    QTimer::singleShot(0, this, [this] {
        if (isLibraryVisible()) {
            applySidebarWidth();
        }
    });
}

void DocumentWindowController::applySidebarWidth() {
    const double stored = Preferences().sidebarWidth();
    const int total = m_split->width();
    int width = stored > 0 ? int(stored) : kDefaultSidebarWidth;
    width = std::clamp(
        width, kMinSidebarWidth,
        std::max(kMinSidebarWidth, std::min(kMaxSidebarWidth, total - kMinContentWidth)));
    QList<int> sizes = m_split->sizes();
    const int available = sizes.value(0) + sizes.value(1);
    if (available > width) {
        sizes[1] = available - width;
    }
    sizes[0] = width;
    m_applyingSidebarWidth = true;
    m_split->setSizes(sizes);
    m_applyingSidebarWidth = false;
}

bool DocumentWindowController::isLibraryVisible() const {
    // Dragging the divider shut hides the place too, so its state is the sidebar's.
    return m_library && !m_sidebarPlace->isHidden();
}

bool DocumentWindowController::isInLibrary(const QWidget* widget) const {
    return m_library && widget && (widget == m_library || m_library->isAncestorOf(widget));
}

void DocumentWindowController::setLibraryVisible(bool visible) {
    if (visible == isLibraryVisible()) {
        return;
    }
    if (visible) {
        m_sidebarPlace->show();
        applySidebarWidth();
        return;
    }
    if (isInLibrary(QApplication::focusWidget())) {
        m_library->onEscape();
    }
    QList<int> sizes = m_split->sizes();
    sizes[1] += sizes[0];
    sizes[0] = 0;
    m_applyingSidebarWidth = true;
    m_sidebarPlace->hide();
    m_split->setSizes(sizes);
    m_applyingSidebarWidth = false;
}

void DocumentWindowController::toggleLibrary() {
    const bool visible = !isLibraryVisible();
    setLibraryVisible(visible);
    Preferences().setBool(PreferenceKeys::libraryVisible, visible);
}

} // namespace velmora

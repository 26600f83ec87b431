// The window side of the document controller: giving documents their views, placing them as
// tabs or windows, showing them, and re-arranging them when the tab preference changes.
#include "app/shell/velmora_document_controller.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/controller_entry.hpp"
#include "app/window/document_window.hpp"

#include <QApplication>
#include <QScreen>

#include <algorithm>

namespace velmora {
namespace {

// How far a new window moves right and down from the window it cascades from.
constexpr QPoint kCascadeOffset{22, 22};

QScreen* screenOf(const QWidget* window) {
    return window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

// Puts the window's frame at the top-left corner, moved and shrunk as far as needed to lie
// inside the screen's available area (a small screen, or a large scale factor, may hold less
// than a window's usual size).
void placeInside(QWidget* window, QPoint topLeft) {
    QScreen* screen = screenOf(window);
    if (!screen) {
        window->move(topLeft);
        return;
    }
    const QRect area = screen->availableGeometry();
    // The window system's frame, known once the window has been shown.
    const QSize decoration = window->frameGeometry().size() - window->size();
    const QSize room = (area.size() - decoration).expandedTo(QSize(1, 1));
    window->setMinimumSize(DocumentWindow::minimumContentSize.boundedTo(room));
    if (window->width() > room.width() || window->height() > room.height()) {
        window->resize(window->size().boundedTo(room));
    }
    const QSize frame = window->size() + decoration;
    const int x = std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - frame.width()));
    const int y = std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - frame.height()));
    window->move(x, y);
}

void centre(QWidget* window) {
    QScreen* screen = screenOf(window);
    if (!screen) {
        return;
    }
    // Shrunk to the screen first, so that the centred frame does not start above or left of it.
    placeInside(window, window->pos());
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    placeInside(window, frame.topLeft());
}

} // namespace

DocumentWindow* VelmoraDocumentController::windowOf(const VelmoraDocument* document) const {
    Entry* entry = entryOf(document);
    return entry ? entry->window.data() : nullptr;
}

QList<DocumentWindow*> VelmoraDocumentController::windows() const {
    QList<DocumentWindow*> result;
    for (const auto& window : m_windows) {
        if (window) {
            result.append(window);
        }
    }
    return result;
}

int VelmoraDocumentController::visibleWindowCount() const {
    int count = 0;
    for (DocumentWindow* window : windows()) {
        count += window->isVisible() ? 1 : 0;
    }
    return count;
}

DocumentWindow* VelmoraDocumentController::frontWindow() const {
    if (auto* active = qobject_cast<DocumentWindow*>(QApplication::activeWindow())) {
        return active;
    }
    if (m_lastActive) {
        return m_lastActive;
    }
    const auto all = windows();
    return all.isEmpty() ? nullptr : all.last();
}

void VelmoraDocumentController::windowActivated(DocumentWindow* window) {
    m_lastActive = window;
}

DocumentWindow* VelmoraDocumentController::makeWindow(bool tabbing) {
    auto* window = new DocumentWindow(m_menus);
    window->setTabbingPreferred(tabbing);
    window->resize(DocumentWindow::contentSize);
    centre(window);
    connect(window, &DocumentWindow::closeRequested, this,
            [this](DocumentWindow* closing) { closeWindow(closing); });
    connect(window, &DocumentWindow::tabCloseRequested, this,
            [this](VelmoraDocument* document) { closeDocument(document); });
    connect(window, &DocumentWindow::activated, this,
            [this](DocumentWindow* active) { windowActivated(active); });
    m_windows.append(window);
    return window;
}

// The window a new document joins: the front window when documents open as tabs, else a new
// window placed in cascade.
DocumentWindow* VelmoraDocumentController::windowForNewDocument() {
    const bool inTabs = Preferences().documentsInTabs();
    if (inTabs) {
        DocumentWindow* front = frontWindow();
        if (front && front->tabbingPreferred()) {
            return front;
        }
    }
    DocumentWindow* window = makeWindow(inTabs);
    if (!inTabs) {
        placeInCascade(window);
    }
    return window;
}

void VelmoraDocumentController::placeInCascade(DocumentWindow* window) {
    DocumentWindow* reference = nullptr;
    if (auto* active = qobject_cast<DocumentWindow*>(QApplication::activeWindow());
        active && active != window) {
        reference = active;
    } else {
        for (DocumentWindow* other : windows()) {
            if (other != window && other->isVisible()) {
                reference = other;
            }
        }
    }
    if (reference) {
        placeInside(window, reference->pos() + kCascadeOffset);
    }
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
    DocumentWindow* window = windowForNewDocument();
    entry->view = m_viewFactory(*document, m_host);
    entry->window = window;
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
    if (window->width() == 0 || window->height() == 0) {
        window->resize(DocumentWindow::contentSize);
        centre(window);
    }
    window->setCurrentDocument(document);
    const bool appearing = !window->isVisible();
    window->show();
    if (appearing) {
        // The window system's frame is known now: the whole frame goes inside the screen.
        placeInside(window, window->pos());
    }
    window->raise();
    window->activateWindow();
    m_lastActive = window;
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
    Entry* entry = entryOf(document);
    DocumentWindow* from = entry ? entry->window.data() : nullptr;
    if (!from || from->documentCount() < 2) {
        showWindows(document);
        return;
    }
    QWidget* content = from->takeDocument(document);
    // Its own window takes no other documents' tabs.
    DocumentWindow* own = makeWindow(false);
    placeInCascade(own);
    own->addDocument(document, content);
    entry->window = own;
    showWindows(document);
}

void VelmoraDocumentController::applyTabPreference() {
    const bool inTabs = Preferences().documentsInTabs();
    if (inTabs == m_lastTabPreference) {
        return;
    }
    m_lastTabPreference = inTabs;
    if (!inTabs) {
        // Every tab beyond the first moves into a window of its own.
        for (DocumentWindow* window : windows()) {
            window->setTabbingPreferred(false);
            const auto held = window->documents();
            for (qsizetype i = 1; i < held.size(); ++i) {
                Entry* entry = entryOf(held[i]);
                QWidget* content = window->takeDocument(held[i]);
                DocumentWindow* own = makeWindow(false);
                placeInCascade(own);
                own->addDocument(held[i], content);
                entry->window = own;
                own->show();
                placeInside(own, own->pos());
            }
        }
        return;
    }
    for (DocumentWindow* window : windows()) {
        window->setTabbingPreferred(true);
    }
    mergeAllWindows(frontWindow());
}

void VelmoraDocumentController::mergeAllWindows(DocumentWindow* into) {
    if (!into) {
        return;
    }
    VelmoraDocument* current = into->currentDocument();
    for (DocumentWindow* window : windows()) {
        if (window == into) {
            continue;
        }
        for (VelmoraDocument* document : window->documents()) {
            QWidget* content = window->takeDocument(document);
            into->addDocument(document, content);
            entryOf(document)->window = into;
        }
        m_windows.removeAll(window);
        window->close();
        window->deleteLater();
    }
    // The tab that was in front stays in front.
    into->setCurrentDocument(current);
    into->show();
}

QList<VelmoraDocument*> VelmoraDocumentController::documentsInWindowOrder() const {
    QList<VelmoraDocument*> ordered;
    for (DocumentWindow* window : windows()) {
        ordered.append(window->documents());
    }
    return ordered;
}

} // namespace velmora

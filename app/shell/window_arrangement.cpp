#include "app/shell/window_arrangement.hpp"

#include "app/platform/preferences.hpp"
#include "app/window/document_window.hpp"

#include <QApplication>
#include <QScreen>

#include <algorithm>

namespace velmora {
namespace {

QScreen* screenOf(const QWidget* window) {
    return window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

} // namespace

WindowArrangement::WindowArrangement(MenuTarget& menus, std::function<void(DocumentWindow*)> made,
                                     QObject* parent)
    : QObject(parent), m_menus(menus), m_made(std::move(made)),
      m_lastTabPreference(Preferences().documentsInTabs()) {}

// A small screen, or a large scale factor, may hold less than a window's usual size.
void WindowArrangement::placeInside(QWidget* window, QPoint topLeft) {
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

void WindowArrangement::centre(QWidget* window) {
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

QList<DocumentWindow*> WindowArrangement::windows() const {
    QList<DocumentWindow*> result;
    for (const auto& window : m_windows) {
        if (window) {
            result.append(window);
        }
    }
    return result;
}

DocumentWindow* WindowArrangement::windowOf(const VelmoraDocument* document) const {
    for (const auto& window : m_windows) {
        if (window && window->holds(document)) {
            return window;
        }
    }
    return nullptr;
}

int WindowArrangement::visibleWindowCount() const {
    int count = 0;
    for (DocumentWindow* window : windows()) {
        count += window->isVisible() ? 1 : 0;
    }
    return count;
}

DocumentWindow* WindowArrangement::frontWindow() const {
    if (auto* active = qobject_cast<DocumentWindow*>(QApplication::activeWindow())) {
        return active;
    }
    if (m_lastActive) {
        return m_lastActive;
    }
    const auto all = windows();
    return all.isEmpty() ? nullptr : all.last();
}

void WindowArrangement::noteActivated(DocumentWindow* window) {
    m_lastActive = window;
}

DocumentWindow* WindowArrangement::makeWindow(bool tabbing) {
    auto* window = new DocumentWindow(m_menus);
    window->setTabbingPreferred(tabbing);
    window->resize(DocumentWindow::contentSize);
    centre(window);
    connect(window, &DocumentWindow::activated, this,
            [this](DocumentWindow* active) { noteActivated(active); });
    m_windows.append(window);
    m_made(window);
    return window;
}

DocumentWindow* WindowArrangement::windowForNewDocument() {
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

void WindowArrangement::placeInCascade(DocumentWindow* window) {
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
        placeInside(window, reference->pos() + cascadeOffset);
    }
}

void WindowArrangement::present(DocumentWindow* window, VelmoraDocument* document) {
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
}

DocumentWindow* WindowArrangement::splitOff(DocumentWindow* from, VelmoraDocument* document) {
    QWidget* content = from->takeDocument(document);
    // Its own window takes no other documents' tabs.
    DocumentWindow* own = makeWindow(false);
    placeInCascade(own);
    own->addDocument(document, content);
    return own;
}

bool WindowArrangement::moveToOwnWindow(VelmoraDocument* document) {
    DocumentWindow* from = windowOf(document);
    if (!from || from->documentCount() < 2) {
        return false;
    }
    splitOff(from, document);
    return true;
}

void WindowArrangement::applyTabPreference() {
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
                DocumentWindow* own = splitOff(window, held[i]);
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

void WindowArrangement::mergeAllWindows(DocumentWindow* into) {
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
        }
        m_windows.removeAll(window);
        window->close();
        window->deleteLater();
    }
    // The tab that was in front stays in front.
    into->setCurrentDocument(current);
    into->show();
}

void WindowArrangement::remove(VelmoraDocument* document) {
    DocumentWindow* window = windowOf(document);
    if (!window) {
        return;
    }
    window->takeDocument(document);
    if (window->documentCount() == 0) {
        window->close();
        m_windows.removeAll(window);
        window->deleteLater();
    }
}

QList<VelmoraDocument*> WindowArrangement::documentsInWindowOrder() const {
    QList<VelmoraDocument*> ordered;
    for (DocumentWindow* window : windows()) {
        ordered.append(window->documents());
    }
    return ordered;
}

void WindowArrangement::deleteWindows() {
    for (const auto& window : m_windows) {
        delete window.data();
    }
    m_windows.clear();
}

} // namespace velmora

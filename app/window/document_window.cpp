#include "app/window/document_window.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/localization.hpp"
#include "app/window/main_menu.hpp"

#include <QCloseEvent>
#include <QIcon>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>

namespace velmora {

namespace {
const char* const kDocumentProperty = "velmoraDocument";
}

DocumentWindow::DocumentWindow(MenuTarget& menus, QWidget* parent)
    : QMainWindow(parent), m_menus(menus), m_tabs(new QTabWidget(this)) {
    setObjectName(QStringLiteral("documentWindow"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ostrevo.svg")));
    m_tabs->setDocumentMode(true);
    m_tabs->setTabsClosable(true);
    m_tabs->setMovable(true);
    m_tabs->setTabBarAutoHide(true);
    setCentralWidget(m_tabs);
    setMinimumSize(minimumContentSize);
    resize(contentSize);
    MainMenu::install(menuBar(), this, m_menus);

    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        updateTitle();
        updateMenuStates();
        emit currentDocumentChanged(documentAt(index));
    });
    connect(m_tabs, &QTabWidget::tabCloseRequested, this, [this](int index) {
        if (VelmoraDocument* document = documentAt(index)) {
            emit tabCloseRequested(document);
        }
    });
}

DocumentWindow::~DocumentWindow() = default;

VelmoraDocument* DocumentWindow::documentAt(int index) const {
    QWidget* page = m_tabs->widget(index);
    if (!page) {
        return nullptr;
    }
    return qobject_cast<VelmoraDocument*>(page->property(kDocumentProperty).value<QObject*>());
}

int DocumentWindow::indexOf(const VelmoraDocument* document) const {
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (documentAt(i) == document) {
            return i;
        }
    }
    return -1;
}

void DocumentWindow::addDocument(VelmoraDocument* document, QWidget* content) {
    content->setProperty(kDocumentProperty, QVariant::fromValue<QObject*>(document));
    const int index = m_tabs->addTab(content, mnemonicSafe(document->displayName()));
    auto refresh = [this, document] {
        updateTabText(document);
        if (document == currentDocument()) {
            updateTitle();
            updateMenuStates();
        }
    };
    // Held by this window, so that giving the tab away drops these and nothing of the
    // content's own (its redraws after undo, its commits before a save).
    connect(document, &VelmoraDocument::fileChanged, this, refresh);
    connect(document, &VelmoraDocument::editedChanged, this, refresh);
    connect(document, &VelmoraDocument::changed, this, refresh);
    m_tabs->setCurrentIndex(index);
    updateTitle();
}

QWidget* DocumentWindow::takeDocument(VelmoraDocument* document) {
    const int index = indexOf(document);
    if (index < 0) {
        return nullptr;
    }
    QWidget* content = m_tabs->widget(index);
    // The window lets go of a focus inside the content it gives away: it would keep pointing
    // at a widget that is no longer its own, and crash when that widget goes. A field typed in
    // ends its editing (and commits) here, while its window is still whole.
    if (QWidget* focused = focusWidget(); focused && content->isAncestorOf(focused)) {
        focused->clearFocus();
    }
    m_tabs->removeTab(index);
    // The document keeps no connection to this window's title.
    disconnect(document, nullptr, this, nullptr);
    content->setParent(nullptr);
    updateTitle();
    return content;
}

bool DocumentWindow::holds(const VelmoraDocument* document) const {
    return indexOf(document) >= 0;
}

QList<VelmoraDocument*> DocumentWindow::documents() const {
    QList<VelmoraDocument*> result;
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (VelmoraDocument* document = documentAt(i)) {
            result.append(document);
        }
    }
    return result;
}

int DocumentWindow::documentCount() const {
    return m_tabs->count();
}

VelmoraDocument* DocumentWindow::currentDocument() const {
    return documentAt(m_tabs->currentIndex());
}

void DocumentWindow::setCurrentDocument(VelmoraDocument* document) {
    const int index = indexOf(document);
    if (index >= 0) {
        m_tabs->setCurrentIndex(index);
    }
}

void DocumentWindow::selectAdjacentTab(int step) {
    const int count = m_tabs->count();
    if (count < 2) {
        return;
    }
    m_tabs->setCurrentIndex(((m_tabs->currentIndex() + step) % count + count) % count);
}

void DocumentWindow::updateTabText(VelmoraDocument* document) {
    const int index = indexOf(document);
    if (index >= 0) {
        m_tabs->setTabText(index, mnemonicSafe(document->displayName()));
    }
}

void DocumentWindow::updateTitle() {
    VelmoraDocument* document = currentDocument();
    if (!document) {
        setWindowTitle(QStringLiteral("Ostrevo"));
        setWindowModified(false);
        return;
    }
    // "[*]" is where Qt shows the edited mark.
    setWindowTitle(document->displayName() + QStringLiteral("[*]"));
    setWindowModified(document->isEdited());
    setWindowFilePath(document->filePath());
}

void DocumentWindow::updateMenuStates() {
    MainMenu::updateStates(menuBar(), this, m_menus);
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
    // The controller closes the documents, asking to save where needed; the window closes only
    // when all of them went (so closing the last window still ends the application).
    if (m_tabs->count() > 0) {
        emit closeRequested(this);
    }
    if (m_tabs->count() == 0) {
        event->accept();
    } else {
        event->ignore();
    }
}

void DocumentWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        emit activated(this);
    }
}

} // namespace velmora

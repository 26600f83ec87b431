#pragma once

#include "app/document/velmora_document.hpp"
#include "app/shell/app_delegate.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/window/document_tab.hpp"
#include "app/window/document_window.hpp"
#include "core/session/editor_session.hpp"
#include "tests/app/support/scripted_dialogs.hpp"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace velmora::test {

// A running application with one document window, driven by key and mouse events as a user
// would drive it.
class WindowFixture {
public:
    WindowFixture() {
        QSettings().clear();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, m_folder.path());
    }

    ~WindowFixture() {
        m_delegate.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A new document in the list view with its window shown and active.
    VelmoraDocument* newDocument() {
        m_document = controller().newDocument();
        m_window =
            qobject_cast<DocumentTab*>(controller().viewOf(m_document)->widget());
        QWidget* top = m_window->window();
        top->show();
        top->activateWindow();
        QApplication::setActiveWindow(top);
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(top);
        return m_document;
    }

    // Replaces the document's state (the session keeps its settings) and redraws.
    void load(const EditorSnapshot& snapshot) {
        m_document->setSnapshot(snapshot);
        m_window->refresh();
    }

    VelmoraDocumentController& controller() { return m_delegate->controller(); }
    AppDelegate& delegate() { return *m_delegate; }
    VelmoraDocument& document() { return *m_document; }
    DocumentTab& window() { return *m_window; }
    const EditorSession& session() { return m_document->session(); }
    ListOutlineView& list() { return *m_window->list().view(); }
    ItemTextEditor& editor() { return m_window->editor(); }
    ScriptedDialogs& dialogs() { return *m_dialogs; }

    // The widget that has the keyboard focus (key events go there).
    static QWidget* focus() { return QApplication::focusWidget(); }

    // A key press and release at the focused widget, as the keyboard sends it.
    static void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = focus();
        QVERIFY(target);
        QTest::keyClick(target, key, modifiers);
    }
    static void type(const QString& text) {
        QWidget* target = focus();
        QVERIFY(target);
        QTest::keyClicks(target, text);
    }

    // The point in the list's viewport at the middle of the item's title.
    QPoint titlePoint(const std::string& id) {
        const auto rect = m_window->list().editorRect(id, false);
        return rect ? rect->center() : QPoint();
    }
    // The row rectangle of the item in the list's viewport.
    QRect rowRect(const std::string& id) {
        const auto row = m_window->list().model().rowOf(id);
        return row ? list().visualRect(m_window->list().model().index(*row)) : QRect();
    }
    void click(const QPoint& point, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(list().viewport(), Qt::LeftButton, modifiers, point);
    }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<AppDelegate> m_delegate;
    VelmoraDocument* m_document = nullptr;
    DocumentTab* m_window = nullptr;
};

} // namespace velmora::test

// The keyboard, the typing and the menus of the soak, through the events a user's keyboard
// sends and the menu items a user clicks.
#include "tests/app/soak/soak_input.hpp"

#include "app/document/velmora_document.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_tab.hpp"
#include "app/window/document_window.hpp"
#include "core/commands/key_map.hpp"
#include "core/session/editor_session.hpp"
#include "tests/app/soak/soak_world.hpp"

#include <QApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QTextBoundaryFinder>
#include <QtTest>

#include <functional>

namespace velmora::soak {
namespace {

QAction* menuItemOf(World& world, const std::function<QAction*(QMenuBar*)>& find) {
    DocumentWindow* front = world.controller().windowOf(world.current());
    if (!front) {
        return nullptr;
    }
    front->updateMenuStates();
    QAction* item = find(front->menuBar());
    return item && item->isEnabled() ? item : nullptr;
}

} // namespace

QWidget* keyTarget(World& world) {
    if (QWidget* focus = QApplication::focusWidget()) {
        return focus;
    }
    return world.content(world.current());
}

void sendChord(QWidget* target, const KeyChord& chord) {
    if (!target) {
        return;
    }
    const QKeySequence sequence = QKeySequence::fromString(
        QString::fromStdString(KeyMap::text(chord)), QKeySequence::PortableText);
    if (sequence.isEmpty()) {
        return;
    }
    const QKeyCombination combination = sequence[0];
    QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
}

void sendAction(World& world, Action action) {
    VelmoraDocument* document = world.current();
    if (const auto chord = KeyMap::primaryChord(action, document->session().preferences)) {
        sendChord(keyTarget(world), *chord);
    }
}

// Types the text as a keyboard does: a key event per character cluster, line breaks with the
// key that types a line break in a title.
void typeText(World& world, const std::string& text) {
    const QString all = QString::fromStdString(text);
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, all);
    int start = 0;
    while (start < all.size()) {
        int end = clusters.toNextBoundary();
        if (end < 0) {
            end = static_cast<int>(all.size());
        }
        const QString cluster = all.mid(start, end - start);
        start = end;
        QWidget* target = keyTarget(world);
        if (!target) {
            return;
        }
        if (cluster == QStringLiteral("\n")) {
            const auto preferences = world.current()->session().preferences;
            for (const KeyBinding& binding : KeyMap::bindings(preferences)) {
                if (binding.action == Action::newline) {
                    sendChord(target, binding.chord);
                    break;
                }
            }
        } else if (cluster.size() == 1 && cluster[0].unicode() < 0x7f &&
                   cluster[0].isLetterOrNumber()) {
            QTest::keyClick(target, cluster[0].toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, cluster, Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, cluster, Qt::NoModifier);
        }
    }
}

DocumentTab& window(World& world) {
    return *world.content(world.current());
}

bool waitForWrites(World& world) {
    return QTest::qWaitFor(
        [&world] {
            for (VelmoraDocument* document : world.controller().documents()) {
                if (document->isWriting()) {
                    return false;
                }
            }
            return true;
        },
        5000);
}

bool runStandardItem(World& world, StandardItem which) {
    QAction* item =
        menuItemOf(world, [which](QMenuBar* bar) { return MainMenu::standardItem(bar, which); });
    if (item) {
        item->trigger();
    }
    return item != nullptr;
}

bool runActionItem(World& world, Action action) {
    QAction* item =
        menuItemOf(world, [action](QMenuBar* bar) { return MainMenu::actionItem(bar, action); });
    if (item) {
        item->trigger();
    }
    return item != nullptr;
}

} // namespace velmora::soak

// The menu bar: key equivalents of the commands, the order of the menus, items left out on
// Linux, enabled states, undo titles, the New Tab visibility and relocalising in place.
#include "app/document/velmora_document.hpp"
#include "app/platform/app_language.hpp"
#include "app/platform/keyboard_layout.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/menu_keys.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/app_delegate.hpp"
#include "app/shell/application.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_window.hpp"
#include "app/window/main_menu.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/support/keyboard_layouts.hpp"
#include "tests/app/support/scripted_dialogs.hpp"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::Action)

class MenuTest : public QObject {
    Q_OBJECT
public:
    explicit MenuTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        QSettings().clear();
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        m_dialogs = std::make_unique<test::ScriptedDialogs>();
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, m_data.path());
        m_document = m_delegate->controller().newDocument();
        m_window = m_delegate->controller().windowOf(m_document);
        QVERIFY(m_window);
    }

    void cleanup() {
        KeyboardLayouts::shared().setActive(nullptr);
        m_delegate.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void keyEquivalents_data() {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("settings") << Action::settings << QKeySequence(Qt::CTRL | Qt::Key_Comma);
        QTest::newRow("new-document-tab")
            << Action::newDocumentTab << QKeySequence(Qt::CTRL | Qt::Key_T);
        QTest::newRow("toggle-library")
            << Action::toggleLibrary << QKeySequence(Qt::META | Qt::CTRL | Qt::Key_S);
        // Shown as the keys are pressed; Qt also matches it by the "?" Shift types.
        QTest::newRow("help-search")
            << Action::helpSearch << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Slash);
        QTest::newRow("delete-item") << Action::deleteItem << QKeySequence(Qt::Key_Backspace);
        // GNOME Shell and Plasma take Super+Ctrl+digits and Meta+Ctrl+arrows: the menus show the
        // Linux rows.
        QTest::newRow("label-3") << Action::label3 << QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_3);
        QTest::newRow("move-up") << Action::moveUp
                                 << QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Up);
        QTest::newRow("duplicate, never the alias")
            << Action::duplicate << QKeySequence(Qt::CTRL | Qt::Key_D);
        // Space toggles the check in the outline, but a chord without command or control
        // gives the menu item no key.
        QTest::newRow("toggle-check") << Action::toggleCheck << QKeySequence();
        QTest::newRow("archive-completed") << Action::archiveCompleted << QKeySequence();
    }

    void keyEquivalents() {
        QFETCH(Action, action);
        QFETCH(QKeySequence, keys);
        QAction* item = MainMenu::actionItem(m_window->menuBar(), action);
        QVERIFY(item);
        QCOMPARE(item->shortcut(), keys);
        QCOMPARE(item->data().toString(), QString::fromLatin1(rawValue(action)));
        if (action == Action::helpSearch) {
            QVERIFY(
                item->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Question)));
        }
    }

    // Qt's own Save As keys are empty outside a desktop that sets them (under Xvfb, say).
    void saveAsHasTheLinuxDesktopsShortcut() {
        QAction* saveAs = MainMenu::standardItem(m_window->menuBar(), StandardItem::saveAs);
        QVERIFY(saveAs);
        QCOMPARE(saveAs->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    }

    void everyActionWithATitleKeyHasOneItem() {
        int withTitle = 0;
        for (Action action : allActions()) {
            const bool titled = MenuKeys::titleKey(action).has_value();
            withTitle += titled ? 1 : 0;
            const bool shown = MainMenu::actionItem(m_window->menuBar(), action) != nullptr;
            // The navigation and typing sections are not in the menus.
            QCOMPARE(shown, titled);
        }
        QCOMPARE(withTitle, 53);
    }

    // Two items with one shortcut make Qt ignore both, on every keyboard layout.
    void noTwoItemsShareAShortcut_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("variant");
        QTest::newRow("no keymap") << QString() << QString();
        for (const test::LayoutName& name : test::kKeyboardLayouts) {
            const QString layout = QString::fromLatin1(name.layout);
            const QString variant = QString::fromLatin1(name.variant);
            QTest::newRow(
                qPrintable(variant.isEmpty() ? layout : layout + QLatin1Char('-') + variant))
                << layout << variant;
        }
    }

    void noTwoItemsShareAShortcut() {
        QFETCH(QString, layout);
        QFETCH(QString, variant);
        if (!layout.isEmpty()) {
            auto keyboard = KeyboardLayout::fromNames(layout.toStdString(), variant.toStdString());
            QVERIFY2(keyboard, qPrintable(layout));
            KeyboardLayouts::shared().setActive(std::move(keyboard));
        }
        QMap<QString, QString> owners;
        QList<QAction*> items;
        std::function<void(const QList<QAction*>&)> collect = [&](const QList<QAction*>& list) {
            for (QAction* item : list) {
                items.append(item);
                if (item->menu()) {
                    collect(item->menu()->actions());
                }
            }
        };
        collect(m_window->menuBar()->actions());
        for (QAction* item : items) {
            for (const QKeySequence& keys : item->shortcuts()) {
                const QString text = keys.toString();
                QVERIFY2(!owners.contains(text),
                         qPrintable(text + QStringLiteral(": ") + owners.value(text) +
                                    QStringLiteral(" and ") + item->text()));
                owners.insert(text, item->text());
            }
        }
        // Zoom stays reachable: Ctrl+= and the keypad's + and -.
        QMenuBar* bar = m_window->menuBar();
        const auto zoomIn = MainMenu::standardItem(bar, StandardItem::zoomIn)->shortcuts();
        const auto zoomOut = MainMenu::standardItem(bar, StandardItem::zoomOut)->shortcuts();
        QVERIFY(zoomIn.contains(QKeySequence(Qt::CTRL | Qt::Key_Equal)));
        QVERIFY(zoomIn.contains(
            QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))));
        QVERIFY(zoomOut.contains(QKeySequence(Qt::CTRL | Qt::Key_Minus)));
        QVERIFY(zoomOut.contains(QKeySequence(
            QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))));
    }

    // The colour labels show the digits of their keys, as the help writes them, and Qt still
    // matches them by the symbols Shift types.
    void colorLabelsShowTheirDigits() {
        QMenuBar* bar = m_window->menuBar();
        for (const char* layout : {"us", "de", "fr"}) {
            KeyboardLayouts::shared().setActive(KeyboardLayout::fromNames(layout, ""));
            for (int label = 0; label <= 7; ++label) {
                const Action action = static_cast<Action>(static_cast<int>(Action::label0) + label);
                QAction* item = MainMenu::actionItem(bar, action);
                QVERIFY(item);
                const QString digit = QString::number(label);
                QCOMPARE(item->shortcut().toString(QKeySequence::NativeText),
                         QStringLiteral("Alt+Shift+") + digit);
                QCOMPARE(item->shortcut(), QKeySequence(Qt::ALT | Qt::SHIFT |
                                                        static_cast<Qt::Key>(Qt::Key_0 + label)));
            }
            // On US, Shift types "!" … "&": Qt compares the key event with those.
            if (qstrcmp(layout, "us") == 0) {
                QVERIFY(MainMenu::actionItem(bar, Action::label1)
                            ->shortcuts()
                            .contains(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Exclam)));
                QVERIFY(MainMenu::actionItem(bar, Action::label7)
                            ->shortcuts()
                            .contains(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Ampersand)));
            }
        }
    }

    void menusInOrderWithoutTheItemsLinuxLacks() {
        QStringList titles;
        for (QAction* menu : m_window->menuBar()->actions()) {
            titles.append(menu->text());
        }
        const char* const keys[] = {"menu.app",    "menu.file",   "menu.edit",
                                    "menu.format", "menu.view",   "menu.reorganize",
                                    "menu.item",   "menu.window", "menu.help"};
        QStringList expected;
        for (const char* key : keys) {
            expected.append(localized(std::string_view(key)));
        }
        QCOMPARE(titles, expected);
        const QString appMenu =
            m_window->menuBar()->actions().first()->menu()->actions().last()->text();
        QCOMPARE(appMenu, localized(QStringLiteral("menu.app.quit")));
        QVERIFY(!MainMenu::standardItem(m_window->menuBar(), StandardItem::checkUpdates));
        for (QAction* item : m_window->menuBar()->actions().first()->menu()->actions()) {
            QVERIFY(item->text() != localized(QStringLiteral("menu.app.hide")));
        }
    }

    void itemsAreEnabledByWhatTheSessionCanDo() {
        QMenuBar* bar = m_window->menuBar();
        m_window->updateMenuStates();
        QVERIFY(MainMenu::actionItem(bar, Action::addBelow)->isEnabled());
        QVERIFY(MainMenu::actionItem(bar, Action::split)->isEnabled());
        QVERIFY(!MainMenu::standardItem(bar, StandardItem::undo)->isEnabled());
        // A document can always be printed, previewed and exported as PDF.
        for (StandardItem item : {StandardItem::pageSetup, StandardItem::print,
                                  StandardItem::printPreview, StandardItem::exportPDF}) {
            QVERIFY(MainMenu::standardItem(bar, item)->isEnabled());
        }

        // Deselecting ends editing: commands that need a selection or a title are off.
        m_document->perform(Action::deselect);
        m_window->updateMenuStates();
        QVERIFY(!MainMenu::actionItem(bar, Action::indent)->isEnabled());
        QVERIFY(!MainMenu::actionItem(bar, Action::split)->isEnabled());
        QVERIFY(MainMenu::actionItem(bar, Action::expandAll)->isEnabled());
    }

    void triggeringAnItemSendsItsAction() {
        QAction* addBelow = MainMenu::actionItem(m_window->menuBar(), Action::addBelow);
        addBelow->trigger();
        QCOMPARE(m_document->session().snapshot.document.items.size(), 2u);

        // The undo item names the change in the interface language.
        m_window->updateMenuStates();
        QAction* undo = MainMenu::standardItem(m_window->menuBar(), StandardItem::undo);
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), localized(QStringLiteral("menu.edit.undo")) + QLatin1Char(' ') +
                                   localized(catalogKey(Action::addBelow)));
        undo->trigger();
        QCOMPARE(m_document->session().snapshot.document.items.size(), 1u);
    }

    void markdownItemsFollowTheirOPMLCounterparts() {
        QMenuBar* bar = m_window->menuBar();
        const QList<QAction*> items = bar->actions().at(1)->menu()->actions(); // File
        auto after = [&](QAction* item) { return items.value(items.indexOf(item) + 1); };
        QCOMPARE(after(MainMenu::actionItem(bar, Action::importOPML)),
                 MainMenu::standardItem(bar, StandardItem::importMarkdown));
        QCOMPARE(after(MainMenu::actionItem(bar, Action::exportOPML)),
                 MainMenu::standardItem(bar, StandardItem::exportMarkdown));
        QVERIFY(MainMenu::standardItem(bar, StandardItem::exportMarkdown)->isEnabled());
        // Org follows Markdown; the web page follows the Org export.
        QCOMPARE(after(MainMenu::standardItem(bar, StandardItem::importMarkdown)),
                 MainMenu::standardItem(bar, StandardItem::importOrg));
        QCOMPARE(after(MainMenu::standardItem(bar, StandardItem::exportMarkdown)),
                 MainMenu::standardItem(bar, StandardItem::exportOrg));
        QCOMPARE(after(MainMenu::standardItem(bar, StandardItem::exportOrg)),
                 MainMenu::standardItem(bar, StandardItem::exportWebPage));
        QVERIFY(MainMenu::standardItem(bar, StandardItem::exportWebPage)->isEnabled());
    }

    void newTabItemFollowsThePreference() {
        QAction* newTab = MainMenu::actionItem(m_window->menuBar(), Action::newDocumentTab);
        QVERIFY(newTab->isVisible());
        Preferences().setBool(PreferenceKeys::documentsInTabs, false);
        MainMenu::updateNewTabVisibility();
        QVERIFY(!newTab->isVisible());
        Preferences().setBool(PreferenceKeys::documentsInTabs, true);
        MainMenu::updateNewTabVisibility();
        QVERIFY(newTab->isVisible());
    }

    void relocalizingRetitlesTheSameItemsInPlace() {
        QMenuBar* bar = m_window->menuBar();
        QAction* exportItem = MainMenu::actionItem(bar, Action::exportOPML);
        QAction* fileMenu = bar->actions().at(1);
        const QList<QAction*> before = bar->actions();
        const auto itemsBefore = fileMenu->menu()->actions();
        // Stand-in titles, as if the items had been made in another language.
        exportItem->setText(QStringLiteral("Exportar OPML…"));
        fileMenu->setText(QStringLiteral("Archivo"));
        exportItem->setEnabled(false);

        QSignalSpy posted(&Notifications::shared(), &Notifications::languageChanged);
        Localization::changeLanguage(AppLanguage::de);
        QCOMPARE(Preferences().appleLanguages(), QStringList{QStringLiteral("de")});
        QTRY_COMPARE(posted.count(), 1);
        QCOMPARE(bar->actions(), before);
        QCOMPARE(fileMenu->menu()->actions(), itemsBefore);
        QCOMPARE(exportItem->text(), localized(QStringLiteral("menu.file.exportOPML")));
        QCOMPARE(fileMenu->text(), localized(QStringLiteral("menu.file")));
        QVERIFY(!exportItem->isEnabled());
        Localization::changeLanguage(AppLanguage::system);
        QTRY_COMPARE(posted.count(), 2);
        QVERIFY(!Preferences().contains(PreferenceKeys::appleLanguages));
    }

private:
    QString m_home;
    QTemporaryDir m_data;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
    std::unique_ptr<AppDelegate> m_delegate;
    VelmoraDocument* m_document = nullptr;
    DocumentWindow* m_window = nullptr;
};

OSTREVO_APP_TEST_MAIN(MenuTest)

#include "menu_test.moc"

// The Window menu's tab and window commands and its list of open documents, the toolbar's
// Hide/Show item and its customisation, and the View menu's branch highlight check mark.
#include "app/document/velmora_document.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/platform/toolbar_items.hpp"
#include "app/settings/toolbar_customizer.hpp"
#include "app/shell/app_delegate.hpp"
#include "app/shell/application.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_tab.hpp"
#include "app/window/document_window.hpp"
#include "app/window/main_menu.hpp"
#include "app/window/window_toolbar.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/support/scripted_dialogs.hpp"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;

namespace {

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The identifiers of the items the toolbar shows, in order.
QStringList shownItems(const WindowToolbar& toolbar) {
    QStringList ids;
    for (QAction* action : toolbar.actions()) {
        if (action->isSeparator() || !toolbar.widgetForAction(action)) {
            continue;
        }
        const QString name = action->objectName();
        if (name == QLatin1String("view-list")) {
            ids.append(ToolbarItems::viewSwitch);
        } else if (!name.isEmpty() && !name.startsWith(QLatin1String("view-"))) {
            ids.append(name);
        } else if (auto* widget = toolbar.widgetForAction(action);
                   widget->objectName() == ToolbarItems::labelMenu) {
            ids.append(ToolbarItems::labelMenu);
        }
    }
    return ids;
}

} // namespace

class WindowCommandsTest : public QObject {
    Q_OBJECT
public:
    explicit WindowCommandsTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        QSettings().clear();
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        m_dialogs = std::make_unique<test::ScriptedDialogs>();
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, m_data.path());
    }

    void cleanup() {
        m_delegate.reset();
        settle();
    }

    void tabCommandsGoRoundMoveAndMerge() {
        VelmoraDocument* first = controller().newDocument();
        VelmoraDocument* second = controller().newDocument();
        VelmoraDocument* third = controller().newDocument();
        DocumentWindow* window = controller().windowOf(first);
        QCOMPARE(controller().windows().size(), 1);
        QCOMPARE(window->currentDocument(), third);
        window->updateMenuStates();
        QVERIFY(item(window, StandardItem::nextTab)->isEnabled());
        QVERIFY(!item(window, StandardItem::mergeAllWindows)->isEnabled());
        QCOMPARE(item(window, StandardItem::nextTab)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                                      QKeySequence(Qt::CTRL | Qt::Key_Tab)}));

        item(window, StandardItem::nextTab)->trigger();
        QCOMPARE(window->currentDocument(), first);
        item(window, StandardItem::previousTab)->trigger();
        item(window, StandardItem::previousTab)->trigger();
        QCOMPARE(window->currentDocument(), second);

        // Dragging a tab reorders the window's documents.
        window->findChild<QTabBar*>()->moveTab(0, 2);
        QCOMPARE(window->documents(), (QList<VelmoraDocument*>{second, third, first}));

        item(window, StandardItem::moveTabToNewWindow)->trigger();
        QCOMPARE(controller().windows().size(), 2);
        DocumentWindow* own = controller().windowOf(second);
        QVERIFY(own != window);
        QCOMPARE(own->documents(), QList<VelmoraDocument*>{second});
        QCOMPARE(window->documents(), (QList<VelmoraDocument*>{third, first}));
        // A lone tab has nowhere to go.
        own->updateMenuStates();
        QVERIFY(!item(own, StandardItem::moveTabToNewWindow)->isEnabled());
        QVERIFY(!item(own, StandardItem::nextTab)->isEnabled());
        QVERIFY(item(own, StandardItem::mergeAllWindows)->isEnabled());

        window->setCurrentDocument(first);
        item(own, StandardItem::mergeAllWindows)->trigger();
        settle();
        QCOMPARE(controller().windows(), QList<DocumentWindow*>{own});
        QCOMPARE(own->documents(), (QList<VelmoraDocument*>{second, third, first}));
        QCOMPARE(own->currentDocument(), second);
        QCOMPARE(controller().windowOf(first), own);
    }

    void theWindowMenuListsTheOpenDocumentsWithTheCurrentChecked() {
        VelmoraDocument* first = controller().newDocument();
        VelmoraDocument* second = controller().newDocument();
        controller().moveToOwnWindow(second);
        DocumentWindow* window = controller().windowOf(first);
        QMenu* menu = windowMenu(window);
        emit menu->aboutToShow();
        QList<QAction*> listed = documentItems(menu);
        QCOMPARE(listed.size(), 2);
        QCOMPARE(listed[0]->text(), mnemonicSafe(first->displayName()));
        // Two untitled documents are told apart, as their windows and tabs are.
        const QString untitled = localized(QStringLiteral("document.untitled"));
        QCOMPARE(first->displayName(), untitled);
        QCOMPARE(second->displayName(), untitled + QStringLiteral(" 2"));
        QCOMPARE(listed[1]->text(), mnemonicSafe(second->displayName()));
        QVERIFY(controller().windowOf(second)->windowTitle().startsWith(untitled +
                                                                        QStringLiteral(" 2")));
        QVERIFY(listed[0]->isChecked());
        QVERIFY(!listed[1]->isChecked());

        // Showing the menu again lists afresh; choosing an entry brings its window forward.
        emit menu->aboutToShow();
        settle();
        listed = documentItems(menu);
        QCOMPARE(listed.size(), 2);
        listed[1]->trigger();
        QTRY_COMPARE(controller().frontWindow(), controller().windowOf(second));
    }

    void hidingTheToolbarIsRememberedAndRetitlesTheItem() {
        VelmoraDocument* document = controller().newDocument();
        DocumentWindow* window = controller().windowOf(document);
        QAction* toggle = item(window, StandardItem::toggleToolbar);
        QCOMPARE(toggle->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_T));
        window->updateMenuStates();
        QVERIFY(toggle->isEnabled());
        QCOMPARE(toggle->text(), localized(QStringLiteral("menu.view.hideToolbar")));
        QVERIFY(toolbar(document).isVisibleTo(window));

        toggle->trigger();
        QVERIFY(!toolbar(document).isVisibleTo(window));
        QVERIFY(Preferences().boolValue(PreferenceKeys::toolbarHidden));
        window->updateMenuStates();
        QCOMPARE(toggle->text(), localized(QStringLiteral("menu.view.showToolbar")));

        // A window opened later, even after a restart, starts without it.
        controller().moveToOwnWindow(controller().newDocument());
        VelmoraDocument* later = controller().documents().last();
        QVERIFY(!toolbar(later).isVisibleTo(controller().windowOf(later)));
        m_delegate.reset();
        settle();
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, m_data.path());
        VelmoraDocument* restarted = controller().newDocument();
        QVERIFY(!toolbar(restarted).isVisibleTo(controller().windowOf(restarted)));

        item(controller().windowOf(restarted), StandardItem::toggleToolbar)->trigger();
        QVERIFY(toolbar(restarted).isVisibleTo(controller().windowOf(restarted)));
    }

    void customisingTheToolbarChangesEveryWindow() {
        VelmoraDocument* first = controller().newDocument();
        VelmoraDocument* second = controller().newDocument();
        controller().moveToOwnWindow(second);
        QCOMPARE(shownItems(toolbar(first)), ToolbarItems::defaults());

        ToolbarCustomizer dialog(controller().windowOf(first));
        QListWidget* list = dialog.list();
        QCOMPARE(list->count(), 12);
        list->item(0)->setCheckState(Qt::Unchecked); // add-below
        list->setCurrentRow(11);                     // the label menu
        dialog.moveSelected(-1);
        dialog.moveSelected(-20); // nothing past the top
        list->setCurrentRow(2);   // indent
        dialog.moveSelected(-1);
        dialog.moveSelected(-1);
        QStringList expected = ToolbarItems::defaults();
        expected.removeOne(QStringLiteral("add-below"));
        expected.move(expected.indexOf(QStringLiteral("indent")), 0);
        expected.move(expected.indexOf(ToolbarItems::labelMenu),
                      expected.indexOf(ToolbarItems::viewSwitch));
        QCOMPARE(dialog.chosen(), expected);
        dialog.accept();
        QCOMPARE(ToolbarItems::shown(Preferences()), expected);
        for (VelmoraDocument* document : {first, second}) {
            QCOMPARE(shownItems(toolbar(document)), expected);
        }

        // Nothing chosen is a toolbar without items, not the default one.
        ToolbarItems::store({});
        QVERIFY(shownItems(toolbar(second)).isEmpty());
        QVERIFY(ToolbarItems::shown(Preferences()).isEmpty());

        // Restore Defaults brings every item back in its place; stored identifiers that are
        // unknown or repeated are passed over.
        ToolbarCustomizer again(controller().windowOf(first));
        QCOMPARE(again.chosen(), QStringList());
        again.restoreDefaults();
        QCOMPARE(again.chosen(), ToolbarItems::defaults());
        again.accept();
        QVERIFY(!Preferences().contains(PreferenceKeys::toolbarItems));
        QCOMPARE(shownItems(toolbar(second)), ToolbarItems::defaults());
        Preferences().setStringList(PreferenceKeys::toolbarItems,
                                    {QStringLiteral("trash"), QStringLiteral("indent"),
                                     QStringLiteral("indent"), ToolbarItems::viewSwitch});
        QCOMPARE(ToolbarItems::shown(Preferences()),
                 (QStringList{QStringLiteral("indent"), ToolbarItems::viewSwitch}));
    }

    void theBranchHighlightItemShowsItsState() {
        VelmoraDocument* document = controller().newDocument();
        DocumentWindow* window = controller().windowOf(document);
        QAction* highlight = MainMenu::actionItem(window->menuBar(), Action::toggleHighlight);
        QVERIFY(highlight->isCheckable());
        window->updateMenuStates();
        QVERIFY(!highlight->isChecked());
        highlight->trigger();
        QVERIFY(Preferences().highlightBranch());
        window->updateMenuStates();
        QVERIFY(highlight->isChecked());
        highlight->trigger();
        window->updateMenuStates();
        QVERIFY(!highlight->isChecked());
    }

private:
    VelmoraDocumentController& controller() { return m_delegate->controller(); }

    static QAction* item(DocumentWindow* window, StandardItem which) {
        QAction* found = MainMenu::standardItem(window->menuBar(), which);
        Q_ASSERT(found);
        return found;
    }

    static QMenu* windowMenu(DocumentWindow* window) {
        for (QAction* menu : window->menuBar()->actions()) {
            if (menu->text() == localized(QStringLiteral("menu.window"))) {
                return menu->menu();
            }
        }
        return nullptr;
    }

    // The document entries after the Window menu's last separator.
    static QList<QAction*> documentItems(QMenu* menu) {
        QList<QAction*> entries;
        bool after = false;
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QLatin1String("openDocuments")) {
                after = true;
            } else if (after) {
                entries.append(action);
            }
        }
        return entries;
    }

    WindowToolbar& toolbar(VelmoraDocument* document) {
        auto* view =
            qobject_cast<DocumentTab*>(controller().viewOf(document)->widget());
        Q_ASSERT(view);
        return view->toolbar();
    }

    QString m_home;
    QTemporaryDir m_data;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
    std::unique_ptr<AppDelegate> m_delegate;
};

OSTREVO_APP_TEST_MAIN(WindowCommandsTest)

#include "window_commands_test.moc"

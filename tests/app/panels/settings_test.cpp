// The settings window: every control stores its preference and the open windows follow at
// once, the panes show what is stored, the language switch, the keyboard, and the library's
// move to another folder with each of its answers.
#include "app/library/library_store.hpp"
#include "app/platform/app_language.hpp"
#include "app/platform/library_folder.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/settings/appearance_settings_controller.hpp"
#include "app/settings/editing_settings_controller.hpp"
#include "app/settings/files_settings_controller.hpp"
#include "app/settings/general_settings_controller.hpp"
#include "app/settings/settings_window_controller.hpp"
#include "app/shell/application.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "core/formats/native_document_codec.hpp"
#include "core/formats/sample_library.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/support/squeezed_texts.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

using namespace velmora;

namespace {

// Chooses the item with the value by the keyboard, as a person steps through a closed menu.
void choose(QComboBox* menu, const QString& value) {
    const int target = menu->findData(value);
    QVERIFY2(target >= 0, qPrintable(value));
    // A step at a time; a choice that is refused puts the menu back, so count the steps.
    const int from = menu->currentIndex();
    for (int step = 0; step < std::abs(target - from); ++step) {
        QTest::keyClick(menu, from < target ? Qt::Key_Down : Qt::Key_Up);
    }
}

// Toggles the box with the space bar.
void toggle(QCheckBox* box) {
    QTest::keyClick(box, Qt::Key_Space);
}

QString stored(const QString& key) {
    return Preferences().storedString(key).value_or(QString());
}

// A document file with one item.
void writeFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"doc", QFileInfo(path).completeBaseName().toStdString(),
                                     ItemList({Item::blank("one", "One")})};
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(NativeDocumentCodec::encode(snapshot, BackupSettings{})));
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT
public:
    explicit SettingsTest(const QString&) {}

private:
    std::unique_ptr<test::WindowFixture> m_fixture;

    test::WindowFixture& fixture() { return *m_fixture; }
    SettingsWindowController& settings() {
        fixture().delegate().showSettings();
        return *fixture().delegate().settingsWindow();
    }
    SettingsWindowController& showPane(SettingsWindowController::Pane pane) {
        SettingsWindowController& window = settings();
        window.present(pane);
        return window;
    }
    QImage picture() { return fixture().window().window()->grab().toImage(); }

private slots:
    void init() {
        m_fixture = std::make_unique<test::WindowFixture>();
        fixture().newDocument();
        EditorSnapshot snapshot;
        snapshot.document = SampleLibrary::documents().at(1);
        snapshot.view = ViewMode::tree;
        snapshot.selectedId = snapshot.document.items[0].id;
        fixture().load(snapshot);
    }
    void cleanup() {
        Localization::changeLanguage(AppLanguage::system);
        QTest::qWait(0);
        m_fixture.reset();
    }

    void oneWindowRaisedAgainAndClosedByKeys() {
        SettingsWindowController& window = settings();
        QVERIFY(window.isVisible());
        QCOMPARE(window.tabs()->count(), 4);
        QCOMPARE(window.tabKeys(),
                 (QStringList{QStringLiteral("settings.tab.general"),
                              QStringLiteral("settings.tab.appearance"),
                              QStringLiteral("settings.tab.editing"),
                              QStringLiteral("settings.tab.files")}));
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!window.tabs()->tabIcon(i).isNull());
        }
        QCOMPARE(&settings(), &window);

        // The library's settings button opens it at the files pane.
        auto* button = fixture().window().findChild<QAbstractButton*>(QStringLiteral("library.settings"));
        QVERIFY(button);
        button->click();
        QCOMPARE(window.pane(), SettingsWindowController::Pane::files);

        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        settings();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!window.isVisible());

        // Ctrl+, in the document window.
        QWidget* documentWindow = fixture().window().window();
        documentWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(documentWindow));
        QTest::keyClick(fixture().focus(), Qt::Key_Comma, Qt::ControlModifier);
        QTRY_VERIFY(window.isVisible());
    }

    void keyboardReachesEveryPaneAndControl() {
        SettingsWindowController& window = showPane(SettingsWindowController::Pane::general);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), window.tabs()->tabBar());
        QTest::keyClick(window.tabs()->tabBar(), Qt::Key_Right);
        QCOMPARE(window.pane(), SettingsWindowController::Pane::appearance);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window.appearance().paper);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(stored(PreferenceKeys::paperStyle), QStringLiteral("dots"));
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), window.appearance().highlight);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(Preferences().storedBool(PreferenceKeys::highlightBranch), std::optional(true));
    }

    void appearanceControlsStoreAndEveryViewRedraws() {
        const AppearanceSettingsController& pane =
            showPane(SettingsWindowController::Pane::appearance).appearance();
        const TreeCanvasView& canvas = fixture().window().canvas();
        QSignalSpy announced(&Notifications::shared(), &Notifications::preferencesChanged);

        const QImage plain = picture();
        choose(pane.paper, QStringLiteral("grid"));
        QCOMPARE(stored(PreferenceKeys::paperStyle), QStringLiteral("grid"));
        QCOMPARE(canvas.options().appearance.paperStyle, PaperStyle::grid);
        const QImage grid = picture();
        QVERIFY(grid != plain);
        choose(pane.paperColor, QStringLiteral("yellow"));
        QCOMPARE(stored(PreferenceKeys::paperColor), QStringLiteral("yellow"));
        QCOMPARE(canvas.options().appearance.paperColor, PaperColor::yellow);
        QVERIFY(picture() != grid);
        choose(pane.scrollEdge, QStringLiteral("hard"));
        QCOMPARE(stored(PreferenceKeys::scrollEdge), QStringLiteral("hard"));

        toggle(pane.highlight);
        QCOMPARE(Preferences().storedBool(PreferenceKeys::highlightBranch), std::optional(true));
        QVERIFY(canvas.options().highlightBranch);
        choose(pane.highlightColor, QStringLiteral("green"));
        QCOMPARE(stored(PreferenceKeys::highlightColor), QStringLiteral("green"));
        QCOMPARE(canvas.options().appearance.highlightColor, HighlightColor::green);

        // Unticking the root line hides it.
        QVERIFY(pane.rootLine->isChecked());
        toggle(pane.rootLine);
        QCOMPARE(Preferences().storedBool(PreferenceKeys::hideRootLine), std::optional(true));
        QVERIFY(canvas.options().hideRootLine);

        choose(pane.checkStyle, QStringLiteral("web"));
        QCOMPARE(stored(PreferenceKeys::checkStyle), QStringLiteral("web"));
        QCOMPARE(canvas.options().appearance.checkStyle, CheckStyle::web);
        // Without a stored choice the web style strikes checked items; the box shows that.
        QTRY_VERIFY(pane.strikeChecked->isChecked());
        toggle(pane.strikeChecked);
        QCOMPARE(Preferences().storedBool(PreferenceKeys::strikeChecked), std::optional(false));
        QVERIFY(!canvas.options().appearance.strikeChecked);
        choose(pane.labelStyle, QStringLiteral("fill"));
        QCOMPARE(stored(PreferenceKeys::labelStyle), QStringLiteral("fill"));
        QCOMPARE(canvas.options().appearance.labelStyle, LabelStyle::fill);
        QVERIFY(announced.count() >= 9);

        // The list view of the same window follows too.
        fixture().document().perform(Action::viewList);
        const QImage list = picture();
        choose(pane.paper, QStringLiteral("plain"));
        QVERIFY(picture() != list);
    }

    void panesShowWhatIsStored() {
        Preferences preferences;
        preferences.setString(PreferenceKeys::paperStyle, QStringLiteral("zebra"));
        preferences.setString(PreferenceKeys::paperColor, QStringLiteral("mauve"));
        preferences.setBool(PreferenceKeys::hideRootLine, true);
        preferences.setString(PreferenceKeys::newDocumentView, QStringLiteral("outline"));
        preferences.setBool(PreferenceKeys::tabIndents, false);
        preferences.setString(PreferenceKeys::returnWhileTyping, QStringLiteral("finishAndAddNext"));
        preferences.setBool(PreferenceKeys::autosaveClearsEdited, true);
        SettingsWindowController& window = showPane(SettingsWindowController::Pane::appearance);
        QCOMPARE(window.appearance().paper->currentData().toString(), QStringLiteral("zebra"));
        // An unknown colour shows the default.
        QCOMPARE(window.appearance().paperColor->currentData().toString(), QStringLiteral("white"));
        QVERIFY(!window.appearance().rootLine->isChecked());
        QVERIFY(!window.appearance().strikeChecked->isChecked());

        // A change made elsewhere (the View menu) shows at once.
        preferences.setString(PreferenceKeys::checkStyle, QStringLiteral("none"));
        Notifications::shared().post(Notifications::preferences);
        QCOMPARE(window.appearance().checkStyle->currentData().toString(), QStringLiteral("none"));

        window.present(SettingsWindowController::Pane::general);
        QCOMPARE(window.general().newDocumentView->currentData().toString(), QStringLiteral("tree"));
        QCOMPARE(window.general().language->currentData().toString(), QStringLiteral("system"));
        window.present(SettingsWindowController::Pane::editing);
        QVERIFY(!window.editing().tabIndents->isChecked());
        QVERIFY(window.editing().returnEdits->isChecked());
        QCOMPARE(window.editing().returnWhileTyping->currentData().toString(),
                 QStringLiteral("finishAndAddNext"));
        window.present(SettingsWindowController::Pane::files);
        QVERIFY(window.files().autosaveClears->isChecked());
        QCOMPARE(window.files().path->text(), QStringLiteral("~/Documents/Ostrevo"));
    }

    void editingControlsStoreTheEditorPreferencesTogether() {
        const EditingSettingsController& pane =
            showPane(SettingsWindowController::Pane::editing).editing();
        toggle(pane.tabIndents);
        Preferences preferences;
        QCOMPARE(preferences.storedBool(PreferenceKeys::tabIndents), std::optional(false));
        QCOMPARE(preferences.storedBool(PreferenceKeys::returnEdits), std::optional(true));
        QCOMPARE(stored(PreferenceKeys::returnWhileTyping), QStringLiteral("finish"));
        QVERIFY(!fixture().session().preferences.tabIndents);

        choose(pane.returnWhileTyping, QStringLiteral("finishAndAddNext"));
        QCOMPARE(stored(PreferenceKeys::returnWhileTyping), QStringLiteral("finishAndAddNext"));
        QCOMPARE(fixture().session().preferences.returnWhileTyping,
                 EditorPreferences::ReturnWhileTyping::finishAndAddNext);
        toggle(pane.returnEdits);
        QVERIFY(!fixture().session().preferences.returnEdits);
        toggle(pane.spelling);
        QCOMPARE(preferences.storedBool(PreferenceKeys::checkSpelling), std::optional(false));
    }

    void generalControlsStoreAndRearrangeTheWindows() {
        const GeneralSettingsController& pane =
            showPane(SettingsWindowController::Pane::general).general();
        choose(pane.startup, QStringLiteral("blank"));
        QCOMPARE(Preferences().storedBool(PreferenceKeys::quitAlwaysKeepsWindows),
                 std::optional(false));
        choose(pane.newDocumentView, QStringLiteral("map"));
        QCOMPARE(stored(PreferenceKeys::newDocumentView), QStringLiteral("map"));
        VelmoraDocument* second = fixture().controller().newDocument();
        QCOMPARE(second->session().snapshot.view, ViewMode::map);
        QCOMPARE(fixture().controller().windowOf(second),
                 fixture().controller().windowOf(&fixture().document()));

        choose(pane.documents, QStringLiteral("windows"));
        QCOMPARE(Preferences().storedBool(PreferenceKeys::documentsInTabs), std::optional(false));
        QVERIFY(fixture().controller().windowOf(second) !=
                fixture().controller().windowOf(&fixture().document()));
        choose(pane.documents, QStringLiteral("tabs"));
        QCOMPARE(fixture().controller().windowOf(second),
                 fixture().controller().windowOf(&fixture().document()));
    }

    void languageSwitchRelocalisesMenusAndTheWindow() {
        SettingsWindowController& window = showPane(SettingsWindowController::Pane::general);
        QMenuBar* bar = fixture().controller().windowOf(&fixture().document())->menuBar();
        QCOMPARE(bar->actions().at(1)->text(), QStringLiteral("File"));
        QSignalSpy posted(&Notifications::shared(), &Notifications::languageChanged);
        // Each step through the closed menu switches at once: English, Ukrainian, German.
        choose(window.general().language, QStringLiteral("de"));
        QCOMPARE(Preferences().appleLanguages(), QStringList{QStringLiteral("de")});
        QTRY_COMPARE(posted.count(), 3);
        QCOMPARE(bar->actions().at(1)->text(), QStringLiteral("Datei"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Einstellungen"));
        QCOMPARE(window.tabs()->tabText(1), QStringLiteral("Darstellung"));
        QCOMPARE(window.general().startup->currentText(),
                 localized(QStringLiteral("settings.startup.restore")));
        auto* note = window.findChild<QLabel*>(QStringLiteral("settings.relaunch.note"));
        QVERIFY(note && note->text().contains(QStringLiteral("Unbenannt")));
        // The menu shows the language it is in.
        QCOMPARE(window.general().language->currentData().toString(), QStringLiteral("de"));

        choose(window.general().language, QStringLiteral("system"));
        QTRY_COMPARE(posted.count(), 6);
        QVERIFY(!Preferences().contains(PreferenceKeys::appleLanguages));
        QCOMPARE(bar->actions().at(1)->text(), QStringLiteral("File"));
        QCOMPARE(window.tabs()->tabText(1), QStringLiteral("Appearance"));
    }

    // In every language each pane shows its texts whole: no control narrower than its text, no
    // wrapped note shorter than its lines.
    void everyPaneFitsInEveryLanguage() {
        SettingsWindowController& window = settings();
        QSignalSpy posted(&Notifications::shared(), &Notifications::languageChanged);
        for (AppLanguage language : AppLanguages::supported) {
            const qsizetype before = posted.count();
            Localization::changeLanguage(language);
            QTRY_COMPARE(posted.count(), before + 1);
            for (int pane = 0; pane < window.tabs()->count(); ++pane) {
                window.present(static_cast<SettingsWindowController::Pane>(pane));
                QTest::qWait(50);
                QWidget* shown = window.tabs()->currentWidget();
                const QString where = AppLanguages::rawValue(language) + QLatin1Char(' ') +
                                      window.tabs()->tabText(pane) + QStringLiteral(": ");
                const QStringList squeezed = test::squeezedTexts(shown);
                QVERIFY2(squeezed.isEmpty(), qPrintable(where + squeezed.join(QLatin1Char('|'))));
                for (QLabel* label : shown->findChildren<QLabel*>()) {
                    QVERIFY2(!label->wordWrap() ||
                                 label->height() >= label->heightForWidth(label->width()),
                             qPrintable(where + label->text()));
                }
                QVERIFY2(window.tabs()->tabBar()->sizeHint().width() <= window.width(),
                         qPrintable(where));
            }
        }
    }

    void libraryLocationChangeAsksAndFollowsTheAnswer() {
        LibraryStore& store = LibraryStore::shared();
        FilesSettingsController& pane = showPane(SettingsWindowController::Pane::files).files();
        test::ScriptedDialogs& dialogs = fixture().dialogs();
        const QString local = store.root();
        const QString elsewhere = QDir(QDir::homePath()).filePath(QStringLiteral("Elsewhere"));
        writeFile(QDir(local).filePath(QStringLiteral("Plans.quenlith")));
        writeFile(QDir(local).filePath(QStringLiteral("Trips/Rome.quenlith")));
        QCOMPARE(LibraryFolder::rawValue(store.location()), QStringLiteral("local"));

        // The folder panel cancelled: nothing stored, the menu back at the stored place.
        choose(pane.location, QStringLiteral("custom"));
        QCOMPARE(LibraryFolder::rawValue(store.location()), QStringLiteral("local"));
        QCOMPARE(pane.location->currentData().toString(), QStringLiteral("local"));
        QVERIFY(dialogs.askedToMoveLibrary.isEmpty());

        // Cancel: nothing changes.
        dialogs.folders.enqueue(elsewhere);
        dialogs.libraryMoveChoices.enqueue(Dialogs::LibraryMoveChoice::cancel);
        choose(pane.location, QStringLiteral("custom"));
        QCOMPARE(dialogs.askedToMoveLibrary, QStringList{elsewhere});
        QCOMPARE(store.root(), local);
        QCOMPARE(pane.location->currentData().toString(), QStringLiteral("local"));
        QVERIFY(QFile::exists(QDir(local).filePath(QStringLiteral("Plans.quenlith"))));

        // Move while a document of the library is open: refused, nothing stored.
        VelmoraDocument* open = fixture().controller().openDocument(
            QDir(local).filePath(QStringLiteral("Trips/Rome.quenlith")), true);
        QVERIFY(open);
        dialogs.folders.enqueue(elsewhere);
        dialogs.libraryMoveChoices.enqueue(Dialogs::LibraryMoveChoice::move);
        choose(pane.location, QStringLiteral("custom"));
        QCOMPARE(dialogs.alerts.size(), 1);
        QCOMPARE(dialogs.alerts.last().message, localized(QStringLiteral("library.closeFirst")));
        QCOMPARE(store.root(), local);
        QVERIFY(QFile::exists(QDir(local).filePath(QStringLiteral("Trips/Rome.quenlith"))));
        fixture().controller().closeDocument(open);

        // Move: the documents go along; a name already there stays and is listed.
        writeFile(QDir(elsewhere).filePath(QStringLiteral("Plans.quenlith")));
        Preferences().setStringList(PreferenceKeys::libraryPinned,
                                    {QDir(local).filePath(QStringLiteral("Trips/Rome.quenlith"))});
        dialogs.folders.enqueue(elsewhere);
        dialogs.libraryMoveChoices.enqueue(Dialogs::LibraryMoveChoice::move);
        choose(pane.location, QStringLiteral("custom"));
        QCOMPARE(store.root(), elsewhere);
        QCOMPARE(stored(PreferenceKeys::libraryCustomPath), elsewhere);
        QCOMPARE(pane.location->currentData().toString(), QStringLiteral("custom"));
        QCOMPARE(pane.path->text(), QStringLiteral("~/Elsewhere"));
        QVERIFY(QFile::exists(QDir(elsewhere).filePath(QStringLiteral("Trips/Rome.quenlith"))));
        QVERIFY(QFile::exists(QDir(local).filePath(QStringLiteral("Plans.quenlith"))));
        QCOMPARE(dialogs.alerts.size(), 2);
        QCOMPARE(dialogs.alerts.last().message,
                 localized(QStringLiteral("settings.files.move.skipped")));
        QCOMPARE(dialogs.alerts.last().informative,
                 localizedFormat(QStringLiteral("library.move.exists %@"),
                                 {QStringLiteral("Plans.quenlith")}));
        QCOMPARE(Preferences().libraryPinned(),
                 QStringList{QDir(elsewhere).filePath(QStringLiteral("Trips/Rome.quenlith"))});

        // Leave: the new place is stored, the documents stay.
        dialogs.libraryMoveChoices.enqueue(Dialogs::LibraryMoveChoice::leave);
        choose(pane.location, QStringLiteral("local"));
        QCOMPARE(store.root(), local);
        QCOMPARE(pane.path->text(), QStringLiteral("~/Documents/Ostrevo"));
        QVERIFY(QFile::exists(QDir(elsewhere).filePath(QStringLiteral("Trips/Rome.quenlith"))));
        QCOMPARE(dialogs.askedToMoveLibrary.size(), 4);

        // From a folder without documents the change needs no question.
        QVERIFY(QFile::remove(QDir(local).filePath(QStringLiteral("Plans.quenlith"))));
        dialogs.folders.enqueue(QDir(QDir::homePath()).filePath(QStringLiteral("Empty")));
        choose(pane.location, QStringLiteral("custom"));
        QCOMPARE(store.root(), QDir(QDir::homePath()).filePath(QStringLiteral("Empty")));
        QCOMPARE(dialogs.askedToMoveLibrary.size(), 4);
    }

    void homeIsWrittenAsTilde() {
        const QString home = QStringLiteral("/home/ana");
        QCOMPARE(FilesSettingsController::abbreviated(QStringLiteral("/home/ana/Documents/Ostrevo"), home),
                 QStringLiteral("~/Documents/Ostrevo"));
        QCOMPARE(FilesSettingsController::abbreviated(home, home), QStringLiteral("~"));
        QCOMPARE(FilesSettingsController::abbreviated(QStringLiteral("/home/anabel/x"), home),
                 QStringLiteral("/home/anabel/x"));
        QCOMPARE(FilesSettingsController::abbreviated(QStringLiteral("/srv/x"), QStringLiteral("/")),
                 QStringLiteral("/srv/x"));
    }
};

OSTREVO_APP_TEST_MAIN(SettingsTest)

#include "settings_test.moc"

// The interface language beyond the string tables: Qt's own texts, numbers, relative and short
// dates, plural forms, the Japanese face, and an open window following a change of language.
#include "app/document/velmora_document.hpp"
#include "app/platform/app_language.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/printing/print_info.hpp"
#include "app/printing/print_preview_window.hpp"
#include "app/shell/app_delegate.hpp"
#include "app/shell/application.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_tab.hpp"
#include "app/window/document_window.hpp"
#include "app/window/main_menu.hpp"
#include "core/commands/key_map.hpp"
#include "core/commands/key_names.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/support/scripted_dialogs.hpp"
#include "tests/app/support/squeezed_texts.hpp"

#include <QAction>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QPrinter>
#include <QLabel>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::AppLanguage)

namespace {

void useLanguage(AppLanguage language) {
    Preferences preferences;
    AppLanguages::apply(preferences, language);
    Localization::applyInterfaceLanguage();
}

QDateTime ago(qint64 seconds) {
    return QDateTime(QDate(2026, 12, 7), QTime(12, 0)).addSecs(-seconds);
}

// The text of a standard Cancel button as Qt makes it now.
QString cancelText() {
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
}

QString relative(qint64 seconds) {
    return Localization::relativeTime(ago(seconds), ago(0));
}

} // namespace

class LocalizationTest : public QObject {
    Q_OBJECT
public:
    explicit LocalizationTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        QSettings().clear();
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
    }

    void cleanup() {
        useLanguage(AppLanguage::en);
        m_delegate.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void qtsOwnTextsFollowTheInterfaceLanguage() {
        useLanguage(AppLanguage::de);
        QVERIFY(Localization::qtTranslationLoaded());
        QCOMPARE(cancelText(), QStringLiteral("Abbrechen"));
        useLanguage(AppLanguage::uk);
        QCOMPARE(cancelText(), QStringLiteral("Скасувати"));
        useLanguage(AppLanguage::ptBR);
        QVERIFY(Localization::qtTranslationLoaded());
        // English needs no translation and drops the one before.
        useLanguage(AppLanguage::en);
        QVERIFY(!Localization::qtTranslationLoaded());
        QCOMPARE(cancelText(), QStringLiteral("Cancel"));
    }

    void numbersAndDatesFollowTheInterfaceLanguage() {
        useLanguage(AppLanguage::de);
        QCOMPARE(QLocale().language(), QLocale::German);
        QCOMPARE(Localization::count(1234567), QStringLiteral("1.234.567"));
        QCOMPARE(localizedFormat(QStringLiteral("status.itemCount %lld"), {qint64(12345)}),
                 QStringLiteral("Einträge: 12.345"));
        // A text argument is never written as a number.
        QCOMPARE(Localization::format(QStringLiteral("%@/%lld"), {QStringLiteral("1234"), 1234}),
                 QStringLiteral("1234/1.234"));
        QCOMPARE(relative(30), QStringLiteral("vor 30 Sek."));
        QCOMPARE(relative(5 * 60), QStringLiteral("vor 5 Min."));
        QCOMPARE(relative(86400), QStringLiteral("vor 1 Tag"));
        QCOMPARE(relative(3 * 86400), QStringLiteral("vor 3 Tagen"));
        // An older file reads "Gespeichert am 29.11.26".
        QCOMPARE(relative(8 * 86400), QStringLiteral("am 29.11.26"));
        QCOMPARE(localizedFormat(QStringLiteral("status.savedWhen %@"), {relative(8 * 86400)}),
                 QStringLiteral("Gespeichert am 29.11.26"));
        QCOMPARE(Localization::shortDate(QDate(2026, 3, 4)), QStringLiteral("04.03.26"));

        useLanguage(AppLanguage::fr);
        QCOMPARE(localizedFormat(QStringLiteral("status.savedWhen %@"), {relative(8 * 86400)}),
                 QStringLiteral("Enregistré le 29/11/2026"));

        useLanguage(AppLanguage::ja);
        QCOMPARE(relative(2 * 3600), QStringLiteral("2時間前"));
        QCOMPARE(Localization::shortDate(QDate(2026, 3, 4)), QStringLiteral("2026/03/04"));

        useLanguage(AppLanguage::en);
        QCOMPARE(relative(86400), QStringLiteral("1 day ago"));
        QCOMPARE(relative(2 * 86400), QStringLiteral("2 days ago"));
        QCOMPARE(Localization::count(1234567), QStringLiteral("1,234,567"));
    }

    void chordsReadLikeTheMenus() {
        useLanguage(AppLanguage::de);
        QCOMPARE(Localization::withNativeChords(QStringLiteral("Shift+Tab, Meta+Ctrl+S")),
                 QStringLiteral("Umschalt+Tab, Meta+Strg+S"));
        QCOMPARE(Localization::nativeChord(QStringLiteral("Ctrl+Shift+P")),
                 QStringLiteral("Strg+Umschalt+P"));
        QCOMPARE(Localization::withNativeChords(QStringLiteral("Mit Ctrl+K (nicht C++) oder F2.")),
                 QStringLiteral("Mit Strg+K (nicht C++) oder F2."));
        QCOMPARE(Localization::nativeChord(QStringLiteral("Kein+Akkord")),
                 QStringLiteral("Kein+Akkord"));
        useLanguage(AppLanguage::en);
        QCOMPARE(Localization::withNativeChords(QStringLiteral("Press Ctrl+Shift+P.")),
                 QStringLiteral("Press Ctrl+Shift+P."));
        // In English every chord of the key map reads as the palette and the key caps write it.
        for (const KeyBinding& binding : KeyMap::bindings()) {
            const QString text = QString::fromStdString(KeyMap::text(binding.chord));
            QCOMPARE(Localization::nativeChord(text), Localization::chordText(binding.chord));
        }
    }

    // One table names the keys in each language: Qt's key sequences (which the menus show) read
    // as the table does, and a menu, the palette, the key caps and the help write each chord in
    // the same words.
    void keysHaveOneNameInEveryLanguage() {
        const std::pair<NamedKey, int> qtKeys[] = {
            {NamedKey::enter, Qt::Key_Return},     {NamedKey::enter, Qt::Key_Enter},
            {NamedKey::escape, Qt::Key_Escape},    {NamedKey::tab, Qt::Key_Tab},
            {NamedKey::space, Qt::Key_Space},      {NamedKey::backspace, Qt::Key_Backspace},
            {NamedKey::del, Qt::Key_Delete},       {NamedKey::insert, Qt::Key_Insert},
            {NamedKey::home, Qt::Key_Home},        {NamedKey::end, Qt::Key_End},
            {NamedKey::pageUp, Qt::Key_PageUp},    {NamedKey::pageDown, Qt::Key_PageDown},
            {NamedKey::left, Qt::Key_Left},        {NamedKey::right, Qt::Key_Right},
            {NamedKey::up, Qt::Key_Up},            {NamedKey::down, Qt::Key_Down},
        };
        m_dialogs = std::make_unique<test::ScriptedDialogs>();
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, m_data.path());
        VelmoraDocument* document = m_delegate->controller().newDocument();
        QMenuBar* bar = m_delegate->controller().windowOf(document)->menuBar();
        for (AppLanguage language : AppLanguages::supported) {
            useLanguage(language);
            const std::string code = AppLanguages::rawValue(language).toStdString();
            const auto name = [&](NamedKey key) {
                return QString::fromStdString(std::string(KeyNames::name(key, code)));
            };
            for (const auto& [key, qtKey] : qtKeys) {
                QCOMPARE(QKeySequence(qtKey).toString(QKeySequence::NativeText), name(key));
                QCOMPARE(Localization::keyName(key), name(key));
            }
            QCOMPARE(QKeySequence(Qt::META | Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_K)
                         .toString(QKeySequence::NativeText),
                     name(NamedKey::meta) + QLatin1Char('+') + name(NamedKey::ctrl) +
                         QLatin1Char('+') + name(NamedKey::alt) + QLatin1Char('+') +
                         name(NamedKey::shift) + QStringLiteral("+K"));
            int shown = 0;
            for (Action action : allActions()) {
                QAction* item = MainMenu::actionItem(bar, action);
                const auto chord = KeyMap::primaryChord(action, {});
                if (!item || !chord || item->shortcut().isEmpty()) {
                    continue;
                }
                const QString text = Localization::chordText(*chord);
                QCOMPARE(item->shortcut().toString(QKeySequence::NativeText), text);
                // The help writes chords of letters, digits and named keys in its text.
                const QString written = QString::fromStdString(KeyMap::text(*chord));
                if (written.contains(QLatin1Char('+')) && written.back().isLetterOrNumber()) {
                    QCOMPARE(Localization::withNativeChords(written), text);
                }
                ++shown;
            }
            QVERIFY(shown > 40);
        }
        // Qt's own catalogues write "Backspae" in Japanese and "Return" beside "Enter".
        useLanguage(AppLanguage::ja);
        QCOMPARE(QKeySequence(Qt::Key_Backspace).toString(QKeySequence::NativeText),
                 QStringLiteral("Backspace"));
        useLanguage(AppLanguage::fr);
        QCOMPARE(QKeySequence(Qt::CTRL | Qt::Key_Return).toString(QKeySequence::NativeText),
                 QStringLiteral("Ctrl+Entr\u00E9e"));
        useLanguage(AppLanguage::de);
        QCOMPARE(Localization::withNativeChords(QStringLiteral("Mit Ctrl+Return oder Del.")),
                 QStringLiteral("Mit Strg+Eingabe oder Del."));
    }

    void countsTakeTheFormOfTheirLanguage_data() {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<qint64>("days");
        QTest::addColumn<QString>("text");
        QTest::newRow("pl one") << AppLanguage::pl << qint64(1) << QStringLiteral("1 dzień temu");
        QTest::newRow("pl few") << AppLanguage::pl << qint64(2) << QStringLiteral("2 dni temu");
        QTest::newRow("pl many") << AppLanguage::pl << qint64(5) << QStringLiteral("5 dni temu");
        QTest::newRow("uk one") << AppLanguage::uk << qint64(1) << QStringLiteral("1 день тому");
        QTest::newRow("uk few") << AppLanguage::uk << qint64(3) << QStringLiteral("3 дні тому");
        QTest::newRow("uk many") << AppLanguage::uk << qint64(6) << QStringLiteral("6 днів тому");
        QTest::newRow("fr one") << AppLanguage::fr << qint64(1) << QStringLiteral("il y a 1 jour");
        QTest::newRow("fr other") << AppLanguage::fr << qint64(4)
                                  << QStringLiteral("il y a 4 jours");
    }

    void countsTakeTheFormOfTheirLanguage() {
        QFETCH(AppLanguage, language);
        QFETCH(qint64, days);
        QFETCH(QString, text);
        useLanguage(language);
        QCOMPARE(relative(days * 86400), text);
    }

    void pluralFormsChooseByTheCountAmongTheArguments() {
        useLanguage(AppLanguage::pl);
        QCOMPARE(localizedFormat(QStringLiteral("backup.error.multipleDocuments %lld"), {22}),
                 QStringLiteral("Plik zawiera 22 dokumenty, a plik dokumentu może zawierać "
                                "tylko jeden."));
        QVERIFY(localizedFormat(QStringLiteral("backup.error.multipleDocuments %lld"), {25})
                    .startsWith(QStringLiteral("Plik zawiera 25 dokumentów,")));
        useLanguage(AppLanguage::uk);
        QVERIFY(localizedFormat(QStringLiteral("backup.error.multipleDocuments %lld"), {21})
                    .startsWith(QStringLiteral("Файл містить 21 документ,")));
    }

    void japaneseTextGetsAJapaneseFace() {
        const QStringList before = QApplication::font().families();
        useLanguage(AppLanguage::ja);
        QVERIFY(QApplication::font().families().contains(QStringLiteral("Noto Sans CJK JP")));
        // Latin text keeps the desktop's face, which stays first.
        QCOMPARE(QApplication::font().families().first(),
                 before.isEmpty() ? QApplication::font().family() : before.first());
        useLanguage(AppLanguage::de);
        QVERIFY(!QApplication::font().families().contains(QStringLiteral("Noto Sans CJK JP")));
    }

    void anOpenWindowFollowsAChangeOfLanguage() {
        m_dialogs = std::make_unique<test::ScriptedDialogs>();
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, m_data.path());
        VelmoraDocument* document = m_delegate->controller().newDocument();
        DocumentWindow* window = m_delegate->controller().windowOf(document);
        auto* view = qobject_cast<DocumentTab*>(
            m_delegate->controller().viewOf(document)->widget());
        QVERIFY(window && view);
        MainMenu::actionItem(window->menuBar(), Action::addBelow)->trigger();

        Localization::changeLanguage(AppLanguage::de);
        QTRY_COMPARE(window->menuBar()->actions().at(1)->text(), QStringLiteral("Datei"));
        QVERIFY(view->statusText().startsWith(QStringLiteral("Einträge: 2")));
        QCOMPARE(QLocale().language(), QLocale::German);
        QCOMPARE(document->session().archiveTitle, std::string("Archiv"));
        window->updateMenuStates();
        QCOMPARE(MainMenu::standardItem(window->menuBar(), StandardItem::undo)->text(),
                 QStringLiteral("Rückgängig: Eintrag hinzufügen"));

        Localization::changeLanguage(AppLanguage::ja);
        QTRY_COMPARE(window->menuBar()->actions().at(1)->text(), QStringLiteral("ファイル"));
        QCOMPARE(document->session().archiveTitle, std::string("アーカイブ"));
        QVERIFY(view->statusText().startsWith(QStringLiteral("項目数: 2")));
    }

    // At the window's smallest size, in every language, no button or one-line label is squeezed
    // below the room its text needs and every menu title fits in the menu bar.
    void everyTextFitsTheSmallestWindow() {
        m_dialogs = std::make_unique<test::ScriptedDialogs>();
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, m_data.path());
        VelmoraDocument* document = m_delegate->controller().newDocument();
        DocumentWindow* window = m_delegate->controller().windowOf(document);
        QWidget* top = window->window();
        top->show();
        QSignalSpy posted(&Notifications::shared(), &Notifications::languageChanged);
        for (AppLanguage language : AppLanguages::supported) {
            const qsizetype before = posted.count();
            Localization::changeLanguage(language);
            QTRY_COMPARE(posted.count(), before + 1);
            QCoreApplication::processEvents();
            top->resize(top->minimumSize());
            QCoreApplication::processEvents();
            const QString code = AppLanguages::rawValue(language);
            QVERIFY2(test::squeezedTexts(top).isEmpty(), qPrintable(code));
            QMenuBar* bar = window->menuBar();
            for (QAction* menu : bar->actions()) {
                const QRect place = bar->actionGeometry(menu);
                QVERIFY2(!place.isEmpty() && place.right() < bar->width(),
                         qPrintable(code + QStringLiteral(": ") + menu->text()));
            }
        }
    }

    // The print preview's side is as wide as its longest option in every language.
    void printOptionsFitThePreviewInEveryLanguage() {
        for (AppLanguage language : AppLanguages::supported) {
            useLanguage(language);
            PrintInfo info = PrintInfo::standard();
            QPrinter printer;
            PrintPreviewWindow window(printer, info, true, [](QPrinter&) {});
            window.show();
            QCoreApplication::processEvents();
            const QStringList squeezed = test::squeezedTexts(&window);
            QVERIFY2(squeezed.isEmpty(), qPrintable(AppLanguages::rawValue(language) +
                                                    QStringLiteral(": ") +
                                                    squeezed.join(QStringLiteral(", "))));
        }
    }

private:
    QString m_home;
    QTemporaryDir m_data;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
    std::unique_ptr<AppDelegate> m_delegate;
};

OSTREVO_APP_TEST_MAIN(LocalizationTest)

#include "localization_test.moc"

// Spell checking in the text fields, on the small English word list of tests/data/spelling:
// the underlined ranges, the background check of a long note, the preference, the context
// menu's corrections, "Add to Dictionary" and "Ignore", and the choice of dictionary.
#include "app/panels/properties_controller.hpp"
#include "app/platform/app_language.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/personal_word_list.hpp"
#include "app/platform/preferences.hpp"
#include "app/platform/spell_service.hpp"
#include "app/shell/application.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/spell_highlighter.hpp"
#include "core/spelling/spell_checker.hpp"
#include "tests/app/support/isolated_home.hpp"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

using namespace velmora;

namespace {

using Ranges = QList<QPair<int, int>>;

// The underlined ranges of the document as (position, length), in document order.
Ranges underlined(const QTextDocument* document) {
    Ranges ranges;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline) {
                ranges.append({block.position() + range.start, range.length});
            }
        }
    }
    return ranges;
}

QStringList entries(const QMenu& menu) {
    QStringList names;
    for (const QAction* action : menu.actions()) {
        names.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return names;
}

QAction* entry(const QMenu& menu, const QString& objectName) {
    for (QAction* action : menu.actions()) {
        if (action->objectName() == objectName) {
            return action;
        }
    }
    return nullptr;
}

// Shows the field, right-clicks it at the document position and returns the menu that opened.
template <class Field> QMenu* rightClickAt(Field& field, int position) {
    field.resize(300, 80);
    field.show();
    if (!QTest::qWaitForWindowExposed(&field)) {
        return nullptr;
    }
    QTextCursor cursor(field.document());
    cursor.setPosition(position);
    const QPoint at = field.cursorRect(cursor).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, field.viewport()->mapToGlobal(at));
    QApplication::sendEvent(field.viewport(), &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

void setChecking(bool on) {
    Preferences().setBool(PreferenceKeys::checkSpelling, on);
    Notifications::shared().post(Notifications::preferences);
}

} // namespace

class SpellingTest : public QObject {
    Q_OBJECT
public:
    explicit SpellingTest(QString home) : m_home(std::move(home)) {}

private slots:
    void initTestCase() {
        SpellService::shared().setFolders({QStringLiteral(OSTREVO_TEST_DATA "/spelling")});
        QTRY_VERIFY(SpellService::shared().checker());
        QCOMPARE(SpellService::shared().choice().name, std::string("en_US"));
    }
    void cleanup() { setChecking(true); }

    void misspelledWordsAreUnderlinedAndTheRestIsNot() {
        ItemTextEditor editor;
        editor.load(QStringLiteral(
            "The quik brown fox jumpz\nover https://exmaple.org `codde` 2nd lazzy dogs"));
        QTRY_VERIFY(!editor.spelling()->isWaiting());
        // quik, jumpz on the first line; lazzy on the second (the URL, code and digits not).
        QCOMPARE(underlined(editor.document()), (Ranges{{4, 4}, {19, 5}, {62, 5}}));
    }

    void aWordIsMarkedOnceTheCaretLeavesIt() {
        ItemTextEditor editor;
        editor.show();
        QApplication::setActiveWindow(&editor);
        editor.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QVERIFY(editor.hasFocus());
        // The word being typed is not marked yet; leaving it marks it on the spot.
        QTest::keyClicks(&editor, QStringLiteral("an aple"));
        QVERIFY(underlined(editor.document()).isEmpty());
        QTest::keyClick(&editor, Qt::Key_Home);
        QCOMPARE(underlined(editor.document()), (Ranges{{3, 4}}));
        QTest::keyClick(&editor, Qt::Key_End);
        QTest::keyClick(&editor, Qt::Key_Left);
        QTest::keyClick(&editor, Qt::Key_Left);
        QCOMPARE(underlined(editor.document()), (Ranges{{3, 4}}));
        QTest::keyClicks(&editor, QStringLiteral("p"));
        QCOMPARE(editor.toPlainText(), QStringLiteral("an apple"));
        QVERIFY(underlined(editor.document()).isEmpty());
        QTest::keyClick(&editor, Qt::Key_End);
        QTest::keyClicks(&editor, QStringLiteral("z"));
        QVERIFY(underlined(editor.document()).isEmpty());
        QTest::keyClicks(&editor, QStringLiteral(" "));
        QCOMPARE(underlined(editor.document()), (Ranges{{3, 6}}));
        QTest::keyClick(&editor, Qt::Key_Backspace);
        QTest::keyClick(&editor, Qt::Key_Backspace);
        QVERIFY(underlined(editor.document()).isEmpty());
        QTest::keyClicks(&editor, QStringLiteral("x"));
        QVERIFY(underlined(editor.document()).isEmpty());
        editor.clearFocus();
        QCOMPARE(underlined(editor.document()), (Ranges{{3, 6}}));
    }

    void aLongNoteIsCheckedInTheBackground() {
        QTextEdit note;
        SpellHighlighter* spelling = SpellHighlighter::attach(&note);
        QString text;
        for (int i = 0; text.size() < 3000; ++i) {
            text += QStringLiteral("the fox%1 wordzz%2 apple ")
                        .arg(QChar(u'a' + i % 26))
                        .arg(QChar(u'a' + i / 26 % 26));
        }
        note.setPlainText(text);
        // Nothing was looked up on the event loop: the new words wait for the worker.
        QVERIFY(spelling->isWaiting());
        QTRY_VERIFY(!spelling->isWaiting());
        const Ranges ranges = underlined(note.document());
        QVERIFY(ranges.size() > 100);
        QCOMPARE(ranges.first(), (QPair<int, int>{4, 4})); // "foxa"
        QCOMPARE(note.toPlainText().mid(ranges.at(1).first, ranges.at(1).second),
                 QStringLiteral("wordzza"));
    }

    void thePreferenceAppliesAtOnceToOpenFields() {
        ItemTextEditor editor;
        PropertiesController properties;
        editor.load(QStringLiteral("a quik note"));
        properties.noteView()->setPlainText(QStringLiteral("lazzy dog"));
        QTRY_VERIFY(!editor.spelling()->isWaiting() && !properties.noteSpelling()->isWaiting());
        QCOMPARE(underlined(editor.document()), (Ranges{{2, 4}}));
        QCOMPARE(underlined(properties.noteView()->document()), (Ranges{{0, 5}}));
        setChecking(false);
        QVERIFY(underlined(editor.document()).isEmpty());
        QVERIFY(underlined(properties.noteView()->document()).isEmpty());
        // Nothing is marked in text pasted while checking is off.
        editor.insertPlainText(QStringLiteral(" moar wordz"));
        QVERIFY(underlined(editor.document()).isEmpty());
        QVERIFY(!editor.spelling()->misspellingAt(3));
        setChecking(true);
        QCOMPARE(underlined(editor.document()), (Ranges{{2, 4}, {12, 4}, {17, 5}}));
    }

    void theMenuOffersCorrectionsThatReplaceTheWord() {
        ItemTextEditor editor;
        editor.load(QStringLiteral("one foto here"));
        QMenu menu;
        menu.addAction(QStringLiteral("Copy"));
        editor.spelling()->addMenuEntries(&menu, 6);
        const QStringList names = entries(menu);
        QCOMPARE(names.first(), QStringLiteral("photo"));
        QVERIFY(names.size() <= 5 + 5);
        QCOMPARE(
            names.mid(names.indexOf(QStringLiteral("-"))),
            (QStringList{QStringLiteral("-"), QStringLiteral("Add to Dictionary"),
                         QStringLiteral("Ignore"), QStringLiteral("-"), QStringLiteral("Copy")}));
        menu.actions().first()->trigger();
        QCOMPARE(editor.toPlainText(), QStringLiteral("one photo here"));
        QVERIFY(underlined(editor.document()).isEmpty());

        // A correctly spelled word, or none, adds nothing.
        QMenu plain;
        editor.spelling()->addMenuEntries(&plain, 5);
        editor.spelling()->addMenuEntries(&plain, 3);
        QVERIFY(plain.actions().isEmpty());
        // A word without corrections says so.
        editor.load(QStringLiteral("qqqqqqqqq"));
        editor.spelling()->addMenuEntries(&plain, 2);
        QVERIFY(!entry(plain, QStringLiteral("spellingNoSuggestions"))->isEnabled());
    }

    void addedWordsAreKeptAndIgnoredOnesOnlyForTheSession() {
        ItemTextEditor editor;
        PropertiesController properties;
        editor.load(QStringLiteral("Ostrevo zorp"));
        properties.titleField()->setPlainText(QStringLiteral("ostrevo and zorp"));
        QTRY_VERIFY(!editor.spelling()->isWaiting() && !properties.titleSpelling()->isWaiting());
        QCOMPARE(underlined(editor.document()), (Ranges{{0, 7}, {8, 4}}));

        QMenu menu;
        properties.titleSpelling()->addMenuEntries(&menu, 1);
        entry(menu, QStringLiteral("spellingAddToDictionary"))->trigger();
        // Every open field marks again; the capitalised form counts as the same word.
        QCOMPARE(underlined(editor.document()), (Ranges{{8, 4}}));
        QCOMPARE(underlined(properties.titleField()->document()), (Ranges{{12, 4}}));
        QFile stored(SpellService::personalWordsPath());
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), QByteArray("ostrevo\n"));
        stored.close();

        QMenu other;
        editor.spelling()->addMenuEntries(&other, 9);
        entry(other, QStringLiteral("spellingIgnore"))->trigger();
        QVERIFY(underlined(editor.document()).isEmpty());
        QVERIFY(underlined(properties.titleField()->document()).isEmpty());
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), QByteArray("ostrevo\n"));
    }

    void theFieldsContextMenuCarriesTheEntries() {
        QPlainTextEdit field;
        SpellHighlighter::attach(&field);
        field.setPlainText(QStringLiteral("brown dgo"));
        QMenu* menu = rightClickAt(field, 7);
        QVERIFY(menu);
        QVERIFY(entry(*menu, QStringLiteral("spellingAddToDictionary")));
        QVERIFY(entries(*menu).contains(QStringLiteral("dog")));
        // The field's own entries follow.
        QVERIFY(entry(*menu, QStringLiteral("edit-copy")));
        menu->close();

        // The item editor's own menu, whose undo belongs to the window, carries them too.
        ItemTextEditor editor;
        editor.load(QStringLiteral("brown dgo"));
        menu = rightClickAt(editor, 7);
        QVERIFY(menu);
        QVERIFY(entries(*menu).contains(QStringLiteral("dog")));
        QVERIFY(entry(*menu, QStringLiteral("spellingIgnore")));
        QVERIFY(entry(*menu, QStringLiteral("edit-undo")));
        menu->close();
    }

    void aBrokenWordListIsNeverOverwritten() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("words.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("fine\ntwo words\n");
        file.close();
        PersonalWordList list(path);
        QVERIFY(!list.load());
        QVERIFY(!list.add("extra"));
        QCOMPARE(list.words(), (std::vector<std::string>{"extra"}));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("fine\ntwo words\n"));
        file.close();

        PersonalWordList fresh(folder.filePath(QStringLiteral("new/words.txt")));
        QVERIFY(fresh.load());
        QVERIFY(fresh.add("zeta"));
        QVERIFY(fresh.add("alpha"));
        PersonalWordList again(fresh.path());
        QVERIFY(again.load());
        QCOMPARE(again.words(), (std::vector<std::string>{"alpha", "zeta"}));
    }

    void aLanguageWithoutDictionaryFallsBackToEnglishAndSaysSo() {
        QVERIFY(SpellService::shared().settingsNote().isEmpty());
        Preferences preferences;
        AppLanguages::apply(preferences, AppLanguage::ja);
        Localization::languageChanged();
        Notifications::shared().post(Notifications::language);
        const DictionaryChoice choice = SpellService::shared().choice();
        QCOMPARE(choice.name, std::string("en_US"));
        QCOMPARE(choice.source, DictionaryChoice::Source::english);
        QCOMPARE(SpellService::shared().settingsNote(),
                 localized(std::string_view("settings.spelling.english")));
        QVERIFY(SpellService::shared().settingsNote().contains(QStringLiteral("英語")));
        AppLanguages::apply(preferences, AppLanguage::system);
        Localization::languageChanged();
        Notifications::shared().post(Notifications::language);
        QCOMPARE(SpellService::noteFor({"", DictionaryChoice::Source::none}),
                 localized(std::string_view("settings.spelling.none")));
        QVERIFY(SpellService::shared().checker());
    }

private:
    QString m_home;
};

OSTREVO_APP_TEST_MAIN(SpellingTest)
#include "spelling_test.moc"

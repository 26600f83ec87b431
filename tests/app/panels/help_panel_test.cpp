// The help panel in the inspector of a real document window: topics, the complete list, search
// (also by the Linux key names), key caps that run their command, and the English help text
// checked against the key map.
#include "app/panels/help_panel.hpp"
#include "app/panels/inspector_controller.hpp"
#include "app/panels/keycap_button.hpp"
#include "app/platform/app_language.hpp"
#include "app/platform/localization.hpp"
#include "app/shell/application.hpp"
#include "core/commands/help_catalog.hpp"
#include "core/commands/key_map.hpp"
#include "core/commands/resources.hpp"
#include "tests/app/panels/panels_fixture.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QUndoStack>

#include <set>

using namespace velmora;
using test::WindowFixture;

namespace {

KeycapButton* keycapOf(const HelpPanelController& help, Action action) {
    for (KeycapButton* keycap : help.keycaps()) {
        if (keycap->command() == action) {
            return keycap;
        }
    }
    return nullptr;
}

// Every chord as the key map writes it, under every combination of the editing preferences,
// plus the Tab of the tree and map views.
std::set<QString> boundChords() {
    std::set<QString> chords;
    for (bool tabIndents : {true, false}) {
        for (bool returnEdits : {true, false}) {
            for (auto typing : kAllReturnWhileTyping) {
                EditorPreferences preferences{typing, tabIndents, returnEdits};
                for (const KeyBinding& row : KeyMap::bindings(preferences)) {
                    chords.insert(QString::fromStdString(KeyMap::text(row.chord)));
                }
            }
        }
    }
    return chords;
}

} // namespace

class HelpPanelTest : public QObject {
    Q_OBJECT
public:
    explicit HelpPanelTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        m_app = test::groceriesWindow("b");
        m_app->window().perform(Action::showHelp);
        m_beeps = 0;
        help().beep = [this] { ++m_beeps; };
    }
    void cleanup() { m_app.reset(); }

    void topicsChooseTheirSections() {
        const QStringList all = help().shownTexts();
        QVERIFY(all.contains(QStringLiteral("Getting Started")));
        QVERIFY(all.contains(QStringLiteral("Documents, Backups and OPML")));
        QVERIFY(!all.contains(QStringLiteral("All Commands")));
        QVERIFY(help().showAllButton());
        const auto document = HelpCatalog::parse(*Resources::text("help/en/help.md"));
        QCOMPARE(help().showAllButton()->text(),
                 localizedFormat(
                     QStringLiteral("help.all %lld"),
                     {static_cast<long long>(document.section("all-keys")->keyRows().size())}));

        topicButton(HelpTopic::editing)->click();
        QCOMPARE(help().topic(), HelpTopic::editing);
        QVERIFY(topicButton(HelpTopic::editing)->isChecked());
        const QStringList editing = help().shownTexts();
        QVERIFY(editing.contains(QStringLiteral("Typing and Editing Items")));
        QVERIFY(editing.contains(QStringLiteral("Notes")));
        QVERIFY(!editing.contains(QStringLiteral("Getting Started")));
        // The same topic again shows every topic.
        topicButton(HelpTopic::editing)->click();
        QCOMPARE(help().topic(), std::nullopt);
        QCOMPARE(help().shownTexts(), all);

        help().showAllButton()->click();
        QVERIFY(help().showsAll());
        QCOMPARE(help().shownTexts().front(), QStringLiteral("All Commands"));
        QCOMPARE(help().keycaps().size(), document.section("all-keys")->keyRows().size());
        // Typing leaves the complete list.
        QTest::keyClicks(help().searchField(), QStringLiteral("x"));
        QVERIFY(!help().showsAll());
    }

    void searchFindsHitsAndLeavesTheTopic() {
        topicButton(HelpTopic::labels)->click();
        QTest::keyClicks(help().searchField(), QStringLiteral("hoist"));
        QCOMPARE(help().topic(), std::nullopt);
        // The hits are shown, each at the height of its lines.
        QWidget* content = help().findChild<QWidget*>(QStringLiteral("helpContent"));
        QVERIFY(content->height() >= keycapOf(help(), Action::showFamily)->height());
        QVERIFY(keycapOf(help(), Action::showFamily)->isVisible());
        // A first-time user's word finds the command, whose key cap runs it.
        KeycapButton* hoist = keycapOf(help(), Action::showFamily);
        QVERIFY(hoist);
        hoist->click();
        QCOMPARE(m_app->session().snapshot.hoistTabs.size(), 1u);
        // The shortcut's Linux names find the command.
        help().searchField()->setText(QStringLiteral("ctrl z"));
        QVERIFY(keycapOf(help(), Action::undo));
        QVERIFY(!keycapOf(help(), Action::duplicate));
        help().searchField()->setText(QStringLiteral("qqqqq"));
        QCOMPARE(help().shownTexts(), QStringList{localized(QStringLiteral("help.empty"))});
        QVERIFY(help().keycaps().empty());
        // Choosing a topic clears the search.
        topicButton(HelpTopic::files)->click();
        QVERIFY(help().searchField()->text().isEmpty());
    }

    void keycapsRunTheirCommandOrBeep() {
        KeycapButton* duplicate = keycapOf(help(), Action::duplicate);
        QVERIFY(duplicate);
        QVERIFY(duplicate->isAvailable());
        duplicate->click();
        QCOMPARE(m_app->session().snapshot.document.items.size(), 4u);

        m_app->load(test::groceries(std::nullopt));
        KeycapButton* remove = keycapOf(help(), Action::deleteItem);
        QVERIFY(!remove->isAvailable());
        remove->click();
        QCOMPARE(m_beeps, 1);
        QCOMPARE(m_app->session().snapshot.document.items.size(), 3u);
        QCOMPARE(remove->focusPolicy(), Qt::NoFocus);
    }

    void keycapsShowTheChordsOfTheKeyMap() {
        help().showAll();
        const EditorPreferences preferences = m_app->session().preferences;
        for (KeycapButton* keycap : help().keycaps()) {
            const auto chord = KeyMap::primaryChord(keycap->command(), preferences);
            // As the menus and the palette write it, in the interface language's key names.
            QCOMPARE(keycap->text(),
                     chord ? Localization::chordText(*chord) : QStringLiteral("\u2014"));
            QCOMPARE(keycap->objectName(),
                     QStringLiteral("help.key.") + QString::fromUtf8(rawValue(keycap->command())));
        }
        QCOMPARE(keycapOf(help(), Action::archiveCompleted)->text(), QStringLiteral("\u2014"));
        QCOMPARE(keycapOf(help(), Action::commandPalette)->text(), QStringLiteral("Ctrl+Shift+P"));
        // A preference that moves a chord shows at the next reload.
        Preferences().setBool(PreferenceKeys::tabIndents, false);
        m_app->window().preferencesChanged();
        help().reload();
        QCOMPARE(keycapOf(help(), Action::focusNext)->text(), QStringLiteral("Tab"));
    }

    void labelLinesHaveTheirSwatch() {
        topicButton(HelpTopic::labels)->click();
        auto swatchBefore = [&](Action action) -> QWidget* {
            QWidget* row = keycapOf(help(), action)->parentWidget();
            return row->findChild<QWidget*>(QStringLiteral("helpSwatch"));
        };
        QVERIFY(swatchBefore(Action::label3));
        QCOMPARE(swatchBefore(Action::label3)->grab().toImage().pixelColor(4, 4),
                 QColor(255, 204, 0));
        QVERIFY(!swatchBefore(Action::label0));
        QVERIFY(!swatchBefore(Action::toggleCheck));
    }

    void aHelpTextWithoutSomeSectionsStillShowsTheOthers() {
        help().helpSource = [] {
            return HelpCatalog::parse("## [keys-list] Start\nHello.\n"
                                      "## [labels] Colours\n- {{key:label-1}} Red\n");
        };
        help().reload();
        QCOMPARE(help().shownTexts(),
                 (QStringList{QStringLiteral("Start"), QStringLiteral("Hello."),
                              QStringLiteral("Colours"), QStringLiteral("Red")}));
        // Without an "all-keys" section the complete list counts the 67 commands.
        QCOMPARE(help().showAllButton()->text(),
                 localizedFormat(QStringLiteral("help.all %lld"), {67LL}));
        help().helpSource = [] { return HelpDocument{}; };
        help().reload();
        QVERIFY(help().shownTexts().isEmpty());
        QVERIFY(help().showAllButton());
    }

    void windowCommandsOpenTheHelp() {
        m_app->window().perform(Action::toggleHelp);
        QVERIFY(!m_app->window().inspectorVisible());
        QVERIFY(!Preferences().helpVisible());
        m_app->list().setFocus();
        WindowFixture::key(Qt::Key_Slash, Qt::ShiftModifier); // Shift+/ in the outline
        QVERIFY(m_app->window().inspectorVisible());
        QCOMPARE(m_app->window().inspector().segment(), InspectorController::Segment::help);
        QVERIFY(Preferences().helpVisible());
        m_app->window().perform(Action::showProperties);
        m_app->list().setFocus();
        WindowFixture::key(Qt::Key_Slash, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_app->window().inspector().segment(), InspectorController::Segment::help);
        QCOMPARE(WindowFixture::focus(), help().searchField());
    }

    // The key caps show the interface language's names of the keys, and what they show finds
    // them in the search.
    void keycapsAreFoundAsTheyRead() {
        Localization::changeLanguage(AppLanguage::de);
        const auto reads = [this](Action action, const QString& text) {
            KeycapButton* keycap = keycapOf(help(), action);
            return keycap != nullptr && keycap->text() == text;
        };
        QTRY_VERIFY(reads(Action::addBelow, QStringLiteral("Strg+Eingabe")));
        help().searchField()->setText(QStringLiteral("strg+umschalt+p"));
        QVERIFY(keycapOf(help(), Action::commandPalette));
        QCOMPARE(keycapOf(help(), Action::commandPalette)->text(),
                 QStringLiteral("Strg+Umschalt+P"));
        QVERIFY(!keycapOf(help(), Action::addBelow));
        help().searchField()->clear();
        Localization::changeLanguage(AppLanguage::en);
        QTRY_VERIFY(reads(Action::addBelow, QStringLiteral("Ctrl+Enter")));
    }

    // Every window has a help panel and most never show it: a hidden one builds nothing, and
    // shows what changed meanwhile (the language here) once it is opened.
    void aHiddenPanelIsBuiltWhenOpenedWithWhatChangedMeanwhile() {
        const QStringList english = help().shownTexts();
        m_app->window().perform(Action::toggleHelp);
        QVERIFY(!help().isVisible());
        Localization::changeLanguage(AppLanguage::de);
        QTest::qWait(50);
        m_app->window().perform(Action::toggleHelp);
        QVERIFY(help().isVisible());
        QCOMPARE(help().searchField()->placeholderText(),
                 localized(std::string_view("help.search")));
        QVERIFY(help().shownTexts() != english);
        Localization::changeLanguage(AppLanguage::en);
        QTRY_COMPARE(help().shownTexts(), english);
    }

    // The chords the English help names in its text are the ones the key map binds.
    void theHelpTextNamesOnlyBoundChords() {
        const QString text = QString::fromUtf8(*Resources::text("help/en/help.md"));
        const auto chords = boundChords();
        std::set<QString> desktop = {QStringLiteral("Shift+Up"), QStringLiteral("Shift+Down")};
        for (auto key : {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste,
                         QKeySequence::SelectAll}) {
            desktop.insert(QKeySequence(key).toString(QKeySequence::PortableText));
        }
        static const QRegularExpression chord(QStringLiteral(
            "\\b((?:(?:Meta|Ctrl|Alt|Shift)\\+)+(?:Return|Esc|Tab|Space|Backspace|Del|Left|"
            "Right|Up|Down|F\\d+|[A-Z0-9]\\b|[\\[\\]'./"
            ",])|Return|Esc|Tab|Space|Backspace|Del|F2)"));
        int found = 0;
        for (auto match = chord.globalMatch(text); match.hasNext();) {
            const QString named = match.next().captured(1);
            ++found;
            QVERIFY2(chords.count(named) || desktop.count(named), qPrintable(named));
        }
        QVERIFY(found > 20);
        // Alone, the key is called Enter, as the key caps call it (chords keep their stored form,
        // "Ctrl+Return", which the panel shows as the key caps do), and no Mac glyphs.
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral("(?<![+\\w])Return\\b"))));
        for (const QString& glyph : {QStringLiteral("\u2318"), QStringLiteral("\u2325"),
                                     QStringLiteral("\u2303"), QStringLiteral("\u21A9")}) {
            QVERIFY(!text.contains(glyph));
        }
    }

private:
    HelpPanelController& help() { return m_app->window().inspector().help(); }
    QPushButton* topicButton(HelpTopic topic) {
        for (const auto& [shown, button] : help().topicButtons()) {
            if (shown == topic) {
                return button;
            }
        }
        return nullptr;
    }

    QString m_home;
    std::unique_ptr<WindowFixture> m_app;
    int m_beeps = 0;
};

OSTREVO_APP_TEST_MAIN(HelpPanelTest)
#include "help_panel_test.moc"

// The command palette driven through a real document window: opening, typing, the arrows,
// Return, Esc, clicks, focus loss, commands that cannot run and the recent list.
#include "app/panels/command_palette.hpp"
#include "app/platform/app_language.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/application.hpp"
#include "core/commands/command_registry.hpp"
#include "tests/app/panels/panels_fixture.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QUndoStack>

using namespace velmora;
using test::WindowFixture;

namespace {

QStringList commandTitles(const CommandPaletteController& palette) {
    QStringList titles;
    for (const auto& row : palette.rows()) {
        titles.append(row.isHeading() ? QStringLiteral("# ") + row.heading
                                      : QString::fromStdString(row.command->title));
    }
    return titles;
}

std::optional<Action> selectedAction(const CommandPaletteController& palette) {
    const int row = palette.selectedRow();
    if (row < 0 || palette.rows()[static_cast<std::size_t>(row)].isHeading()) {
        return std::nullopt;
    }
    return palette.rows()[static_cast<std::size_t>(row)].command->action;
}

} // namespace

class CommandPaletteTest : public QObject {
    Q_OBJECT
public:
    explicit CommandPaletteTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        m_app = test::groceriesWindow("b");
        m_app->list().setFocus();
        m_beeps = 0;
        palette().beep = [this] { ++m_beeps; };
    }
    void cleanup() {
        m_app.reset();
        useLanguage(AppLanguage::system);
    }

    void opensOverTheWindowWithTheFocusInTheSearch() {
        WindowFixture::key(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(palette().isVisible());
        QCOMPARE(WindowFixture::focus(), palette().searchField());
        QCOMPARE(palette().size(), QSize(520, 340));
        QWidget* top = m_app->window().window();
        const QPoint origin = palette().mapTo(top, QPoint(0, 0));
        QCOMPARE(origin.y(), 96);
        QVERIFY(std::abs(origin.x() + 260 - top->width() / 2) <= 1);
        QCOMPARE(palette().searchField()->placeholderText(),
                 localized(QStringLiteral("help.search")));
        // First use: no recent heading, the "newItem" group comes first.
        QCOMPARE(palette().rows().front().heading,
                 localized(QStringLiteral("palette.group.newItem")));
        QCOMPARE(selectedAction(palette()), Action::addBelow);
        // Every palette command once, under eight headings.
        const auto commands = std::count_if(palette().rows().begin(), palette().rows().end(),
                                            [](const auto& row) { return !row.isHeading(); });
        QCOMPARE(static_cast<std::size_t>(commands), CommandRegistry::palette({}, {}).size());
        QVERIFY(commandTitles(palette()).contains(QStringLiteral("# ") +
                                                  localized(QStringLiteral("menu.format.labels"))));
        QVERIFY(commandTitles(palette()).contains(QStringLiteral("# ") +
                                                  localized(QStringLiteral("menu.view"))));
    }

    void typingAndReturnRunTheFirstMatch() {
        m_app->window().perform(Action::commandPalette);
        WindowFixture::type(QStringLiteral("dupl"));
        QVERIFY(std::none_of(palette().rows().begin(), palette().rows().end(),
                             [](const auto& row) { return row.isHeading(); }));
        QCOMPARE(selectedAction(palette()), Action::duplicate);
        WindowFixture::key(Qt::Key_Return);
        QVERIFY(!palette().isVisible());
        const auto& items = m_app->session().snapshot.document.items;
        QCOMPARE(items.size(), 4u);
        QCOMPARE(items[2].text, std::string("Bread"));
        QCOMPARE(m_app->document().undoStack()->count(), 1);
        // The keyboard is back in the outline.
        QCOMPARE(WindowFixture::focus(), &m_app->list());
        QCOMPARE(Preferences().commandPaletteRecent(), QStringList{QStringLiteral("duplicate")});
    }

    void shortcutsShowAndMatchTheLinuxWay() {
        m_app->window().perform(Action::commandPalette);
        for (const QString& query :
             {QStringLiteral("ctrl+d"), QStringLiteral("Ctrl D"), QStringLiteral("\u2318D")}) {
            palette().searchField()->setText(query);
            QCOMPARE(selectedAction(palette()), Action::duplicate);
        }
        const auto& row = palette().rows()[static_cast<std::size_t>(palette().selectedRow())];
        QCOMPARE(CommandPaletteController::shortcutText(*row.command), QStringLiteral("Ctrl+D"));
        palette().searchField()->setText(QStringLiteral("zzzz"));
        QVERIFY(palette().rows().empty());
        QCOMPARE(palette().selectedRow(), -1);
        WindowFixture::key(Qt::Key_Return); // nothing to run
        QVERIFY(palette().isVisible());
    }

    // What a row shows is searchable: in German the shortcut of Import Backup reads
    // "Strg+Umschalt+I", typed with or without "+", modifiers in any order.
    void aShortcutIsFoundAsTheRowShowsIt() {
        useLanguage(AppLanguage::de);
        m_app->window().perform(Action::commandPalette);
        for (const QString& query :
             {QStringLiteral("Strg+Umschalt+I"), QStringLiteral("strg umschalt i"),
              QStringLiteral("umschalt+strg+i"), QStringLiteral("ctrl+shift+i")}) {
            palette().searchField()->setText(query);
            QCOMPARE(selectedAction(palette()), Action::importBackup);
        }
        const auto& row = palette().rows()[static_cast<std::size_t>(palette().selectedRow())];
        QCOMPARE(CommandPaletteController::shortcutText(*row.command),
                 QStringLiteral("Strg+Umschalt+I"));
        // Return names one key everywhere: "Strg+Eingabe" adds an item below.
        palette().searchField()->setText(QStringLiteral("strg eingabe"));
        QCOMPARE(selectedAction(palette()), Action::addBelow);
    }

    void arrowsSkipHeadingsAndStopAtTheEnds() {
        m_app->window().perform(Action::commandPalette);
        const int first = palette().selectedRow();
        QCOMPARE(first, 1);
        palette().list()->verticalScrollBar()->setValue(20);
        // Up from the first command keeps it and shows the heading above it.
        WindowFixture::key(Qt::Key_Up);
        QCOMPARE(palette().selectedRow(), first);
        QCOMPARE(palette().list()->verticalScrollBar()->value(), 0);
        // Down walks the commands of the first group, then jumps over the next heading.
        const auto* group = CommandRegistry::paletteGroup(Action::addBelow);
        for (std::size_t i = 1; i < group->actions.size(); ++i) {
            WindowFixture::key(Qt::Key_Down);
        }
        const int last = palette().selectedRow();
        QCOMPARE(selectedAction(palette()), group->actions.back());
        WindowFixture::key(Qt::Key_Down);
        QCOMPARE(palette().selectedRow(), last + 2);
        WindowFixture::key(Qt::Key_Up);
        QCOMPARE(palette().selectedRow(), last);
        for (int i = 0; i < 100; ++i) {
            WindowFixture::key(Qt::Key_Down);
        }
        QCOMPARE(palette().selectedRow(), static_cast<int>(palette().rows().size()) - 1);
    }

    void escClosesAndGivesTheFocusBack() {
        m_app->window().perform(Action::commandPalette);
        WindowFixture::type(QStringLiteral("undo"));
        WindowFixture::key(Qt::Key_Escape);
        QVERIFY(!palette().isVisible());
        QCOMPARE(WindowFixture::focus(), &m_app->list());
        QCOMPARE(m_app->document().undoStack()->count(), 0);
        QVERIFY(Preferences().commandPaletteRecent().isEmpty());
    }

    void aCommandThatCannotRunBeepsAndStays() {
        m_app->load(test::groceries(std::nullopt));
        QVERIFY(!m_app->window().canPerform(Action::deleteItem));
        m_app->window().perform(Action::commandPalette);
        WindowFixture::type(QStringLiteral("delete item"));
        QCOMPARE(selectedAction(palette()), Action::deleteItem);
        WindowFixture::key(Qt::Key_Return);
        QCOMPARE(m_beeps, 1);
        QVERIFY(palette().isVisible());
        QCOMPARE(WindowFixture::focus(), palette().searchField());
        QVERIFY(Preferences().commandPaletteRecent().isEmpty());
        QCOMPARE(m_app->session().snapshot.document.items.size(), 3u);
    }

    void clickingARowRunsIt() {
        m_app->window().perform(Action::commandPalette);
        WindowFixture::type(QStringLiteral("add child item"));
        QListWidget* list = palette().list();
        const QRect row = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        QVERIFY(!palette().isVisible());
        QCOMPARE(m_app->session().snapshot.document.items[1].children.size(), 1u);
        // A heading answers nothing.
        m_app->window().perform(Action::commandPalette);
        palette().activate(0);
        QVERIFY(palette().isVisible());
    }

    void losingTheFocusClosesWithoutTakingItBack() {
        m_app->window().perform(Action::commandPalette);
        QLineEdit elsewhere;
        elsewhere.show();
        QApplication::setActiveWindow(&elsewhere);
        elsewhere.setFocus();
        QVERIFY(QTest::qWaitFor([&] { return !palette().isVisible(); }));
        QCOMPARE(WindowFixture::focus(), &elsewhere);
    }

    void recentCommandsComeFirstAndAgainInTheirGroups() {
        Preferences().setStringList(PreferenceKeys::commandPaletteRecent,
                                    {QStringLiteral("bogus"), QStringLiteral("command-palette")});
        m_app->window().perform(Action::commandPalette);
        // Names of no action, and actions the palette does not offer, are left out.
        QCOMPARE(palette().rows().front().heading,
                 localized(QStringLiteral("palette.group.newItem")));
        WindowFixture::type(QStringLiteral("undo"));
        WindowFixture::key(Qt::Key_Return);
        m_app->list().setFocus();
        m_app->window().perform(Action::commandPalette);
        WindowFixture::type(QStringLiteral("add item below"));
        WindowFixture::key(Qt::Key_Return);
        m_app->window().perform(Action::commandPalette);
        const auto& rows = palette().rows();
        QCOMPARE(rows[0].heading, localized(QStringLiteral("palette.recent")));
        QCOMPARE(rows[1].command->action, Action::addBelow);
        QCOMPARE(rows[2].command->action, Action::undo);
        QVERIFY(rows[3].isHeading());
        QCOMPARE(std::count_if(rows.begin(), rows.end(),
                               [](const auto& row) {
                                   return row.command && row.command->action == Action::undo;
                               }),
                 2);
        QCOMPARE(Preferences().commandPaletteRecent(),
                 (QStringList{QStringLiteral("add-below"), QStringLiteral("undo")}));
    }

private:
    static void useLanguage(AppLanguage language) {
        Preferences preferences;
        AppLanguages::apply(preferences, language);
        Localization::applyInterfaceLanguage();
    }

    CommandPaletteController& palette() { return m_app->window().commandPalette(); }

    QString m_home;
    std::unique_ptr<WindowFixture> m_app;
    int m_beeps = 0;
};

OSTREVO_APP_TEST_MAIN(CommandPaletteTest)
#include "command_palette_test.moc"

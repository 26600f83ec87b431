// The inspector and the item properties in a real document window: segments, the pane
// following the selection, and every edit with its undo record, also when the selection moves
// or the document is saved while typing.
#include "app/document/document_codec.hpp"
#include "app/panels/command_palette.hpp"
#include "app/panels/help_panel.hpp"
#include "app/panels/inspector_controller.hpp"
#include "app/panels/properties_controller.hpp"
#include "app/panels/swatch_button.hpp"
#include "app/platform/localization.hpp"
#include "app/shell/application.hpp"
#include "app/window/jump_panel.hpp"
#include "core/model/tree_ops.hpp"
#include "tests/app/panels/panels_fixture.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolButton>
#include <QUndoStack>

using namespace velmora;
using test::WindowFixture;

namespace {

// Records the links the desktop is asked to open.
class LinkRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

// The items of the document file at the path, in order (parents before their children); empty
// when it cannot be read.
std::vector<Item> itemsIn(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    auto decoded = DocumentCodec::decodeNative(file.readAll());
    const auto* loaded = std::get_if<DocumentCodec::Loaded>(&decoded);
    std::vector<Item> items;
    if (loaded) {
        std::function<void(const ItemList&)> walk = [&](const ItemList& list) {
            for (const Item& item : list) {
                items.push_back(item);
                walk(item.children);
            }
        };
        walk(loaded->snapshot.document.items);
    }
    return items;
}

// The title and note of the item in the file, "title|note"; empty when it is not there.
QString textsIn(const QString& path, const std::string& id) {
    for (const Item& item : itemsIn(path)) {
        if (item.id == id) {
            return QString::fromStdString(item.text + "|" + item.note);
        }
    }
    return {};
}

} // namespace

class PropertiesTest : public QObject {
    Q_OBJECT
public:
    explicit PropertiesTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        m_app = test::groceriesWindow("a");
        m_app->window().perform(Action::showProperties);
    }
    void cleanup() { m_app.reset(); }

    void segmentsAreRemembered() {
        InspectorController& inspector = m_app->window().inspector();
        QCOMPARE(inspector.segment(), InspectorController::Segment::properties);
        QVERIFY(properties().isVisibleTo(&inspector));
        inspector.segmentButton(InspectorController::Segment::help)->click();
        QCOMPARE(Preferences().inspectorSegment(), 1);
        QVERIFY(!properties().isVisibleTo(&inspector));
        QVERIFY(inspector.help().isVisibleTo(&inspector));
        QCOMPARE(InspectorController::segmentFor(1), InspectorController::Segment::help);
        for (int stored : {0, 7, -1}) {
            QCOMPARE(InspectorController::segmentFor(stored),
                     InspectorController::Segment::properties);
        }
        Preferences().setInt(PreferenceKeys::inspectorSegment, 7);
        InspectorController fresh;
        QCOMPARE(fresh.segment(), InspectorController::Segment::properties);
    }

    void thePaneFollowsTheSelection() {
        QCOMPARE(properties().titleField()->toPlainText(), QStringLiteral("Fruit"));
        QCOMPARE(properties().childrenLabel()->text(), QStringLiteral("2"));
        QVERIFY(properties().checkBox()->isEnabled());
        m_app->window().perform(Action::navDown);
        QCOMPARE(properties().titleField()->toPlainText(), QStringLiteral("Apples"));
        QCOMPARE(properties().childrenLabel()->text(), QStringLiteral("0"));
        const auto selectedNoLabel = [&] {
            return std::find_if(properties().swatches().begin(), properties().swatches().end(),
                                [](SwatchButton* s) { return s->isSelected(); });
        };
        QCOMPARE((*selectedNoLabel())->color(), std::nullopt);

        m_app->window().perform(Action::deselect);
        QCOMPARE(properties().shown(), std::nullopt);
        QVERIFY(!properties().titleField()->isEnabled());
        QCOMPARE(properties().titleField()->placeholderText(),
                 localized(QStringLiteral("properties.none")));
        QVERIFY(!properties().checkBox()->isEnabled());
        QVERIFY(properties().noteView()->isReadOnly());
        for (SwatchButton* swatch : properties().swatches()) {
            QVERIFY(!swatch->isEnabled());
        }
        QVERIFY(properties().createdLabel()->text().isEmpty());
        QCOMPARE(properties().childrenLabel()->text(), QStringLiteral("\u2014"));
    }

    void childrenCountNamesTheTotal() {
        Item three = test::itemWith(
            "p", "P",
            {test::itemWith("1", "1"), test::itemWith("2", "2"), test::itemWith("3", "3")});
        QCOMPARE(PropertiesController::childrenText(three), QStringLiteral("3"));
        Item deep = test::itemWith(
            "p", "P",
            {test::itemWith("1", "1", {test::itemWith("1a", "a"), test::itemWith("1b", "b")}),
             test::itemWith("2", "2", {test::itemWith("2a", "a")})});
        QCOMPARE(PropertiesController::childrenText(deep),
                 QStringLiteral("2 (5 ") + localized(QStringLiteral("properties.total")) +
                     QStringLiteral(")"));
    }

    void datesAreNamedRelativeToToday() {
        const QDateTime now = QDateTime::currentDateTime();
        properties().now = [now] { return now; };
        const Timestamp today{now.toSecsSinceEpoch()};
        const Timestamp yesterday{now.addDays(-1).toSecsSinceEpoch()};
        QVERIFY(
            properties().dateText(today).startsWith(localized(QStringLiteral("properties.today"))));
        QVERIFY(properties().dateText(yesterday).startsWith(
            localized(QStringLiteral("properties.yesterday"))));
        QVERIFY(properties().dateText(Timestamp{0}).contains(QStringLiteral("70")));
        QVERIFY(properties().dateText(std::nullopt).isEmpty());
    }

    void aTitleIsPreviewedThenCommittedAsOneRecord() {
        QPlainTextEdit* title = properties().titleField();
        title->setFocus();
        title->selectAll();
        QTest::keyClicks(title, QStringLiteral("Oranges"));
        QCOMPARE(properties().editingID(), std::optional<std::string>("a"));
        // Not yet in the session, but shown in the outline.
        QCOMPARE(m_app->session().snapshot.document.items[0].text, std::string("Fruit"));
        QVERIFY(QTest::qWaitFor([&] {
            return m_app->window().list().model().index(0).data().toString() ==
                   QStringLiteral("Oranges");
        }));
        QTest::keyClick(title, Qt::Key_Return);
        QCOMPARE(m_app->session().snapshot.document.items[0].text, std::string("Oranges"));
        QCOMPARE(m_app->document().undoStack()->count(), 1);
        QCOMPARE(m_app->document().undoStack()->undoText(), localized(QStringLiteral("undo.edit")));
        QCOMPARE(properties().editingID(), std::nullopt);
        m_app->document().undoStack()->undo();
        QCOMPARE(properties().titleField()->toPlainText(), QStringLiteral("Fruit"));
    }

    void typingIsKeptForTheItemItBeganIn() {
        QTextEdit* note = properties().noteView();
        note->setFocus();
        QTest::keyClicks(note, QStringLiteral("Buy *ripe* ones"));
        QCOMPARE(properties().noteID(), std::optional<std::string>("a"));
        // The markdown is styled in place while typing.
        QTextCursor at(note->document());
        at.setPosition(6);
        QVERIFY(at.charFormat().fontItalic());
        // The selection moves (a command from the menu) while the note is being typed.
        m_app->window().perform(Action::navDown);
        QCOMPARE(properties().shown()->id, std::string("a1"));
        QCOMPARE(note->toPlainText(), QStringLiteral("Buy *ripe* ones"));
        // Clicking the outline ends the typing: the note goes to the item it began in.
        m_app->list().setFocus(Qt::MouseFocusReason);
        const auto& items = m_app->session().snapshot.document.items;
        QCOMPARE(items[0].note, std::string("Buy *ripe* ones"));
        QCOMPARE(items[0].children[0].note, std::string());
        QCOMPARE(m_app->document().undoStack()->count(), 1);
        QCOMPARE(m_app->document().undoStack()->undoText(), localized(QStringLiteral("undo.note")));
        QCOMPARE(note->toPlainText(), QString());

        // The same for a title.
        QPlainTextEdit* title = properties().titleField();
        title->setFocus();
        QTest::keyClicks(title, QStringLiteral(" green"));
        m_app->window().perform(Action::navUp);
        QCOMPARE(title->toPlainText(), QStringLiteral("Apples green"));
        m_app->list().setFocus(Qt::MouseFocusReason);
        QCOMPARE(items[0].children[0].text, std::string("Apples green"));
        QCOMPARE(items[0].text, std::string("Fruit"));
        QCOMPARE(title->toPlainText(), QStringLiteral("Fruit"));
    }

    void savingWhileTypingKeepsTheTextAndTheItem() {
        QTextEdit* note = properties().noteView();
        note->setFocus();
        QTest::keyClicks(note, QStringLiteral("first"));
        // What saving and autosaving ask of every window.
        emit m_app->document().commitEditingRequested();
        QCOMPARE(m_app->session().snapshot.document.items[0].note, std::string("first"));
        QCOMPARE(WindowFixture::focus(), note);
        m_app->window().perform(Action::navDown);
        QTest::keyClicks(note, QStringLiteral(" second"));
        m_app->window().flushEditor();
        QCOMPARE(m_app->session().snapshot.document.items[0].note, std::string("first second"));
        QCOMPARE(m_app->session().snapshot.document.items[0].children[0].note, std::string());
        // Hiding the inspector keeps what was typed too.
        QTest::keyClicks(note, QStringLiteral(" third"));
        m_app->window().setInspectorVisible(false);
        QCOMPARE(m_app->session().snapshot.document.items[0].note,
                 std::string("first second third"));
    }

    // Typed in the properties and never committed by a click elsewhere: every write takes it
    // as it takes the item editor's text.
    void textTypedInThePropertiesReachesEveryWrite() {
        const QString path = QDir(m_home).filePath(QStringLiteral("typed.quenlith"));
        QVERIFY(!m_app->document().saveAs(path));
        QTextEdit* note = properties().noteView();
        note->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(note, QStringLiteral("Ripe\u00a0ones"));
        QTest::keyClick(note, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(textsIn(path, "a"), QStringLiteral("Fruit|Ripe\u00a0ones"));
        QCOMPARE(WindowFixture::focus(), note);
        QCOMPARE(properties().noteID(), std::optional<std::string>("a"));

        // Autosave writes the title being typed, the field keeping the keys.
        m_app->controller().setAutosaveDelay(30);
        QPlainTextEdit* title = properties().titleField();
        title->setFocus(Qt::TabFocusReason);
        QTest::keyClick(title, Qt::Key_End);
        QTest::keyClicks(title, QStringLiteral(" bowl"));
        QTRY_COMPARE_WITH_TIMEOUT(textsIn(path, "a"), QStringLiteral("Fruit bowl|Ripe\u00a0ones"), 30000);
        QCOMPARE(WindowFixture::focus(), title);

        // Quitting at once (File ▸ Quit; offscreen the platform gives it no key).
        m_app->controller().setAutosaveDelay(60'000);
        QTest::keyClicks(title, QStringLiteral("s"));
        QVERIFY(m_app->delegate().requestQuit());
        QCOMPARE(textsIn(path, "a"), QStringLiteral("Fruit bowls|Ripe\u00a0ones"));

        // Closing the document while typing.
        note->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(note, Qt::Key_End);
        QTest::keyClicks(note, QStringLiteral("!"));
        QVERIFY(m_app->controller().closeDocument(&m_app->document()));
        QCOMPARE(textsIn(path, "a"), QStringLiteral("Fruit bowls|Ripe\u00a0ones!"));
    }

    // An untitled document changed only in the properties is kept for the next start.
    void anUntitledDocumentTypedInThePropertiesIsKeptAtQuit() {
        QTextEdit* note = properties().noteView();
        note->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(note, QStringLiteral("Only here"));
        QVERIFY(m_app->delegate().requestQuit());
        QVERIFY(!m_app->document().autosavePath().isEmpty());
        QCOMPARE(textsIn(m_app->document().autosavePath(), "a"), QStringLiteral("Fruit|Only here"));
    }

    // The palette and the jump panel take the keys with a reason of their own; the note
    // typed for one item must not go into the item selected after them.
    void aNoteNeverGoesIntoTheItemSelectedAfterAPanel() {
        QTextEdit* note = properties().noteView();
        note->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(note, QStringLiteral("For the fruit"));
        WindowFixture::key(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(m_app->window().commandPalette().isVisible());
        WindowFixture::key(Qt::Key_Escape);
        WindowFixture::key(Qt::Key_Down);
        QCOMPARE(m_app->session().snapshot.selectedId, std::optional<std::string>("a1"));
        QCOMPARE(properties().shown()->id, std::string("a1"));
        QCOMPARE(note->toPlainText(), QString());
        WindowFixture::key(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        WindowFixture::key(Qt::Key_Escape);
        const auto written = [&] { return m_app->document().documentWithDraft().items; };
        QCOMPARE(written()[0].note, std::string("For the fruit"));
        QCOMPARE(written()[0].children[0].note, std::string());
        QCOMPARE(m_app->session().snapshot.document.items[0].note, std::string("For the fruit"));

        // The same through the jump panel, for a title.
        QPlainTextEdit* title = properties().titleField();
        title->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(title, Qt::Key_End);
        QTest::keyClicks(title, QStringLiteral(" ripe"));
        WindowFixture::key(Qt::Key_J, Qt::ControlModifier);
        QVERIFY(m_app->window().jumpPanel().isVisible());
        WindowFixture::key(Qt::Key_Escape);
        WindowFixture::key(Qt::Key_Down);
        QCOMPARE(properties().shown()->id, std::string("a2"));
        QCOMPARE(title->toPlainText(), QStringLiteral("Pears"));
        m_app->window().perform(Action::jump);
        WindowFixture::key(Qt::Key_Escape);
        QCOMPARE(written()[0].children[0].text, std::string("Apples ripe"));
        QCOMPARE(written()[0].children[1].text, std::string("Pears"));
    }

    // Shown again after the help, the pane shows the item selected meanwhile, and what is
    // typed there goes to that item.
    void thePaneShowsTheSelectionWhenItComesBack() {
        InspectorController& inspector = m_app->window().inspector();
        inspector.segmentButton(InspectorController::Segment::help)->click();
        m_app->window().perform(Action::navDown);
        m_app->window().perform(Action::navDown);
        inspector.segmentButton(InspectorController::Segment::properties)->click();
        QCOMPARE(properties().shown()->id, std::string("a2"));
        QCOMPARE(properties().titleField()->toPlainText(), QStringLiteral("Pears"));
        QVERIFY(properties().titleField()->isEnabled());
        QVERIFY(!properties().noteView()->isReadOnly());
        QPlainTextEdit* title = properties().titleField();
        title->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(title, Qt::Key_End);
        QTest::keyClicks(title, QStringLiteral(" and plums"));
        QTest::keyClick(title, Qt::Key_Return);
        QCOMPARE(m_app->session().snapshot.document.items[0].children[1].text,
                 std::string("Pears and plums"));
        QCOMPARE(m_app->session().snapshot.document.items[0].text, std::string("Fruit"));
    }

    // Deleting the item from a menu while its note is typed takes the note along: undo brings
    // the item back with it.
    void aDeletedItemTakesItsTypedNoteAlong() {
        m_app->window().perform(Action::navDown);
        QTextEdit* note = properties().noteView();
        note->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(note, QStringLiteral("Granny Smith"));
        m_app->window().perform(Action::deleteItem);
        QCOMPARE(m_app->session().item("a1"), std::nullopt);
        m_app->list().setFocus(Qt::MouseFocusReason);
        m_app->document().undoOrRedo(false);
        QVERIFY(m_app->session().item("a1"));
        QCOMPARE(m_app->session().item("a1")->note, std::string("Granny Smith"));
    }

    // Non-breaking spaces stay what they are when a title or note is edited in the pane.
    void nonBreakingSpacesSurviveAnEdit() {
        m_app->load([] {
            auto snapshot = test::groceries("b");
            snapshot.document = TreeOps::updateItem(snapshot.document, "b", [](Item& item) {
                item.text = "10\u00a0kg";
                item.note = "Mr.\u00a0Baker";
            });
            return snapshot;
        }());
        QPlainTextEdit* title = properties().titleField();
        title->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(title, Qt::Key_End);
        QTest::keyClicks(title, QStringLiteral(" rye"));
        QTest::keyClick(title, Qt::Key_Return);
        QTextEdit* note = properties().noteView();
        note->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(note, Qt::Key_End);
        QTest::keyClicks(note, QStringLiteral("!"));
        m_app->list().setFocus(Qt::MouseFocusReason);
        const auto item = m_app->session().item("b");
        QCOMPARE(item->text, std::string("10\u00a0kg rye"));
        QCOMPARE(item->note, std::string("Mr.\u00a0Baker!"));
    }

    void theCheckBoxAndSwatchesRunTheirActions() {
        properties().checkBox()->click();
        QVERIFY(m_app->session().snapshot.document.items[0].checked);
        QVERIFY(properties().checkBox()->isChecked());
        // One swatch per label command, in the palette's order: the colours, then none.
        QCOMPARE(properties().swatches().size(), 8u);
        SwatchButton* yellow = properties().swatches()[2];
        QCOMPARE(yellow->objectName(), QStringLiteral("properties.label-3"));
        QCOMPARE(yellow->color(), ColorLabel::yellow);
        yellow->click();
        QCOMPARE(m_app->session().snapshot.document.items[0].color, ColorLabel::yellow);
        QVERIFY(yellow->isSelected());
        QCOMPARE(m_app->document().undoStack()->count(), 2);
        QCOMPARE(properties().swatches().back()->color(), std::nullopt);
        properties().swatches().back()->click();
        QCOMPARE(m_app->session().snapshot.document.items[0].color, std::nullopt);
    }

    void notesLinksOpenWithCtrlAndAClick() {
        LinkRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        m_app->load([] {
            auto snapshot = test::groceries("b");
            snapshot.document = TreeOps::updateItem(snapshot.document, "b", [](Item& item) {
                item.note = "See [shop](https://example.com/bread)";
            });
            return snapshot;
        }());
        QTextEdit* note = properties().noteView();
        QTextCursor link(note->document());
        link.setPosition(6);
        const QPoint point = note->cursorRect(link).center();
        QTest::mouseClick(note->viewport(), Qt::LeftButton, Qt::NoModifier, point);
        QVERIFY(recorder.opened.isEmpty());
        QTest::mouseClick(note->viewport(), Qt::LeftButton, Qt::ControlModifier, point);
        QCOMPARE(recorder.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.com/bread"))});
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

private:
    PropertiesController& properties() { return m_app->window().inspector().properties(); }

    QString m_home;
    std::unique_ptr<WindowFixture> m_app;
};

OSTREVO_APP_TEST_MAIN(PropertiesTest)
#include "properties_test.moc"

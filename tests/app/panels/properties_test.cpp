// The inspector and the item properties in a real document window: segments, the pane
// following the selection, and every edit with its undo record, also when the selection moves
// or the document is saved while typing.
#include "app/panels/help_panel.hpp"
#include "app/panels/inspector_controller.hpp"
#include "app/panels/properties_controller.hpp"
#include "app/panels/swatch_button.hpp"
#include "app/shell/application.hpp"
#include "app/shell/localization.hpp"
#include "core/model/tree_ops.hpp"
#include "tests/app/panels/panels_fixture.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
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

// The tree canvas: blocks from the layout, measuring, clicks, knobs, column edges, zoom and
// scrolling.
#include "app/shell/application.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/column_drag.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/canvas_fixtures.hpp"

#include <QApplication>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextLayout>
#include <QtTest>

#include <limits>

using namespace velmora;
using velmora::test::CanvasWindow;
using velmora::test::item;

namespace {

std::vector<Item> sampleItems() {
    Item beta = item("b", "Beta");
    beta.note = "short note";
    Item gamma = item("c", "Gamma");
    gamma.color = ColorLabel::red;
    return {item("a", "Alpha", {item("a1", "One"), item("a2", "Two", {item("a2x", "Deep")})}), beta,
            gamma};
}

// The layout's frames for the session's items, measured as the canvas measures.
std::vector<QRectF> expectedFrames(const EditorSession& s, const std::vector<double>& columns) {
    LayoutSizes sizes;
    std::function<void(const ItemList&, int)> measure = [&](const ItemList& items, int depth) {
        for (const Item& i : items) {
            sizes[i.id] = BlockMeasurer::compute(i, TreeLayout::nodeWidth(depth, columns),
                                                 i.color.has_value(), noteShowFor(i, s.snapshot))
                              .size;
            if (!i.collapsed)
                measure(i.children, depth + 1);
        }
    };
    measure(s.snapshot.document.items, 0);
    auto layout = TreeLayout::layout(s.snapshot.document.items, sizes, columns,
                                     TreeLayout::Style::tree, true);
    std::vector<QRectF> frames;
    for (const auto& b : layout.blocks) {
        frames.emplace_back(b.frame.x + 8, b.frame.y + 6, b.frame.width, b.frame.height);
    }
    return frames;
}

// Two hundred top-level items, the last one selected: taller than any test window.
EditorSession longListWithLastSelected() {
    std::vector<Item> items;
    for (int i = 0; i < 200; ++i)
        items.push_back(item("i" + std::to_string(i), "Item"));
    auto s = test::session(items);
    s.snapshot.selectedId = "i199";
    return s;
}

} // namespace

class TreeCanvasViewTest : public QObject {
    Q_OBJECT
public:
    explicit TreeCanvasViewTest(QString) {}

private slots:
    void blockFramesAreTheLayoutFramesMovedByTheInset() {
        auto s = test::session(sampleItems());
        s.snapshot.showAllNotes = true;
        CanvasWindow w(s);
        std::vector<QRectF> frames;
        for (const auto& b : w.canvas->scene().blocks())
            frames.push_back(b.frame);
        QCOMPARE(frames, expectedFrames(s, {}));
        QCOMPARE(w.block("a").frame, QRectF(24, 16, 184, 21));
        const QSizeF content(w.canvas->scene().layout().contentSize.width,
                             w.canvas->scene().layout().contentSize.height);
        QCOMPARE(w.canvas->scene().frameSize(), content + QSizeF(8, 6));
    }

    void measuringLeavesRoomForControlsLabelAndNotes() {
        Item plain = item("p", "Plain");
        const auto m = BlockMeasurer::compute(plain, 184, false, NoteShow::none);
        QCOMPARE(m.size.height, 21.0);
        QCOMPARE(m.textRect, QRectF(34, 2, 184 - 34 - 5, 17));
        QVERIFY(!m.noteRect);
        QCOMPARE(BlockMeasurer::compute(plain, 184, true, NoteShow::none).leading, 46.0);

        Item noted = item("n", "Noted");
        noted.note = "one\ntwo\nthree";
        EditorSnapshot snapshot;
        snapshot.showAllNotes = true;
        QCOMPARE(noteShowFor(noted, snapshot), NoteShow::placeholder);
        const auto placeholder = BlockMeasurer::compute(noted, 184, false, NoteShow::placeholder);
        const double line = std::ceil(QFontMetricsF(CanvasBlockStyle::noteFont()).height());
        QCOMPARE(placeholder.noteRect->height(), line);
        QCOMPARE(placeholder.size.height, 2 + 17 + line + 2);
        noted.note = std::string(161, 'x');
        QCOMPARE(noteShowFor(noted, snapshot), NoteShow::placeholder);
        noted.note = std::string(160, 'x');
        QCOMPARE(noteShowFor(noted, snapshot), NoteShow::full);
        snapshot.showAllNotes = false;
        QCOMPARE(noteShowFor(noted, snapshot), NoteShow::none);

        // While the (empty) note is edited the block keeps a line of room for the editor.
        Item empty = item("e", "Empty");
        snapshot.editing = EditingTarget::note("e");
        QCOMPARE(noteShowFor(empty, snapshot), NoteShow::editing);
        QVERIFY(BlockMeasurer::compute(empty, 184, false, NoteShow::editing).noteRect->height() >
                0);
    }

    void stubStartsAfterTheTitleButNeverInsideIt() {
        Item shortTitle = item("s", "Hi");
        Item longTitle = item("l", std::string(60, 'w'));
        const double textWidth = 184 - 34 - 5;
        const auto s = BlockMeasurer::compute(shortTitle, 184, false, NoteShow::none);
        const QFontMetricsF metrics(CanvasBlockStyle::titleFont(shortTitle));
        QCOMPARE(s.size.width, 34 + 2 + metrics.horizontalAdvance(QStringLiteral("Hi")));
        const auto l = BlockMeasurer::compute(longTitle, 184, false, NoteShow::none);
        QCOMPARE(l.size.width, 34 + 2 + textWidth - 4);
        QVERIFY(l.titleLines > 1);
        QVERIFY(l.size.height > 21);
    }

    // Titles were wrapped anywhere when drawn but measured shorter, so their last lines were
    // painted over the next item.
    void wrappedTitlesFitTheirBlocksAndBlocksNeverOverlap() {
        const std::string longWord(2000, 'm');
        const std::string mixed =
            "Agenda \u4f1a\u8b70\u306e\u8b70\u984c \u0645\u0631\u062d\u0628\u0627 "
            "\u0928\u092e\u0938\u094d\u0924\u0947 \U0001F600 " +
            std::string(80, 'x') + " \u0e2a\u0e27\u0e31\u0e2a\u0e14\u0e35";
        Item bold = item("bw", "Bold " + longWord);
        bold.bold = true;
        std::vector<Item> items{item("w", longWord, {item("wc", "Child " + longWord)}),
                                item("m", mixed), bold, item("after", "After")};
        for (ViewMode view : {ViewMode::tree, ViewMode::map}) {
            auto s = test::session(items, view);
            CanvasWindow w(s);
            std::vector<std::optional<CanvasBlock>> blocks;
            for (const char* id : {"w", "wc", "m", "bw", "after"}) {
                const auto block = w.canvas->scene().block(id);
                QVERIFY(block);
                blocks.push_back(block);
                // Laid out exactly as the painter lays it out.
                QFont font = CanvasBlockStyle::titleFont(block->item());
                QTextLayout layout;
                const QRectF rect = block->metrics.textRect;
                CanvasBlockStyle::layoutTitle(layout, CanvasBlockStyle::titleText(block->item().text),
                                              font, rect.width());
                QVERIFY(layout.lineCount() > 0);
                const QTextLine last = layout.lineAt(layout.lineCount() - 1);
                QVERIFY2(last.y() + last.height() <= rect.height() + 0.01, id);
                QVERIFY2(rect.bottom() <= block->frame.height(), id);
            }
            QVERIFY(blocks[0]->metrics.titleLines > 10);
            for (std::size_t i = 0; i < blocks.size(); ++i) {
                for (std::size_t j = i + 1; j < blocks.size(); ++j) {
                    QVERIFY2(!blocks[i]->frame.intersects(blocks[j]->frame),
                             (blocks[i]->item().id + " " + blocks[j]->item().id).c_str());
                }
            }
        }
    }

    void reloadMeasuresOnlyChangedItems() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        QCOMPARE(w.canvas->lastMeasuredCount(), 6);
        s.snapshot.document =
            TreeOps::updateItem(s.snapshot.document, "a2", [](Item& i) { i.text = "Two, longer"; });
        w.reload(s);
        QCOMPARE(w.canvas->lastMeasuredCount(), 1);
        s.snapshot.document =
            TreeOps::updateItem(s.snapshot.document, "a1", [](Item& i) { i.checked = true; });
        w.reload(s);
        QCOMPARE(w.canvas->lastMeasuredCount(), 0);
    }

    // A title of a megabyte without a blank froze the tree and map views for minutes: each of
    // its lines looked for the end of the one long word again. Its block shows the lines its
    // height holds, the last one ending in an ellipsis, and the items after it show as usual.
    void hugeTitlesAreMeasuredAndShownCutToTheirLines() {
        const std::string megabyte(1'000'000, 'm');
        std::string words;
        while (words.size() < 100'000)
            words += "word \u4f1a\u8b70 ";
        std::vector<Item> items{item("huge", megabyte, {item("child", "Child")}),
                                item("words", words), item("after", "After")};
        for (ViewMode view : {ViewMode::tree, ViewMode::map}) {
            auto s = test::session(items, view);
            CanvasWindow w(s);
            for (const char* id : {"huge", "words"}) {
                const CanvasBlock block = w.block(id);
                QCOMPARE(block.metrics.titleLines, CanvasBlockStyle::titleMaxLines);
                QVERIFY2(block.frame.height() < 30.0 * CanvasBlockStyle::titleMaxLines, id);
                QTextLayout layout;
                const QRectF rect = block.metrics.textRect;
                CanvasBlockStyle::layoutTitle(
                    layout, CanvasBlockStyle::titleText(block.item().text),
                    CanvasBlockStyle::titleFont(block.item()), rect.width());
                QCOMPARE(layout.lineCount(), CanvasBlockStyle::titleMaxLines);
                const QTextLine last = layout.lineAt(layout.lineCount() - 1);
                QVERIFY2(last.y() + last.height() <= rect.height() + 0.01, id);
                QVERIFY2(last.naturalTextWidth() <= rect.width(), id);
                const QString lastText = layout.text().mid(last.textStart(), last.textLength());
                QVERIFY2(lastText.endsWith(QChar(0x2026)), qPrintable(lastText));
            }
            QVERIFY(w.block("child").frame.height() < 30);
            QVERIFY(!w.block("huge").frame.intersects(w.block("words").frame));
            QVERIFY(!w.block("words").frame.intersects(w.block("after").frame));
            QImage image(900, 600, QImage::Format_ARGB32_Premultiplied);
            w.canvas->render(&image, QPoint(), QRegion(0, 0, 900, 600));
        }
        // A title that its lines hold is laid out whole, without an ellipsis.
        QTextLayout layout;
        const QString shortTitle = QStringLiteral("Short enough");
        CanvasBlockStyle::layoutTitle(layout, shortTitle, CanvasBlockStyle::font(13), 145);
        QCOMPARE(layout.text(), shortTitle);
    }

    void undoneEditsShowTheEarlierSizesAgain() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        const auto original = s.snapshot;
        s.snapshot.document = TreeOps::updateItem(s.snapshot.document, "b", [](Item& i) {
            i.text = "A title long enough to wrap over several lines of its block";
        });
        w.reload(s);
        QVERIFY(w.block("b").frame.height() > 21);
        s.snapshot = original; // undo puts the earlier nodes back
        w.reload(s);
        QCOMPARE(w.block("b").frame.height(), 21.0);
        QCOMPARE(w.canvas->lastMeasuredCount(), 0);
    }

    void knobClickCollapsesWithOneRecord() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        std::vector<TreeCommand> records;
        connect(w.canvas, &TreeCanvasView::toggleRequested, this, [&](const QString& id) {
            if (auto c = s.toggleCollapsed(id.toStdString()))
                records.push_back(*c);
            w.reload(s);
        });
        QTest::mouseClick(w.canvas, Qt::LeftButton, {}, w.knob("a"));
        QCOMPARE(records.size(), std::size_t(1));
        QCOMPARE(records[0].catalogKey, std::string("undo.collapse"));
        QVERIFY(!w.canvas->scene().block("a1"));
        const auto knob = w.canvas->scene().layout().knobs.front();
        QVERIFY(knob.collapsed);
        QCOMPARE(knob.count, 3);
    }

    void clicksReportSelectionEditingChecksAndBackground() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        QSignalSpy select(w.canvas, &TreeCanvasView::selectRequested);
        QSignalSpy edit(w.canvas, &TreeCanvasView::editRequested);
        QSignalSpy check(w.canvas, &TreeCanvasView::checkRequested);
        QSignalSpy background(w.canvas, &TreeCanvasView::backgroundClicked);
        const QRectF beta = w.block("b").frame;
        const QPoint onTitle = w.at(beta.topLeft() + QPointF(60, 10));
        QTest::mouseClick(w.canvas, Qt::LeftButton, Qt::ControlModifier, onTitle);
        QTest::mouseClick(w.canvas, Qt::LeftButton, Qt::ShiftModifier, onTitle);
        QCOMPARE(select.size(), 2);
        QCOMPARE(select[0][0].toString(), QStringLiteral("b"));
        QCOMPARE(select[0][1].value<Qt::KeyboardModifiers>(),
                 Qt::KeyboardModifiers(Qt::ControlModifier));
        QCOMPARE(select[1][1].value<Qt::KeyboardModifiers>(),
                 Qt::KeyboardModifiers(Qt::ShiftModifier));

        QTest::mouseDClick(w.canvas, Qt::LeftButton, {}, onTitle);
        QCOMPARE(edit.size(), 1);
        QCOMPARE(edit[0][0].toString(), QStringLiteral("b"));

        QTest::mouseClick(w.canvas, Qt::LeftButton, {}, w.at(beta.topLeft() + QPointF(16, 10.5)));
        QCOMPARE(check.size(), 1);
        QCOMPARE(check[0][1].toBool(), true);

        QTest::mouseClick(w.canvas, Qt::LeftButton, {}, QPoint(850, 550));
        QCOMPARE(background.size(), 1);
    }

    void noteLinksOpenOnlyAllowedSchemes() {
        Item linked = item("l", "Links");
        linked.note = "see [site](https://example.org) or [bad](javascript:alert)";
        auto s = test::session({linked});
        s.snapshot.showAllNotes = true;
        CanvasWindow w(s);
        std::vector<QUrl> opened;
        w.canvas->setLinkOpener([&](const QUrl& url) { opened.push_back(url); });
        QSignalSpy select(w.canvas, &TreeCanvasView::selectRequested);
        const CanvasBlock& block = w.block("l");
        const QFontMetricsF metrics(CanvasBlockStyle::noteFont());
        auto wordAt = [&](const QString& before) {
            const QRectF note = *block.noteRect();
            return w.at({note.left() + 2 + metrics.horizontalAdvance(before) + 3,
                         note.top() + metrics.height() / 2});
        };
        QTest::mouseClick(w.canvas, Qt::LeftButton, {}, wordAt(QStringLiteral("see ")));
        QCOMPARE(opened, std::vector<QUrl>{QUrl(QStringLiteral("https://example.org"))});
        QCOMPARE(select.size(), 0);
        QTest::mouseClick(w.canvas, Qt::LeftButton, {}, wordAt(QStringLiteral("see site or ")));
        QCOMPARE(opened.size(), std::size_t(1));
        QCOMPARE(select.size(), 1);
    }

    void columnDragEndingElsewhereRecordsOnce() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        ColumnDrag recorder;
        std::vector<TreeCommand> records;
        int reports = 0;
        connect(w.canvas, &TreeCanvasView::columnResized, this,
                [&](int depth, double width, bool ended) {
                    ++reports;
                    if (auto c = recorder.apply(s, depth, width, ended, {}))
                        records.push_back(*c);
                    w.reload(s);
                });
        const double y = w.block("b").frame.center().y();
        QTest::mousePress(w.canvas, Qt::LeftButton, {}, w.at({228, y}));
        QTest::mouseMove(w.canvas, w.at({243, y}));
        QTest::mouseMove(w.canvas, w.at({258, y}));
        QTest::mouseRelease(w.canvas, Qt::LeftButton, {}, w.at({258, y}));
        QCOMPARE(records.size(), std::size_t(1));
        QCOMPARE(records[0].catalogKey, std::string("undo.column"));
        QVERIFY(!records[0].before.columnWidths);
        QCOMPARE(*s.snapshot.columnWidths, std::vector<double>{250});
        QCOMPARE(w.block("a1").frame.left(), 250 + 8 + 16.0);

        // Out and back again: the widths end as they began, so nothing is recorded.
        QTest::mousePress(w.canvas, Qt::LeftButton, {}, w.at({258, y}));
        QTest::mouseMove(w.canvas, w.at({300, y}));
        QTest::mouseMove(w.canvas, w.at({258, y}));
        QTest::mouseRelease(w.canvas, Qt::LeftButton, {}, w.at({258, y}));
        QCOMPARE(records.size(), std::size_t(1));
        QCOMPARE(*s.snapshot.columnWidths, std::vector<double>{250});

        // A click on the edge without moving reports nothing at all.
        const int before = reports;
        QTest::mouseClick(w.canvas, Qt::LeftButton, {}, w.at({258, y}));
        QCOMPARE(reports, before);
    }

    void dragBackToAbsentWidthsRecordsNothing() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        ColumnDrag recorder;
        int records = 0;
        connect(w.canvas, &TreeCanvasView::columnResized, this,
                [&](int depth, double width, bool ended) {
                    records += recorder.apply(s, depth, width, ended, {}) ? 1 : 0;
                    w.reload(s);
                });
        const double y = w.block("b").frame.center().y();
        QTest::mousePress(w.canvas, Qt::LeftButton, {}, w.at({228, y}));
        QTest::mouseMove(w.canvas, w.at({280, y}));
        QTest::mouseMove(w.canvas, w.at({228, y}));
        QTest::mouseRelease(w.canvas, Qt::LeftButton, {}, w.at({228, y}));
        QCOMPARE(records, 0);
        QVERIFY(!s.snapshot.columnWidths);
    }

    void doubleClickOnAnEdgeResetsTheColumn() {
        auto s = test::session(sampleItems());
        s.snapshot.columnWidths = std::vector<double>{300};
        CanvasWindow w(s);
        ColumnDrag recorder;
        std::vector<TreeCommand> records;
        connect(w.canvas, &TreeCanvasView::columnResized, this,
                [&](int depth, double width, bool ended) {
                    if (auto c = recorder.apply(s, depth, width, ended, {}))
                        records.push_back(*c);
                    w.reload(s);
                });
        const double y = w.block("b").frame.center().y();
        QTest::mouseDClick(w.canvas, Qt::LeftButton, {}, w.at({308, y}));
        QCOMPARE(records.size(), std::size_t(1));
        QCOMPARE(*s.snapshot.columnWidths, std::vector<double>{220});
    }

    void edgeWinsOverAFartherKnobAndMapEdgesDoNotReact() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        QSignalSpy resized(w.canvas, &TreeCanvasView::columnResized);
        QSignalSpy toggled(w.canvas, &TreeCanvasView::toggleRequested);
        const auto knob = w.canvas->scene().layout().knobs.front(); // "a" at x 210
        QCOMPARE(knob.cx, 210.0);
        QVERIFY(!w.canvas->edge(215));
        QCOMPARE(w.canvas->edge(216)->depth, 0);
        // 4 points from the edge and 6 from the knob's centre: the edge takes the click.
        QTest::mouseDClick(w.canvas, Qt::LeftButton, {}, w.at({216 + 8, knob.cy + 6}));
        QCOMPARE(resized.size(), 1);
        QCOMPARE(toggled.size(), 0);
        QTest::mouseClick(w.canvas, Qt::LeftButton, {}, w.at({212 + 8, knob.cy + 6}));
        QCOMPARE(toggled.size(), 1);

        s.snapshot.view = ViewMode::map;
        w.reload(s);
        QSignalSpy background(w.canvas, &TreeCanvasView::backgroundClicked);
        const double y = w.block("b").frame.center().y();
        QTest::mouseDClick(w.canvas, Qt::LeftButton, {}, w.at({228, y}));
        QTest::mousePress(w.canvas, Qt::LeftButton, {}, w.at({228, y}));
        QTest::mouseMove(w.canvas, w.at({270, y}));
        QTest::mouseRelease(w.canvas, Qt::LeftButton, {}, w.at({270, y}));
        QCOMPARE(resized.size(), 1);
        QVERIFY(background.size() >= 2);
    }

    void rootLineBranchAndMarginFollowThePreferences() {
        auto s = test::session(sampleItems());
        s.snapshot.selectedId = "a2";
        CanvasWindow w(s);
        auto depthZeroTicks = [&] {
            int ticks = 0;
            for (const auto& seg : w.canvas->scene().layout().segments)
                ticks += seg.kind == LayoutSegment::Kind::tick && seg.x1 == 6 ? 1 : 0;
            return ticks;
        };
        QCOMPARE(depthZeroTicks(), 3);
        CanvasOptions options;
        options.hideRootLine = true;
        options.highlightBranch = true;
        options.appearance.paperStyle = PaperStyle::margin;
        options.appearance.paperMargin = 300;
        w.canvas->setOptions(options);
        w.canvas->reload();
        QCOMPARE(depthZeroTicks(), 0);
        QCOMPARE(w.canvas->scene().columns, std::vector<double>{300});
        QCOMPARE(w.block("a1").frame.left(), 300 + 8 + 16.0);
        QVERIFY(w.block("a").lit && w.block("a2").lit && w.block("a2x").lit);
        QCOMPARE(w.block("b").alpha, 0.32);
        QCOMPARE(w.block("a1").alpha, 0.32);
        QCOMPARE(w.block("a2x").alpha, 1.0);
    }

    void textAndNoteRectanglesAreInCanvasCoordinates() {
        auto s = test::session(sampleItems());
        s.snapshot.showAllNotes = true;
        CanvasWindow w(s);
        const QRectF frame = w.block("b").frame;
        QCOMPARE(*w.canvas->textRect("b"), QRectF(frame.left() + 34, frame.top() + 2, 145, 17));
        QCOMPARE(w.canvas->noteRect("b")->top(), frame.top() + 19);
        QVERIFY(!w.canvas->noteRect("a"));
        QVERIFY(!w.canvas->textRect("missing"));
    }

    void magnificationScalesDrawingAndClicks() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        const QSize before = w.canvas->size();
        w.canvas->setMagnification(2);
        // The area scrolls over the magnified drawing; the canvas keeps the viewport's size.
        QCOMPARE(w.area.contentSize(),
                 QSize(int(std::ceil(w.canvas->scene().frameSize().width() * 2)),
                       int(std::ceil(w.canvas->scene().frameSize().height() * 2))));
        QCOMPARE(w.canvas->size(), before);
        QSignalSpy toggled(w.canvas, &TreeCanvasView::toggleRequested);
        QTest::mouseClick(w.canvas, Qt::LeftButton, {}, w.knob("a"));
        QCOMPARE(toggled.size(), 1);
        w.canvas->setMagnification(10);
        QCOMPARE(w.canvas->magnification(), 3.0);
        w.canvas->setMagnification(0.1);
        QCOMPARE(w.canvas->magnification(), 0.5);
        w.canvas->setMagnification(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(w.canvas->magnification(), 0.5);
        w.canvas->setMagnification(1.0);
        QCOMPARE(w.canvas->magnification(), 1.0);
        QCOMPARE(w.canvas->toWidget(QRectF(10, 10, 5, 5)), QRectF(10, 10, 5, 5));
    }

    void reloadScrollsTheSelectionIntoView() {
        auto s = longListWithLastSelected();
        CanvasWindow w(s, {600, 400});
        const int scrolled = w.area.verticalScrollBar()->value();
        QVERIFY(scrolled > 0);
        const QRectF frame = w.block("i199").frame;
        QVERIFY(frame.bottom() + 24 <= scrolled + w.area.viewport()->height() + 1);
        QVERIFY(frame.top() >= scrolled);
    }

    // A widget is at most 16,777,215 pixels tall, less than the drawing of a large outline: the
    // drawing is scrolled over to its end, where the last item shows and takes clicks.
    void aDrawingTallerThanAnyWidgetIsShownToItsEnd() {
        std::string tall = "Line";
        for (int line = 1; line < 60; ++line) {
            tall += "\nLine";
        }
        std::vector<Item> items;
        for (int i = 0; i < 6'000; ++i) {
            items.push_back(item("i" + std::to_string(i), tall));
        }
        auto s = test::session(items);
        s.snapshot.selectedId = "i5999";
        CanvasWindow w(test::session({item("a", "A")}), {600, 400});
        w.canvas->setLazyThreshold(std::numeric_limits<std::int64_t>::max());
        w.canvas->setMagnification(3);
        w.reload(s);
        QVERIFY(w.area.contentSize().height() > QWIDGETSIZE_MAX);
        const QRectF last = w.canvas->toWidget(w.block("i5999").frame);
        QVERIFY(QRectF(w.canvas->rect()).intersects(last));
        QSignalSpy select(w.canvas, &TreeCanvasView::selectRequested);
        const QPointF onTitle = w.canvas->toWidget(*w.canvas->textRect("i5999")).topLeft();
        QTest::mouseClick(w.canvas, Qt::LeftButton, {}, (onTitle + QPointF(8, 8)).toPoint());
        QCOMPARE(select.size(), 1);
        QCOMPARE(select[0][0].toString(), QStringLiteral("i5999"));
    }

    // The canvas keeps its layout between reloads; after every kind of change it must draw what
    // a canvas drawing the session afresh draws.
    void reloadAfterChangesLaysOutAsAFreshCanvas() {
        auto s = test::session(sampleItems());
        s.snapshot.showAllNotes = true;
        CanvasWindow w(s);
        CanvasOptions options;
        auto expectFresh = [&](const char* step) {
            w.canvas->setOptions(options);
            w.reload(s);
            const CanvasScene expected = buildScene(s, options);
            QVERIFY2(w.canvas->scene().layout() == expected.layout(), step);
        };
        s.snapshot.document = TreeOps::updateItem(s.snapshot.document, "a2x", [](Item& i) {
            i.text = "A deep title long enough to wrap over several lines of its block";
        });
        expectFresh("title");
        s.snapshot.document = TreeOps::setCollapsed(s.snapshot.document, "a", true);
        expectFresh("collapse");
        s.snapshot.document = TreeOps::setCollapsed(s.snapshot.document, "a", false);
        s.snapshot.editing = EditingTarget::note("b");
        expectFresh("note editor");
        s.snapshot.editing.reset();
        expectFresh("editor closed");
        s.snapshot.showAllNotes = false;
        expectFresh("notes hidden");
        s.snapshot.columnWidths = std::vector<double>{300, 130};
        expectFresh("columns");
        options.appearance.labelStyle = LabelStyle::dot;
        expectFresh("label dots");
        s.snapshot.view = ViewMode::map;
        expectFresh("map");
        s.snapshot.document = TreeOps::removeItem(s.snapshot.document, "a1").doc;
        expectFresh("removed");
    }

    void anEditElsewhereLeavesTheScrollPosition() {
        auto s = longListWithLastSelected();
        CanvasWindow w(s, {600, 400});
        w.area.verticalScrollBar()->setValue(0); // the user scrolls back to the top
        s.snapshot.document =
            TreeOps::updateItem(s.snapshot.document, "i3", [](Item& i) { i.text = "Edited"; });
        w.reload(s);
        QCOMPARE(w.area.verticalScrollBar()->value(), 0);
        s.snapshot.selectedId = "i150"; // a new selection scrolls again
        w.reload(s);
        QVERIFY(w.area.verticalScrollBar()->value() > 0);
    }
};

OSTREVO_APP_TEST_MAIN(TreeCanvasViewTest)
#include "tree_canvas_view_test.moc"

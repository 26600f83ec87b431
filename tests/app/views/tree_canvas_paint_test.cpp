// Note markdown as shown and as edited, note links, and the paper under the canvas.
#include "app/shell/application.hpp"
#include "app/views/canvas_painter.hpp"
#include "app/views/note_renderer.hpp"
#include "app/views/paper_painter.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/canvas_fixtures.hpp"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using namespace velmora;
using velmora::test::item;

namespace {

const QColor kBase(10, 20, 30);
const QColor kLink(0, 0, 200);
const QColor kFaint(1, 2, 3, 80);

QFont baseFont() {
    QFont font = QApplication::font();
    font.setPointSizeF(11);
    return font;
}

// The format of the character at a position of the rendered note.
QTextCharFormat formatAt(const StyledNote& note, int position) {
    for (const auto& range : note.formats) {
        if (position >= range.start && position < range.start + range.length)
            return range.format;
    }
    return {};
}

// The format of the character at a position of an edited document.
QTextCharFormat editedFormatAt(QTextDocument& document, int position) {
    QTextCursor cursor(&document);
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

QColor pixel(TreeCanvasView* canvas, QPoint at) {
    QImage image(canvas->size(), QImage::Format_ARGB32);
    canvas->render(&image);
    return image.pixelColor(at);
}

} // namespace

class TreeCanvasPaintTest : public QObject {
    Q_OBJECT
public:
    explicit TreeCanvasPaintTest(QString) {}

private slots:
    void renderRemovesMarkupAndStylesRuns() {
        auto italic = renderNote("a *word* b", baseFont(), kBase, kLink);
        QCOMPARE(italic.text, QStringLiteral("a word b"));
        QVERIFY(formatAt(italic, 2).font().italic());
        QVERIFY(!formatAt(italic, 0).font().italic());
        QCOMPARE(formatAt(italic, 0).foreground().color(), kBase);

        auto mixed = renderNote("**bold** `code`", baseFont(), kBase, kLink);
        QCOMPARE(mixed.text, QStringLiteral("bold code"));
        QVERIFY(formatAt(mixed, 0).font().bold());
        const QFont code = formatAt(mixed, 6).font();
        // The desktop's fixed-width font; whether its glyphs report a fixed pitch depends on
        // the fonts installed, so the family is compared instead.
        QCOMPARE(code.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
        QCOMPARE(code.pointSizeF(), baseFont().pointSizeF() - 0.5);
        QVERIFY(!code.bold());
    }

    void linksNeedAnAllowedScheme() {
        auto bad = renderNote("[files](ftp://example.org/x)", baseFont(), kBase, kLink);
        QCOMPARE(bad.text, QStringLiteral("files"));
        QVERIFY(!formatAt(bad, 0).isAnchor());
        QCOMPARE(formatAt(bad, 0).foreground().color(), kBase);
        auto good = renderNote("[site](https://example.org)", baseFont(), kBase, kLink);
        QVERIFY(formatAt(good, 0).isAnchor());
        QCOMPARE(formatAt(good, 0).anchorHref(), QStringLiteral("https://example.org"));
        QCOMPARE(formatAt(good, 0).foreground().color(), kLink);
        QVERIFY(formatAt(good, 0).fontUnderline());
    }

    void lineBreaksAndUnclosedMarkupStay() {
        QCOMPARE(renderNote("one\n\ntwo", baseFont(), kBase).text, QStringLiteral("one\n\ntwo"));
        QCOMPARE(renderNote("*one*\n\ntwo", baseFont(), kBase).text, QStringLiteral("one\n\ntwo"));
        QCOMPARE(renderNote("2 * 3", baseFont(), kBase).text, QStringLiteral("2 * 3"));
        QCOMPARE(renderNote("", baseFont(), kBase).text, QString());
        // Characters beyond the basic plane keep the runs' positions right.
        auto wide = renderNote("😀 *x*", baseFont(), kBase);
        QCOMPARE(wide.text, QStringLiteral("😀 x"));
        QVERIFY(formatAt(wide, 3).font().italic());
    }

    void editingKeepsMarkupVisibleButFaint() {
        QTextDocument document;
        document.setPlainText(QStringLiteral("a *word* [x](https://e.org)"));
        styleNoteInPlace(document, baseFont(), kBase, kFaint);
        QCOMPARE(document.toPlainText(), QStringLiteral("a *word* [x](https://e.org)"));
        QCOMPARE(editedFormatAt(document, 0).foreground().color(), kBase);
        QCOMPARE(editedFormatAt(document, 2).foreground().color(), kFaint); // *
        QVERIFY(editedFormatAt(document, 3).font().italic());               // w
        QCOMPARE(editedFormatAt(document, 3).foreground().color(), kBase);
        QCOMPARE(editedFormatAt(document, 7).foreground().color(), kFaint);  // *
        QCOMPARE(editedFormatAt(document, 8).foreground().color(), kBase);   // the blank
        QCOMPARE(editedFormatAt(document, 9).foreground().color(), kFaint);  // [
        QVERIFY(editedFormatAt(document, 10).fontUnderline());               // x
        QCOMPARE(editedFormatAt(document, 14).foreground().color(), kFaint); // the target

        // Restyling after the markup is gone leaves no faint characters behind.
        document.setPlainText(QStringLiteral("plain words"));
        styleNoteInPlace(document, baseFont(), kBase, kFaint);
        QCOMPARE(editedFormatAt(document, 3).foreground().color(), kBase);
    }

    void noteLinkAtFindsOnlyAllowedLinksUnderThePoint() {
        NoteLabel label;
        label.note =
            renderNote("go [here](https://e.org) [no](file:///etc)", baseFont(), kBase, kLink);
        label.bounds = QRectF(10, 10, 300, 40);
        const QFontMetricsF metrics(baseFont());
        const double y = 10 + metrics.height() / 2;
        auto xOf = [&](const QString& before) {
            return 10 + 2 + metrics.horizontalAdvance(before) + 2;
        };
        QCOMPARE(noteLinkAt(label, {xOf(QStringLiteral("go ")), y}),
                 QUrl(QStringLiteral("https://e.org")));
        QVERIFY(!noteLinkAt(label, {xOf(QString()), y}));
        QVERIFY(!noteLinkAt(label, {xOf(QStringLiteral("go here ")), y}));
        QVERIFY(!noteLinkAt(label, {xOf(QStringLiteral("go ")), y + 30})); // below the text
        QVERIFY(!noteLinkAt(label, {5, y}));
        label.note = StyledNote{};
        QVERIFY(!noteLinkAt(label, {xOf(QStringLiteral("go ")), y}));
    }

    void oneLineNotesShowTheFirstLineCutWithAnEllipsis() {
        QCOMPARE(firstNoteLine("one *two*\nthree"), std::string("one *two*"));
        QCOMPARE(firstNoteLine("one\r\ntwo"), std::string("one"));
        QCOMPARE(firstNoteLine("only"), std::string("only"));
        auto inkWidth = [](const StyledNote& note, double width) {
            QImage image(300, 30, QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            drawNoteLine(painter, note, QRectF(0, 0, width, 30));
            painter.end();
            int right = -1;
            for (int x = 0; x < image.width(); ++x)
                for (int y = 0; y < image.height(); ++y)
                    if (image.pixelColor(x, y) != QColor(Qt::white)) right = x;
            return right;
        };
        const auto note = renderNote(std::string(80, 'w'), baseFont(), kBase);
        QVERIFY(inkWidth(note, 120) <= 120);
        QVERIFY(inkWidth(note, 120) > 100);
        QVERIFY(inkWidth(renderNote("ok", baseFont(), kBase), 120) < 60);
    }

    void paperColourFollowsAppearanceAndPrinting() {
        test::CanvasWindow w(test::session({item("a", "Alpha")}));
        QPalette dark = w.canvas->palette();
        dark.setColor(QPalette::Window, QColor(30, 30, 34));
        dark.setColor(QPalette::Text, Qt::white);
        w.canvas->setPalette(dark);
        CanvasOptions options;
        options.appearance.paperColor = PaperColor::warm;
        w.canvas->setOptions(options);
        QCOMPARE(pixel(w.canvas, {600, 400}).rgb(), QColor::fromRgbF(0.165f, 0.149f, 0.125f).rgb());
        options.printing = true;
        options.appearance.paperColor = PaperColor::sage;
        w.canvas->setOptions(options);
        QCOMPARE(pixel(w.canvas, {600, 400}), QColor(Qt::white));
    }

    void blueprintGridLinesAreWhite() {
        test::CanvasWindow w(test::session({}));
        CanvasOptions options;
        options.appearance.paperColor = PaperColor::blueprint;
        options.appearance.paperStyle = PaperStyle::grid;
        w.canvas->setOptions(options);
        QImage image(w.canvas->size(), QImage::Format_ARGB32);
        w.canvas->render(&image);
        const QColor paper = image.pixelColor(600, 401);
        // The brightest pixel around x = 26.5 + 24 × 25 is the grid line.
        QColor line = paper;
        for (int x = 622; x <= 631; ++x) {
            if (image.pixelColor(x, 401).red() > line.red())
                line = image.pixelColor(x, 401);
        }
        QVERIFY(line.red() > paper.red() + 20);
        QVERIFY(line.green() > paper.green() + 20);
        QVERIFY(std::abs((line.blue() - paper.blue()) - (line.red() - paper.red())) < 20);
    }
};

OSTREVO_APP_TEST_MAIN(TreeCanvasPaintTest)
#include "tree_canvas_paint_test.moc"

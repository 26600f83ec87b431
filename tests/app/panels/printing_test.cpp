// Printing: the PDF a document prints to, read back with pdftotext, for the list and the
// picture, the print options and their remembering, page breaks on many paper sizes, hoisting,
// hidden completed items and cancelling.
#include "app/document/velmora_document.hpp"
#include "app/platform/preferences.hpp"
#include "app/printing/document_print_view.hpp"
#include "app/printing/document_printing.hpp"
#include "app/printing/print_accessory_controller.hpp"
#include "app/shell/application.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/support/scripted_dialogs.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace velmora;

namespace {

Item item(const std::string& id, const std::string& text, std::vector<Item> children = {},
          const std::string& note = {}) {
    Item made = Item::blank(id, text);
    made.note = note;
    made.children = ItemList(std::move(children));
    return made;
}

// The text of a PDF, one string per page, as pdftotext reads it.
QStringList pdfPages(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path,
                                                QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning() << "pdftotext (poppler-utils, see scripts/install-deps) failed on" << path;
        return {};
    }
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QChar(u'\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

// The titles "Item N" in the order they appear in the text.
QStringList itemTitles(const QString& text) {
    static const QRegularExpression title(QStringLiteral(R"(Item \d+)"));
    QStringList found;
    auto matches = title.globalMatch(text);
    while (matches.hasNext()) {
        found.append(matches.next().captured());
    }
    return found;
}

// "Item 1", "Item 2" … for the numbers.
QStringList numbered(std::initializer_list<int> numbers) {
    QStringList titles;
    for (int n : numbers) {
        titles.append(QStringLiteral("Item %1").arg(n));
    }
    return titles;
}

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT
public:
    explicit PrintingTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        QSettings().clear();
        m_folder = std::make_unique<QTemporaryDir>();
        m_dialogs = std::make_unique<test::ScriptedDialogs>();
        m_printing = std::make_unique<DocumentPrinting>(*m_dialogs);
    }

    void cleanup() {
        m_printing.reset();
        m_documents.clear();
    }

    // --- The list ---------------------------------------------------------------------------

    void listPrintsEveryItemInOrderWithTheTitle() {
        VelmoraDocument& document = makeDocument(
            {item("a", "Item 1", {item("b", "Item 2", {item("c", "Item 3")}), item("d", "Item 4")}),
             item("e", "Item 5")},
            ViewMode::list);
        // Collapsed items print with their children.
        collapse(document, "a");
        const QStringList pages = exportPages(document);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(QStringLiteral("Printed outline")));
        QCOMPARE(itemTitles(pages.join(QString())),
                 (numbered({1, 2, 3, 4, 5})));
    }

    void notesPrintOnlyWithTheSwitchAndWithoutTheirMarkup() {
        VelmoraDocument& document =
            makeDocument({item("a", "Item 1", {}, "Bring the **passport** and `tickets`"),
                          item("b", "Item 2")},
                         ViewMode::list);
        m_printing->printInfo(document).writeOptions({false, true, true}, false);
        QString text = exportPages(document).join(QString());
        QVERIFY2(text.contains(QStringLiteral("Bring the passport and tickets")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("**")));

        m_printing->printInfo(document).writeOptions({false, true, false}, false);
        text = exportPages(document).join(QString());
        QVERIFY(!text.contains(QStringLiteral("passport")));
        QCOMPARE(itemTitles(text), (numbered({1, 2})));
    }

    void firstPrintTakesTheNotesOfTheDocument() {
        VelmoraDocument& document = makeDocument({item("a", "Item 1", {}, "hidden note")},
                                                 ViewMode::list);
        QVERIFY(!m_printing->printInfo(document).options());
        QVERIFY(!exportPages(document).join(QString()).contains(QStringLiteral("hidden note")));
        QCOMPARE(m_printing->printInfo(document).options(), (PrintOptions{false, true, false}));
    }

    void noRowIsSplitAcrossPages_data() {
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<QPageLayout::Orientation>("orientation");
        QTest::newRow("A4") << QPageSize::A4 << QPageLayout::Portrait;
        QTest::newRow("Letter across") << QPageSize::Letter << QPageLayout::Landscape;
        QTest::newRow("A6") << QPageSize::A6 << QPageLayout::Portrait;
        QTest::newRow("A7 across") << QPageSize::A7 << QPageLayout::Landscape;
    }

    void noRowIsSplitAcrossPages() {
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(QPageLayout::Orientation, orientation);
        // Rows of every height: plain titles, wrapped titles and notes of several lines.
        std::vector<Item> items;
        for (int i = 1; i <= 160; ++i) {
            const std::string n = std::to_string(i);
            std::string note;
            if (i % 3 == 0) {
                note = "Note " + n + " first\nNote " + n + " second\nNote " + n + " third";
            }
            std::string title = "Item " + n;
            if (i % 7 == 0) {
                title += " with a long title that wraps over more than one line on narrow paper";
            }
            items.push_back(item("i" + n, title, {}, note));
        }
        VelmoraDocument& document = makeDocument(std::move(items), ViewMode::list);
        PrintInfo& info = m_printing->printInfo(document);
        info.writeOptions({false, true, true}, false);
        info.pageLayout.setPageSize(QPageSize(paper));
        info.pageLayout.setOrientation(orientation);

        const QStringList pages = exportPages(document);
        QVERIFY(pages.size() > 1);
        QStringList all;
        for (int p = 0; p < pages.size(); ++p) {
            const QString& page = pages[p];
            all += itemTitles(page);
            // Every note line lies on the page of its item's title.
            static const QRegularExpression noteLine(QStringLiteral(R"(Note (\d+) \w+)"));
            auto matches = noteLine.globalMatch(page);
            while (matches.hasNext()) {
                const QString n = matches.next().captured(1);
                QVERIFY2(itemTitles(page).contains(QStringLiteral("Item ") + n),
                         qPrintable(QStringLiteral("note %1 apart from its row on page %2")
                                        .arg(n)
                                        .arg(p + 1)));
            }
        }
        QCOMPARE(all.size(), 160);
        for (int i = 0; i < all.size(); ++i) {
            QCOMPARE(all[i], QStringLiteral("Item %1").arg(i + 1));
        }
    }

    void hoistedDocumentPrintsOnlyTheBranch() {
        VelmoraDocument& document = makeDocument(
            {item("a", "Item 1", {item("b", "Item 2", {item("c", "Item 3")})}),
             item("d", "Item 4")},
            ViewMode::list);
        EditorSnapshot snapshot = document.session().snapshot;
        snapshot.hoistTabs = {HoistTab{"tab", "b", "Item 2"}};
        snapshot.activeHoist = "tab";
        document.setSnapshot(snapshot);
        QCOMPARE(itemTitles(exportPages(document).join(QString())),
                 (numbered({2, 3})));

        DocumentPrintView view(document.session(), Appearance{}, QStringLiteral("Doc"));
        QVERIFY(view.prepare({}, 500));
        QCOMPARE(view.rows().size(), 2u);
        QCOMPARE(view.rows()[0].depth, 0);
        QCOMPARE(view.rows()[0].titleFrame.x(), 16.0);
        QCOMPARE(view.rows()[1].titleFrame.x(), 34.0);
    }

    void hiddenCompletedItemsDoNotPrint() {
        Item done = item("b", "Item 2", {item("c", "Item 3")});
        done.checked = true;
        VelmoraDocument& document =
            makeDocument({item("a", "Item 1"), done, item("d", "Item 4")}, ViewMode::list);
        QCOMPARE(itemTitles(exportPages(document).join(QString())).size(), 4);
        Preferences().setHideCompleted(document.documentId(), true);
        document.applyDisplayPreferences(Preferences());
        QCOMPARE(itemTitles(exportPages(document).join(QString())),
                 (numbered({1, 4})));
    }

    void rowGeometryOnNarrowAndWidePages() {
        Item labelled = item("c", "Item 3");
        labelled.color = ColorLabel::red;
        EditorSession session = sessionOf(
            {item("a", "Item 1", {item("b", "Item 2", {labelled})})}, ViewMode::list);
        DocumentPrintView view(session, Appearance{}, QStringLiteral("Title"));
        QVERIFY(view.prepare({}, 500));
        const auto& rows = view.rows();
        QCOMPARE(rows.size(), 3u);
        QVERIFY(rows[0].frame.top() >= view.headerHeight() + 14);
        QCOMPARE(rows[2].marker, QPointF(42, rows[2].frame.top() + 9));
        QCOMPARE(*rows[2].dot, QRectF(52, rows[2].frame.top() + 5, 8, 8));
        QCOMPARE(rows[2].titleFrame.x(), 66.0);
        QCOMPARE(rows[1].frame.top(), rows[0].frame.bottom() + 6);
        QCOMPARE(view.frames().size(), 3u);

        // On a page 200 points wide nothing is indented.
        QVERIFY(view.prepare({}, 200));
        QCOMPARE(view.rows()[2].titleFrame.x(), 30.0);
        QCOMPARE(view.rows()[1].titleFrame.x(), 16.0);
        QVERIFY(!view.hasPicture());
    }

    // --- The picture ------------------------------------------------------------------------

    void listViewNeverMakesAPicture() {
        EditorSession session = sessionOf({item("a", "Item 1")}, ViewMode::list);
        DocumentPrintView view(session, Appearance{}, QStringLiteral("Doc"));
        QVERIFY(!view.canvas());
        QVERIFY(view.prepare({false, true, true}, 500));
        QVERIFY(!view.hasPicture());
        QCOMPARE(view.rows().size(), 1u);
    }

    void treeViewPrintsAPictureOnOnePageOrTiles() {
        // A wide tree: a chain nine levels deep, each a column of 220 points.
        Item chain = item("c9", "Item 9");
        for (int i = 8; i >= 1; --i) {
            chain = item("c" + std::to_string(i), "Item " + std::to_string(i), {chain});
        }
        VelmoraDocument& document = makeDocument({chain}, ViewMode::tree);
        // The first print turns the paper across for the wide picture and fits it on one page.
        QStringList pages = exportPages(document);
        PrintInfo& info = m_printing->printInfo(document);
        QCOMPARE(info.pageLayout.orientation(), QPageLayout::Landscape);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(itemTitles(pages[0]).size(), 9);
        QCOMPARE(info.horizontal, Pagination::fit);

        // Tiles at full size: several pages across, each box whole on one page.
        info.writeOptions({false, false, true}, true);
        info.pageLayout.setOrientation(QPageLayout::Portrait);
        pages = exportPages(document);
        QVERIFY(pages.size() > 1);
        QCOMPARE(itemTitles(pages.join(QString())).size(), 9);
        QCOMPARE(info.pageLayout.orientation(), QPageLayout::Portrait); // the user's choice stays

        // As a list from the tree view.
        info.writeOptions({true, false, true}, true);
        pages = exportPages(document);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(itemTitles(pages[0]).size(), 9);
    }

    void pictureBoxesAreNotCutByTiles() {
        std::vector<Item> items;
        for (int i = 1; i <= 60; ++i) {
            items.push_back(item("i" + std::to_string(i), "Item " + std::to_string(i), {},
                                 i % 4 == 0 ? "A note of a box" : ""));
        }
        EditorSession session = sessionOf(std::move(items), ViewMode::tree);
        session.snapshot.showAllNotes = true;
        DocumentPrintView view(session, Appearance{}, QStringLiteral("Doc"));
        QVERIFY(view.prepare({false, false, true}, 500));
        QVERIFY(view.hasPicture());
        PrintInfo info = PrintInfo::standard();
        info.writeOptions({false, false, true}, true);
        const auto pages = view.pages({400, 300}, info);
        QVERIFY(pages.size() > 3);
        for (const auto& frame : view.frames()) {
            int holding = 0;
            for (const auto& page : pages) {
                const QRectF box(frame.x, frame.y, frame.width, frame.height);
                if (page.source.intersects(box)) {
                    QVERIFY(page.source.contains(box));
                    ++holding;
                }
            }
            QCOMPARE(holding, 1);
        }
    }

    // --- Options ----------------------------------------------------------------------------

    void optionsAreUnsetUntilTheListKeyIsABoolean() {
        PrintInfo info = PrintInfo::standard();
        QVERIFY(!info.options());
        info.settings.insert(PrintInfo::asListKey, QStringLiteral("yes"));
        QVERIFY(!info.options());
        QCOMPARE(info.effectiveOptions(), (PrintOptions{false, true, true}));
        info.settings.insert(PrintInfo::asListKey, true);
        info.settings.insert(PrintInfo::fitsPageKey, 0);
        info.settings.insert(PrintInfo::notesKey, false);
        QCOMPARE(info.options(), (PrintOptions{true, true, false}));

        info.writeOptions({false, false, true}, true);
        QCOMPARE(info.horizontal, Pagination::automatic);
        QCOMPARE(info.vertical, Pagination::automatic);
        info.writeOptions({false, true, true}, true);
        QCOMPARE(info.horizontal, Pagination::fit);
        QCOMPARE(info.vertical, Pagination::fit);
        info.writeOptions({false, false, true}, false);
        QCOMPARE(info.horizontal, Pagination::fit);
        QCOMPARE(info.vertical, Pagination::automatic);
    }

    void printInfoIsRememberedBetweenRuns() {
        PrintInfo info = PrintInfo::standard();
        info.pageLayout.setPageSize(QPageSize(QPageSize::A5));
        info.pageLayout.setOrientation(QPageLayout::Landscape);
        info.pageLayout.setMargins(QMarginsF(20, 30, 40, 50));
        info.printerName = QStringLiteral("Office");
        info.writeOptions({true, false, false}, true);
        Preferences preferences;
        info.remember(preferences);
        const PrintInfo again = PrintInfo::remembered(Preferences());
        QCOMPARE(again.pageLayout.pageSize().id(), QPageSize::A5);
        QCOMPARE(again.pageLayout.margins(QPageLayout::Point), QMarginsF(20, 30, 40, 50));
        QCOMPARE(again.printerName, QStringLiteral("Office"));
        // The options and the turn of the paper are the document's own, decided at its first
        // print: none of them comes from another document's job.
        QCOMPARE(again.pageLayout.orientation(), QPageLayout::Portrait);
        QVERIFY(!again.options());

        // Damaged values fall back to the standard paper and leave the options unset.
        QSettings().setValue(QStringLiteral("printInfo/paper"), QStringLiteral("Napkin"));
        QSettings().setValue(QStringLiteral("printInfo/margins"), QStringLiteral("1,2"));
        QSettings().setValue(QStringLiteral("printInfo/OstrevoPrintAsList"), 7);
        const PrintInfo damaged = PrintInfo::remembered(Preferences());
        QCOMPARE(damaged.pageLayout.pageSize().id(),
                 PrintInfo::standard().pageLayout.pageSize().id());
        QCOMPARE(damaged.pageLayout.margins(QPageLayout::Point), QMarginsF(36, 36, 36, 36));
        QVERIFY(!damaged.options());
    }

    void accessoryWritesEveryChangeAndDisablesTheSizeForLists() {
        PrintInfo kept = PrintInfo::standard();
        PrintAccessoryController canvas(true, kept);
        QSignalSpy changes(&canvas, &PrintAccessoryController::optionsChanged);
        QVERIFY(canvas.sizePopup()->isEnabled());
        canvas.layoutPopup()->setCurrentIndex(1);
        emit canvas.layoutPopup()->activated(1);
        QVERIFY(canvas.asList());
        QVERIFY(!canvas.sizePopup()->isEnabled());
        QCOMPARE(kept.options(), (PrintOptions{true, true, true}));
        canvas.notesBox()->setChecked(false);
        QCOMPARE(kept.options(), (PrintOptions{true, true, false}));
        QCOMPARE(changes.size(), 2);
        QCOMPARE(canvas.summaryItems().size(), 2); // layout and notes; no size for a list

        PrintInfo listKept = PrintInfo::standard();
        listKept.writeOptions({false, false, true}, false);
        PrintAccessoryController list(false, listKept);
        QVERIFY(!list.layoutPopup()->isEnabled());
        QVERIFY(!list.sizePopup()->isEnabled());
        QCOMPARE(list.fitsPage(), false);
        QCOMPARE(list.summaryItems().size(), 1);
    }

    // The first-print rules once applied once per user: the options of any print carried over
    // to every document, so a wide tree no longer printed across, notes followed the last job
    // and "As a List" stayed.
    void optionsAreDecidedPerDocumentWhilePaperIsRemembered() {
        Item chain = item("c9", "Item 9");
        for (int i = 8; i >= 1; --i) {
            chain = item("c" + std::to_string(i), "Item " + std::to_string(i), {chain});
        }
        VelmoraDocument& first =
            makeDocument({item("a", "Item 1", {}, "opening note")}, ViewMode::tree);
        PrintInfo& chosen = m_printing->printInfo(first);
        chosen.writeOptions({true, true, true}, true);
        chosen.pageLayout.setPageSize(QPageSize(QPageSize::A5));
        chosen.pageLayout.setMargins(QMarginsF(20, 30, 40, 50));
        const QString firstText = exportPages(first).join(QString());
        QVERIFY2(firstText.contains(QStringLiteral("opening note")), qPrintable(firstText));

        // Another document, notes hidden, a wide tree: its own first print.
        VelmoraDocument& wide = makeDocument({chain}, ViewMode::tree);
        const QStringList pages = exportPages(wide);
        const PrintInfo& decided = m_printing->printInfo(wide);
        QCOMPARE(decided.options(), (PrintOptions{false, true, false}));
        QCOMPARE(decided.pageLayout.orientation(), QPageLayout::Landscape);
        QCOMPARE(decided.pageLayout.pageSize().id(), QPageSize::A5);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(itemTitles(pages[0]).size(), 9);
        // The first document keeps what its user chose.
        QCOMPARE(m_printing->printInfo(first).options(), (PrintOptions{true, true, true}));

        // The next run: the paper and margins come back, the options are unset until the
        // document decides them.
        m_printing = std::make_unique<DocumentPrinting>(*m_dialogs);
        VelmoraDocument& later = makeDocument({item("a", "Item 1")}, ViewMode::list);
        const PrintInfo& fresh = m_printing->printInfo(later);
        QCOMPARE(fresh.pageLayout.pageSize().id(), QPageSize::A5);
        QCOMPARE(fresh.pageLayout.margins(QPageLayout::Point), QMarginsF(20, 30, 40, 50));
        QCOMPARE(fresh.pageLayout.orientation(), QPageLayout::Portrait);
        QVERIFY(!fresh.options());
    }

    // A page range past the end printed one blank sheet and the print was called a success; a
    // file that could not be written whole was called printed too.
    void printReportsARangePastTheEndAndAFailedWrite() {
        VelmoraDocument& document =
            makeDocument({item("a", "Item 1"), item("b", "Item 2")}, ViewMode::list);
        std::unique_ptr<DocumentPrintView> view = m_printing->makePrintView(document);
        const QString path = QDir(m_folder->path()).filePath(QStringLiteral("printed.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(3, 4);
        QVERIFY(!m_printing->printChosen(document, *view, printer,
                                         m_printing->printInfo(document), nullptr));
        QCOMPARE(m_dialogs->alerts.size(), 1);
        QCOMPARE(m_dialogs->alerts[0].message,
                 QStringLiteral("The chosen pages lie past the end of the document. Nothing was "
                                "printed."));
        QCOMPARE(m_dialogs->alerts[0].informative, QStringLiteral("The document has 1 page."));
        QVERIFY(!QFile::exists(path));

        // A range that holds the page prints it.
        printer.setFromTo(1, 4);
        QVERIFY(m_printing->printChosen(document, *view, printer, m_printing->printInfo(document),
                                        nullptr));
        QCOMPARE(itemTitles(pdfPages(path).join(QString())), (numbered({1, 2})));
        QCOMPARE(m_dialogs->alerts.size(), 1);

        // The disk takes only the first two kilobytes: the print fails, and leaves no cut-off
        // file behind.
        const QString full = QDir(m_folder->path()).filePath(QStringLiteral("full.pdf"));
        printer.setOutputFileName(full);
        printer.setPrintRange(QPrinter::AllPages);
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit unlimited = limit;
        limit.rlim_cur = 2048;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        const bool printed = m_printing->printChosen(document, *view, printer,
                                                     m_printing->printInfo(document), nullptr);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, previous);
        QVERIFY(!printed);
        QCOMPARE(m_dialogs->alerts.size(), 2);
        QCOMPARE(m_dialogs->alerts[1].message,
                 QStringLiteral("The document could not be printed."));
        QVERIFY(!QFile::exists(full));
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("printed.pdf")});
    }

    // --- Writing the file -------------------------------------------------------------------

    void cancelledExportLeavesTheFileAlone() {
        VelmoraDocument& document = makeDocument({item("a", "Item 1")}, ViewMode::list);
        const QString path = QDir(m_folder->path()).filePath(QStringLiteral("kept.pdf"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        const auto outcome = m_printing->writePDF(
            document, path, [](PrintJob::Phase phase, long long, long long) {
                return phase != PrintJob::Phase::pages;
            });
        QVERIFY(outcome.cancelled);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old"));

        // A folder that does not exist is reported, not passed over.
        QString error;
        const auto failed = m_printing->writePDF(
            document, QDir(m_folder->path()).filePath(QStringLiteral("none/x.pdf")), {}, &error);
        QVERIFY(failed.failed);
        QVERIFY(!error.isEmpty());
    }

    void exportAsksWhereAndAddsTheExtension() {
        VelmoraDocument& document = makeDocument({item("a", "Item 1")}, ViewMode::list);
        const QString chosen = QDir(m_folder->path()).filePath(QStringLiteral("Outline"));
        m_dialogs->savePaths.enqueue(chosen);
        QVERIFY(m_printing->exportPDF(document, nullptr));
        QCOMPARE(m_dialogs->saveRequests.size(), 1);
        QVERIFY(m_dialogs->saveRequests[0].proposedName.endsWith(QLatin1String(".pdf")));
        QCOMPARE(itemTitles(pdfPages(chosen + QStringLiteral(".pdf")).join(QString())),
                 (numbered({1})));
        QVERIFY(!m_printing->exportPDF(document, nullptr)); // cancelled: nothing asked again
    }

private:
    static EditorSession sessionOf(std::vector<Item> items, ViewMode view) {
        EditorSnapshot snapshot;
        snapshot.document = TreeDocument{"doc", "Printed outline", ItemList(std::move(items))};
        snapshot.view = view;
        return EditorSession::init(snapshot, EditorPreferences{});
    }

    VelmoraDocument& makeDocument(std::vector<Item> items, ViewMode view) {
        auto document = std::make_unique<VelmoraDocument>(Preferences());
        document->setSnapshot(sessionOf(std::move(items), view).snapshot);
        m_documents.push_back(std::move(document));
        return *m_documents.back();
    }

    static void collapse(VelmoraDocument& document, const std::string& id) {
        EditorSnapshot snapshot = document.session().snapshot;
        snapshot.document.items = snapshot.document.items.replacing(0, [&] {
            Item copy = snapshot.document.items[0];
            copy.collapsed = copy.id == id;
            return copy;
        }());
        document.setSnapshot(snapshot);
    }

    QStringList exportPages(VelmoraDocument& document) {
        const QString path = QDir(m_folder->path()).filePath(QStringLiteral("out.pdf"));
        QString error;
        const auto outcome = m_printing->writePDF(document, path, {}, &error);
        if (!outcome.ok()) {
            qWarning() << "export failed" << error;
            return {};
        }
        return pdfPages(path);
    }

    QString m_home;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
    std::unique_ptr<DocumentPrinting> m_printing;
    std::vector<std::unique_ptr<VelmoraDocument>> m_documents;
};

OSTREVO_APP_TEST_MAIN(PrintingTest)

#include "printing_test.moc"

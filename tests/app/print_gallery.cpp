// Prints the sample documents to PDF files as a list and as pictures of the tree and map views,
// in two check and label styles, for looking at the pages (pdftoppm turns them into images):
//   print_gallery <folder>
#include "app/printing/document_print_view.hpp"
#include "app/printing/print_job.hpp"
#include "app/printing/print_preview_window.hpp"
#include "core/formats/sample_library.hpp"
#include "tests/app/support/gallery_palettes.hpp"

#include <QApplication>
#include <QDir>
#include <QPdfWriter>
#include <QPrinter>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <iostream>

using namespace velmora;

namespace {

EditorSession sessionFor(const TreeDocument& document, ViewMode view) {
    EditorSnapshot snapshot;
    snapshot.document = document;
    snapshot.view = view;
    snapshot.showAllNotes = true;
    return EditorSession::init(snapshot, EditorPreferences{});
}

bool write(const QString& path, const EditorSession& session, const Appearance& appearance,
           const PrintOptions& options, QPageLayout::Orientation orientation) {
    DocumentPrintView view(session, appearance,
                           QString::fromStdString(session.snapshot.document.title));
    PrintInfo info = PrintInfo::standard();
    info.pageLayout.setOrientation(orientation);
    info.writeOptions(options, view.canvas());
    QPdfWriter writer(path);
    writer.setPageLayout(info.pageLayout);
    writer.setResolution(PrintJob::deviceResolution());
    return PrintJob::run(view, info, writer).ok();
}

// The preview window over a sample in the tree view, as the desktop shows it.
bool shootPreview(const QString& path, const EditorSession& session, bool asList) {
    DocumentPrintView view(session, Appearance{},
                           QString::fromStdString(session.snapshot.document.title));
    PrintInfo info = PrintInfo::standard();
    info.pageLayout.setOrientation(QPageLayout::Landscape);
    info.writeOptions({asList, true, true}, true);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(info.pageLayout);
    printer.setResolution(PrintJob::deviceResolution());
    PrintPreviewWindow window(printer, info, true,
                              [&](QPrinter& target) { PrintJob::run(view, info, target); });
    window.show();
    QTest::qWait(300);
    return window.grab().save(path);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("prints");
    QDir().mkpath(folder);
    Appearance boxes;
    Appearance web;
    web.checkStyle = CheckStyle::web;
    web.labelStyle = LabelStyle::fill;
    web.strikeChecked = true;
    web.paperStyle = PaperStyle::dots;
    web.paperColor = PaperColor::sage;
    int written = 0;
    const auto documents = SampleLibrary::documents();
    for (std::size_t d = 0; d < documents.size(); ++d) {
        const auto name = [&](const char* kind) {
            return QStringLiteral("%1/doc%2-%3.pdf").arg(folder).arg(d).arg(QLatin1String(kind));
        };
        written += write(name("list"), sessionFor(documents[d], ViewMode::list), boxes,
                         {true, true, true}, QPageLayout::Portrait);
        written += write(name("list-web"), sessionFor(documents[d], ViewMode::list), web,
                         {true, true, true}, QPageLayout::Portrait);
        written += write(name("tree-fit"), sessionFor(documents[d], ViewMode::tree), boxes,
                         {false, true, true}, QPageLayout::Landscape);
        written += write(name("tree-tiles"), sessionFor(documents[d], ViewMode::tree), web,
                         {false, false, true}, QPageLayout::Portrait);
        written += write(name("map-fit"), sessionFor(documents[d], ViewMode::map), boxes,
                         {false, true, false}, QPageLayout::Landscape);
    }
    // A long list, to look at where pages break.
    TreeDocument longOne{"long", "Long list", {}};
    std::vector<Item> items;
    for (int i = 1; i <= 120; ++i) {
        Item made = Item::blank("l" + std::to_string(i), "Row " + std::to_string(i));
        if (i % 4 == 0) {
            made.note = "A note of two lines\nunder row " + std::to_string(i);
        }
        if (i % 3 == 0) {
            made.children = ItemList{Item::blank("c" + std::to_string(i), "A child")};
        }
        items.push_back(std::move(made));
    }
    longOne.items = ItemList(std::move(items));
    written += write(folder + QStringLiteral("/long-list.pdf"), sessionFor(longOne, ViewMode::list),
                     boxes, {true, true, true}, QPageLayout::Portrait);

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QPalette light = QApplication::style()->standardPalette();
    for (bool dark : {false, true}) {
        QApplication::setPalette(dark ? test::darkPalette() : light);
        const QString suffix = dark ? QStringLiteral("dark") : QStringLiteral("light");
        written += shootPreview(folder + QStringLiteral("/preview-tree-") + suffix +
                                    QStringLiteral(".png"),
                                sessionFor(documents[0], ViewMode::tree), false);
        written += shootPreview(folder + QStringLiteral("/preview-list-") + suffix +
                                    QStringLiteral(".png"),
                                sessionFor(documents[1], ViewMode::tree), true);
    }
    std::cout << written << " files in " << folder.toStdString() << "\n";
    return 0;
}

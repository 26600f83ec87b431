// Renders the sample documents in the tree and map views on every paper, in the light and the
// dark appearance, into PNG files for looking at side by side:
//   canvas_gallery <folder>
#include "app/platform/preferences.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "core/formats/sample_library.hpp"
#include "core/layout/paper_style.hpp"
#include "core/model/tree_ops.hpp"
#include "tests/app/support/gallery_palettes.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QApplication>
#include <QDir>
#include <QScrollArea>
#include <QStyle>
#include <QStyleFactory>

#include <array>
#include <iostream>

using namespace velmora;

namespace {

QPalette lightPalette() {
    QPalette p = QStyleFactory::create(QStringLiteral("Fusion"))->standardPalette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0, 122, 255));
    p.setColor(QPalette::Link, QColor(0, 104, 218));
    return p;
}

// The first item below the top level that has children, to show a collapsed knob.
std::optional<std::string> firstInnerParent(const TreeDocument& document) {
    for (const Item& top : document.items) {
        for (const Item& child : top.children) {
            if (!child.children.empty()) {
                return child.id;
            }
        }
    }
    return std::nullopt;
}

EditorSession sessionFor(const TreeDocument& document, ViewMode view) {
    EditorSnapshot snapshot;
    snapshot.document = document;
    if (auto parent = firstInnerParent(document); parent && view == ViewMode::map) {
        snapshot.document = TreeOps::setCollapsed(snapshot.document, *parent, true);
    }
    snapshot.view = view;
    snapshot.showAllNotes = true;
    // Select the second top-level item's first child so the looks of a selection show.
    if (document.items.size() > 1 && !document.items[1].children.empty()) {
        snapshot.selectedId = document.items[1].children[0].id;
    } else if (!document.items.empty()) {
        snapshot.selectedId = document.items[0].id;
    }
    return EditorSession::init(snapshot, EditorPreferences{});
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery");
    QDir().mkpath(folder);
    const auto documents = SampleLibrary::documents();
    const std::array<PaperStyle, 10> styles = {
        PaperStyle::plain,      PaperStyle::dots,      PaperStyle::fineDots, PaperStyle::crosses,
        PaperStyle::lines,      PaperStyle::margin,    PaperStyle::grid,     PaperStyle::zebra,
        PaperStyle::levelBands, PaperStyle::levelLines};
    const std::array<PaperColor, 5> colors = {PaperColor::white, PaperColor::warm,
                                              PaperColor::yellow, PaperColor::sage,
                                              PaperColor::blueprint};
    int written = 0;
    for (std::size_t d = 0; d < documents.size(); ++d) {
        for (ViewMode view : {ViewMode::tree, ViewMode::map}) {
            for (bool dark : {false, true}) {
                for (std::size_t s = 0; s < styles.size(); ++s) {
                    QScrollArea area;
                    area.setPalette(dark ? test::darkPalette() : lightPalette());
                    auto* canvas = new TreeCanvasView;
                    area.setWidget(canvas);
                    area.resize(1100, 720);
                    CanvasOptions options;
                    options.appearance.paperStyle = styles[s];
                    options.appearance.paperColor = colors[(s + d) % colors.size()];
                    options.appearance.labelStyle = s % 3 == 2 ? LabelStyle::fill : LabelStyle::dot;
                    options.appearance.checkStyle = s % 4 == 3 ? CheckStyle::web : CheckStyle::box;
                    options.appearance.strikeChecked =
                        options.appearance.checkStyle == CheckStyle::web;
                    options.highlightBranch = s % 2 == 1;
                    canvas->setOptions(options);
                    canvas->setSession(sessionFor(documents[d], view));
                    area.show();
                    canvas->reload();
                    QApplication::processEvents();
                    const QString name =
                        QStringLiteral("%1/doc%2-%3-%4-%5-%6.png")
                            .arg(folder)
                            .arg(d)
                            .arg(QString::fromLatin1(rawValue(view).data()))
                            .arg(dark ? QStringLiteral("dark") : QStringLiteral("light"))
                            .arg(s, 2, 10, QLatin1Char('0'))
                            .arg(QString::fromLatin1(rawValue(styles[s]).data()));
                    if (area.grab().save(name)) {
                        ++written;
                    }
                }
            }
        }
    }
    // The whole window: a sample in each view with a title being edited, on lined paper.
    for (ViewMode view : {ViewMode::list, ViewMode::tree, ViewMode::map}) {
        test::WindowFixture fixture;
        Preferences().setString(PreferenceKeys::paperStyle, QStringLiteral("margin"));
        Preferences().setString(PreferenceKeys::paperColor, QStringLiteral("warm"));
        fixture.newDocument();
        EditorSnapshot snapshot = sessionFor(documents[1], view).snapshot;
        snapshot.editing = EditingTarget::item(*snapshot.selectedId);
        fixture.load(snapshot);
        fixture.window().window()->resize(1200, 760);
        QApplication::processEvents();
        const QString name = QStringLiteral("%1/window-%2.png")
                                 .arg(folder, QString::fromLatin1(rawValue(view).data()));
        if (fixture.window().window()->grab().save(name)) {
            ++written;
        }
    }
    std::cout << written << " pictures in " << folder.toStdString() << "\n";
    return written > 0 ? 0 : 1;
}

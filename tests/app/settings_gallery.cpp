// Renders each pane of the settings window, and a document window before and after the paper
// changes in the settings, into PNG files for looking at (run on a real display to see the
// desktop's theme and icons):
//   settings_gallery <folder> [language]
#include "app/platform/app_language.hpp"
#include "app/platform/localization.hpp"
#include "app/settings/appearance_settings_controller.hpp"
#include "app/settings/settings_window_controller.hpp"
#include "app/shell/application.hpp"
#include "core/formats/sample_library.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTabWidget>

#include <iostream>

using namespace velmora;

int main(int argc, char** argv) {
    test::IsolatedHome home;
    QApplication app(argc, argv);
    Application::configure(app);
    QApplication::setQuitOnLastWindowClosed(false);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery");
    const QString language = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("en");
    QDir().mkpath(folder);
    test::WindowFixture fixture;
    Localization::changeLanguage(AppLanguages::fromRawValue(language).value_or(AppLanguage::en));
    QTest::qWait(50);
    fixture.newDocument();
    EditorSnapshot snapshot;
    snapshot.document = SampleLibrary::documents().at(1);
    snapshot.view = ViewMode::tree;
    snapshot.selectedId = snapshot.document.items[0].id;
    fixture.load(snapshot);
    QWidget* documentWindow = fixture.window().window();
    documentWindow->resize(1000, 640);
    QTest::qWait(100);
    int written = 0;
    auto save = [&](QWidget* widget, const QString& name) {
        QApplication::processEvents();
        QTest::qWait(100);
        if (widget->grab().save(QStringLiteral("%1/%2-%3.png").arg(folder, name, language))) {
            ++written;
        }
    };
    save(documentWindow, QStringLiteral("window-before"));

    fixture.delegate().showSettings();
    SettingsWindowController* settings = fixture.delegate().settingsWindow();
    const QStringList names{QStringLiteral("general"), QStringLiteral("appearance"),
                            QStringLiteral("editing"), QStringLiteral("files")};
    for (int i = 0; i < names.size(); ++i) {
        settings->present(static_cast<SettingsWindowController::Pane>(i));
        save(settings, QStringLiteral("settings-") + names.at(i));
    }
    // Grid paper on yellow, as a person would choose it in the appearance pane.
    QComboBox* paper = settings->appearance().paper;
    paper->setCurrentIndex(paper->findData(QStringLiteral("grid")));
    emit paper->activated(paper->currentIndex());
    QComboBox* color = settings->appearance().paperColor;
    color->setCurrentIndex(color->findData(QStringLiteral("yellow")));
    emit color->activated(color->currentIndex());
    save(documentWindow, QStringLiteral("window-after"));
    std::cout << written << " pictures in " << folder.toStdString() << "\n";
    return written > 0 ? 0 : 1;
}

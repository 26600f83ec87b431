#include "app/shell/application.hpp"

#include "app/platform/contrast_style.hpp"
#include "app/platform/data_folder.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/app_delegate.hpp"
#include "app/shell/single_instance.hpp"
#include "app/shell/termination_signals.hpp"
#include "app/shell/velmora_document_controller.hpp"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QSessionManager>

#include <cstdio>

namespace velmora {

void Application::configure(QCoreApplication& application) {
    QCoreApplication::setOrganizationName(QStringLiteral("ostrevo"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("kestrum-software.com"));
    QCoreApplication::setApplicationName(QStringLiteral("ostrevo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(OSTREVO_VERSION));
    if (auto* gui = qobject_cast<QGuiApplication*>(&application)) {
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Ostrevo"));
        QGuiApplication::setDesktopFileName(QStringLiteral("ostrevo"));
        QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/ostrevo.svg")));
        if (qobject_cast<QApplication*>(gui)) {
            ContrastStyle::install();
        }
        Localization::applyKeyNames();
    }
}

QStringList Application::filesFromArguments(const QStringList& arguments) {
    QStringList files;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument.startsWith(QLatin1Char('-'))) {
            continue;
        }
        files.append(QFileInfo(argument).absoluteFilePath());
    }
    return files;
}

QString Application::helpText() {
    return QStringLiteral(
        "Usage: ostrevo [FILE...]\n"
        "\n"
        "Keyboard-driven outliner for lists, trees and maps. Starts Ostrevo and opens each FILE:\n"
        "a document file (.quenlith), OPML (.opml), a Markdown list (.md) or an Org file (.org);\n"
        "OPML, Markdown and Org open as new untitled documents. When Ostrevo is already running,\n"
        "the files are handed to it and this process ends.\n"
        "\n"
        "Documents autosave a few seconds after a change. Untitled documents are kept in\n"
        "~/.local/share/ostrevo until they are saved, and the documents open at quit reopen at\n"
        "the next start. Preferences live in ~/.config/ostrevo/ostrevo.conf.\n"
        "\n"
        "Options:\n"
        "  -h, --help     print this help and exit\n"
        "  --version      print the version and exit\n"
        "\n"
        "ostrevo-cli converts, checks and searches Ostrevo's files without the desktop\n"
        "application.\n");
}

int Application::run(int argc, char** argv) {
    // Answered before the application starts, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        const QLatin1String argument(argv[i]);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            std::fputs(helpText().toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (argument == QLatin1String("--version")) {
            std::printf("ostrevo %s\n", OSTREVO_VERSION);
            return 0;
        }
    }
    QApplication application(argc, argv);
    configure(application);

    Preferences preferences;
    AppDelegate::prepare(preferences);
    Localization::applyInterfaceLanguage();

    const QStringList files = filesFromArguments(QCoreApplication::arguments());
    SingleInstance instance(SingleInstance::defaultServerName());
    // One instance per user and home: the untitled documents' autosaves in the data folder
    // are one instance's alone, whatever display or runtime folder a start names.
    instance.setLockPath(SingleInstance::lockPathIn(DataFolder::location()));
    switch (instance.claim(files)) {
    case SingleInstance::Claim::handedOver:
        return 0;
    case SingleInstance::Claim::unanswered:
        // Two instances would autosave the same untitled documents over each other.
        std::fputs("ostrevo: another Ostrevo is running but does not answer\n", stderr);
        return 1;
    case SingleInstance::Claim::primary:
        break;
    }

    QtDialogs dialogs;
    AppDelegate delegate(dialogs, DataFolder::location());
    QObject::connect(&instance, &SingleInstance::activated, &delegate,
                     [&delegate](const QStringList& paths) { delegate.reopen(paths); });
    // Logging out saves like quitting does.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &delegate,
                     [&delegate](QSessionManager&) { delegate.controller().prepareToQuit(); });

    TerminationSignals termination([&delegate] { delegate.requestQuit(); });

    delegate.launch(files);
    return application.exec();
}

} // namespace velmora

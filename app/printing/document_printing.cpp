#include "app/printing/document_printing.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/appearance.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/printing/document_print_view.hpp"
#include "app/printing/print_accessory_controller.hpp"
#include "app/printing/print_preview_window.hpp"
#include "core/layout/print_layout.hpp"

#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace velmora {
namespace {

constexpr int kMostPages = 999999;

QString documentTitle(const VelmoraDocument& document) {
    const std::string& title = document.session().snapshot.document.title;
    return title.empty() ? document.displayName() : QString::fromStdString(title);
}

} // namespace

DocumentPrinting::DocumentPrinting(Dialogs& dialogs, QObject* parent)
    : QObject(parent), m_dialogs(dialogs) {}

DocumentPrinting::~DocumentPrinting() = default;

PrintInfo& DocumentPrinting::printInfo(VelmoraDocument& document) {
    auto it = m_infos.find(&document);
    if (it == m_infos.end()) {
        it = m_infos.emplace(&document, PrintInfo::remembered(Preferences())).first;
        const VelmoraDocument* key = &document;
        connect(&document, &QObject::destroyed, this, [this, key] { m_infos.erase(key); });
    }
    return it->second;
}

std::unique_ptr<DocumentPrintView> DocumentPrinting::makePrintView(VelmoraDocument& document) {
    emit document.commitEditingRequested();
    PrintInfo& info = printInfo(document);
    auto view = std::make_unique<DocumentPrintView>(
        document.session(), Appearance::fromPreferences(Preferences()), documentTitle(document));
    if (!info.options()) {
        PrintOptions options;
        options.notes = document.session().snapshot.showAllNotes;
        info.writeOptions(options, view->canvas());
        if (view->canvas()) {
            view->prepare(options, PrintJob::printableSize(info.pageLayout).width());
            const QSizeF size = view->size();
            info.pageLayout.setOrientation(
                PrintLayout::prefersLandscape({size.width(), size.height()})
                    ? QPageLayout::Landscape
                    : QPageLayout::Portrait);
        }
    }
    return view;
}

void DocumentPrinting::configure(QPrinter& printer, const PrintInfo& info,
                                 const QString& jobName) const {
    if (!info.printerName.isEmpty() &&
        QPrinterInfo::availablePrinterNames().contains(info.printerName)) {
        printer.setPrinterName(info.printerName);
    }
    printer.setPageLayout(info.pageLayout);
    printer.setDocName(jobName);
    printer.setCreator(QStringLiteral("Ostrevo"));
    printer.setResolution(PrintJob::deviceResolution());
}

void DocumentPrinting::keep(VelmoraDocument& document, const QPrinter& printer) {
    PrintInfo& info = printInfo(document);
    info.pageLayout = printer.pageLayout();
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        info.printerName = printer.printerName();
    }
    rememberInfo(info);
}

void DocumentPrinting::rememberInfo(const PrintInfo& info) const {
    Preferences preferences;
    info.remember(preferences);
}

void DocumentPrinting::pageSetup(VelmoraDocument& document, QWidget* window) {
    QPrinter printer(QPrinter::HighResolution);
    configure(printer, printInfo(document), document.displayName());
    QPageSetupDialog dialog(&printer, window);
    if (dialog.exec() == QDialog::Accepted) {
        keep(document, printer);
    }
}

bool DocumentPrinting::print(VelmoraDocument& document, QWidget* window) {
    auto view = makePrintView(document);
    QPrinter printer(QPrinter::HighResolution);
    configure(printer, printInfo(document), document.displayName());
    return printWithDialog(document, *view, printer, window);
}

bool DocumentPrinting::printWithDialog(VelmoraDocument& document, DocumentPrintView& view,
                                       QPrinter& printer, QWidget* window) {
    // The dialog works on a copy, so that cancelling it leaves the document's options alone.
    PrintInfo working = printInfo(document);
    QPrintDialog dialog(&printer, window);
    dialog.setWindowTitle(localized(QStringLiteral("menu.file.print")));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    // The page count is known only once the paper and options are chosen.
    dialog.setMinMax(1, kMostPages);
    dialog.setOptionTabs({new PrintAccessoryController(view.canvas(), working)});
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    return printChosen(document, view, printer, working, window);
}

bool DocumentPrinting::printChosen(VelmoraDocument& document, DocumentPrintView& view,
                                   QPrinter& printer, PrintInfo working, QWidget* window) {
    printer.setResolution(PrintJob::deviceResolution());
    working.pageLayout = printer.pageLayout();
    const bool range = printer.printRange() == QPrinter::PageRange;
    const int first = range ? printer.fromPage() : 0;
    const int last = range ? printer.toPage() : 0;
    PrintJob::ProgressWindow progress(window);
    PrintJob::Outcome outcome;
    QString error;
    const QString file = printer.outputFileName();
    if (printer.outputFormat() == QPrinter::PdfFormat && !file.isEmpty()) {
        // Printed to a file: written whole or not at all, as an exported PDF is, so that a disk
        // that fills up at the end is reported rather than leaving a cut-off file.
        outcome = writeFile(view, working, file, documentTitle(document), progress.progress(),
                            first, last, &error);
    } else {
        outcome = PrintJob::run(view, working, printer, progress.progress(), first, last);
        if (printer.printerState() == QPrinter::Error ||
            printer.printerState() == QPrinter::Aborted) {
            outcome.failed = true;
        }
    }
    if (outcome.outOfRange) {
        m_dialogs.alert(window, localized(QStringLiteral("print.error.range")),
                        localizedFormat(QStringLiteral("print.error.range.pages %lld"),
                                        {qlonglong(outcome.available)}));
        return false;
    }
    if (outcome.failed) {
        m_dialogs.alert(window, localized(QStringLiteral("print.error.print")), error);
        return false;
    }
    if (outcome.cancelled) {
        return false;
    }
    printInfo(document) = working;
    keep(document, printer);
    return true;
}

void DocumentPrinting::preview(VelmoraDocument& document, QWidget* window) {
    std::unique_ptr<DocumentPrintView> view = makePrintView(document);
    PrintInfo& info = printInfo(document);
    QPrinter printer(QPrinter::HighResolution);
    configure(printer, info, document.displayName());
    PrintPreviewWindow* shown = nullptr;
    PrintPreviewWindow previewWindow(
        printer, info, view->canvas(),
        [&](QPrinter& target) {
            PrintJob::ProgressWindow progress(shown);
            PrintJob::run(*view, info, target, progress.progress());
        },
        window);
    shown = &previewWindow;
    connect(&previewWindow, &PrintPreviewWindow::pageSetupRequested, &previewWindow, [&] {
        QPageSetupDialog dialog(&printer, &previewWindow);
        if (dialog.exec() == QDialog::Accepted) {
            keep(document, printer);
            previewWindow.updatePreview();
        }
    });
    bool printRequested = false;
    connect(&previewWindow, &PrintPreviewWindow::printRequested, &previewWindow,
            [&] { printRequested = true; });
    previewWindow.exec();
    if (printRequested) {
        printWithDialog(document, *view, printer, window);
    }
}

bool DocumentPrinting::exportPDF(VelmoraDocument& document, QWidget* window) {
    const QString folder =
        document.filePath().isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
            : QFileInfo(document.filePath()).absolutePath();
    QString path = m_dialogs.saveFileName(
        window, folder, document.displayName() + QStringLiteral(".pdf"),
        {localized(QStringLiteral("print.filter.pdf")) + QStringLiteral(" (*.pdf)")});
    if (path.isEmpty()) {
        return false;
    }
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".pdf");
    }
    PrintJob::ProgressWindow progress(window);
    QString error;
    const auto outcome = writePDF(document, path, progress.progress(), &error);
    if (outcome.failed) {
        m_dialogs.alert(window, localized(QStringLiteral("print.error.pdf")), error);
    }
    return outcome.ok();
}

PrintJob::Outcome DocumentPrinting::writePDF(VelmoraDocument& document, const QString& path,
                                             const PrintJob::Progress& progress, QString* error) {
    std::unique_ptr<DocumentPrintView> view = makePrintView(document);
    PrintInfo& info = printInfo(document);
    const PrintJob::Outcome outcome =
        writeFile(*view, info, path, documentTitle(document), progress, 0, 0, error);
    if (outcome.ok()) {
        rememberInfo(info);
    }
    return outcome;
}

PrintJob::Outcome DocumentPrinting::writeFile(DocumentPrintView& view, PrintInfo& info,
                                              const QString& path, const QString& title,
                                              const PrintJob::Progress& progress, int firstPage,
                                              int lastPage, QString* error) {
    PrintJob::Outcome outcome;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        outcome.failed = true;
        if (error) {
            *error = file.errorString();
        }
        return outcome;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(info.pageLayout);
        writer.setResolution(PrintJob::deviceResolution());
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Ostrevo"));
        outcome = PrintJob::run(view, info, writer, progress, firstPage, lastPage);
    }
    if (!outcome.ok()) {
        file.cancelWriting();
        if (outcome.failed && error) {
            *error = file.errorString();
        }
        return outcome;
    }
    // Flushed first: a commit after a failed flush (a full disk) would keep a cut-off PDF.
    if (!file.flush() || !file.commit()) {
        outcome.failed = true;
        if (error) {
            *error = file.errorString();
        }
        file.cancelWriting();
        return outcome;
    }
    return outcome;
}

} // namespace velmora

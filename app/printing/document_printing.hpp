#pragma once

#include "app/printing/print_info.hpp"
#include "app/printing/print_job.hpp"

#include <QObject>
#include <QString>

#include <memory>
#include <unordered_map>

class QPrinter;
class QWidget;

namespace velmora {

class Dialogs;
class DocumentPrintView;
class VelmoraDocument;

// File ▸ Page Setup, Print, Print Preview and Export ▸ PDF for the documents. Each document
// keeps its own print info for the session: the paper, margins and printer remembered between
// runs, with options of its own, decided from the document at its first print; a finished
// job's paper, margins and printer are remembered for the next run.
class DocumentPrinting : public QObject {
    Q_OBJECT
public:
    explicit DocumentPrinting(Dialogs& dialogs, QObject* parent = nullptr);
    ~DocumentPrinting() override;

    // The document's own print info.
    [[nodiscard]] PrintInfo& printInfo(VelmoraDocument& document);

    void pageSetup(VelmoraDocument& document, QWidget* window);
    // Shows the print dialog (with the print options as a tab of it) and prints.
    bool print(VelmoraDocument& document, QWidget* window);
    void preview(VelmoraDocument& document, QWidget* window);
    // Asks where to save and writes the PDF file there.
    bool exportPDF(VelmoraDocument& document, QWidget* window);

    // Writes the document as a PDF file at the path, replacing it only once the whole file is
    // written; a cancelled or failed job leaves the path as it was. `error` gets the reason of
    // a failure.
    PrintJob::Outcome writePDF(VelmoraDocument& document, const QString& path,
                               const PrintJob::Progress& progress = {}, QString* error = nullptr);

    // Prints on the printer as the print dialog left it (its page range, its file or printer),
    // with the options the dialog worked on; a range past the last page and a job that fails,
    // even as it ends, are reported and leave the document's print info as it was.
    bool printChosen(VelmoraDocument& document, DocumentPrintView& view, QPrinter& printer,
                     PrintInfo working, QWidget* window);

    // Builds the print view from a copy of the document's session after the views committed
    // the text being typed; the first time, it sets the options from the document (notes as it
    // shows them) and turns the paper across for a picture wider than high.
    [[nodiscard]] std::unique_ptr<DocumentPrintView> makePrintView(VelmoraDocument& document);

private:
    void configure(QPrinter& printer, const PrintInfo& info, const QString& jobName) const;
    // Takes the paper and printer the user chose back into the document's print info.
    void keep(VelmoraDocument& document, const QPrinter& printer);
    void rememberInfo(const PrintInfo& info) const;
    // Writes the pages as a PDF file, replacing the path only once the whole file is written.
    PrintJob::Outcome writeFile(DocumentPrintView& view, PrintInfo& info, const QString& path,
                                const QString& title, const PrintJob::Progress& progress,
                                int firstPage, int lastPage, QString* error);
    bool printWithDialog(VelmoraDocument& document, DocumentPrintView& view, QPrinter& printer,
                         QWidget* window);

    Dialogs& m_dialogs;
    std::unordered_map<const VelmoraDocument*, PrintInfo> m_infos;
};

} // namespace velmora

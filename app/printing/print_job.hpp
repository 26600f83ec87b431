#pragma once

#include "app/printing/document_print_view.hpp"
#include "app/printing/print_info.hpp"

#include <QPointer>
#include <QSizeF>

#include <functional>
#include <memory>

class QPageLayout;
class QPagedPaintDevice;
class QProgressDialog;
class QWidget;

namespace velmora {

// Runs one print job: lays the view out for the print info's paper and options and paints its
// pages onto a printer, a preview or a PDF writer. The same code serves printing, the preview
// and the PDF export, so all three give the same pages.
namespace PrintJob {

enum class Phase { layout, pages };

// Answers how far the job went; false cancels it.
using Progress = std::function<bool(Phase phase, long long done, long long total)>;

struct Outcome {
    int pages = 0;
    bool cancelled = false;
    bool failed = false; // the device could not be painted on, or the job did not end well
    // The chosen range begins past the last page: nothing was painted, not even a blank sheet.
    bool outOfRange = false;
    // The number of pages the whole document makes.
    int available = 0;

    [[nodiscard]] bool ok() const { return !cancelled && !failed && !outOfRange; }
};

// The resolution the device must have before painting: the screen's, so that the views' fonts
// (sized for the screen) keep their measured widths on paper.
[[nodiscard]] int deviceResolution();

// The printable area of the paper in points.
[[nodiscard]] QSizeF printableSize(const QPageLayout& layout);

// Writes the options into the print info (unset ones as the defaults), lays the view out and
// paints the pages onto the device, whose page layout is already the print info's: all of them,
// or those from `firstPage` to `lastPage` (counted from 1; 0 leaves that end open). A range that
// begins past the last page paints nothing and says so; a device that fails when the job ends
// makes the job fail.
Outcome run(DocumentPrintView& view, PrintInfo& info, QPagedPaintDevice& device,
            const Progress& progress = {}, int firstPage = 0, int lastPage = 0);

// A progress dialog over the window that appears when a job takes more than a second and
// offers to cancel it; it keeps the window responsive between pages.
class ProgressWindow {
public:
    explicit ProgressWindow(QWidget* parent);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    [[nodiscard]] Progress progress();

private:
    bool step(Phase phase, long long done, long long total);

    QPointer<QWidget> m_parent;
    std::unique_ptr<QProgressDialog> m_dialog;
    Phase m_phase = Phase::layout;
};

} // namespace PrintJob
} // namespace velmora

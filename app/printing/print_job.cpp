#include "app/printing/print_job.hpp"

#include "app/platform/localization.hpp"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QProgressDialog>
#include <QScreen>
#include <QWidget>

#include <cmath>
#include <limits>

namespace velmora {
namespace {

constexpr int kShowAfterMilliseconds = 1000;
constexpr double kPointsPerInch = 72;

int clampedInt(long long value) {
    return static_cast<int>(std::min<long long>(value, std::numeric_limits<int>::max()));
}

} // namespace

int PrintJob::deviceResolution() {
    double dpi = 96;
    if (auto* screen = QGuiApplication::primaryScreen()) {
        if (screen->logicalDotsPerInchY() > 0) {
            dpi = screen->logicalDotsPerInchY();
        }
    }
    return static_cast<int>(std::lround(dpi));
}

QSizeF PrintJob::printableSize(const QPageLayout& layout) {
    return layout.paintRect(QPageLayout::Point).size();
}

PrintJob::Outcome PrintJob::run(DocumentPrintView& view, PrintInfo& info,
                                QPagedPaintDevice& device, const Progress& progress,
                                int firstPage, int lastPage) {
    Outcome outcome;
    const PrintOptions options = info.effectiveOptions();
    info.writeOptions(options, view.canvas());
    const QSizeF printable = printableSize(device.pageLayout());
    DocumentPrintView::Progress layoutProgress;
    if (progress) {
        layoutProgress = [&progress](long long done, long long total) {
            return progress(Phase::layout, done, total);
        };
    }
    if (!view.prepare(options, printable.width(), layoutProgress)) {
        outcome.cancelled = true;
        return outcome;
    }
    auto pages = view.pages(printable, info);
    outcome.available = clampedInt(static_cast<long long>(pages.size()));
    if (firstPage > 1 && static_cast<std::size_t>(firstPage) > pages.size()) {
        // Beginning the painter would already start a job with one blank sheet.
        outcome.outOfRange = true;
        return outcome;
    }
    if (lastPage > 0 && static_cast<std::size_t>(lastPage) < pages.size()) {
        pages.resize(static_cast<std::size_t>(lastPage));
    }
    if (firstPage > 1) {
        pages.erase(pages.begin(),
                    pages.begin() + std::min<std::ptrdiff_t>(firstPage - 1,
                                                             static_cast<std::ptrdiff_t>(pages.size())));
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        outcome.failed = true;
        return outcome;
    }
    // The painter's units become points of the paper, whatever the device's resolution.
    const double unit = device.logicalDpiX() / kPointsPerInch;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (progress && !progress(Phase::pages, static_cast<long long>(i),
                                  static_cast<long long>(pages.size()))) {
            outcome.cancelled = true;
            break;
        }
        if (i > 0 && !device.newPage()) {
            outcome.failed = true;
            break;
        }
        const DocumentPrintView::Page& page = pages[i];
        painter.save();
        painter.scale(unit, unit);
        double left = 0;
        const double shown = page.source.width() * page.scale;
        if (info.centersHorizontally && page.centred && shown < printable.width()) {
            left = (printable.width() - shown) / 2;
        }
        painter.translate(left, 0);
        painter.scale(page.scale, page.scale);
        painter.translate(-page.source.topLeft());
        painter.setClipRect(page.source);
        view.draw(painter, page.source);
        painter.restore();
        ++outcome.pages;
    }
    // The printer or the file learns only now that the job is complete, and may refuse it.
    if (!painter.end()) {
        outcome.failed = true;
    }
    if (progress && outcome.ok()) {
        progress(Phase::pages, outcome.pages, outcome.pages);
    }
    return outcome;
}

PrintJob::ProgressWindow::ProgressWindow(QWidget* parent) : m_parent(parent) {}

PrintJob::ProgressWindow::~ProgressWindow() = default;

PrintJob::Progress PrintJob::ProgressWindow::progress() {
    return [this](Phase phase, long long done, long long total) {
        return step(phase, done, total);
    };
}

bool PrintJob::ProgressWindow::step(Phase phase, long long done, long long total) {
    if (!m_dialog) {
        m_dialog = std::make_unique<QProgressDialog>(m_parent);
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(kShowAfterMilliseconds);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setCancelButtonText(localized(QStringLiteral("print.progress.cancel")));
        m_dialog->setWindowTitle(localized(QStringLiteral("print.progress.title")));
        m_dialog->setLabelText(localized(QStringLiteral("print.progress.layout")));
    }
    if (phase != m_phase) {
        m_phase = phase;
        m_dialog->setValue(0);
    }
    if (phase == Phase::pages) {
        m_dialog->setLabelText(localizedFormat(QStringLiteral("print.progress.page %lld %lld"),
                                               {std::min(done + 1, total), total}));
    }
    m_dialog->setMaximum(clampedInt(std::max<long long>(total, 1)));
    // A window-modal progress dialog handles pending events here, so the window stays alive.
    m_dialog->setValue(clampedInt(std::min(done, total)));
    return !m_dialog->wasCanceled();
}

} // namespace velmora

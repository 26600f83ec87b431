#pragma once

#include "app/printing/print_info.hpp"

#include <QDialog>

#include <functional>

class QLabel;
class QPrinter;
class QPrintPreviewWidget;

namespace velmora {

class PrintAccessoryController;

// The print preview: the pages as they will print, beside the print options, which redraw the
// pages as soon as they change; with buttons for the page setup and for printing.
class PrintPreviewWindow : public QDialog {
    Q_OBJECT
public:
    // Paints the job onto the preview's printer.
    using Render = std::function<void(QPrinter& printer)>;

    // `printer` and `info` must outlive the window.
    PrintPreviewWindow(QPrinter& printer, PrintInfo& info, bool canvas, Render render,
                       QWidget* parent = nullptr);

    [[nodiscard]] PrintAccessoryController& accessory() const { return *m_accessory; }
    [[nodiscard]] QPrintPreviewWidget& preview() const { return *m_preview; }
    // The number of pages the preview shows.
    [[nodiscard]] int pageCount() const;

signals:
    // The user asked for the page setup or for printing (the window closes for printing).
    void pageSetupRequested();
    void printRequested();

public slots:
    // Paints the pages again (the paper or the options changed).
    void updatePreview();

private:
    void updateStatus();

    Render m_render;
    QPrintPreviewWidget* m_preview = nullptr;
    PrintAccessoryController* m_accessory = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace velmora

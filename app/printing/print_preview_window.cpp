#include "app/printing/print_preview_window.hpp"

#include "app/platform/localization.hpp"
#include "app/printing/print_accessory_controller.hpp"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {
namespace {

constexpr int kSideWidth = 260;
const QSize kWindowSize(980, 760);

// A tool button with the theme's icon when the desktop has one, else with its text.
QToolButton* toolButton(QWidget* parent, const QString& themeName, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(text);
    if (QIcon::hasThemeIcon(themeName)) {
        button->setIcon(QIcon::fromTheme(themeName));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    button->setAutoRaise(true);
    return button;
}

} // namespace

PrintPreviewWindow::PrintPreviewWindow(QPrinter& printer, PrintInfo& info, bool canvas,
                                       Render render, QWidget* parent)
    : QDialog(parent), m_render(std::move(render)) {
    setObjectName(QStringLiteral("printPreview"));
    setWindowTitle(localized(QStringLiteral("print.preview.title")));
    resize(kWindowSize);

    m_preview = new QPrintPreviewWidget(&printer, this);
    m_preview->setZoomMode(QPrintPreviewWidget::FitInView);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* target) { m_render(*target); });
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this,
            &PrintPreviewWindow::updateStatus);

    m_accessory = new PrintAccessoryController(canvas, info, this);
    connect(m_accessory, &PrintAccessoryController::optionsChanged, this,
            &PrintPreviewWindow::updatePreview);

    auto* side = new QWidget(this);
    // Wide enough for the longest option in the interface language ("Originalgröße auf
    // mehreren Seiten"), so no choice is cut off.
    side->setFixedWidth(std::max(kSideWidth, m_accessory->sizeHint().width()));
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_accessory);
    m_status = new QLabel(side);
    m_status->setWordWrap(true);
    m_status->setForegroundRole(QPalette::PlaceholderText);
    sideLayout->addWidget(m_status);
    sideLayout->addStretch(1);

    auto* zoomBar = new QHBoxLayout();
    auto* fitPage = toolButton(this, QStringLiteral("zoom-fit-best"),
                               localized(QStringLiteral("print.preview.fitPage")));
    auto* fitWidth = toolButton(this, QStringLiteral("zoom-fit-width"),
                                localized(QStringLiteral("print.preview.fitWidth")));
    auto* zoomOut = toolButton(this, QStringLiteral("zoom-out"),
                               localized(QStringLiteral("menu.view.zoomOut")));
    auto* zoomIn = toolButton(this, QStringLiteral("zoom-in"),
                              localized(QStringLiteral("menu.view.zoomIn")));
    connect(fitPage, &QToolButton::clicked, m_preview, &QPrintPreviewWidget::fitInView);
    connect(fitWidth, &QToolButton::clicked, m_preview, &QPrintPreviewWidget::fitToWidth);
    connect(zoomOut, &QToolButton::clicked, m_preview, [this] { m_preview->zoomOut(); });
    connect(zoomIn, &QToolButton::clicked, m_preview, [this] { m_preview->zoomIn(); });
    for (QToolButton* button : {fitPage, fitWidth, zoomOut, zoomIn}) {
        zoomBar->addWidget(button);
    }
    zoomBar->addStretch(1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* setup = buttons->addButton(localized(QStringLiteral("menu.file.pageSetup")),
                                            QDialogButtonBox::ActionRole);
    QPushButton* print = buttons->addButton(localized(QStringLiteral("menu.file.print")),
                                            QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Close);
    print->setDefault(true);
    connect(setup, &QPushButton::clicked, this, &PrintPreviewWindow::pageSetupRequested);
    connect(print, &QPushButton::clicked, this, [this] {
        accept();
        emit printRequested();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* content = new QHBoxLayout();
    content->addWidget(side);
    content->addWidget(m_preview, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(zoomBar);
    layout->addLayout(content, 1);
    layout->addWidget(buttons);
    updateStatus();
}

int PrintPreviewWindow::pageCount() const {
    return m_preview->pageCount();
}

void PrintPreviewWindow::updatePreview() {
    m_preview->updatePreview();
}

void PrintPreviewWindow::updateStatus() {
    m_status->setText(localizedFormat(QStringLiteral("print.preview.pages %lld"),
                                      {static_cast<long long>(m_preview->pageCount())}));
    QStringList summary;
    for (const auto& [title, value] : m_accessory->summaryItems()) {
        summary.append(title + QLatin1Char(' ') + value);
    }
    m_accessory->setToolTip(summary.join(QLatin1Char('\n')));
}

} // namespace velmora

#include "app/printing/print_accessory_controller.hpp"

#include "app/platform/localization.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace velmora {
namespace {

constexpr int kSpacing = 8;

QString text(const char* key) {
    return localized(QLatin1String(key));
}

} // namespace

PrintAccessoryController::PrintAccessoryController(bool canvas, PrintInfo& kept, QWidget* parent)
    : QWidget(parent), m_canvas(canvas), m_kept(kept) {
    setObjectName(QStringLiteral("printAccessory"));
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(kSpacing);
    grid->setVerticalSpacing(kSpacing);
    m_layoutLabel = new QLabel(this);
    m_sizeLabel = new QLabel(this);
    m_layoutPopup = new QComboBox(this);
    m_sizePopup = new QComboBox(this);
    m_notesBox = new QCheckBox(this);
    m_layoutPopup->addItems({QString(), QString()});
    m_sizePopup->addItems({QString(), QString()});
    m_layoutLabel->setBuddy(m_layoutPopup);
    m_sizeLabel->setBuddy(m_sizePopup);
    grid->addWidget(m_layoutLabel, 0, 0, Qt::AlignRight);
    grid->addWidget(m_layoutPopup, 0, 1);
    grid->addWidget(m_sizeLabel, 1, 0, Qt::AlignRight);
    grid->addWidget(m_sizePopup, 1, 1);
    grid->addWidget(m_notesBox, 2, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    relocalize();

    connect(m_layoutPopup, &QComboBox::activated, this, [this](int index) {
        m_options.asList = index == 1;
        changed();
    });
    connect(m_sizePopup, &QComboBox::activated, this, [this](int index) {
        m_options.fitsPage = index == 0;
        changed();
    });
    connect(m_notesBox, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_showing) {
            m_options.notes = on;
            changed();
        }
    });
    takeOptions(kept);
}

void PrintAccessoryController::relocalize() {
    setWindowTitle(text("print.options"));
    m_layoutLabel->setText(text("print.layout"));
    m_sizeLabel->setText(text("print.size"));
    m_layoutPopup->setItemText(0, text("print.layout.screen"));
    m_layoutPopup->setItemText(1, text("print.layout.list"));
    m_sizePopup->setItemText(0, text("print.size.fit"));
    m_sizePopup->setItemText(1, text("print.size.tiles"));
    m_notesBox->setText(text("print.notes"));
}

void PrintAccessoryController::takeOptions(const PrintInfo& info) {
    if (auto options = info.options()) {
        m_options = *options;
    }
    showOptions();
}

void PrintAccessoryController::setOptions(const PrintOptions& options) {
    m_options = options;
    showOptions();
    changed();
}

void PrintAccessoryController::showOptions() {
    m_showing = true;
    // A list view only prints as a list, so its layout and size have nothing to choose.
    const bool asList = m_options.asList || !m_canvas;
    m_layoutPopup->setCurrentIndex(asList ? 1 : 0);
    m_layoutPopup->setEnabled(m_canvas);
    m_sizePopup->setCurrentIndex(m_options.fitsPage ? 0 : 1);
    m_sizePopup->setEnabled(!asList);
    m_notesBox->setChecked(m_options.notes);
    m_showing = false;
}

void PrintAccessoryController::changed() {
    showOptions();
    m_kept.writeOptions(m_options, m_canvas);
    emit optionsChanged();
}

QList<QPair<QString, QString>> PrintAccessoryController::summaryItems() const {
    QList<QPair<QString, QString>> items;
    if (m_canvas) {
        items.append({text("print.layout"),
                      text(m_options.asList ? "print.layout.list" : "print.layout.screen")});
        if (!m_options.asList) {
            items.append(
                {text("print.size"), text(m_options.fitsPage ? "print.size.fit" : "print.size.tiles")});
        }
    }
    items.append({text("print.notes"), text(m_options.notes ? "print.on" : "print.off")});
    return items;
}

} // namespace velmora

#include "app/settings/toolbar_customizer.hpp"

#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/platform/toolbar_items.hpp"
#include "app/window/window_toolbar.hpp"
#include "core/model/color_label.hpp"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace velmora {
namespace {

constexpr int kIdRole = Qt::UserRole;

QIcon iconOf(const ToolbarItems::Item& item) {
    if (item.action) {
        return ToolbarIcons::icon(*item.action);
    }
    if (item.id == ToolbarItems::labelMenu) {
        return ToolbarIcons::labelSwatch(ColorLabel::orange);
    }
    return ToolbarIcons::viewSwitch();
}

// The item's name in the list: the view switch by its three segments, menu titles without the
// ellipsis that promises a dialog.
QString nameOf(const ToolbarItems::Item& item) {
    if (item.id == ToolbarItems::viewSwitch) {
        return localized(QStringLiteral("menu.view.list")) + QStringLiteral(" / ") +
               localized(QStringLiteral("menu.view.tree")) + QStringLiteral(" / ") +
               localized(QStringLiteral("menu.view.map"));
    }
    QString name = localized(item.labelKey);
    if (name.endsWith(QChar(0x2026))) {
        name.chop(1);
    }
    return name.trimmed();
}

} // namespace

ToolbarCustomizer::ToolbarCustomizer(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("toolbarCustomizer"));
    setWindowTitle(localized(QStringLiteral("toolbar.customize.title")));
    auto* message = new QLabel(localized(QStringLiteral("toolbar.customize.message")), this);
    message->setWordWrap(true);

    m_list = new QListWidget(this);
    m_list->setDragDropMode(QAbstractItemView::InternalMove);
    m_list->setDefaultDropAction(Qt::MoveAction);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setIconSize(QSize(18, 18));
    m_list->setMinimumWidth(260);

    m_up = new QPushButton(localized(QStringLiteral("menu.reorganize.moveUp")), this);
    m_down = new QPushButton(localized(QStringLiteral("menu.reorganize.moveDown")), this);
    m_up->setObjectName(QStringLiteral("moveUp"));
    m_down->setObjectName(QStringLiteral("moveDown"));
    connect(m_up, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { moveSelected(1); });
    auto* side = new QVBoxLayout;
    side->addWidget(m_up);
    side->addWidget(m_down);
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_list, 1);
    middle->addLayout(side);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::RestoreDefaults | QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ToolbarCustomizer::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ToolbarCustomizer::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            &ToolbarCustomizer::restoreDefaults);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addLayout(middle, 1);
    layout->addWidget(buttons);

    connect(m_list, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
    connect(m_list, &QListWidget::itemChanged, this, &ToolbarCustomizer::shade);
    connect(m_list->model(), &QAbstractItemModel::rowsMoved, this, [this] { updateButtons(); });
    fill(ToolbarItems::shown(Preferences()));
}

ToolbarCustomizer* ToolbarCustomizer::show(QWidget* parent) {
    auto* dialog = new ToolbarCustomizer(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

void ToolbarCustomizer::fill(const QStringList& shown) {
    m_list->clear();
    QStringList order = shown;
    for (const QString& id : ToolbarItems::defaults()) {
        if (!order.contains(id)) {
            order.append(id);
        }
    }
    for (const QString& id : order) {
        const ToolbarItems::Item* item = ToolbarItems::item(id);
        auto* row = new QListWidgetItem(iconOf(*item), nameOf(*item), m_list);
        row->setData(kIdRole, id);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                      Qt::ItemIsDragEnabled);
        row->setCheckState(shown.contains(id) ? Qt::Checked : Qt::Unchecked);
        shade(row);
    }
    m_list->setCurrentRow(0);
    // Tall enough for every item without scrolling.
    m_list->setMinimumHeight(m_list->sizeHintForRow(0) * m_list->count() +
                             2 * m_list->frameWidth() + 4);
    updateButtons();
}

QStringList ToolbarCustomizer::chosen() const {
    QStringList ids;
    for (int i = 0; i < m_list->count(); ++i) {
        const QListWidgetItem* row = m_list->item(i);
        if (row->checkState() == Qt::Checked) {
            ids.append(row->data(kIdRole).toString());
        }
    }
    return ids;
}

void ToolbarCustomizer::moveSelected(int step) {
    const int from = m_list->currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= m_list->count()) {
        return;
    }
    QListWidgetItem* row = m_list->takeItem(from);
    m_list->insertItem(to, row);
    m_list->setCurrentRow(to);
}

void ToolbarCustomizer::restoreDefaults() {
    fill(ToolbarItems::defaults());
}

// Items left out are dimmed, so their state reads even where the style draws an empty check
// box faintly (dark themes).
void ToolbarCustomizer::shade(QListWidgetItem* row) {
    const QPalette::ColorRole role =
        row->checkState() == Qt::Checked ? QPalette::Text : QPalette::PlaceholderText;
    const QSignalBlocker quiet(m_list);
    row->setForeground(m_list->palette().brush(role));
}

void ToolbarCustomizer::updateButtons() {
    const int row = m_list->currentRow();
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row + 1 < m_list->count());
}

void ToolbarCustomizer::accept() {
    const QStringList ids = chosen();
    if (ids == ToolbarItems::defaults()) {
        ToolbarItems::restoreDefault();
    } else {
        ToolbarItems::store(ids);
    }
    QDialog::accept();
}

} // namespace velmora

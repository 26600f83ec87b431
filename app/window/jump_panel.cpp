#include "app/window/jump_panel.hpp"

#include "app/platform/localization.hpp"
#include "core/model/text.hpp"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {
namespace {

QString oneLine(const std::string& text) {
    return QString::fromStdString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace

JumpPanel::JumpPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("jumpPanel"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("jumpField"));
    m_field->setPlaceholderText(localized(QStringLiteral("menu.edit.jump")));
    m_field->setClearButtonEnabled(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("jumpMatches"));
    layout->addWidget(m_field);
    layout->addWidget(m_list);
    connect(m_field, &QLineEdit::textChanged, this, &JumpPanel::update);
    connect(m_field, &QLineEdit::returnPressed, this, &JumpPanel::choose);
    connect(m_list, &QListWidget::itemActivated, this, &JumpPanel::choose);
    m_field->installEventFilter(this);
    hide();
}

void JumpPanel::open(const ItemList& items, bool hidingCompleted,
                     const std::optional<std::string>& hoistRoot) {
    m_hidingCompleted = hidingCompleted;
    m_items = items;
    m_entries.clear();
    m_entries.reserve(static_cast<std::size_t>(items.totalCount()));
    // Pre-order, without recursion: deep outlines are allowed.
    std::vector<std::pair<const ItemList*, std::size_t>> stack{{&items, 0}};
    while (!stack.empty()) {
        auto& [list, next] = stack.back();
        if (next >= list->size()) {
            stack.pop_back();
            continue;
        }
        const Item& item = (*list)[next++];
        if (hidingCompleted && item.checked && item.id != hoistRoot) {
            continue;
        }
        m_entries.push_back({&item, Text::fold(item.text)});
        if (!item.children.empty()) {
            stack.push_back({&item.children, 0});
        }
    }
    QWidget* host = parentWidget();
    const int width = std::min(480, host ? host->width() - 40 : 480);
    setGeometry((host ? host->width() - width : 0) / 2, 8, width, 320);
    m_field->clear();
    update({});
    show();
    raise();
    m_field->setFocus(Qt::PopupFocusReason);
}

std::vector<std::size_t> JumpPanel::matchingEntries(const QString& query) const {
    const std::string folded = Text::fold(query.trimmed().toStdString());
    const auto limit = static_cast<std::size_t>(kShownMatches);
    std::vector<std::size_t> starting;
    std::vector<std::size_t> containing;
    for (std::size_t i = 0; i < m_entries.size() && starting.size() < limit; ++i) {
        const auto at = m_entries[i].folded.find(folded);
        if (at == 0) {
            starting.push_back(i);
        } else if (at != std::string::npos && containing.size() < limit) {
            containing.push_back(i);
        }
    }
    starting.insert(starting.end(), containing.begin(), containing.end());
    starting.resize(std::min(starting.size(), limit));
    return starting;
}

std::vector<std::string> JumpPanel::matches(const QString& query) const {
    std::vector<std::string> ids;
    for (std::size_t i : matchingEntries(query)) {
        ids.push_back(m_entries[i].item->id);
    }
    return ids;
}

void JumpPanel::update(const QString& query) {
    m_list->clear();
    // Rows of one height with room around the text, whatever script a title is in.
    const QSize rowSize(0, m_list->fontMetrics().height() + 8);
    for (std::size_t i : matchingEntries(query)) {
        auto* row = new QListWidgetItem(oneLine(m_entries[i].item->text), m_list);
        row->setData(Qt::UserRole, QString::fromStdString(m_entries[i].item->id));
        row->setSizeHint(rowSize);
    }
    if (m_list->count() > 0) {
        m_list->setCurrentRow(0);
    } else if (m_hidingCompleted) {
        // Says why an item the user remembers is not found.
        auto* note = new QListWidgetItem(localized(QStringLiteral("jump.hiddenNotListed")), m_list);
        note->setFlags(Qt::NoItemFlags);
    }
}

void JumpPanel::choose() {
    QListWidgetItem* current = m_list->currentItem();
    const std::string id = current ? current->data(Qt::UserRole).toString().toStdString() : "";
    hide();
    if (!id.empty() && onChoose) {
        onChoose(id);
    }
}

void JumpPanel::hideEvent(QHideEvent* event) {
    // Only when closed itself: a window minimised with the panel open keeps what it lists.
    if (isHidden()) {
        m_entries = {};
        m_items = ItemList();
    }
    QFrame::hideEvent(event);
}

bool JumpPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int row = m_list->currentRow();
        if (key->key() == Qt::Key_Down && row + 1 < m_list->count()) {
            m_list->setCurrentRow(row + 1);
            return true;
        }
        if (key->key() == Qt::Key_Up && row > 0) {
            m_list->setCurrentRow(row - 1);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hide();
            if (onCancel) {
                onCancel();
            }
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace velmora

#include "app/views/outline_list_view.hpp"

#include "app/shell/velmora_document.hpp"

#include <QApplication>
#include <QListWidget>

namespace velmora {

DocumentViewFactory DocumentViews::defaultFactory() {
    return [](VelmoraDocument& document, DocumentViewHost& host) {
        return std::unique_ptr<DocumentView>(new OutlineListView(document, host));
    };
}

OutlineListView::OutlineListView(VelmoraDocument& document, DocumentViewHost& host)
    : m_document(document), m_host(host), m_list(new QListWidget) {
    m_list->setObjectName(QStringLiteral("outlineList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFocusPolicy(Qt::StrongFocus);
    m_list->setUniformItemSizes(true);
    QObject::connect(&m_document, &VelmoraDocument::changed, m_list, [this] { refresh(); });
    refresh();
}

OutlineListView::~OutlineListView() { delete m_list.data(); }

QWidget* OutlineListView::widget() { return m_list; }

void OutlineListView::refresh() {
    if (!m_list) {
        return;
    }
    const EditorSession& session = m_document.session();
    const auto rows = session.visibleRows();
    const auto& selected = session.snapshot.selectedId;
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    int selectedRow = -1;
    for (const VisibleRow& row : rows) {
        const Item& item = row.item();
        QString text = QString(row.depth * 4, QLatin1Char(' '));
        text += item.children.empty() ? QStringLiteral("  ")
                                      : (item.collapsed ? QStringLiteral("▸ ")
                                                        : QStringLiteral("▾ "));
        if (session.checksVisible) {
            text += item.checked ? QStringLiteral("☑ ") : QStringLiteral("☐ ");
        }
        text += QString::fromStdString(item.text).replace(QLatin1Char('\n'), QLatin1Char(' '));
        auto* entry = new QListWidgetItem(text, m_list);
        entry->setData(Qt::UserRole, QString::fromStdString(item.id));
        if (selected && *selected == item.id) {
            selectedRow = m_list->count() - 1;
        }
    }
    if (selectedRow >= 0) {
        m_list->setCurrentRow(selectedRow);
    }
    m_list->setUpdatesEnabled(true);
}

bool OutlineListView::canPerform(Action action) const {
    return m_document.session().canPerform(action);
}

void OutlineListView::perform(Action action) {
    if (!canPerform(action)) {
        QApplication::beep();
        return;
    }
    const PerformResult result = m_document.perform(action);
    if (result.side) {
        m_host.carryOut(*result.side, m_document);
    }
}

} // namespace velmora

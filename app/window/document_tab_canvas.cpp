// The canvas half of the document window: the tree canvas in its scroll area, its gestures,
// and drag and drop for the canvas and the list.
#include "app/window/document_tab.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/outline_zoom.hpp"
#include "app/platform/preferences.hpp"
#include "app/views/canvas_scroll_area.hpp"
#include "app/views/list_drag_adapter.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/views/list_paper.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/editor_overlay.hpp"
#include "core/session/editor_session.hpp"

#include <QUuid>

#include <cmath>

namespace velmora {

void DocumentTab::buildCanvas(QWidget* parent) {
    m_canvasScroll = new CanvasScrollArea(parent);
    m_canvasScroll->setObjectName(QStringLiteral("canvasScroll"));
    m_canvasScroll->setFrameShape(QFrame::NoFrame);
    m_canvas = new TreeCanvasView;
    m_canvas->setObjectName(QStringLiteral("treeCanvas"));
    m_canvasScroll->setCanvas(m_canvas);
    m_canvasScroll->hide();
}

void DocumentTab::wireCanvas() {
    connect(m_canvas, &TreeCanvasView::selectRequested, this,
            [this](const QString& id, Qt::KeyboardModifiers) { rowSelected(id.toStdString()); });
    connect(m_canvas, &TreeCanvasView::toggleRequested, this,
            [this](const QString& id) { rowToggled(id.toStdString()); });
    connect(m_canvas, &TreeCanvasView::checkRequested, this,
            [this](const QString& id, bool checked) { rowChecked(id.toStdString(), checked); });
    connect(m_canvas, &TreeCanvasView::editRequested, this,
            [this](const QString& id) { rowEdited(id.toStdString()); });
    connect(m_canvas, &TreeCanvasView::backgroundClicked, this,
            &DocumentTab::backgroundClicked);
    connect(m_canvas, &TreeCanvasView::columnResized, this,
            &DocumentTab::columnResized);
    // Ctrl and the wheel magnify the canvas; every window adopts the stored value.
    connect(m_canvas, &TreeCanvasView::magnificationChanged, this,
            [](double magnification) { OutlineZoom::store(magnification); });
    connect(m_canvas, &TreeCanvasView::geometryRefreshed, this, [this] {
        if (showsCanvas()) {
            m_overlay->followRows();
        }
    });
}

void DocumentTab::wireDragAndDrop() {
    m_dragToken = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    auto writer = [this](const std::string& id) -> QMimeData* {
        const auto item = m_document.session().item(id);
        return item ? ItemDrag::writer(*item, m_dragToken) : nullptr;
    };
    auto operation = [this](const QMimeData* mime, Qt::DropActions actions,
                            const ItemDrag::Target& target) {
        return dropOperation(mime, actions, target);
    };
    auto perform = [this](const QMimeData* mime, Qt::DropAction action,
                          const ItemDrag::Target& target) {
        return performDrop(mime, action, target);
    };
    m_canvas->setDragWriter(writer);
    m_canvas->setDropOperation(operation);
    m_canvas->setPerformDrop(perform);

    m_listDrag =
        new ListDragAdapter(m_list->view(), ListOutlineModel::IdRole, ListOutlineModel::DepthRole);
    m_listDrag->setDragWriter(writer);
    m_listDrag->setDropOperation(operation);
    m_listDrag->setPerformDrop(perform);
    m_listDrag->setConvert([this](const ListProposal& proposal) {
        return ItemDrag::listTarget(m_document.session(), proposal.item, proposal.childIndex);
    });
    m_listDrag->setPlaceOf([this](int row) -> std::optional<ListPlace> {
        const auto place = m_list->model().placeOf(row);
        return place ? std::optional(ListPlace{place->parentId, place->index}) : std::nullopt;
    });

    // The list's paper pattern, behind its rows.
    ListOutlineView* view = m_list->view();
    m_listPaper = new ListPaper(
        view, [this] { return ListOutlineModel::kRowHeight * m_list->zoom(); },
        [this, view]() -> std::optional<double> {
            const QModelIndex first = view->model()->index(0, 0);
            const QRect rect = view->visualRect(first);
            if (!first.isValid() || !rect.isValid()) {
                return std::nullopt;
            }
            return m_list->delegate().geometry(0, rect).disclosure.left();
        });
}

Qt::DropAction DocumentTab::dropOperation(const QMimeData* mime,
                                                       Qt::DropActions actions,
                                                       const ItemDrag::Target& target) {
    return ItemDrag::dropOperation(m_document.session(), m_dragPayload.read(mime), m_dragToken,
                                   actions.testFlag(Qt::MoveAction), target);
}

bool DocumentTab::performDrop(const QMimeData* mime, Qt::DropAction action,
                                           const ItemDrag::Target& target) {
    const auto payload = m_dragPayload.read(mime);
    if (ItemDrag::nestsTooDeep(m_document.session(), payload, m_dragToken, action == Qt::MoveAction,
                               target)) {
        refuseTooDeep();
        return false;
    }
    const auto text = draft();
    bool changed = false;
    apply([&](EditorSession& session) {
        auto command = ItemDrag::performDrop(session, payload, m_dragToken,
                                             action == Qt::MoveAction, target, text);
        changed = command.has_value();
        return command;
    });
    refresh();
    return changed;
}

bool DocumentTab::showsCanvas() const {
    return isCanvas(m_document.session().snapshot.view);
}

void DocumentTab::reloadCanvas() {
    Preferences preferences;
    CanvasOptions options;
    options.appearance = m_appearance;
    options.hideRootLine = preferences.hideRootLine();
    options.highlightBranch = preferences.highlightBranch();
    m_canvasScroll->setPalette(Appearances::paperPalette(m_appearance, palette()));
    m_canvas->setOptions(options);
    m_canvas->setSession(m_document.session());
    m_canvas->reload();
}

} // namespace velmora

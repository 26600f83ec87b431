#include "app/views/list_outline_controller.hpp"

#include "app/views/list_outline_view.hpp"
#include "core/session/editor_session.hpp"

#include <QApplication>
#include <QDesktopServices>
#include <QItemSelectionModel>
#include <QScrollBar>

namespace velmora {

ListOutlineController::State ListOutlineController::State::of(const EditorSession& session) {
    State state;
    state.items = session.snapshot.document.items;
    const auto& snapshot = session.snapshot;
    state.display.hidingCompleted = session.isHiding();
    state.display.showAllNotes = snapshot.showAllNotes;
    if (snapshot.editing && snapshot.editing->isNote()) {
        state.display.editingNoteId = snapshot.editing->id;
    }
    state.display.hoistRoot = session.hoistRoot();
    // A single selected item needs no range: the list shows it if it is a row. Without a
    // range the members are the extra items and the selected one, and the list's rows are
    // the shown items already, so no search of the tree is needed (Select All at 100,000).
    // The extra items are shared with the snapshot, not copied (Select All at 100,000).
    if (snapshot.anchorId) {
        state.selectedIds = session.selectedIDs();
    } else {
        state.extraIds = snapshot.extraIds;
        if (snapshot.selectedId) {
            state.selectedIds.push_back(*snapshot.selectedId);
        }
        if (const auto root = session.hoistRoot(); root && !snapshot.extraIds.empty()) {
            state.unselectedId = root;
        }
    }
    state.focusedId = snapshot.selectedId;
    state.editing = snapshot.editing;
    state.checksVisible = session.checksVisible;
    return state;
}

ListOutlineController::ListOutlineController(QWidget* parent)
    : QObject(parent), m_view(new ListOutlineView(parent)), m_model(new ListOutlineModel(this)),
      m_delegate(new ListOutlineDelegate(*m_model, this)) {
    m_view->setModel(m_model);
    m_view->setOutlineDelegate(m_delegate);
    connect(m_view, &ListOutlineView::rowPressed, this, &ListOutlineController::rowPressed);
    connect(m_view, &ListOutlineView::rowDoubleClicked, this, [this](int row) {
        if (onEdit) {
            onEdit(idOf(row));
        }
    });
    connect(m_view, &ListOutlineView::backgroundClicked, this, [this] {
        if (onBackground) {
            onBackground();
        }
    });
    connect(m_view, &ListOutlineView::linkActivated, this,
            [](const QUrl& url) { QDesktopServices::openUrl(url); });
    auto forward = [this](std::function<void()> ListOutlineController::*hook) {
        return [this, hook] {
            if (this->*hook) {
                (this->*hook)();
            }
        };
    };
    connect(m_view, &ListOutlineView::rowsMoved, this,
            forward(&ListOutlineController::onRowsMoved));
    connect(m_view, &ListOutlineView::zoomRequested, this, [this](int steps) {
        if (onZoom) {
            onZoom(steps);
        }
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                // Only a change the list did not make itself is a gesture.
                if (!m_suppress && current.isValid() && onSelect) {
                    onSelect(idOf(current.row()));
                }
            });
}

ListOutlineController::~ListOutlineController() = default;

std::string ListOutlineController::idOf(int row) const {
    return m_model->rowAt(row).item().id;
}

void ListOutlineController::rowPressed(int row, ListOutlineDelegate::Part part) {
    const std::string id = idOf(row);
    const Item& item = m_model->rowAt(row).item();
    switch (part) {
    case ListOutlineDelegate::Part::disclosure:
        if (onToggle) {
            onToggle(id);
        }
        return;
    case ListOutlineDelegate::Part::check:
        if (m_delegate->appearance().checkStyle == CheckStyle::web) {
            // The web-style mark folds an item with children, and is a bullet otherwise.
            if (m_model->isExpandable(row) && onToggle) {
                onToggle(id);
            } else if (onSelect) {
                onSelect(id);
            }
        } else if (onCheck) {
            onCheck(id, !item.checked);
        }
        return;
    default:
        if (onSelect) {
            onSelect(id);
        }
        return;
    }
}

void ListOutlineController::reload(const EditorSession& session) {
    reload(State::of(session));
}

void ListOutlineController::reload(State state) {
    m_suppress = true;
    m_delegate->setChecksVisible(state.checksVisible);
    m_delegate->setEditing(state.editing);
    m_model->setOutline(state.items, state.display);
    applySelection(state);
    m_suppress = false;
    m_view->viewport()->update();
}

void ListOutlineController::applySelection(const State& state) {
    QItemSelectionModel* selection = m_view->selectionModel();
    std::vector<int> rows = m_model->rowsOf(state.extraIds.lookup(), IdLookup(state.selectedIds));
    if (state.unselectedId) {
        if (const auto unselected = m_model->rowOf(*state.unselectedId)) {
            std::erase(rows, *unselected);
        }
    }
    QItemSelection ranges;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) {
            ++j;
        }
        ranges.select(m_model->index(rows[i]), m_model->index(rows[j]));
        i = j + 1;
    }
    std::optional<int> focused;
    if (state.focusedId) {
        focused = m_model->rowOf(*state.focusedId);
    }
    if (focused) {
        // Scrolled first, so that the view finds the row near the top of what it shows.
        m_view->scrollTo(m_model->index(*focused), QAbstractItemView::EnsureVisible);
    }
    selection->setCurrentIndex(focused ? m_model->index(*focused) : QModelIndex(),
                               QItemSelectionModel::NoUpdate);
    selection->select(ranges, QItemSelectionModel::ClearAndSelect);
}

void ListOutlineController::setAppearance(const Appearance& appearance) {
    m_delegate->setAppearance(appearance);
    m_view->setPalette(Appearances::paperPalette(appearance, QApplication::palette()));
    m_view->viewport()->update();
}

void ListOutlineController::setZoom(double zoom) {
    m_delegate->setZoom(zoom);
    m_model->setZoom(zoom);
}

std::optional<QRect> ListOutlineController::editorRect(const std::string& id, bool note,
                                                       bool scroll) {
    const auto row = m_model->rowOf(id);
    if (!row) {
        return std::nullopt;
    }
    const QModelIndex index = m_model->index(*row);
    if (scroll) {
        m_view->scrollTo(index, QAbstractItemView::EnsureVisible);
    }
    const QRect rect = m_view->visualRect(index);
    if (!rect.isValid()) {
        return std::nullopt;
    }
    const auto geometry = m_delegate->geometry(*row, rect);
    if (note) {
        return geometry.note.isValid() ? std::optional(geometry.note) : std::nullopt;
    }
    return geometry.text;
}

void ListOutlineController::scrollDownToShow(const QRect& rect) {
    QScrollBar* bar = m_view->verticalScrollBar();
    const int visible = m_view->viewport()->height();
    int top = rect.top();
    int past = rect.bottom() + 1 - visible;
    // The view scrolls per row: each step moves the content up by the top row's height.
    while (past > 0 && bar->value() < bar->maximum()) {
        const int step = m_view->visualRect(m_view->indexAt(QPoint(0, 0))).height();
        if (step <= 0 || top - step < 0) {
            break;
        }
        bar->setValue(bar->value() + 1);
        top -= step;
        past -= step;
    }
}

void ListOutlineController::scrollToItem(const std::string& id) {
    if (const auto row = m_model->rowOf(id)) {
        m_view->scrollTo(m_model->index(*row), QAbstractItemView::EnsureVisible);
    }
}

} // namespace velmora

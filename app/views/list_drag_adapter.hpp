#pragma once

#include "app/views/drop_mark_view.hpp"
#include "app/views/item_drag.hpp"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>

class QAbstractItemView;
class QMimeData;

namespace velmora {

// One shown row of the list for drop proposals: its item and depth.
struct ListRow {
    std::string id;
    int depth = 0;
};

// A drop proposal of the list: on the row `item` (childIndex -1) or between the shown
// children of `item` (absent: the top rows) before the one numbered `childIndex`.
struct ListProposal {
    std::optional<std::string> item;
    int childIndex = -1;

    bool operator==(const ListProposal&) const = default;
};

// Where a shown row stands: the row it is a child of (absent for a top row) and its number
// among that row's shown children.
struct ListPlace {
    std::optional<std::string> parent;
    int index = 0;
};
// Finds a row's place without walking the rows above it; nothing when it cannot.
using ListPlaceOf = std::function<std::optional<ListPlace>(int row)>;

namespace ItemDrag {
// The proposal for a pointer over row `row` at the relative height f: the upper quarter drops
// before the row, the lower quarter after it (or as the first child of an expanded row), the
// middle onto it. `rowAt` gives the shown rows by index, `count` is their number; `placeOf`,
// when given, spares the walk over the rows above to find the row's place.
[[nodiscard]] ListProposal listProposal(const std::function<ListRow(int)>& rowAt, int count,
                                        int row, double f, const ListPlaceOf& placeOf = {});
} // namespace ItemDrag

// Makes the list outline a drag source and a drop destination without changing the view: it
// watches the view's viewport, starts drags of pressed rows with the window's drag data, turns
// the pointer position into a proposal and a target, shows the indicator and hands drops to
// the window's hooks, the same ones the canvas uses.
class ListDragAdapter : public QObject {
    Q_OBJECT
public:
    using DragWriter = std::function<QMimeData*(const std::string& id)>;
    using DropOperation =
        std::function<Qt::DropAction(const QMimeData*, Qt::DropActions, const ItemDrag::Target&)>;
    using PerformDrop =
        std::function<bool(const QMimeData*, Qt::DropAction, const ItemDrag::Target&)>;
    // The target of a proposal (ItemDrag::listTarget on the window's session).
    using Convert = std::function<ItemDrag::Target(const ListProposal&)>;

    // Attaches to the view, whose model answers `idRole` and `depthRole` for each row.
    ListDragAdapter(QAbstractItemView* view, int idRole, int depthRole);
    ~ListDragAdapter() override;

    void setDragWriter(DragWriter writer) { m_dragWriter = std::move(writer); }
    void setDropOperation(DropOperation operation) { m_dropOperation = std::move(operation); }
    void setPerformDrop(PerformDrop perform) { m_performDrop = std::move(perform); }
    void setConvert(Convert convert) { m_convert = std::move(convert); }
    void setPlaceOf(ListPlaceOf placeOf) { m_placeOf = std::move(placeOf); }

    [[nodiscard]] const std::optional<ItemDrag::Target>& dropTarget() const { return m_target; }
    [[nodiscard]] DropMarkView* dropMark() const { return m_mark; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Drop {
        ItemDrag::Target target;
        DropMarkView::Mode mode = DropMarkView::Mode::line;
        QRect indicator;
    };
    [[nodiscard]] ListRow rowAt(int row) const;
    [[nodiscard]] Drop dropAt(const QPoint& point) const;
    bool dragMove(QDropEvent* event, bool drop);
    void startDrag(int row);
    void clear();
    void autoscroll();

    // The adapter is a child of the view, so the view outlives it.
    QAbstractItemView* m_view;
    QPointer<QWidget> m_viewport;
    int m_idRole;
    int m_depthRole;
    DragWriter m_dragWriter;
    DropOperation m_dropOperation;
    PerformDrop m_performDrop;
    Convert m_convert;
    ListPlaceOf m_placeOf;
    std::optional<ItemDrag::Target> m_target;
    QPointer<DropMarkView> m_mark;
    std::optional<QPoint> m_pressAt;
    int m_pressRow = -1;
    QPoint m_dragPoint;
    QTimer m_autoscroll;
};

} // namespace velmora

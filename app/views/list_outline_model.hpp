#pragma once

#include "core/model/item.hpp"

#include <QAbstractListModel>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The rows of the list view: one row per shown item, in display order, each standing for its
// item id. The model is flat (depth and disclosure are drawn by the delegate) because a tree
// view's own expansion bookkeeping grows with the number of rows on every change; here the
// expansion is simply the item's `collapsed` flag, already applied by the visible rows.
// A new set of rows is compared with the old one and reported as the rows removed, inserted
// and changed, so the view keeps its scroll position and a keystroke costs little.
class ListOutlineModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        DepthRole,
        NoteRole,
        CheckedRole,
        ExpandableRole,
        CollapsedRole,
        ShowsNoteRole,
    };

    // What, besides the rows themselves, decides how a row looks.
    struct Display {
        bool hidingCompleted = false;
        bool showAllNotes = false;
        std::optional<std::string> editingNoteId;
        std::optional<std::string> hoistRoot;

        bool operator==(const Display&) const = default;
    };

    // The heights of a row without and with its note, before zooming.
    static constexpr int kRowHeight = 26;
    static constexpr int kNoteRowHeight = 42;

    explicit ListOutlineModel(QObject* parent = nullptr);

    // Takes the rows of a new state; the change is reported as removals, insertions and
    // changed rows, or as one change of every row when the display changed.
    void setRows(std::vector<VisibleRow> rows, Display display);
    // Changes the zoom that row heights are multiplied by.
    void setZoom(double zoom);

    [[nodiscard]] int count() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] const VisibleRow& rowAt(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    [[nodiscard]] const Display& display() const { return m_display; }
    // The row of the item, or nothing when it is not shown.
    [[nodiscard]] std::optional<int> rowOf(std::string_view id) const;
    // The rows of the ids that are shown, in ascending order.
    [[nodiscard]] std::vector<int> rowsOf(const std::vector<std::string>& ids) const;
    // Whether the row has children to show (its disclosure is drawn).
    [[nodiscard]] bool isExpandable(int row) const;
    // Whether the row shows its note under the title.
    [[nodiscard]] bool showsNote(int row) const;
    // The row's height at the current zoom.
    [[nodiscard]] int rowHeight(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void emitChanged(int first, int last);

    std::vector<VisibleRow> m_rows;
    Display m_display;
    double m_zoom = 1.0;
};

} // namespace velmora

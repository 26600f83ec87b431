#pragma once

#include "app/views/list_outline_rows.hpp"
#include "core/model/id_lookup.hpp"
#include "core/model/item.hpp"

#include <QAbstractListModel>

#include <array>
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

    // One shown item: the item (inside the tree the model holds) and its depth in the list.
    using Row = ListOutlineRows::Row;

    // The heights of a row without and with its note, before zooming.
    static constexpr int kRowHeight = 26;
    static constexpr int kNoteRowHeight = 42;
    // Changed rows are announced range by range up to this many ranges (and a view redraws
    // such a range row by row up to this many rows); beyond, as one span from the first to
    // the last, which views lay out again as a whole.
    static constexpr int kRowsChangedOneByOne = 64;

    explicit ListOutlineModel(QObject* parent = nullptr);

    // Shows the outline of the items: the hoisted root alone (with what is below it) or
    // every item, without collapsed children and, while hiding, without completed items.
    // The difference to the rows shown before is reported as removals, insertions and changed
    // rows, or as one change of every row when the display changed. The model keeps the items
    // (a shared, immutable tree) alive for as long as it shows them.
    void setOutline(const ItemList& items, Display display);
    // Changes the zoom that row heights are multiplied by.
    void setZoom(double zoom);

    [[nodiscard]] int count() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] const Row& rowAt(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    [[nodiscard]] const Display& display() const { return m_display; }
    // How many rows the last change took over from the rows before without walking the tree.
    [[nodiscard]] std::size_t copiedRows() const { return m_walk.copiedRows(); }
    // The row of the item, or nothing when it is not shown. The rows found lately are tried
    // first (undo brings back the selection of a moment ago), then the search starts where
    // the last change was, since a change rarely moves the selection far.
    [[nodiscard]] std::optional<int> rowOf(std::string_view id) const;
    // The rows of the ids (in either lookup) that are shown, in ascending order.
    [[nodiscard]] std::vector<int> rowsOf(const IdLookup& ids,
                                          const IdLookup& more = IdLookup()) const;
    [[nodiscard]] std::vector<int> rowsOf(const std::vector<std::string>& ids) const {
        return rowsOf(IdLookup(ids));
    }
    // Where a row stands among the rows: the row it is a child of (absent for a top row) and
    // its number among that row's shown children. Found in the tree through the id index, not
    // by walking the rows above; nothing when the tree cannot tell (ids that repeat).
    struct Place {
        std::optional<std::string> parentId;
        int index = 0;
    };
    [[nodiscard]] std::optional<Place> placeOf(int row) const;
    // Whether the row has children to show (its disclosure is drawn).
    [[nodiscard]] bool isExpandable(int row) const;
    // Whether the row shows its note under the title.
    [[nodiscard]] bool showsNote(int row) const;
    // The row's height at the current zoom.
    [[nodiscard]] int rowHeight(int row) const;

    // The index of a row without asking the row and column counts again (a tree view asks for
    // every row each time it lays the rows out).
    QModelIndex index(int row, int column = 0,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void emitChanged(int first, int last);

    ItemList m_items;
    ListOutlineRows m_walk;
    std::vector<Row> m_rows;
    std::vector<Row> m_spare;
    Display m_display;
    double m_zoom = 1.0;
    bool m_loaded = false;
    mutable std::size_t m_hint = 0;
    // Rows found lately, most recent first, kept in step with the rows removed and inserted.
    static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
    mutable std::array<std::size_t, 4> m_found{kNoRow, kNoRow, kNoRow, kNoRow};
};

} // namespace velmora

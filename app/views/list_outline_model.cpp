#include "app/views/list_outline_model.hpp"

#include "core/model/id_index.hpp"
#include "core/model/tree_ops.hpp"

#include <QSize>

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {
namespace {

using Row = ListOutlineModel::Row;

// Whether two rows stand for the same item at the same depth (its content may differ).
bool sameRow(const Row& a, const Row& b) {
    return a.depth == b.depth && (a.node == b.node || a.node->id == b.node->id);
}

QString firstLine(const std::string& text) {
    const auto end = text.find('\n');
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(end, text.size())));
}

// Equal ids; the first letters of the random ids settle almost every comparison.
bool sameId(const std::string& id, std::string_view other) {
    return id.size() == other.size() && (id.empty() || id.front() == other.front()) && id == other;
}

} // namespace

ListOutlineModel::ListOutlineModel(QObject* parent) : QAbstractListModel(parent) {}

void ListOutlineModel::setOutline(const ItemList& items, Display display) {
    const bool displayChanged = display != m_display;
    if (m_loaded && !displayChanged && items.sharesStorageWith(m_items)) {
        return;
    }
    std::vector<Row> rows = std::move(m_spare);
    m_walk.walk(items, {display.hoistRoot, display.hidingCompleted}, m_rows, rows);
    // The old tree stays alive until the view has seen the change.
    const ItemList previous = std::exchange(m_items, items);
    m_loaded = true;
    m_display = std::move(display);

    const std::size_t oldCount = m_rows.size();
    const std::size_t newCount = rows.size();
    const std::size_t shorter = std::min(oldCount, newCount);
    // Rows kept at both ends whose item changed (its own content or something below it).
    std::vector<int> changed;
    // A subtree the walk copied to where it was, at its old depth, holds the same rows: the
    // comparison steps over it instead of comparing a million rows after a keystroke.
    const auto& copied = m_walk.copied();
    const auto samePlace = [&](const ListOutlineRows::Copied& span, std::size_t from,
                               std::size_t to) {
        return span.from == from && span.to == to &&
               m_rows[span.from].depth == rows[span.to].depth;
    };
    std::size_t prefix = 0;
    auto next = copied.begin();
    while (prefix < shorter) {
        while (next != copied.end() && next->to < prefix) {
            ++next;
        }
        if (next != copied.end() && samePlace(*next, prefix, prefix) &&
            prefix + next->length <= shorter) {
            prefix += next->length;
            continue;
        }
        if (!sameRow(m_rows[prefix], rows[prefix])) {
            break;
        }
        if (m_rows[prefix].node != rows[prefix].node) {
            changed.push_back(static_cast<int>(prefix));
        }
        ++prefix;
    }
    std::size_t suffix = 0;
    auto last = copied.rbegin();
    while (suffix < shorter - prefix) {
        const std::size_t end = newCount - suffix;
        while (last != copied.rend() && last->to + last->length > end) {
            ++last;
        }
        if (last != copied.rend() && last->to + last->length == end &&
            samePlace(*last, oldCount - suffix - last->length, end - last->length) &&
            suffix + last->length <= shorter - prefix) {
            suffix += last->length;
            continue;
        }
        if (!sameRow(m_rows[oldCount - 1 - suffix], rows[newCount - 1 - suffix])) {
            break;
        }
        if (m_rows[oldCount - 1 - suffix].node != rows[newCount - 1 - suffix].node) {
            changed.push_back(static_cast<int>(newCount - 1 - suffix));
        }
        ++suffix;
    }

    const int first = static_cast<int>(prefix);
    if (oldCount - suffix > prefix) {
        beginRemoveRows({}, first, static_cast<int>(oldCount - suffix) - 1);
        m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(prefix),
                     m_rows.begin() + static_cast<std::ptrdiff_t>(oldCount - suffix));
        endRemoveRows();
    }
    if (newCount - suffix > prefix) {
        // The rows at both ends stand for the same items: the new list replaces the old one.
        beginInsertRows({}, first, static_cast<int>(newCount - suffix) - 1);
        m_rows.swap(rows);
        endInsertRows();
    } else {
        m_rows.swap(rows);
    }
    m_spare = std::move(rows);
    // The selection is most likely where the rows changed, or where it was found lately.
    if (prefix < shorter || oldCount != newCount) {
        m_hint = prefix;
    }
    for (std::size_t& found : m_found) {
        if (found == kNoRow || found < prefix) {
            continue;
        }
        found = found >= oldCount - suffix ? found + newCount - oldCount : kNoRow;
    }
    m_hint = std::min(m_hint, m_rows.empty() ? 0 : m_rows.size() - 1);

    if (displayChanged) {
        if (!m_rows.empty()) {
            emitChanged(0, count() - 1);
        }
        return;
    }
    std::sort(changed.begin(), changed.end());
    if (changed.size() > static_cast<std::size_t>(kRowsChangedOneByOne)) {
        emitChanged(changed.front(), changed.back());
        return;
    }
    for (std::size_t i = 0; i < changed.size();) {
        std::size_t j = i;
        while (j + 1 < changed.size() && changed[j + 1] == changed[j] + 1) {
            ++j;
        }
        emitChanged(changed[i], changed[j]);
        i = j + 1;
    }
}

void ListOutlineModel::setZoom(double zoom) {
    if (zoom == m_zoom) {
        return;
    }
    m_zoom = zoom;
    if (!m_rows.empty()) {
        emitChanged(0, count() - 1);
    }
}

void ListOutlineModel::emitChanged(int first, int last) {
    emit dataChanged(index(first), index(last));
}

std::optional<int> ListOutlineModel::rowOf(std::string_view id) const {
    const std::size_t n = m_rows.size();
    if (n == 0) {
        return std::nullopt;
    }
    const auto found = [this](std::size_t row) {
        // Most recent first: a row found again moves to the front, a new one takes the place
        // of the oldest.
        auto at = std::find(m_found.begin(), m_found.end(), row);
        if (at == m_found.end()) {
            at = m_found.end() - 1;
        }
        std::rotate(m_found.begin(), at, at + 1);
        m_found.front() = row;
        m_hint = row;
        return static_cast<int>(row);
    };
    for (const std::size_t row : m_found) {
        if (row < n && sameId(m_rows[row].node->id, id)) {
            return found(row);
        }
    }
    const std::size_t hint = std::min(m_hint, n - 1);
    // Outwards from the hint: hint, hint + 1, hint - 1, hint + 2, …
    for (std::size_t distance = 0; distance < n; ++distance) {
        const std::size_t below = hint + distance;
        if (below < n && sameId(m_rows[below].node->id, id)) {
            return found(below);
        }
        if (distance > 0 && distance <= hint && sameId(m_rows[hint - distance].node->id, id)) {
            return found(hint - distance);
        }
        if (below >= n && distance > hint) {
            break;
        }
    }
    return std::nullopt;
}

std::vector<int> ListOutlineModel::rowsOf(const IdLookup& ids, const IdLookup& more) const {
    std::vector<int> result;
    // A few ids are looked for near the last one found; many (select all) in one pass.
    if (ids.size() + more.size() <= 8) {
        for (const IdLookup* lookup : {&ids, &more}) {
            for (std::size_t slot = 0; slot < lookup->size(); ++slot) {
                if (const auto row = rowOf(lookup->idAt(slot))) {
                    result.push_back(*row);
                }
            }
        }
        std::sort(result.begin(), result.end());
        result.erase(std::unique(result.begin(), result.end()), result.end());
        return result;
    }
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const std::string& id = m_rows[i].node->id;
        const std::uint64_t key = idKey(id);
        if (ids.find(id, key) || more.find(id, key)) {
            result.push_back(static_cast<int>(i));
        }
    }
    return result;
}

std::optional<ListOutlineModel::Place> ListOutlineModel::placeOf(int row) const {
    const Row& at = rowAt(row);
    const bool hiding = m_display.hidingCompleted;
    const auto shownBefore = [&](const ItemList& siblings, std::size_t end) {
        int shown = 0;
        for (std::size_t i = 0; i < end; ++i) {
            shown += hiding && siblings[i].checked ? 0 : 1;
        }
        return shown;
    };
    if (at.depth == 0) {
        // The hoisted root is the only top row.
        if (m_display.hoistRoot) {
            return Place{std::nullopt, 0};
        }
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            if (&m_items[i] == at.node) {
                return Place{std::nullopt, shownBefore(m_items, i)};
            }
        }
        return std::nullopt;
    }
    const auto path = TreeOps::pathOf(m_items, at.node->id);
    if (!path || path->size() < 2 || TreeOps::itemAt(m_items, *path) != at.node) {
        return std::nullopt;
    }
    const Item* parent = TreeOps::itemAt(m_items, std::vector<int>(path->begin(), path->end() - 1));
    return Place{parent->id, shownBefore(parent->children, static_cast<std::size_t>(path->back()))};
}

bool ListOutlineModel::isExpandable(int row) const {
    const Item& item = rowAt(row).item();
    if (!m_display.hidingCompleted) {
        return !item.children.empty();
    }
    return std::any_of(item.children.begin(), item.children.end(),
                       [](const Item& child) { return !child.checked; });
}

bool ListOutlineModel::showsNote(int row) const {
    const Item& item = rowAt(row).item();
    if (m_display.editingNoteId && *m_display.editingNoteId == item.id) {
        return true;
    }
    return m_display.showAllNotes && !item.note.empty();
}

int ListOutlineModel::rowHeight(int row) const {
    const int height = showsNote(row) ? kNoteRowHeight : kRowHeight;
    return static_cast<int>(std::lround(height * m_zoom));
}

QModelIndex ListOutlineModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || column != 0 || row < 0 || row >= count()) {
        return {};
    }
    return createIndex(row, column);
}

int ListOutlineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ListOutlineModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const int row = index.row();
    const Item& item = rowAt(row).item();
    switch (role) {
    case Qt::DisplayRole:
        return firstLine(item.text);
    case Qt::ToolTipRole:
        return item.note.empty() ? QVariant() : QVariant(QString::fromStdString(item.note));
    case Qt::SizeHintRole:
        return QSize(0, rowHeight(row));
    case IdRole:
        return QString::fromStdString(item.id);
    case DepthRole:
        return rowAt(row).depth;
    case NoteRole:
        return QString::fromStdString(item.note);
    case CheckedRole:
        return item.checked;
    case ExpandableRole:
        return isExpandable(row);
    case CollapsedRole:
        return item.collapsed;
    case ShowsNoteRole:
        return showsNote(row);
    default:
        return {};
    }
}

Qt::ItemFlags ListOutlineModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace velmora

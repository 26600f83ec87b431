#pragma once

#include "app/platform/appearance.hpp"
#include "core/model/item.hpp"
#include "core/session/editor_snapshot.hpp"

#include <QFont>
#include <QStyledItemDelegate>
#include <QUrl>

#include <optional>
#include <string>

namespace velmora {

class ListOutlineModel;

// Draws one row of the list: the indentation, the disclosure triangle, the check box or check
// mark, the colour label, the title and the note; and answers which of these a point hits.
class ListOutlineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // The parts of a row a click can land on.
    enum class Part { none, disclosure, check, text, note };

    // Where the parts of one row lie, in the view's coordinates.
    struct Geometry {
        QRect row;
        QRect disclosure;
        QRect check;
        QRect dot;
        QRect text;
        QRect note;
    };

    ListOutlineDelegate(const ListOutlineModel& model, QObject* parent = nullptr);

    void setAppearance(const Appearance& appearance) { m_appearance = appearance; }
    [[nodiscard]] const Appearance& appearance() const { return m_appearance; }
    // Whether check boxes or marks are shown at all (the document's checks are visible).
    void setChecksVisible(bool visible) { m_checksVisible = visible; }
    // The scale of fonts and distances (the outline zoom).
    void setZoom(double zoom);
    [[nodiscard]] double zoom() const { return m_zoom; }
    // The title or note the editor covers: its row is drawn as being edited, without the
    // text the editor shows.
    void setEditing(std::optional<EditingTarget> target) { m_editing = std::move(target); }

    // The title font of an item and the note font, at the current zoom.
    [[nodiscard]] QFont titleFont(const Item& item) const;
    [[nodiscard]] QFont noteFont() const;

    // The layout of the row at `row` drawn in `rect`.
    [[nodiscard]] Geometry geometry(int row, const QRect& rect) const;
    // The part of the row under the point.
    [[nodiscard]] Part hit(int row, const QRect& rect, const QPoint& point) const;
    // The link under the point, when the title or note shows one there.
    [[nodiscard]] std::optional<QUrl> linkAt(int row, const QRect& rect, const QPoint& point) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    [[nodiscard]] int scaled(double value) const;
    void paintBackground(QPainter* painter, const QStyleOptionViewItem& option,
                         const Geometry& geometry, const Item& item) const;
    void paintDisclosure(QPainter* painter, const QStyleOptionViewItem& option,
                         const Geometry& geometry, bool collapsed) const;
    void paintCheck(QPainter* painter, const QStyleOptionViewItem& option, const Geometry& geometry,
                    const Item& item, bool hasChildren) const;
    void paintTexts(QPainter* painter, const QStyleOptionViewItem& option, const Geometry& geometry,
                    const Item& item) const;

    const ListOutlineModel& m_model;
    Appearance m_appearance;
    bool m_checksVisible = true;
    double m_zoom = 1.0;
    std::optional<EditingTarget> m_editing;
};

} // namespace velmora

#pragma once

#include "app/platform/appearance.hpp"
#include "app/printing/print_info.hpp"
#include "app/views/canvas_scene.hpp"
#include "core/layout/page_breaks.hpp"
#include "core/session/editor_session.hpp"

#include <QColor>
#include <QPalette>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace velmora {

// What a document prints, laid out in points on white paper in the light appearance: either
// the list (a header with the title, then every item of the document or of the hoisted branch,
// one row under the other) or a picture of the tree or map view. It works on a copy of the
// session taken when printing starts, so the document may change meanwhile.
class DocumentPrintView {
public:
    // One printed row of the list, in view coordinates.
    struct Row {
        ItemList::Node item;
        int depth = 0;
        bool hasChildren = false;
        QRectF frame;
        QPointF marker; // the centre of the check marker
        std::optional<QRectF> dot;
        QRectF titleFrame;
        std::optional<QRectF> noteFrame;
    };

    // One page: the part of the view it shows and the scale it shows it at.
    struct Page {
        QRectF source;
        double scale = 1;
        bool centred = true; // false for tiles of a row of several pages across
    };

    // Answers how far the work went (done of total); false cancels it.
    using Progress = std::function<bool(long long done, long long total)>;

    DocumentPrintView(EditorSession session, Appearance appearance, QString title);
    ~DocumentPrintView();

    // Whether the document is shown in the tree or map view rather than the list.
    [[nodiscard]] bool canvas() const { return m_canvas; }

    // Lays the content out for the options and the page's printable width; false when the
    // progress cancelled it (the view is then empty).
    bool prepare(const PrintOptions& options, double pageWidth, const Progress& progress = {});

    // The size of the whole content.
    [[nodiscard]] QSizeF size() const { return m_size; }
    [[nodiscard]] bool hasPicture() const { return m_picture != nullptr; }
    [[nodiscard]] const std::vector<Row>& rows() const { return m_rows; }
    // The rectangles page breaks must not cut: the rows, or the item boxes of the picture.
    [[nodiscard]] const std::vector<LayoutRect>& frames() const { return m_frames; }
    [[nodiscard]] double headerHeight() const { return m_headerHeight; }

    // The pages of the content on a printable area of the size (points), in printing order:
    // one scaled page for a fitted picture, else pages across and then down, each break moved
    // above the rows or boxes it would cut.
    [[nodiscard]] std::vector<Page> pages(QSizeF printable, const PrintInfo& info) const;

    // Draws the part of the content within `rect` (view coordinates).
    void draw(QPainter& painter, const QRectF& rect) const;

    // The colours of printing: black text on white paper whatever the desktop shows.
    [[nodiscard]] static QPalette lightPalette();

private:
    void layoutList(double width, bool notes, const Progress& progress, bool& cancelled);
    void makePicture(bool notes);
    void drawRow(QPainter& painter, const Row& row) const;
    void drawMarker(QPainter& painter, const Row& row) const;

    EditorSession m_session;
    Appearance m_appearance;
    QString m_title;
    bool m_canvas = false;
    bool m_notes = true;
    QColor m_accent;

    QSizeF m_size;
    double m_headerHeight = 0;
    std::vector<Row> m_rows;
    std::vector<LayoutRect> m_frames;
    std::unique_ptr<CanvasScene> m_picture;
};

} // namespace velmora

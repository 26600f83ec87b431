#pragma once

#include "app/platform/appearance.hpp"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class QAbstractItemView;

namespace velmora {

// Draws the paper pattern of the list behind its rows: it watches the view's viewport and
// paints the pattern of the dirty area before the rows are drawn over it.
class ListPaper : public QObject {
    Q_OBJECT
public:
    // `rowHeight` is the height of a row without a note (for the rows below the last one);
    // `disclosureLeft` the left edge of the first row's disclosure control, if there is a row.
    ListPaper(QAbstractItemView* view, std::function<double()> rowHeight,
              std::function<std::optional<double>()> disclosureLeft);

    void setAppearance(const Appearance& appearance);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint(const QRect& dirty);

    QAbstractItemView* m_view; // the view owns this object
    QPointer<QWidget> m_viewport;
    std::function<double()> m_rowHeight;
    std::function<std::optional<double>()> m_disclosureLeft;
    Appearance m_appearance;
};

} // namespace velmora

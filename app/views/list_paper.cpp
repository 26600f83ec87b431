#include "app/views/list_paper.hpp"

#include "app/views/paper_painter.hpp"

#include <QAbstractItemView>
#include <QPaintEvent>
#include <QPainter>

namespace velmora {

ListPaper::ListPaper(QAbstractItemView* view, std::function<double()> rowHeight,
                     std::function<std::optional<double>()> disclosureLeft)
    : QObject(view), m_view(view), m_viewport(view->viewport()), m_rowHeight(std::move(rowHeight)),
      m_disclosureLeft(std::move(disclosureLeft)) {
    m_viewport->installEventFilter(this);
}

void ListPaper::setAppearance(const Appearance& appearance) {
    if (appearance == m_appearance) {
        return;
    }
    m_appearance = appearance;
    if (m_viewport) {
        m_viewport->update();
    }
}

bool ListPaper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_viewport && event->type() == QEvent::Paint &&
        m_appearance.paperStyle != PaperStyle::plain) {
        paint(static_cast<QPaintEvent*>(event)->rect());
    }
    return QObject::eventFilter(watched, event);
}

void ListPaper::paint(const QRect& dirty) {
    QAbstractItemModel* model = m_view->model();
    const long count = model ? model->rowCount() : 0;
    // The rows that meet the dirty rectangle, then the bottom of the last row.
    std::vector<PaperRow> rows;
    if (count > 0) {
        QModelIndex index = m_view->indexAt(QPoint(1, std::max(0, dirty.top())));
        if (!index.isValid() && dirty.top() <= 0) {
            index = model->index(0, 0);
        }
        while (index.isValid()) {
            const QRect rect = m_view->visualRect(index);
            if (rect.top() > dirty.bottom()) {
                break;
            }
            rows.push_back({index.row(), double(rect.top()), double(rect.height())});
            index = index.row() + 1 < count ? model->index(index.row() + 1, 0) : QModelIndex();
        }
    }
    double lastBottom = 0;
    if (count > 0) {
        const QRect last = m_view->visualRect(model->index(int(count - 1), 0));
        lastBottom = last.isValid() ? last.bottom() + 1.0 : m_viewport->height();
    }
    const double marginX = PaperPattern::listMarginX(count > 0 ? m_disclosureLeft() : std::nullopt);
    QPainter painter(m_viewport);
    PaperPainter::paintList(painter, dirty, m_appearance, m_view->palette(), rows, count,
                            lastBottom, m_rowHeight(), marginX);
}

} // namespace velmora

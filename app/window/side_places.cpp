#include "app/window/side_places.hpp"

#include "app/platform/preferences.hpp"

#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace velmora {
namespace {

constexpr int kDefaultSidebarWidth = 240;
constexpr int kMinSidebarWidth = 160;
constexpr int kMaxSidebarWidth = 480;
constexpr int kMinContentWidth = 320;
// The inspector's width when it opens.
constexpr int kInspectorWidth = 300;
constexpr int kInspectorMinimumWidth = 240;

} // namespace

SidePlaces::SidePlaces(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    // The sidebar and the inspector have their places; they stay collapsed until they exist.
    setObjectName(QStringLiteral("VelmoraSplit.3"));
    setChildrenCollapsible(true);
    m_sidebar = new QWidget(this);
    m_sidebar->setObjectName(QStringLiteral("sidebarPlace"));
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("content"));
    m_inspector = new QWidget(this);
    m_inspector->setObjectName(QStringLiteral("inspectorPlace"));
    addWidget(m_sidebar);
    addWidget(m_content);
    addWidget(m_inspector);
    setStretchFactor(1, 1);
    // The outline is never squeezed shut: a collapsed one stays collapsed when the window grows.
    setCollapsible(1, false);
    setSizes({0, 1, 0});
    m_sidebar->hide();
    m_inspector->hide();
    connect(this, &QSplitter::splitterMoved, this, &SidePlaces::dividerMoved);
    auto* panes = new QShortcut(QKeySequence(Qt::Key_F6), this);
    panes->setContext(Qt::WidgetWithChildrenShortcut);
    connect(panes, &QShortcut::activated, this, [this] {
        if (onNextPane) {
            onNextPane();
        }
    });
}

void SidePlaces::sidebarFilled() {
    m_sidebarFilled = true;
    m_sidebar->setMinimumWidth(kMinSidebarWidth);
    setStretchFactor(0, 0);
    // The window is laid out once it is shown: give the sidebar its stored width then.
    QTimer::singleShot(0, this, [this] {
        if (sidebarShown()) {
            applySidebarWidth();
        }
    });
}

bool SidePlaces::sidebarShown() const {
    // Dragging the divider shut hides the place too, so its state is the sidebar's.
    return m_sidebarFilled && !m_sidebar->isHidden();
}

void SidePlaces::showSidebar(bool shown) {
    if (shown == sidebarShown()) {
        return;
    }
    if (shown) {
        m_sidebar->show();
        applySidebarWidth();
        return;
    }
    QList<int> widths = sizes();
    widths[1] += widths[0];
    widths[0] = 0;
    m_settingSizes = true;
    m_sidebar->hide();
    setSizes(widths);
    m_settingSizes = false;
}

void SidePlaces::applySidebarWidth() {
    const double stored = Preferences().sidebarWidth();
    int width = stored > 0 ? int(stored) : kDefaultSidebarWidth;
    width = std::clamp(
        width, kMinSidebarWidth,
        std::max(kMinSidebarWidth, std::min(kMaxSidebarWidth, this->width() - kMinContentWidth)));
    QList<int> widths = sizes();
    const int available = widths.value(0) + widths.value(1);
    if (available > width) {
        widths[1] = available - width;
    }
    widths[0] = width;
    m_settingSizes = true;
    setSizes(widths);
    m_settingSizes = false;
}

void SidePlaces::dividerMoved() {
    if (m_settingSizes || !sidebarShown()) {
        return;
    }
    const int width = sizes().value(0);
    Preferences preferences;
    if (width == 0) {
        // Dragged shut: the same as hiding it.
        m_sidebar->hide();
        preferences.setBool(PreferenceKeys::libraryVisible, false);
    } else if (isActiveWindow()) {
        preferences.setDouble(PreferenceKeys::sidebarWidth, width);
    }
}

void SidePlaces::inspectorFilled() {
    m_inspector->setMinimumWidth(kInspectorMinimumWidth);
    setCollapsible(indexOf(m_inspector), false);
}

bool SidePlaces::inspectorShown() const {
    return !m_inspector->isHidden();
}

void SidePlaces::showInspector(bool shown) {
    if (shown == inspectorShown()) {
        return;
    }
    if (!shown) {
        m_inspector->hide();
        return;
    }
    m_inspector->show();
    QList<int> widths = sizes();
    if (widths.size() == 3 && widths[2] < kInspectorMinimumWidth) {
        const int width =
            std::min(kInspectorWidth, std::max(kInspectorMinimumWidth, widths[1] / 2));
        // Before the window is laid out (a new tab) the outline has no width to give: the sizes
        // are then shares of the width to come, the outline's twice the inspector's.
        widths[1] = std::max(widths[1] - width, 2 * width);
        widths[2] = width;
        setSizes(widths);
    }
}

} // namespace velmora

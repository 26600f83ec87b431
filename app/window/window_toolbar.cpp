#include "app/window/window_toolbar.hpp"

#include "app/platform/appearance.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/menu_keys.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/platform/toolbar_items.hpp"
#include "app/window/main_menu.hpp"

#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QWidgetAction>

#include <array>

namespace velmora {
namespace {

// The icon-theme names of the items' icons ("" draws the icon here).
struct ToolbarIcon {
    Action action;
    const char* themeName;
};

constexpr std::array<ToolbarIcon, 10> kIcons = {{
    {Action::addBelow, "list-add"},
    {Action::addChild, "go-jump"},
    {Action::indent, "format-indent-more"},
    {Action::outdent, "format-indent-less"},
    {Action::editNote, "accessories-text-editor"},
    {Action::showFamily, "zoom-in"},
    {Action::deleteItem, "edit-delete"},
    {Action::commandPalette, "system-search"},
    {Action::toggleHighlight, ""},
    {Action::expandAll, "view-fullscreen"},
}};

constexpr std::array<std::pair<Action, const char*>, 3> kViews = {{
    {Action::viewList, "menu.view.list"},
    {Action::viewTree, "menu.view.tree"},
    {Action::viewMap, "menu.view.map"},
}};

constexpr std::array<Action, 8> kLabelActions = {Action::label0, Action::label1, Action::label2,
                                                 Action::label3, Action::label4, Action::label5,
                                                 Action::label6, Action::label7};

QString text(const char* key) {
    return localized(QLatin1String(key));
}

// Draws an 18-point icon at twice the resolution in the palette's text colour.
template <class Draw> QIcon drawn(Draw draw) {
    QPixmap pixmap(36, 36);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(2, 2);
        QPen pen(QApplication::palette().color(QPalette::WindowText), 1.5, Qt::SolidLine,
                 Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        draw(painter);
    }
    pixmap.setDevicePixelRatio(2);
    return QIcon(pixmap);
}

void lines(QPainter& p, std::initializer_list<QLineF> segments) {
    for (const QLineF& line : segments) {
        p.drawLine(line);
    }
}

QIcon drawnIcon(Action action) {
    switch (action) {
    case Action::addBelow:
        return drawn([](QPainter& p) { lines(p, {{9, 3, 9, 15}, {3, 9, 15, 9}}); });
    case Action::addChild:
        return drawn([](QPainter& p) {
            p.drawPolyline(QPolygonF({{4, 3}, {4, 11}, {14, 11}}));
            p.drawPolyline(QPolygonF({{11, 8}, {14, 11}, {11, 14}}));
        });
    case Action::indent:
    case Action::outdent: {
        const bool in = action == Action::indent;
        return drawn([in](QPainter& p) {
            lines(p, {{8, 4, 16, 4}, {8, 9, 16, 9}, {8, 14, 16, 14}});
            p.drawPolyline(in ? QPolygonF({{2, 6}, {5, 9}, {2, 12}})
                              : QPolygonF({{5, 6}, {2, 9}, {5, 12}}));
        });
    }
    case Action::editNote:
        return drawn([](QPainter& p) {
            p.drawRoundedRect(QRectF(3.5, 2.5, 11, 13), 2, 2);
            lines(p, {{6, 6.5, 12, 6.5}, {6, 9.5, 12, 9.5}, {6, 12.5, 10, 12.5}});
        });
    case Action::showFamily:
        return drawn([](QPainter& p) {
            p.drawRoundedRect(QRectF(2.5, 6.5, 9, 9), 1.5, 1.5);
            p.drawPolyline(QPolygonF({{6, 3.5}, {15, 3.5}, {15, 12}}));
        });
    case Action::deleteItem:
        return drawn([](QPainter& p) {
            lines(p, {{3, 5, 15, 5}, {7, 2.5, 11, 2.5}});
            p.drawPolyline(QPolygonF({{5, 5}, {6, 16}, {12, 16}, {13, 5}}));
            lines(p, {{8, 8, 8, 13}, {10, 8, 10, 13}});
        });
    case Action::commandPalette:
        return drawn([](QPainter& p) {
            p.drawRoundedRect(QRectF(2, 3, 14, 12), 2.5, 2.5);
            p.drawPolyline(QPolygonF({{5, 7}, {7.5, 9}, {5, 11}}));
            p.drawLine(QLineF(9, 11, 13, 11));
        });
    case Action::toggleHighlight:
        return drawn([](QPainter& p) {
            p.drawLine(QLineF(6, 4, 6, 16));
            QPainterPath branch({6, 12});
            branch.cubicTo(6, 8, 13, 9, 13, 5);
            p.drawPath(branch);
            p.drawEllipse(QPointF(6, 3), 1.5, 1.5);
            p.drawEllipse(QPointF(13, 3.5), 1.5, 1.5);
        });
    case Action::expandAll:
        return drawn([](QPainter& p) {
            lines(p, {{3, 15, 8, 10}, {15, 3, 10, 8}});
            p.drawPolyline(QPolygonF({{3, 11}, {3, 15}, {7, 15}}));
            p.drawPolyline(QPolygonF({{11, 3}, {15, 3}, {15, 7}}));
        });
    default:
        return {};
    }
}

} // namespace

QIcon ToolbarIcons::icon(Action action) {
    for (const ToolbarIcon& item : kIcons) {
        if (item.action == action && *item.themeName) {
            const QString name = QLatin1String(item.themeName);
            if (QIcon::hasThemeIcon(name)) {
                return QIcon::fromTheme(name);
            }
        }
    }
    return drawnIcon(action);
}

QIcon ToolbarIcons::viewSwitch() {
    return drawn([](QPainter& p) {
        p.drawRoundedRect(QRectF(1.5, 5.5, 15, 7), 2, 2);
        lines(p, {{6.5, 5.5, 6.5, 12.5}, {11.5, 5.5, 11.5, 12.5}});
    });
}

QIcon ToolbarIcons::labelSwatch(std::optional<ColorLabel> label) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        if (label) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Appearances::labelColor(*label));
            painter.drawEllipse(QRectF(4, 4, 24, 24));
        } else {
            painter.setPen(QPen(QApplication::palette().color(QPalette::WindowText), 2));
            painter.drawEllipse(QRectF(5, 5, 22, 22));
            painter.drawLine(QLineF(9, 23, 23, 9));
        }
    }
    pixmap.setDevicePixelRatio(2);
    return QIcon(pixmap);
}

WindowToolbar::WindowToolbar(QWidget* parent) : QToolBar(parent) {
    setObjectName(QStringLiteral("windowToolbar"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(18, 18));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const ToolbarItems::Item& item : ToolbarItems::all()) {
        if (item.action) {
            addItem(*item.action, item.labelKey);
        }
    }
    m_items.at(Action::toggleHighlight)->setCheckable(true);
    auto* spacer = new QWidget(this);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_spacer = new QWidgetAction(this);
    m_spacer->setDefaultWidget(spacer);
    addViewSwitch();
    addLabelMenu();
    applyPreferences();
    connect(&Notifications::shared(), &Notifications::toolbarChanged, this,
            &WindowToolbar::applyPreferences);
}

void WindowToolbar::contextMenuEvent(QContextMenuEvent* event) {
    // As in the toolbars of Linux desktops: hide it or change its items from the toolbar itself.
    // Customising runs the menu bar's own item, so that it opens what View ▸ Customize Toolbar
    // opens.
    QMenu menu(this);
    QAction* hide = menu.addAction(localized(QStringLiteral("menu.view.hideToolbar")));
    auto* main = qobject_cast<QMainWindow*>(window());
    QAction* customizeItem =
        main ? MainMenu::standardItem(main->menuBar(), StandardItem::customizeToolbar) : nullptr;
    QAction* customize =
        customizeItem
            ? menu.addAction(localized(QStringLiteral("menu.view.customizeToolbar")))
            : nullptr;
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == hide) {
        ToolbarItems::setHidden(true);
    } else if (chosen && chosen == customize) {
        MainMenu::runItem(customizeItem);
    }
}

void WindowToolbar::applyPreferences() {
    const Preferences preferences;
    arrange(ToolbarItems::shown(preferences));
    setVisible(!ToolbarItems::hidden(preferences));
}

void WindowToolbar::arrange(const QStringList& ids) {
    for (QAction* action : actions()) {
        removeAction(action);
    }
    qDeleteAll(m_separators);
    m_separators.clear();
    auto separator = [this] {
        auto* line = new QAction(this);
        line->setSeparator(true);
        m_separators.append(line);
        QToolBar::addAction(line);
    };
    // The leading groups, then the trailing items after a flexible space.
    bool anyBefore = false;
    ToolbarItems::Group last{};
    for (bool trailing : {false, true}) {
        if (trailing) {
            QToolBar::addAction(m_spacer);
            anyBefore = false;
        }
        for (const QString& id : ids) {
            const ToolbarItems::Item* item = ToolbarItems::item(id);
            if (!item || (item->group == ToolbarItems::Group::trailing) != trailing) {
                continue;
            }
            if (anyBefore && (last != item->group || trailing)) {
                separator();
            }
            anyBefore = true;
            last = item->group;
            if (id == ToolbarItems::viewSwitch) {
                showViewSwitch();
            } else if (id == ToolbarItems::labelMenu) {
                QToolBar::addAction(m_labelsAction);
            } else {
                QToolBar::addAction(m_items.at(*item->action));
            }
        }
    }
}

QAction* WindowToolbar::addItem(Action action, const QString& labelKey) {
    auto* item = new QAction(ToolbarIcons::icon(action), localized(labelKey), this);
    item->setObjectName(QString::fromLatin1(rawValue(action)));
    item->setToolTip(localized(labelKey));
    connect(item, &QAction::triggered, this, [this, action] {
        if (onPerform) {
            onPerform(action);
        }
    });
    m_items[action] = item;
    m_labelKeys[action] = labelKey;
    return item;
}

void WindowToolbar::addViewSwitch() {
    m_views = new QActionGroup(this);
    m_views->setExclusive(true);
    for (const auto& [action, key] : kViews) {
        QAction* item = addItem(action, QLatin1String(key));
        item->setCheckable(true);
        item->setIcon({});
        m_views->addAction(item);
    }
}

void WindowToolbar::showViewSwitch() {
    for (const auto& [action, key] : kViews) {
        QAction* item = m_items.at(action);
        QToolBar::addAction(item);
        if (auto* button = qobject_cast<QToolButton*>(widgetForAction(item))) {
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        }
    }
}

void WindowToolbar::addLabelMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("velmora.labels"));
    for (std::size_t i = 0; i < kLabelActions.size(); ++i) {
        const Action action = kLabelActions[i];
        std::optional<ColorLabel> label;
        if (i > 0) {
            label = ColorLabels::allCases[i - 1];
        }
        const auto key = MenuKeys::titleKey(action);
        QAction* item =
            menu->addAction(ToolbarIcons::labelSwatch(label), key ? localized(*key) : QString());
        item->setObjectName(QString::fromLatin1(rawValue(action)));
        connect(item, &QAction::triggered, this, [this, action] {
            if (onPerform) {
                onPerform(action);
            }
        });
        m_items[action] = item;
    }
    m_labels = new QToolButton(this);
    m_labels->setObjectName(QStringLiteral("velmora.labels"));
    m_labels->setIcon(ToolbarIcons::labelSwatch(ColorLabel::orange));
    m_labels->setText(text("labels"));
    m_labels->setToolTip(text("labels"));
    m_labels->setMenu(menu);
    m_labels->setPopupMode(QToolButton::InstantPopup);
    m_labelsAction = new QWidgetAction(this);
    m_labelsAction->setDefaultWidget(m_labels);
}

void WindowToolbar::update(ViewMode view, bool highlightBranch) {
    const Action viewAction = view == ViewMode::list   ? Action::viewList
                              : view == ViewMode::tree ? Action::viewTree
                                                       : Action::viewMap;
    for (const auto& [action, item] : m_items) {
        if (canPerform) {
            item->setEnabled(canPerform(action));
        }
    }
    m_items.at(viewAction)->setChecked(true);
    m_items.at(Action::toggleHighlight)->setChecked(highlightBranch);
}

void WindowToolbar::relocalize() {
    for (const auto& [action, key] : m_labelKeys) {
        m_items.at(action)->setText(localized(key));
        m_items.at(action)->setToolTip(localized(key));
    }
    for (Action action : kLabelActions) {
        if (const auto key = MenuKeys::titleKey(action)) {
            m_items.at(action)->setText(localized(*key));
        }
    }
    m_labels->setText(text("labels"));
    m_labels->setToolTip(text("labels"));
}

QAction* WindowToolbar::actionFor(Action action) const {
    const auto found = m_items.find(action);
    return found == m_items.end() ? nullptr : found->second;
}

} // namespace velmora

#include "app/window/main_menu.hpp"

#include "app/platform/keyboard_layout.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/menu_keys.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/platform/toolbar_items.hpp"
#include "core/commands/command_registry.hpp"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <vector>

namespace velmora {
namespace {

// Every menu item made for a window, with the catalog key of its title.
struct LocalizedItem {
    QPointer<QAction> item;
    QString titleKey;
};

std::vector<LocalizedItem>& localizedItems() {
    static std::vector<LocalizedItem> items;
    return items;
}

std::vector<QPointer<QAction>>& newTabItems() {
    static std::vector<QPointer<QAction>> items;
    return items;
}

const char* const kActionProperty = "velmoraAction";
const char* const kStandardProperty = "velmoraStandard";

QAction* remember(QAction* item, const QString& titleKey) {
    auto& items = localizedItems();
    // Drop the entries of windows that closed, so the list stays as long as the open menus.
    std::erase_if(items, [](const LocalizedItem& entry) { return entry.item.isNull(); });
    items.push_back({item, titleKey});
    return item;
}

QMenu* addMenu(QMenuBar* bar, const QString& titleKey) {
    QMenu* menu = bar->addMenu(localized(titleKey));
    remember(menu->menuAction(), titleKey);
    return menu;
}

QMenu* addSubmenu(QMenu* parent, const QString& titleKey) {
    QMenu* menu = parent->addMenu(localized(titleKey));
    remember(menu->menuAction(), titleKey);
    return menu;
}

// Builds the menus of one window; the target and window stay fixed for its life.
class Builder {
public:
    Builder(QMenuBar* bar, QWidget* window, MenuTarget& target)
        : m_bar(bar), m_window(window), m_target(target) {}

    void build() {
        buildApp();
        buildFile();
        buildEdit();
        buildFormat();
        buildView();
        addSectionMenu("menu.reorganize", "reorganize");
        addSectionMenu("menu.item", "item");
        buildWindow();
        buildHelp();
    }

private:
    QAction* standard(QMenu* menu, const char* titleKey, StandardItem which,
                      const QKeySequence& keys = {}) {
        QAction* item = menu->addAction(localized(QLatin1String(titleKey)));
        remember(item, QLatin1String(titleKey));
        item->setProperty(kStandardProperty, static_cast<int>(which));
        item->setShortcut(keys);
        QWidget* window = m_window;
        MenuTarget* target = &m_target;
        QObject::connect(item, &QAction::triggered, item,
                         [target, window, which] { target->run(which, window); });
        return item;
    }

    void actionItem(QMenu* menu, Action action) {
        const auto titleKey = MenuKeys::titleKey(action);
        if (!titleKey) {
            return;
        }
        QAction* item = menu->addAction(localized(*titleKey));
        remember(item, *titleKey);
        item->setData(QString::fromLatin1(rawValue(action)));
        item->setProperty(kActionProperty, static_cast<int>(action));
        // The branch highlight is a state: the item shows its check mark.
        item->setCheckable(action == Action::toggleHighlight);
        item->setShortcuts(MenuKeys::keyEquivalents(action));
        if (action == Action::newDocumentTab) {
            newTabItems().emplace_back(item);
            item->setVisible(Preferences().documentsInTabs());
        }
        QWidget* window = m_window;
        MenuTarget* target = &m_target;
        QObject::connect(item, &QAction::triggered, item, [target, window, item] {
            // The represented object is the action's raw value.
            const QString raw = item->data().toString();
            if (auto chosen = actionFromRawValue(raw.toStdString())) {
                target->velmoraPerform(*chosen, window);
            }
        });
    }

    // The action items of one group of a registry section, in order.
    void group(QMenu* menu, const char* sectionId, std::size_t index) {
        for (const auto& section : CommandRegistry::sections()) {
            if (section.id == sectionId && index < section.groups.size()) {
                for (Action action : section.groups[index]) {
                    actionItem(menu, action);
                }
            }
        }
    }

    // Every group of a section, separated.
    void groups(QMenu* menu, const char* sectionId) {
        for (const auto& section : CommandRegistry::sections()) {
            if (section.id != sectionId) {
                continue;
            }
            for (std::size_t i = 0; i < section.groups.size(); ++i) {
                if (i > 0) {
                    menu->addSeparator();
                }
                group(menu, sectionId, i);
            }
        }
    }

    QMenu* topMenu(const char* titleKey) {
        QMenu* menu = addMenu(m_bar, QLatin1String(titleKey));
        QMenuBar* bar = m_bar;
        QWidget* window = m_window;
        MenuTarget* target = &m_target;
        QObject::connect(menu, &QMenu::aboutToShow, menu,
                         [bar, window, target] { MainMenu::updateStates(bar, window, *target); });
        return menu;
    }

    void addSectionMenu(const char* titleKey, const char* sectionId) {
        groups(topMenu(titleKey), sectionId);
    }

    void buildApp() {
        QMenu* menu = topMenu("menu.app");
        standard(menu, "menu.app.about", StandardItem::about);
        if (m_target.updatesAvailable()) {
            standard(menu, "menu.app.checkUpdates", StandardItem::checkUpdates);
        }
        menu->addSeparator();
        group(menu, "app", 0);
        // Hide, hide others and show all have no meaning on Linux desktops.
        menu->addSeparator();
        standard(menu, "menu.app.quit", StandardItem::quit, QKeySequence::Quit);
    }

    void buildFile() {
        QMenu* menu = topMenu("menu.file");
        standard(menu, "menu.file.new", StandardItem::newDocument, QKeySequence::New);
        group(menu, "file", 0);
        standard(menu, "menu.file.open", StandardItem::open, QKeySequence::Open);
        buildOpenRecent(menu);
        menu->addSeparator();
        group(menu, "file", 1);
        QAction* importMarkdown =
            standard(menu, "menu.file.importMarkdown", StandardItem::importMarkdown);
        placeAfter(menu, Action::importOPML, importMarkdown);
        QAction* exportMarkdown =
            standard(menu, "menu.file.exportMarkdown", StandardItem::exportMarkdown);
        placeAfter(menu, Action::exportOPML, exportMarkdown);
        placeAfter(menu, importMarkdown,
                   standard(menu, "menu.file.importOrg", StandardItem::importOrg));
        QAction* exportOrg = standard(menu, "menu.file.exportOrg", StandardItem::exportOrg);
        placeAfter(menu, exportMarkdown, exportOrg);
        placeAfter(menu, exportOrg,
                   standard(menu, "menu.file.exportWebPage", StandardItem::exportWebPage));
        menu->addSeparator();
        standard(menu, "menu.file.close", StandardItem::close, QKeySequence::Close);
        standard(menu, "menu.file.save", StandardItem::save, QKeySequence::Save);
        // Qt names no Save As keys outside a desktop that sets them: Ctrl+Shift+S, as on every
        // Linux desktop.
        standard(menu, "menu.file.saveAs", StandardItem::saveAs,
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        menu->addSeparator();
        standard(menu, "menu.file.pageSetup", StandardItem::pageSetup);
        standard(menu, "menu.file.print", StandardItem::print, QKeySequence::Print);
        standard(menu, "menu.file.printPreview", StandardItem::printPreview);
        QMenu* exports = addSubmenu(menu, QStringLiteral("menu.file.export"));
        exports->setObjectName(QStringLiteral("exportMenu"));
        standard(exports, "menu.file.exportPDF", StandardItem::exportPDF);
        menu->addSeparator();
        standard(menu, "settings.files.samples", StandardItem::createSamples);
    }

    // Moves the item to just after the command item of the action, when the menu has one.
    static void placeAfter(QMenu* menu, Action action, QAction* item) {
        const QList<QAction*> items = menu->actions();
        for (qsizetype i = 0; i + 1 < items.size(); ++i) {
            if (items[i]->property(kActionProperty) == static_cast<int>(action)) {
                menu->insertAction(items[i + 1], item);
                return;
            }
        }
    }

    // Moves `item` to just after `before` in the menu.
    static void placeAfter(QMenu* menu, QAction* before, QAction* item) {
        const QList<QAction*> items = menu->actions();
        const qsizetype at = items.indexOf(before);
        if (at >= 0 && at + 1 < items.size() && items[at + 1] != item) {
            menu->removeAction(item);
            menu->insertAction(menu->actions()[at + 1], item);
        }
    }

    void buildOpenRecent(QMenu* file) {
        QMenu* recent = addSubmenu(file, QStringLiteral("menu.file.openRecent"));
        recent->setObjectName(QStringLiteral("openRecent"));
        MenuTarget* target = &m_target;
        QWidget* window = m_window;
        QObject::connect(recent, &QMenu::aboutToShow, recent, [recent, target, window] {
            recent->clear();
            for (const QString& path : target->recentDocuments()) {
                QAction* item = recent->addAction(mnemonicSafe(QFileInfo(path).fileName()));
                item->setToolTip(path);
                QObject::connect(item, &QAction::triggered, item,
                                 [target, path] { target->openRecent(path); });
            }
            recent->addSeparator();
            QAction* clear = recent->addAction(localized(QStringLiteral("menu.file.clearRecent")));
            clear->setEnabled(!target->recentDocuments().isEmpty());
            QObject::connect(clear, &QAction::triggered, clear,
                             [target, window] { target->run(StandardItem::clearRecent, window); });
        });
    }

    void buildEdit() {
        QMenu* menu = topMenu("menu.edit");
        standard(menu, "menu.edit.undo", StandardItem::undo, QKeySequence::Undo);
        standard(menu, "menu.edit.redo", StandardItem::redo,
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
        menu->addSeparator();
        standard(menu, "menu.edit.cut", StandardItem::cut, QKeySequence::Cut);
        standard(menu, "menu.edit.copy", StandardItem::copy, QKeySequence::Copy);
        standard(menu, "menu.edit.paste", StandardItem::paste, QKeySequence::Paste);
        standard(menu, "menu.edit.delete", StandardItem::deleteSelection);
        standard(menu, "menu.edit.selectAll", StandardItem::selectAll, QKeySequence::SelectAll);
        menu->addSeparator();
        group(menu, "edit", 1);
        menu->addSeparator();
        group(menu, "edit", 2);
    }

    void buildFormat() {
        QMenu* menu = topMenu("menu.format");
        group(menu, "format", 0);
        menu->addSeparator();
        group(menu, "format", 1);
        menu->addSeparator();
        QMenu* labels = addSubmenu(menu, QStringLiteral("menu.format.labels"));
        group(labels, "labels", 0);
    }

    void buildView() {
        QMenu* menu = topMenu("menu.view");
        groups(menu, "view");
        menu->addSeparator();
        standard(menu, "menu.view.zoomIn", StandardItem::zoomIn)
            ->setShortcuts(MenuKeys::zoomInKeys());
        standard(menu, "menu.view.zoomOut", StandardItem::zoomOut)
            ->setShortcuts(MenuKeys::zoomOutKeys());
        standard(menu, "menu.view.actualSize", StandardItem::actualSize,
                 QKeySequence(Qt::CTRL | Qt::Key_0));
        menu->addSeparator();
        // Ctrl+Alt+T opens a terminal on most Linux desktops; none takes Ctrl+Alt+Shift+T.
        standard(menu, "menu.view.hideToolbar", StandardItem::toggleToolbar,
                 QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_T));
        standard(menu, "menu.view.customizeToolbar", StandardItem::customizeToolbar);
        // Full screen takes the desktop's own key (F11) rather than Ctrl+Meta+F.
        standard(menu, "menu.view.fullScreen", StandardItem::fullScreen, QKeySequence::FullScreen);
    }

    void buildWindow() {
        QMenu* menu = topMenu("menu.window");
        standard(menu, "menu.window.minimize", StandardItem::minimize,
                 QKeySequence(Qt::CTRL | Qt::Key_M));
        standard(menu, "menu.window.zoom", StandardItem::zoom);
        menu->addSeparator();
        // The tab keys of Linux editors and browsers; Ctrl+Tab too, which the outline never takes.
        standard(menu, "menu.window.nextTab", StandardItem::nextTab)
            ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                            QKeySequence(Qt::CTRL | Qt::Key_Tab)});
        standard(menu, "menu.window.previousTab", StandardItem::previousTab)
            ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
        standard(menu, "menu.window.moveTab", StandardItem::moveTabToNewWindow);
        standard(menu, "menu.window.mergeAll", StandardItem::mergeAllWindows);
        buildDocumentList(menu);
    }

    // The open documents at the end of the Window menu, the current one checked.
    void buildDocumentList(QMenu* menu) {
        QAction* start = menu->addSeparator();
        start->setObjectName(QStringLiteral("openDocuments"));
        MenuTarget* target = &m_target;
        QWidget* window = m_window;
        QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, start, target, window] {
            const QList<QAction*> items = menu->actions();
            for (qsizetype i = items.indexOf(start) + 1; i < items.size(); ++i) {
                menu->removeAction(items[i]);
                items[i]->deleteLater();
            }
            const QList<OpenDocumentEntry> entries = target->openDocumentEntries(window);
            start->setVisible(!entries.isEmpty());
            // One of them is current: radio items, as window lists show on Linux.
            auto* group = new QActionGroup(menu);
            QObject::connect(menu, &QMenu::aboutToShow, group, &QObject::deleteLater);
            for (int i = 0; i < entries.size(); ++i) {
                QAction* item = menu->addAction(mnemonicSafe(entries[i].title));
                item->setCheckable(true);
                group->addAction(item);
                item->setChecked(entries[i].current);
                QObject::connect(item, &QAction::triggered, item,
                                 [target, i] { target->showOpenDocument(i); });
            }
        });
    }

    void buildHelp() {
        QMenu* menu = topMenu("menu.help");
        group(menu, "help", 0);
        menu->addSeparator();
        standard(menu, "menu.help.feedback", StandardItem::feedback);
        standard(menu, "menu.help.more", StandardItem::moreApps);
    }

    QMenuBar* m_bar;
    QWidget* m_window;
    MenuTarget& m_target;
};

// Every item of the menu bar, submenus included.
void collect(const QList<QAction*>& actions, QList<QAction*>& out) {
    for (QAction* item : actions) {
        out.append(item);
        if (QMenu* submenu = item->menu()) {
            collect(submenu->actions(), out);
        }
    }
}

QList<QAction*> allItems(QMenuBar* bar) {
    QList<QAction*> items;
    collect(bar->actions(), items);
    return items;
}

} // namespace

void MainMenu::install(QMenuBar* bar, QWidget* window, MenuTarget& target) {
    Builder(bar, window, target).build();
    // Every remembered item takes the new language's titles once, whichever bar it is in.
    static const bool observingLanguage = [] {
        QObject::connect(&Notifications::shared(), &Notifications::languageChanged,
                         &Notifications::shared(), [] { relocalizeMenus(); });
        return true;
    }();
    (void)observingLanguage;
    // The shortcuts show the keys as labelled on the active layout.
    QObject::connect(&KeyboardLayouts::shared(), &KeyboardLayouts::changed, bar, [bar] {
        for (QAction* item : allItems(bar)) {
            const QVariant action = item->property(kActionProperty);
            if (action.isValid()) {
                item->setShortcuts(MenuKeys::keyEquivalents(static_cast<Action>(action.toInt())));
            }
        }
    });
}

void MainMenu::relocalizeMenus() {
    for (const LocalizedItem& entry : localizedItems()) {
        if (entry.item) {
            entry.item->setText(localized(entry.titleKey));
        }
    }
}

void MainMenu::updateNewTabVisibility() {
    const bool visible = Preferences().documentsInTabs();
    for (const auto& item : newTabItems()) {
        if (item) {
            item->setVisible(visible);
        }
    }
}

void MainMenu::updateStates(QMenuBar* bar, QWidget* window, MenuTarget& target) {
    const Preferences preferences;
    for (QAction* item : allItems(bar)) {
        const QVariant action = item->property(kActionProperty);
        if (action.isValid()) {
            const auto which = static_cast<Action>(action.toInt());
            item->setEnabled(target.canPerform(which, window));
            if (which == Action::toggleHighlight) {
                item->setChecked(preferences.highlightBranch());
            }
            continue;
        }
        const QVariant standard = item->property(kStandardProperty);
        if (!standard.isValid()) {
            continue;
        }
        const auto which = static_cast<StandardItem>(standard.toInt());
        item->setEnabled(target.canRun(which, window));
        if (which == StandardItem::toggleToolbar) {
            item->setText(localized(ToolbarItems::hidden(preferences)
                                        ? QStringLiteral("menu.view.showToolbar")
                                        : QStringLiteral("menu.view.hideToolbar")));
        }
        if (which == StandardItem::undo || which == StandardItem::redo) {
            const bool redo = which == StandardItem::redo;
            const QString name = target.undoName(window, redo);
            if (name.isEmpty()) {
                item->setText(localized(redo ? QStringLiteral("menu.edit.redo")
                                             : QStringLiteral("menu.edit.undo")));
            } else {
                item->setText(localizedFormat(redo ? QStringLiteral("menu.edit.redoNamed %@")
                                                   : QStringLiteral("menu.edit.undoNamed %@"),
                                              {name}));
            }
        }
    }
}

QAction* MainMenu::actionItem(QMenuBar* bar, Action action) {
    for (QAction* item : allItems(bar)) {
        const QVariant value = item->property(kActionProperty);
        if (value.isValid() && static_cast<Action>(value.toInt()) == action) {
            return item;
        }
    }
    return nullptr;
}

QAction* MainMenu::standardItem(QMenuBar* bar, StandardItem which) {
    for (QAction* item : allItems(bar)) {
        const QVariant value = item->property(kStandardProperty);
        if (value.isValid() && static_cast<StandardItem>(value.toInt()) == which) {
            return item;
        }
    }
    return nullptr;
}

void MainMenu::runItem(QAction* item) {
    // Menus update their states whenever the document changes and when they open.
    item->setEnabled(true);
    item->trigger();
}

} // namespace velmora

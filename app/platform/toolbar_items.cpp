#include "app/platform/toolbar_items.hpp"

#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"

#include <QSet>

namespace velmora {

const std::vector<ToolbarItems::Item>& ToolbarItems::all() {
    using G = Group;
    auto entry = [](Action action, const char* labelKey, Group group) {
        return Item{QString::fromLatin1(rawValue(action)), action, QLatin1String(labelKey), group};
    };
    static const std::vector<Item> items = {
        entry(Action::addBelow, "menu.item.below", G::edit),
        entry(Action::addChild, "menu.item.child", G::edit),
        entry(Action::indent, "menu.reorganize.indent", G::edit),
        entry(Action::outdent, "menu.reorganize.outdent", G::edit),
        entry(Action::editNote, "menu.item.note", G::edit),
        entry(Action::showFamily, "menu.reorganize.hoist", G::edit),
        entry(Action::deleteItem, "menu.item.delete", G::edit),
        entry(Action::commandPalette, "menu.edit.palette", G::palette),
        entry(Action::toggleHighlight, "menu.view.highlight", G::view),
        entry(Action::expandAll, "menu.view.expandAll", G::view),
        Item{viewSwitch, std::nullopt, QStringLiteral("menu.view"), G::trailing},
        Item{labelMenu, std::nullopt, QStringLiteral("labels"), G::trailing},
    };
    return items;
}

const ToolbarItems::Item* ToolbarItems::item(const QString& id) {
    for (const Item& candidate : all()) {
        if (candidate.id == id) {
            return &candidate;
        }
    }
    return nullptr;
}

QStringList ToolbarItems::defaults() {
    QStringList ids;
    for (const Item& entry : all()) {
        ids.append(entry.id);
    }
    return ids;
}

QStringList ToolbarItems::shown(const Preferences& preferences) {
    if (!preferences.contains(PreferenceKeys::toolbarItems)) {
        return defaults();
    }
    QStringList ids;
    QSet<QString> seen;
    for (const QString& id : preferences.stringList(PreferenceKeys::toolbarItems)) {
        if (item(id) && !seen.contains(id)) {
            seen.insert(id);
            ids.append(id);
        }
    }
    return ids;
}

void ToolbarItems::store(const QStringList& ids) {
    // An empty list is stored as a list holding one empty text, so that it reads back as "no
    // items" rather than as missing.
    Preferences().setStringList(PreferenceKeys::toolbarItems,
                                ids.isEmpty() ? QStringList{QString()} : ids);
    Notifications::shared().post(Notifications::toolbar);
}

void ToolbarItems::restoreDefault() {
    Preferences().remove(PreferenceKeys::toolbarItems);
    Notifications::shared().post(Notifications::toolbar);
}

bool ToolbarItems::hidden(const Preferences& preferences) {
    return preferences.boolValue(PreferenceKeys::toolbarHidden);
}

void ToolbarItems::setHidden(bool hidden) {
    Preferences().setBool(PreferenceKeys::toolbarHidden, hidden);
    Notifications::shared().post(Notifications::toolbar);
}

} // namespace velmora

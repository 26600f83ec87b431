#pragma once

#include "core/commands/action.hpp"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace velmora {

class Preferences;

// The items a document window's toolbar can show, which of them it shows and in what order, and
// whether the toolbar is shown at all. Kept in the preferences ("toolbarItems",
// "toolbarHidden"), so every window shows the same toolbar.
namespace ToolbarItems {

// Where an item sits: the leading groups are divided by separators; the trailing items sit at
// the far end, after a flexible space.
enum class Group { edit, palette, view, trailing };

struct Item {
    // The identifier: the raw value of the item's action, "velmora.view" for the view switch
    // and "velmora.labels" for the label menu.
    QString id;
    // The action the item performs; none for the view switch and the label menu.
    std::optional<Action> action;
    // Its name in the toolbar, its tooltip and the customisation dialog.
    QString labelKey;
    Group group = Group::edit;
};

inline const QString viewSwitch = QStringLiteral("velmora.view");
inline const QString labelMenu = QStringLiteral("velmora.labels");

// Every item in the default order.
[[nodiscard]] const std::vector<Item>& all();
// The item with that identifier, if there is one.
[[nodiscard]] const Item* item(const QString& id);
// The identifiers of every item in the default order (the default toolbar).
[[nodiscard]] QStringList defaults();

// The items the toolbar shows, in order: the stored list without unknown or repeated
// identifiers, or the default when nothing is stored.
[[nodiscard]] QStringList shown(const Preferences& preferences);
// Stores the items to show and announces the change to every window.
void store(const QStringList& ids);
// Forgets the stored list (the default toolbar comes back) and announces the change.
void restoreDefault();

[[nodiscard]] bool hidden(const Preferences& preferences);
// Shows or hides the toolbar of every window and remembers the choice.
void setHidden(bool hidden);

} // namespace ToolbarItems
} // namespace velmora

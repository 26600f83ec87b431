#include "app/document/missing_items.hpp"

#include "core/model/tree_ops.hpp"

#include <algorithm>
#include <string>
#include <vector>

namespace velmora {

EditorSnapshot MissingItems::dropped(EditorSnapshot snapshot) {
    const ItemList& items = snapshot.document.items;
    const auto exists = [&items](const std::string& id) {
        return TreeOps::locate(items, id).has_value();
    };
    std::erase_if(snapshot.hoistTabs, [&](const HoistTab& tab) { return !exists(tab.rootId); });
    if (snapshot.activeHoist &&
        std::none_of(snapshot.hoistTabs.begin(), snapshot.hoistTabs.end(),
                     [&](const HoistTab& tab) { return tab.id == *snapshot.activeHoist; })) {
        snapshot.activeHoist.reset();
    }
    std::vector<std::string> gone;
    for (const std::string& id : snapshot.extraIds) {
        if (!exists(id)) {
            gone.push_back(id);
        }
    }
    for (const std::string& id : gone) {
        snapshot.extraIds.erase(id);
    }
    if (snapshot.anchorId && !exists(*snapshot.anchorId)) {
        snapshot.anchorId.reset();
    }
    if (snapshot.editing && !exists(snapshot.editing->id)) {
        snapshot.editing.reset();
    }
    if (snapshot.selectedId && !exists(*snapshot.selectedId)) {
        snapshot.selectedId.reset();
    }
    return snapshot;
}

} // namespace velmora

#pragma once

#include "app/platform/preferences.hpp"
#include "core/model/item.hpp"
#include "core/session/editor_snapshot.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora::test {

inline Item itemWith(std::string id, std::string text, std::vector<Item> children = {}) {
    Item item = Item::blank(std::move(id), std::move(text));
    item.children = ItemList(std::move(children));
    return item;
}

// A list-view state over the items with the item selected.
inline EditorSnapshot outline(std::vector<Item> items, std::optional<std::string> selected) {
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"doc", "Test", ItemList(std::move(items))};
    snapshot.selectedId = std::move(selected);
    snapshot.view = ViewMode::list;
    return snapshot;
}

// Three top items, the first with two children.
inline EditorSnapshot groceries(std::optional<std::string> selected = "a") {
    return outline({itemWith("a", "Fruit", {itemWith("a1", "Apples"), itemWith("a2", "Pears")}),
                    itemWith("b", "Bread"), itemWith("c", "Cheese")},
                   std::move(selected));
}

// A running application with one document window in the list view over `groceries`.
inline std::unique_ptr<WindowFixture> groceriesWindow(std::optional<std::string> selected) {
    auto app = std::make_unique<WindowFixture>();
    Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("list"));
    app->newDocument();
    app->load(groceries(std::move(selected)));
    return app;
}

} // namespace velmora::test

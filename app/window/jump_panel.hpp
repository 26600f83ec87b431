#pragma once

#include "core/model/item.hpp"

#include <QFrame>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;

namespace velmora {

// The jump-to-item popup: a search field over the titles of the items the document can show
// (case- and accent-insensitive) and the first matches; choosing one goes to that item.
class JumpPanel : public QFrame {
    Q_OBJECT
public:
    // The most matches listed at once.
    static constexpr int kShownMatches = 40;

    explicit JumpPanel(QWidget* parent = nullptr);

    // An item was chosen.
    std::function<void(const std::string& id)> onChoose;
    // The panel was closed without a choice.
    std::function<void()> onCancel;

    // Shows the panel over the top of its parent with the items of the document. While
    // completed items are hidden, they and their branches are left out (a checked hoisted root
    // stays, as the view shows it); going to them would show nothing.
    void open(const ItemList& items, bool hidingCompleted = false,
              const std::optional<std::string>& hoistRoot = std::nullopt);
    // The ids listed for the query, best first (titles starting with it, then containing it).
    [[nodiscard]] std::vector<std::string> matches(const QString& query) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A hidden panel lets go of the items (and of the tree they belong to).
    void hideEvent(QHideEvent* event) override;

private:
    // An item that can be gone to: the item itself (inside `m_items`, which keeps the tree
    // alive) and its title folded for matching. Titles are shown only for the listed matches.
    struct Entry {
        const Item* item = nullptr;
        std::string folded;
    };

    [[nodiscard]] std::vector<std::size_t> matchingEntries(const QString& query) const;
    void update(const QString& query);
    void choose();

    QLineEdit* m_field = nullptr;
    QListWidget* m_list = nullptr;
    ItemList m_items;
    std::vector<Entry> m_entries;
    bool m_hidingCompleted = false;
};

} // namespace velmora

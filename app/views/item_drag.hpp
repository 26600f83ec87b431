#pragma once

#include "app/views/drop_mark_view.hpp"
#include "core/model/item.hpp"
#include "core/session/editor_session.hpp"

#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <Qt>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QDrag;
class QDropEvent;
class QMimeData;

namespace velmora {

struct CanvasScene;

// Dragging items within an outline (a move), between windows and documents (a copy) and out
// to other programs (plain text). The views only find where the pointer is and show the
// indicator; what a drop means is decided here, on the window's session.
namespace ItemDrag {

// The private form of the dragged item (its clipboard OPML) and the form naming the window and
// the item the drag started from.
inline const QString itemsType = QStringLiteral("com.kestrum-software.ostrevo.items");
inline const QString sourceType = QStringLiteral("com.kestrum-software.ostrevo.items.source");

// What a drag carries.
struct Payload {
    std::vector<Item> items;
    std::optional<std::string> sourceToken;
    std::optional<std::string> sourceItem;

    bool operator==(const Payload&) const = default;
};

// Where dropped items go: into `parent` (absent: the top level) at `index` (absent: the end).
struct Target {
    std::optional<std::string> parent;
    std::optional<int> index;

    bool operator==(const Target&) const = default;
};

// The drag data of one item with the three forms: the private items, the source (the window's
// token, a line feed, the item id) and plain indented text. The caller owns it.
[[nodiscard]] QMimeData* writer(const Item& item, const std::string& token);

// The payload of drag data: the items of the private form, with the source when it has both
// parts. None without decodable items (text from other programs).
[[nodiscard]] std::optional<Payload> payload(const QMimeData* data);

// Keeps the payload of the drag in progress: the drag data object stays the same for the whole
// drag, so the payload is decoded once rather than on every pointer move.
class PayloadCache {
public:
    [[nodiscard]] const std::optional<Payload>& read(const QMimeData* data);
    [[nodiscard]] int decodeCount() const { return m_decodes; }

private:
    QPointer<const QMimeData> m_data;
    std::optional<Payload> m_payload;
    int m_decodes = 0;
};

// The actions a drop may take: those the drag allows, less moving when the user asks for a copy
// (Ctrl held while dragging, which makes the drag propose copying).
[[nodiscard]] Qt::DropActions requestedActions(const QDropEvent& event);

// Runs a drag of items out of a view until it ends. A move within the application is carried out
// by the window that takes the drop; whatever another program answers, the items stay here: a
// drop elsewhere is always a copy.
Qt::DropAction exec(QDrag& drag);
// What runs drags instead of the desktop's drag loop (tests play the other side with it); an
// empty function brings the desktop's back.
void setRunner(std::function<Qt::DropAction(QDrag&)> runner);

// Whether a drop moves the item within its own window: the payload came from this window's
// token, names its item, and the drag allows moving. Anything else is a copy.
[[nodiscard]] bool isInternal(const Payload& payload, const std::string& token, bool moveAllowed);

// The operation a drop at the target would have: move, copy, or none when the session refuses
// it (an item into itself or its own descendants) or nothing decodable is dragged.
[[nodiscard]] Qt::DropAction dropOperation(const EditorSession& session,
                                           const std::optional<Payload>& payload,
                                           const std::string& token, bool moveAllowed,
                                           const Target& target);

// Whether the drop would nest items deeper than the session allows, so that it is refused.
[[nodiscard]] bool nestsTooDeep(const EditorSession& session, const std::optional<Payload>& payload,
                                const std::string& token, bool moveAllowed, const Target& target);

// Drops: moves the window's own item, or inserts fresh copies of foreign items. The record of
// the change, when there was one.
[[nodiscard]] std::optional<TreeCommand>
performDrop(EditorSession& session, const std::optional<Payload>& payload, const std::string& token,
            bool moveAllowed, const Target& target,
            std::optional<std::string> draft = std::nullopt);

// A drop target in the canvas with its indicator (canvas coordinates).
struct CanvasDrop {
    Target target;
    DropMarkView::Mode mode = DropMarkView::Mode::line;
    QRectF indicator;

    bool operator==(const CanvasDrop&) const = default;
};

// The target under a point of the canvas (canvas coordinates): before, into or after the block
// under the pointer by its height, else by the block whose vertical centre is nearest; the
// hoisted root always receives into itself; an empty canvas drops at the end of the top level.
[[nodiscard]] CanvasDrop canvasDrop(const CanvasScene& scene, const ItemList& documentItems,
                                    const QPointF& point);

// The target of a list drop proposal: on the row `item` (childIndex -1), or between the shown
// children of `item` (absent: the top rows) at `childIndex`, counted in the model with hidden
// completed items included. A drop between the top rows while hoisted goes into the root.
[[nodiscard]] Target listTarget(const EditorSession& session,
                                const std::optional<std::string>& item, int childIndex);

} // namespace ItemDrag
} // namespace velmora

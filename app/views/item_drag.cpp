#include "app/views/item_drag.hpp"

#include "app/views/canvas_scene.hpp"
#include "core/formats/item_clipboard.hpp"
#include "core/model/tree_ops.hpp"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>

#include <cmath>
#include <limits>

namespace velmora::ItemDrag {
namespace {

QByteArray utf8(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// The parent and index of an item in the document, for a drop before or after it.
Target siblingTarget(const ItemList& items, const std::string& id, bool after) {
    auto location = TreeOps::locate(items, id);
    if (!location || location->path.empty()) {
        return {};
    }
    Target target;
    if (location->parent) {
        target.parent = location->parent->id;
    }
    target.index = location->path.back() + (after ? 1 : 0);
    return target;
}

QRectF lineAt(const QRectF& r, double edgeY) {
    return {r.left() + 23, edgeY - 4, r.width() - 23, 8};
}

CanvasDrop into(const CanvasBlock& block) {
    const QRectF& r = block.frame;
    return {Target{block.id(), std::nullopt}, DropMarkView::Mode::frame,
            QRectF(r.left() + 29, r.top(), r.width() - 29, r.height())};
}

CanvasDrop beside(const CanvasBlock& block, const ItemList& items, bool after) {
    const QRectF& r = block.frame;
    return {siblingTarget(items, block.id(), after), DropMarkView::Mode::line,
            lineAt(r, after ? r.bottom() : r.top())};
}

} // namespace

namespace {

// The drag data of one item. The source is written at once; the item's OPML and plain text are
// written only when a reader asks for them (a drop in another program), so a drag within the
// window never writes out, nor reads back, a large branch: the drop takes the item itself.
class ItemMimeData final : public QMimeData {
public:
    ItemMimeData(Item item, const std::string& token)
        : m_item(std::move(item)), m_source(utf8(token + "\n" + m_item.id)) {}

    [[nodiscard]] const Item& item() const { return m_item; }

    [[nodiscard]] QStringList formats() const override {
        return {itemsType, sourceType, QStringLiteral("text/plain")};
    }
    [[nodiscard]] bool hasFormat(const QString& type) const override {
        return formats().contains(type);
    }

protected:
    [[nodiscard]] QVariant retrieveData(const QString& type, QMetaType preferred) const override {
        if (type == sourceType) {
            return m_source;
        }
        if (type == itemsType) {
            return utf8(ItemClipboard::opmlText(ItemList{m_item}));
        }
        if (type == QStringLiteral("text/plain")) {
            return QString::fromStdString(ItemClipboard::plainText(ItemList{m_item}));
        }
        return QMimeData::retrieveData(type, preferred);
    }

private:
    Item m_item;
    QByteArray m_source;
};

} // namespace

QMimeData* writer(const Item& item, const std::string& token) {
    return new ItemMimeData(item, token);
}

std::optional<Payload> payload(const QMimeData* data) {
    if (!data || !data->hasFormat(itemsType)) {
        return std::nullopt;
    }
    Payload result;
    if (const auto* own = dynamic_cast<const ItemMimeData*>(data)) {
        result.items = {own->item()};
    } else {
        const QByteArray opml = data->data(itemsType);
        auto items = ItemClipboard::itemsFromOPML(std::string_view(opml.constData(), opml.size()));
        if (!items || items->empty()) {
            return std::nullopt;
        }
        result.items = items->toVector();
    }
    if (data->hasFormat(sourceType)) {
        const std::string source = data->data(sourceType).toStdString();
        const auto split = source.find('\n');
        if (split != std::string::npos) {
            result.sourceToken = source.substr(0, split);
            result.sourceItem = source.substr(split + 1);
        }
    }
    return result;
}

const std::optional<Payload>& PayloadCache::read(const QMimeData* data) {
    if (!data || m_data != data) {
        m_data = data;
        m_payload = payload(data);
        ++m_decodes;
    }
    return m_payload;
}

Qt::DropActions requestedActions(const QDropEvent& event) {
    Qt::DropActions actions = event.possibleActions();
    if (event.proposedAction() == Qt::CopyAction &&
        event.modifiers().testFlag(Qt::ControlModifier)) {
        actions &= ~Qt::DropActions(Qt::MoveAction);
    }
    return actions;
}

namespace {

std::function<Qt::DropAction(QDrag&)>& runner() {
    static std::function<Qt::DropAction(QDrag&)> installed;
    return installed;
}

} // namespace

void setRunner(std::function<Qt::DropAction(QDrag&)> replacement) {
    runner() = std::move(replacement);
}

Qt::DropAction exec(QDrag& drag) {
    // Moving is offered so that a drop in this application may move; the answer is not acted
    // on here, so another program's "move" never deletes anything.
    if (!runner()) {
        return drag.exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    }
    const Qt::DropAction action = runner()(drag);
    drag.deleteLater();
    return action;
}

bool isInternal(const Payload& payload, const std::string& token, bool moveAllowed) {
    return moveAllowed && payload.sourceToken == token && payload.sourceItem.has_value();
}

Qt::DropAction dropOperation(const EditorSession& session, const std::optional<Payload>& payload,
                             const std::string& token, bool moveAllowed, const Target& target) {
    if (!payload) {
        return Qt::IgnoreAction;
    }
    if (isInternal(*payload, token, moveAllowed)) {
        return session.canDrop(target.parent, payload->sourceItem) ? Qt::MoveAction
                                                                   : Qt::IgnoreAction;
    }
    return session.canDrop(target.parent, std::nullopt) ? Qt::CopyAction : Qt::IgnoreAction;
}

bool nestsTooDeep(const EditorSession& session, const std::optional<Payload>& payload,
                  const std::string& token, bool moveAllowed, const Target& target) {
    if (!payload) {
        return false;
    }
    if (isInternal(*payload, token, moveAllowed)) {
        return session.moveNestsTooDeep(*payload->sourceItem, target.parent);
    }
    return session.nestsTooDeep(payload->items, target.parent);
}

std::optional<TreeCommand> performDrop(EditorSession& session,
                                       const std::optional<Payload>& payload,
                                       const std::string& token, bool moveAllowed,
                                       const Target& target, std::optional<std::string> draft) {
    if (!payload) {
        return std::nullopt;
    }
    if (isInternal(*payload, token, moveAllowed)) {
        return session.moveItem(*payload->sourceItem, target.parent, target.index,
                                std::move(draft));
    }
    return session.insertItems(payload->items, target.parent, target.index, std::move(draft));
}

CanvasDrop canvasDrop(const CanvasScene& scene, const ItemList& documentItems,
                      const QPointF& point) {
    if (scene.empty()) {
        return {Target{}, DropMarkView::Mode::line,
                QRectF(CanvasScene::insetX, CanvasScene::insetY,
                       TreeLayout::nodeWidth(0, scene.columns), 8)};
    }
    if (const auto block = scene.blockAt(point)) {
        if (block->id() == scene.hoistRoot) {
            return into(*block);
        }
        const QRectF& r = block->frame;
        const double f = r.height() <= 1 ? point.y() - r.top() : (point.y() - r.top()) / r.height();
        if (f < 0.3) {
            return beside(*block, documentItems, false);
        }
        if (f > 0.7) {
            return beside(*block, documentItems, true);
        }
        return into(*block);
    }
    const auto nearest = scene.nearestBlock(point.y());
    if (nearest->id() == scene.hoistRoot) {
        return into(*nearest);
    }
    return beside(*nearest, documentItems, point.y() > nearest->frame.center().y());
}

Target listTarget(const EditorSession& session, const std::optional<std::string>& item,
                  int childIndex) {
    if (item && childIndex < 0) {
        return {item, std::nullopt};
    }
    const bool hiding = session.isHiding();
    auto hidden = [hiding](const Item& child) { return hiding && child.checked; };
    if (!item) {
        if (auto root = session.hoistRoot()) {
            // The hoisted root is the only top row: a drop above it goes first into it, a
            // drop below it last.
            return {root, childIndex <= 0 ? std::optional<int>(0) : std::nullopt};
        }
        return {std::nullopt,
                TreeOps::modelIndex(childIndex, session.snapshot.document.items, hidden)};
    }
    auto parent = session.item(*item);
    if (!parent) {
        return {item, std::nullopt};
    }
    return {item, TreeOps::modelIndex(childIndex, parent->children, hidden)};
}

} // namespace velmora::ItemDrag

#include "app/window/clipboard_forms.hpp"

#include "core/formats/item_clipboard.hpp"
#include "core/formats/markdown_codec.hpp"

#include <QMimeData>

namespace velmora {
namespace {

const QString kItemsType = QString::fromLatin1(ItemClipboard::pasteboardType.data(),
                                               qsizetype(ItemClipboard::pasteboardType.size()));
const QString kMarkdownType = QStringLiteral("text/markdown");

} // namespace

QMimeData* ClipboardForms::encode(const std::vector<Item>& items, bool checksVisible) {
    const ItemList list(items);
    auto* mime = new QMimeData;
    mime->setData(kItemsType, QByteArray::fromStdString(ItemClipboard::opmlText(list)));
    mime->setData(kMarkdownType, QByteArray::fromStdString(
                                     MarkdownCodec::encode(list, {.taskMarkers = checksVisible})));
    mime->setText(QString::fromStdString(ItemClipboard::plainText(list)));
    return mime;
}

std::vector<Item> ClipboardForms::decode(const QMimeData& mime) {
    if (mime.hasFormat(kItemsType)) {
        if (auto parsed = ItemClipboard::itemsFromOPML(mime.data(kItemsType).toStdString())) {
            if (!parsed->empty()) {
                return parsed->toVector();
            }
        }
    }
    if (mime.hasFormat(kMarkdownType)) {
        auto items = ItemClipboard::itemsFromText(mime.data(kMarkdownType).toStdString(), true);
        if (!items.empty()) {
            return items.toVector();
        }
    }
    if (mime.hasText()) {
        return ItemClipboard::itemsFromText(mime.text().toStdString(), false).toVector();
    }
    return {};
}

} // namespace velmora

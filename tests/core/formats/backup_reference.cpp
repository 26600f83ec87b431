#include "tests/core/formats/backup_reference.hpp"

#include "core/formats/backup_stream.hpp"
#include "core/formats/item_tree_builder.hpp"
#include "core/formats/json_dom.hpp"
#include "core/formats/json_value.hpp"
#include "core/model/text.hpp"

#include <array>
#include <optional>

namespace velmora::BackupReader {
namespace {

using JSONDom::Element;
using Kind = BackupError::Kind;

// The members of an item object that the reader looks at, gathered in one pass.
struct ItemFields {
    std::optional<Element> id, text, note, checked, color, collapsed, children;
    std::optional<Element> bold, underline, created, modified;
};

using FieldSlot = std::optional<Element> ItemFields::*;

constexpr std::array<std::pair<std::string_view, FieldSlot>, 11> kFields = {{
    {"id", &ItemFields::id},
    {"text", &ItemFields::text},
    {"note", &ItemFields::note},
    {"checked", &ItemFields::checked},
    {"color", &ItemFields::color},
    {"collapsed", &ItemFields::collapsed},
    {"children", &ItemFields::children},
    {"bold", &ItemFields::bold},
    {"underline", &ItemFields::underline},
    {"created", &ItemFields::created},
    {"modified", &ItemFields::modified},
}};

FieldSlot slotFor(std::string_view key) {
    for (const auto& [name, slot] : kFields)
        if (key == name)
            return slot;
    bool ascii = true;
    for (char c : key)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return nullptr;
    // A key spelt with decomposed or compatibility-free equivalents still names its member.
    std::string composed = Text::composed(key);
    for (const auto& [name, slot] : kFields)
        if (composed == name)
            return slot;
    return nullptr;
}

ItemFields gather(JSONDom::Object object) {
    ItemFields fields;
    for (auto field : object)
        if (FieldSlot slot = slotFor(field.key))
            fields.*slot = field.value;
    return fields;
}

std::optional<ColorLabel> noColor() {
    return std::nullopt;
}

// The colour member: null is no colour; a known name its colour; anything else a fault.
std::optional<std::optional<ColorLabel>> readColor(std::optional<Element> element) {
    if (!element)
        return std::nullopt;
    if (element->is_null())
        return noColor();
    auto name = JSONDom::asString(element);
    if (!name)
        return std::nullopt;
    if (auto label = colorLabelFromRawValue(*name))
        return std::optional<ColorLabel>(label);
    return std::nullopt;
}

std::optional<Timestamp> readTime(std::optional<Element> element) {
    auto text = JSONDom::asString(element);
    return text ? Timestamp::parseISO8601(*text) : std::nullopt;
}

// Reads the items of one document depth first with an explicit stack, so that the first
// fault is the one a recursive reading would meet and no depth can exhaust the call stack.
class ItemsReader {
public:
    explicit ItemsReader(std::string_view title) : m_title(title) {}

    Result<ItemList, BackupError> read(JSONDom::Array items) {
        m_pending.push_back({items.begin(), items.end(), 0});
        while (!m_pending.empty()) {
            Pending& top = m_pending.back();
            if (top.next == top.end) {
                m_pending.pop_back();
                if (!m_pending.empty()) // the list was an item's children
                    m_builder.close();
                continue;
            }
            Element element = *top.next;
            ++top.next;
            std::int64_t index = top.index++;
            if (auto error = open(element, index))
                return std::move(*error);
        }
        return m_builder.finish();
    }

private:
    // A list being read: the next element and its position among its siblings.
    struct Pending {
        JSONDom::Array::iterator next, end;
        std::int64_t index;
    };

    std::string path(std::int64_t index) const {
        std::string out(m_title);
        for (std::size_t i = 0; i + 1 < m_pending.size(); ++i) {
            out += '/';
            out += std::to_string(m_pending[i].index - 1);
        }
        out += '/';
        out += std::to_string(index);
        return out;
    }

    // Checks one item, opens it and queues its children; the fault otherwise.
    std::optional<BackupError> open(Element element, std::int64_t index) {
        if (m_pending.size() > static_cast<std::size_t>(kMaxItemDepth) + 1)
            return BackupError::plain(Kind::tooDeep);
        auto object = JSONDom::asObject(element);
        if (!object)
            return BackupError::itemCorrupt(path(index));
        ItemFields f = gather(*object);
        auto text = JSONDom::asString(f.text);
        auto label = [&] { return text && !text->empty() ? std::string(*text) : path(index); };
        auto fault = [&](Kind kind) { return BackupError::item(kind, label()); };

        auto id = JSONDom::asString(f.id);
        if (!id || id->empty())
            return fault(Kind::itemNoID);
        if (!text)
            return fault(Kind::itemTextNotString);
        auto note = JSONDom::asString(f.note);
        if (!note)
            return fault(Kind::itemNoteNotString);
        auto checked = JSONDom::asBool(f.checked);
        if (!checked)
            return fault(Kind::itemCheckedNotBool);
        auto color = readColor(f.color);
        if (!color)
            return fault(Kind::itemUnknownColor);
        auto collapsed = JSONDom::asBool(f.collapsed);
        if (!collapsed)
            return fault(Kind::itemCollapsedMissing);
        auto children = JSONDom::asArray(f.children);
        if (!children)
            return fault(Kind::itemNoChildren);

        Item item;
        item.id = std::string(*id);
        item.text = std::string(*text);
        item.note = std::string(*note);
        item.checked = *checked;
        item.color = *color;
        item.bold = JSONDom::asBool(f.bold).value_or(false);
        item.underline = JSONDom::asBool(f.underline).value_or(false);
        item.collapsed = *collapsed;
        item.created = readTime(f.created);
        item.modified = readTime(f.modified);
        m_builder.open(std::move(item));
        m_pending.push_back({children->begin(), children->end(), 0});
        return std::nullopt;
    }

    std::string_view m_title;
    std::vector<Pending> m_pending;
    ItemTreeBuilder m_builder;
};

Result<TreeDocument, BackupError> readDocument(Element element, std::int64_t number) {
    auto object = JSONDom::asObject(element);
    if (!object)
        return BackupError::documentCorrupt(number);
    auto id = JSONDom::asString(JSONDom::member(*object, "id"));
    if (!id || id->empty())
        return BackupError::documentNoID(number);
    auto title = JSONDom::asString(JSONDom::member(*object, "title"));
    if (!title)
        return BackupError::documentNoTitle(number);
    auto items = JSONDom::asArray(JSONDom::member(*object, "items"));
    if (!items)
        return BackupError::documentNoItems(std::string(*title));
    auto read = ItemsReader(*title).read(*items);
    if (!read.ok())
        return read.error();
    return TreeDocument{std::string(*id), std::string(*title), std::move(read).value()};
}

Result<BackupSettings, BackupError> readSettings(JSONDom::Object top) {
    auto settings = JSONDom::asObject(JSONDom::member(top, "settings"));
    if (!settings)
        return BackupError::plain(Kind::settingsMissing);
    auto openMode = JSONDom::asString(JSONDom::member(*settings, "openMode"));
    auto mode = openMode ? openModeFromRawValue(*openMode) : std::nullopt;
    if (!mode)
        return BackupError::plain(Kind::settingsOpenMode);
    auto viewName = JSONDom::asString(JSONDom::member(*settings, "view"));
    auto view = viewName ? backupViewFromRawValue(*viewName) : std::nullopt;
    if (!view)
        return BackupError::plain(Kind::settingsView);
    auto showAllNotes = JSONDom::asBool(JSONDom::member(*settings, "showAllNotes"));
    if (!showAllNotes)
        return BackupError::plain(Kind::settingsShowAllNotes);
    return BackupSettings{*mode, *view, *showAllNotes};
}

} // namespace

Result<Backup, BackupError> read(Element root) {
    auto top = JSONDom::asObject(root);
    auto format = top ? JSONDom::asString(JSONDom::member(*top, "format")) : std::nullopt;
    if (!format || !jsonKeysEqual(*format, "velmora"))
        return BackupError::plain(Kind::notVelmora);
    auto version = JSONDom::member(*top, "version");
    if (JSONDom::asNumber(version) != 1.0) {
        std::optional<JSONValue> shown;
        if (version)
            shown = JSONDom::toValue(*version);
        return BackupError::unsupportedVersion(displayText(shown ? &*shown : nullptr));
    }
    auto documents = JSONDom::asArray(JSONDom::member(*top, "documents"));
    if (!documents || documents->begin() == documents->end())
        return BackupError::plain(Kind::noDocuments);
    Backup backup;
    std::int64_t number = 0;
    for (Element element : *documents) {
        auto document = readDocument(element, ++number);
        if (!document.ok())
            return document.error();
        backup.documents.push_back(std::move(document).value());
    }
    auto settings = readSettings(*top);
    if (!settings.ok())
        return settings.error();
    backup.settings = settings.value();
    return backup;
}

} // namespace velmora::BackupReader

namespace velmora::BackupReference {

Result<Backup, BackupError> decode(std::string_view data) {
    try {
        simdjson::dom::parser parser;
        auto root = JSONDom::parse(parser, data);
        if (!root) {
            // Where JSON nests past the parser's depth is told by the streaming reader, which
            // sees how far it got: items too deep, or text that is not JSON.
            auto streamed = BackupStream::read(data, false);
            const bool tooDeep =
                !streamed.ok() && streamed.error().kind == BackupError::Kind::tooDeep;
            return BackupError::plain(tooDeep ? BackupError::Kind::tooDeep
                                              : BackupError::Kind::notJSON);
        }
        return BackupReader::read(*root);
    } catch (const std::bad_alloc&) {
        // Only memory exhaustion throws here; the file is then as unreadable as bad JSON.
        return BackupError::plain(BackupError::Kind::notJSON);
    }
}

} // namespace velmora::BackupReference

namespace velmora {

namespace BackupReference {

Result<LoadedNative, NativeReadError> decodeNative(std::string_view data) {
    auto backup = decode(data);
    if (!backup.ok())
        return NativeReadError::fromBackup(backup.error());
    auto& documents = backup.value().documents;
    if (documents.size() != 1)
        return NativeReadError::multipleDocuments(static_cast<std::int64_t>(documents.size()));
    auto root = JSONValue::parse(data);
    auto mac = NativeDocumentCodec::readState(root.ok() ? root.value().member("mac") : nullptr);
    return LoadedNative{std::move(documents.front()), backup.value().settings, std::move(mac)};
}

} // namespace BackupReference

} // namespace velmora

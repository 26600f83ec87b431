#include "core/formats/backup_stream.hpp"

#include "core/formats/json_stream.hpp"
#include "core/model/text.hpp"

#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

namespace velmora::BackupStream {
namespace {

using Kind = BackupError::Kind;
using Node = ItemList::Node;

// What the next value read is for.
enum class Slot : std::uint8_t {
    skipped,
    root,
    format,
    version,
    documents,
    settings,
    mac,
    document, // an element of "documents"
    documentID,
    documentTitle,
    documentItems,
    item, // an element of "items" or "children"
    itemID,
    itemText,
    itemNote,
    itemChecked,
    itemColor,
    itemCollapsed,
    itemChildren,
    itemBold,
    itemUnderline,
    itemCreated,
    itemModified,
};

// What an open container that is read (not skipped or captured) is.
enum class Role : std::uint8_t { top, documents, document, items, item };

// The form under which canonically equivalent names coincide: the bytes themselves for ASCII.
template <class F>
Slot named(std::string_view key, F match) {
    for (char c : key)
        if (static_cast<unsigned char>(c) >= 0x80)
            return match(std::string_view(Text::composed(key)));
    return match(key);
}

Slot topSlot(std::string_view key) {
    return named(key, [](std::string_view k) {
        if (k == "format")
            return Slot::format;
        if (k == "version")
            return Slot::version;
        if (k == "documents")
            return Slot::documents;
        if (k == "settings")
            return Slot::settings;
        if (k == "mac")
            return Slot::mac;
        return Slot::skipped;
    });
}

Slot documentSlot(std::string_view key) {
    return named(key, [](std::string_view k) {
        if (k == "id")
            return Slot::documentID;
        if (k == "title")
            return Slot::documentTitle;
        if (k == "items")
            return Slot::documentItems;
        return Slot::skipped;
    });
}

// Keys are told apart by their length first, so each costs at most two comparisons.
Slot itemSlot(std::string_view key) {
    return named(key, [](std::string_view k) {
        auto pick = [&](std::string_view a, Slot sa, std::string_view b = {},
                        Slot sb = Slot::skipped) {
            return k == a ? sa : (!b.empty() && k == b) ? sb : Slot::skipped;
        };
        switch (k.size()) {
        case 2:
            return pick("id", Slot::itemID);
        case 4:
            return k == "bold" ? Slot::itemBold
                               : pick("text", Slot::itemText, "note", Slot::itemNote);
        case 5:
            return pick("color", Slot::itemColor);
        case 7:
            return pick("checked", Slot::itemChecked, "created", Slot::itemCreated);
        case 8:
            return pick("children", Slot::itemChildren, "modified", Slot::itemModified);
        case 9:
            return pick("collapsed", Slot::itemCollapsed, "underline", Slot::itemUnderline);
        default:
            return Slot::skipped;
        }
    });
}

// A member read as a string: absent, of another type, or its text.
struct TextMember {
    enum State : std::uint8_t { absent, other, text } state = absent;
    std::string value;

    void set(std::string_view s) {
        state = text;
        value.assign(s);
    }
    void setOther() {
        state = other;
        value.clear();
    }
    [[nodiscard]] bool nonEmpty() const { return state == text && !value.empty(); }
};

// A member read as a boolean: absent or of another type (nothing), or its value.
using FlagMember = std::optional<bool>;

// A fault found inside a document's items. Paths are kept without the document's title, which
// may come later in the file, and completed when the document ends.
struct Fault {
    BackupError error;
    bool pathWithoutTitle = false;
};

// The items of one list as they are read: the nodes from `first` on in the reader's one stack
// of nodes, so that a list costs one allocation of its final size.
struct ListFrame {
    std::size_t first = 0;
    std::optional<Fault> fault;
    std::int64_t next = 0;
};

struct ItemFrame {
    std::int64_t index = 0;
    TextMember id, text, note;
    FlagMember checked, collapsed;
    bool bold = false, underline = false;
    bool colorKnown = false; // absent or unknown otherwise
    std::optional<ColorLabel> color;
    std::optional<Timestamp> created, modified;
    bool childrenIsArray = false;
    std::vector<Node> children;
    std::optional<Fault> childFault;
};

struct DocumentFrame {
    std::int64_t number = 0;
    bool isObject = true;
    TextMember id, title;
    bool itemsIsArray = false;
    std::vector<Node> items;
    std::optional<Fault> itemsFault;
};

struct DocumentsMember {
    bool isArray = false;
    std::int64_t count = 0;
    std::vector<TreeDocument> documents;
    std::optional<BackupError> fault;
};

// Collects one value as a JSONValue tree (the small members: format, version, settings, mac).
class ValueCapture {
public:
    [[nodiscard]] bool active() const { return !m_open.empty(); }

    void begin(bool object) { m_open.push_back({object, {}, {}, {}}); }
    void key(std::string_view k) { m_open.back().key.assign(k); }
    // Adds a scalar; returns the value when it completes the capture.
    std::optional<JSONValue> add(JSONValue value) {
        if (m_open.empty())
            return value;
        Open& top = m_open.back();
        if (top.object)
            top.members.push_back({std::move(top.key), std::move(value)});
        else
            top.elements.push_back(std::move(value));
        return std::nullopt;
    }
    std::optional<JSONValue> end() {
        Open last = std::move(m_open.back());
        m_open.pop_back();
        return add(last.object ? JSONValue::object(std::move(last.members))
                               : JSONValue::array(std::move(last.elements)));
    }

private:
    struct Open {
        bool object;
        JSONValue::Array elements;
        JSONValue::Object members;
        std::string key;
    };
    std::vector<Open> m_open;
};

// The events of JSONStream::parse turned into a backup. Faults are remembered where they
// belong and weighed when their container ends, so a member read later (a title after the
// items, an item's id after its children, a repeated key) decides exactly as it would on a
// parsed tree.
class Reader {
public:
    explicit Reader(bool keepMac) : m_keepMac(keepMac) {}

    // The JSON nests too deep to read on: when the value it stopped at is an element of a list
    // of items, the file is an outline nested deeper than kMaxItemDepth.
    void nestedTooDeep() {
        m_itemsTooDeep = m_skipDepth == 0 && !m_capture.active() && !m_roles.empty() &&
                         m_roles.back() == Role::items;
    }
    [[nodiscard]] bool itemsTooDeep() const { return m_itemsTooDeep; }

    void beginObject() { begin(true); }
    void beginArray() { begin(false); }
    void endObject() { end(); }
    void endArray() { end(); }

    void key(std::string_view k) {
        if (m_skipDepth > 0)
            return;
        if (m_capture.active())
            return m_capture.key(k);
        switch (m_roles.back()) {
        case Role::top:
            m_slot = topSlot(k);
            break;
        case Role::document:
            m_slot = documentSlot(k);
            break;
        default:
            m_slot = itemSlot(k);
        }
    }

    void string(std::string_view s) {
        if (m_skipDepth > 0)
            return;
        if (m_capture.active())
            return captured(m_capture.add(JSONValue::string(std::string(s))));
        Slot slot = takeSlot();
        switch (slot) {
        case Slot::format:
        case Slot::version:
        case Slot::settings:
        case Slot::mac:
            m_captureSlot = slot;
            return captured(JSONValue::string(std::string(s)));
        case Slot::documentID:
            return m_document.id.set(s);
        case Slot::documentTitle:
            return m_document.title.set(s);
        case Slot::itemID:
            return m_items.back().id.set(s);
        case Slot::itemText:
            return m_items.back().text.set(s);
        case Slot::itemNote:
            return m_items.back().note.set(s);
        case Slot::itemColor: {
            auto label = colorLabelFromRawValue(s);
            m_items.back().colorKnown = label.has_value();
            m_items.back().color = label;
            return;
        }
        case Slot::itemCreated:
            m_items.back().created = Timestamp::parseISO8601(s);
            return;
        case Slot::itemModified:
            m_items.back().modified = Timestamp::parseISO8601(s);
            return;
        default:
            return typeMismatch(slot);
        }
    }

    void boolean(bool b) {
        if (m_skipDepth > 0)
            return;
        if (m_capture.active())
            return captured(m_capture.add(JSONValue::boolean(b)));
        Slot slot = takeSlot();
        switch (slot) {
        case Slot::itemChecked:
            m_items.back().checked = b;
            return;
        case Slot::itemCollapsed:
            m_items.back().collapsed = b;
            return;
        case Slot::itemBold:
            m_items.back().bold = b;
            return;
        case Slot::itemUnderline:
            m_items.back().underline = b;
            return;
        case Slot::format:
        case Slot::version:
        case Slot::settings:
        case Slot::mac:
            m_captureSlot = slot;
            return captured(JSONValue::boolean(b));
        default:
            return typeMismatch(slot);
        }
    }

    void number(double d) { other(JSONValue::number(d)); }

    void null() {
        if (m_skipDepth == 0 && !m_capture.active() && !m_roles.empty() &&
            m_roles.back() == Role::item && m_slot == Slot::itemColor) {
            takeSlot();
            m_items.back().colorKnown = true;
            m_items.back().color.reset();
            return;
        }
        other(JSONValue::null());
    }

    [[nodiscard]] Result<Read, BackupError> finish();

private:
    // Where the next value goes: the member's slot in an object, the array's in an array.
    Slot takeSlot() {
        if (m_roles.empty())
            return std::exchange(m_slot, Slot::skipped);
        switch (m_roles.back()) {
        case Role::documents:
            return Slot::document;
        case Role::items:
            return Slot::item;
        default:
            return std::exchange(m_slot, Slot::skipped);
        }
    }

    // A number or null: only captured members and type checks look at it.
    void other(JSONValue value) {
        if (m_skipDepth > 0)
            return;
        if (m_capture.active())
            return captured(m_capture.add(std::move(value)));
        Slot slot = takeSlot();
        if (slot == Slot::format || slot == Slot::version || slot == Slot::settings ||
            slot == Slot::mac) {
            m_captureSlot = slot;
            return captured(std::move(value));
        }
        typeMismatch(slot);
    }

    void captured(std::optional<JSONValue> value);
    void typeMismatch(Slot slot);
    void begin(bool object);
    void end();
    void openItem();
    void closeItem();
    void closeList();
    void closeDocument();
    std::string path(std::size_t items, const std::int64_t* index) const;
    void listFault(Fault fault);

    bool m_keepMac;
    Slot m_slot = Slot::root;
    Slot m_captureSlot = Slot::skipped;
    std::size_t m_skipDepth = 0;
    bool m_itemsTooDeep = false;
    ValueCapture m_capture;
    std::vector<Role> m_roles;

    bool m_topIsObject = false;
    std::optional<JSONValue> m_format, m_version, m_settings, m_mac;
    std::optional<DocumentsMember> m_documents; // present once "documents" was met
    DocumentFrame m_document;
    std::vector<ListFrame> m_lists;
    std::vector<Node> m_nodes; // the items of the open lists, innermost last
    std::vector<ItemFrame> m_items;
};

void Reader::captured(std::optional<JSONValue> value) {
    if (!value)
        return;
    switch (m_captureSlot) {
    case Slot::format:
        m_format = std::move(value);
        break;
    case Slot::version:
        m_version = std::move(value);
        break;
    case Slot::settings:
        m_settings = std::move(value);
        break;
    case Slot::mac:
        if (m_keepMac)
            m_mac = std::move(value);
        break;
    default:
        break;
    }
}

// The path below the document's title of the first `items` open items, then `index`.
std::string Reader::path(std::size_t items, const std::int64_t* index) const {
    std::string out;
    for (std::size_t i = 0; i < items; ++i) {
        out += '/';
        out += std::to_string(m_items[i].index);
    }
    if (index) {
        out += '/';
        out += std::to_string(*index);
    }
    return out;
}

// Notes the first fault of the innermost list being read.
void Reader::listFault(Fault fault) {
    if (!m_lists.back().fault)
        m_lists.back().fault = std::move(fault);
}

// A scalar, or (from begin) a container, where the slot wanted something else.
void Reader::typeMismatch(Slot slot) {
    switch (slot) {
    case Slot::documents:
        m_documents = DocumentsMember{};
        break;
    case Slot::document: {
        auto number = ++m_documents->count;
        if (!m_documents->fault)
            m_documents->fault = BackupError::documentCorrupt(number);
        break;
    }
    case Slot::documentID:
        m_document.id.setOther();
        break;
    case Slot::documentTitle:
        m_document.title.setOther();
        break;
    case Slot::documentItems:
        m_document.itemsIsArray = false;
        m_document.items.clear();
        m_document.itemsFault.reset();
        break;
    case Slot::item: {
        auto index = m_lists.back().next++;
        if (m_lists.size() > static_cast<std::size_t>(kMaxItemDepth) + 1)
            listFault({BackupError::plain(Kind::tooDeep)});
        else
            listFault({BackupError::itemCorrupt(path(m_items.size(), &index)), true});
        break;
    }
    case Slot::itemID:
        m_items.back().id.setOther();
        break;
    case Slot::itemText:
        m_items.back().text.setOther();
        break;
    case Slot::itemNote:
        m_items.back().note.setOther();
        break;
    case Slot::itemChecked:
        m_items.back().checked.reset();
        break;
    case Slot::itemCollapsed:
        m_items.back().collapsed.reset();
        break;
    case Slot::itemColor:
        m_items.back().colorKnown = false;
        break;
    case Slot::itemChildren:
        m_items.back().childrenIsArray = false;
        m_items.back().children.clear();
        m_items.back().childFault.reset();
        break;
    case Slot::itemBold:
        m_items.back().bold = false;
        break;
    case Slot::itemUnderline:
        m_items.back().underline = false;
        break;
    case Slot::itemCreated:
        m_items.back().created.reset();
        break;
    case Slot::itemModified:
        m_items.back().modified.reset();
        break;
    default:
        break;
    }
}

void Reader::begin(bool object) {
    if (m_skipDepth > 0) {
        ++m_skipDepth;
        return;
    }
    if (m_capture.active())
        return m_capture.begin(object);
    Slot slot = takeSlot();
    switch (slot) {
    case Slot::root:
        if (object) {
            m_topIsObject = true;
            m_roles.push_back(Role::top);
            return;
        }
        break;
    case Slot::format:
    case Slot::version:
    case Slot::settings:
    case Slot::mac:
        m_captureSlot = slot;
        return m_capture.begin(object);
    case Slot::documents:
        if (!object) {
            m_documents = DocumentsMember{true, 0, {}, {}};
            m_roles.push_back(Role::documents);
            return;
        }
        break;
    case Slot::document:
        if (object) {
            m_document = DocumentFrame{};
            m_document.number = ++m_documents->count;
            m_roles.push_back(Role::document);
            return;
        }
        break;
    case Slot::documentItems:
        if (!object) {
            m_document.itemsIsArray = true;
            m_document.items.clear();
            m_document.itemsFault.reset();
            m_lists.push_back({m_nodes.size(), {}, 0});
            m_roles.push_back(Role::items);
            return;
        }
        break;
    case Slot::itemChildren:
        if (!object) {
            ItemFrame& item = m_items.back();
            item.childrenIsArray = true;
            item.children.clear();
            item.childFault.reset();
            m_lists.push_back({m_nodes.size(), {}, 0});
            m_roles.push_back(Role::items);
            return;
        }
        break;
    case Slot::item:
        if (object && m_lists.size() <= static_cast<std::size_t>(kMaxItemDepth) + 1) {
            openItem();
            return;
        }
        break;
    default:
        break;
    }
    typeMismatch(slot);
    m_skipDepth = 1;
}

void Reader::end() {
    if (m_skipDepth > 0) {
        --m_skipDepth;
        return;
    }
    if (m_capture.active())
        return captured(m_capture.end());
    Role role = m_roles.back();
    m_roles.pop_back();
    switch (role) {
    case Role::items:
        return closeList();
    case Role::item:
        return closeItem();
    case Role::document:
        return closeDocument();
    default:
        return;
    }
}

void Reader::openItem() {
    ItemFrame frame;
    frame.index = m_lists.back().next++;
    m_items.push_back(std::move(frame));
    m_roles.push_back(Role::item);
}

void Reader::closeList() {
    ListFrame list = std::move(m_lists.back());
    m_lists.pop_back();
    std::vector<Node> nodes(
        std::make_move_iterator(m_nodes.begin() + static_cast<std::ptrdiff_t>(list.first)),
        std::make_move_iterator(m_nodes.end()));
    m_nodes.resize(list.first);
    if (!m_items.empty() && (m_roles.back() == Role::item)) {
        m_items.back().children = std::move(nodes);
        m_items.back().childFault = std::move(list.fault);
    } else {
        m_document.items = std::move(nodes);
        m_document.itemsFault = std::move(list.fault);
    }
}

// Weighs an item's own members in reading order, then the first fault among its children.
void Reader::closeItem() {
    ItemFrame& f = m_items.back();
    auto fault = [&](Kind kind) -> Fault {
        if (f.text.nonEmpty())
            return {BackupError::item(kind, f.text.value)};
        return {BackupError::item(kind, path(m_items.size(), nullptr)), true};
    };
    std::optional<Fault> found;
    if (!f.id.nonEmpty()) {
        found = fault(Kind::itemNoID);
    } else if (f.text.state != TextMember::text) {
        found = fault(Kind::itemTextNotString);
    } else if (f.note.state != TextMember::text) {
        found = fault(Kind::itemNoteNotString);
    } else if (!f.checked) {
        found = fault(Kind::itemCheckedNotBool);
    } else if (!f.colorKnown) {
        found = fault(Kind::itemUnknownColor);
    } else if (!f.collapsed) {
        found = fault(Kind::itemCollapsedMissing);
    } else if (!f.childrenIsArray) {
        found = fault(Kind::itemNoChildren);
    } else if (f.childFault) {
        found = std::move(f.childFault);
    }
    if (found) {
        m_items.pop_back();
        return listFault(std::move(*found));
    }
    if (m_lists.back().fault) { // a sibling already failed: this item is never used
        m_items.pop_back();
        return;
    }
    // Built in its node, which is frozen (held as const) once complete.
    auto node = std::make_shared<Item>();
    Item& item = *node;
    item.id = std::move(f.id.value);
    item.text = std::move(f.text.value);
    item.note = std::move(f.note.value);
    item.checked = *f.checked;
    item.color = f.color;
    item.bold = f.bold;
    item.underline = f.underline;
    item.collapsed = *f.collapsed;
    item.created = f.created;
    item.modified = f.modified;
    item.children = ItemList::fromNodes(std::move(f.children));
    m_items.pop_back();
    m_nodes.push_back(std::move(node));
}

void Reader::closeDocument() {
    DocumentFrame& d = m_document;
    std::optional<BackupError> fault;
    if (!d.id.nonEmpty())
        fault = BackupError::documentNoID(d.number);
    else if (d.title.state != TextMember::text)
        fault = BackupError::documentNoTitle(d.number);
    else if (!d.itemsIsArray)
        fault = BackupError::documentNoItems(d.title.value);
    else if (d.itemsFault) {
        fault = std::move(d.itemsFault->error);
        if (d.itemsFault->pathWithoutTitle)
            if (auto* text = std::get_if<std::string>(&fault->payload))
                text->insert(0, d.title.value);
    }
    if (fault) {
        if (!m_documents->fault)
            m_documents->fault = std::move(fault);
        return;
    }
    if (m_documents->fault)
        return;
    m_documents->documents.push_back(
        {std::move(d.id.value), std::move(d.title.value), ItemList::fromNodes(std::move(d.items))});
}

Result<Read, BackupError> Reader::finish() {
    const JSONValue* format = m_format ? &*m_format : nullptr;
    if (!m_topIsObject || !format || !format->asString() ||
        !jsonKeysEqual(*format->asString(), "velmora"))
        return BackupError::plain(Kind::notVelmora);
    const double* version = m_version ? m_version->asNumber() : nullptr;
    if (!version || *version != 1.0)
        return BackupError::unsupportedVersion(displayText(m_version ? &*m_version : nullptr));
    if (!m_documents || !m_documents->isArray || m_documents->count == 0)
        return BackupError::plain(Kind::noDocuments);
    if (m_documents->fault)
        return *m_documents->fault;
    auto readSettings = settings(m_settings ? &*m_settings : nullptr);
    if (!readSettings.ok())
        return readSettings.error();
    Read read;
    read.backup.documents = std::move(m_documents->documents);
    read.backup.settings = readSettings.value();
    read.mac = std::move(m_mac);
    return read;
}

} // namespace

Result<BackupSettings, BackupError> settings(const JSONValue* value) {
    if (!value || !value->asObject())
        return BackupError::plain(Kind::settingsMissing);
    const JSONValue* openMode = value->member("openMode");
    auto mode = openMode && openMode->asString() ? openModeFromRawValue(*openMode->asString())
                                                 : std::nullopt;
    if (!mode)
        return BackupError::plain(Kind::settingsOpenMode);
    const JSONValue* viewName = value->member("view");
    auto view = viewName && viewName->asString() ? backupViewFromRawValue(*viewName->asString())
                                                 : std::nullopt;
    if (!view)
        return BackupError::plain(Kind::settingsView);
    const JSONValue* showAllNotes = value->member("showAllNotes");
    if (!showAllNotes || !showAllNotes->asBool())
        return BackupError::plain(Kind::settingsShowAllNotes);
    return BackupSettings{*mode, *view, *showAllNotes->asBool()};
}

Result<Read, BackupError> read(std::string_view data, bool keepMac) {
    try {
        Reader reader(keepMac);
        if (!JSONStream::parse(data, reader))
            return BackupError::plain(reader.itemsTooDeep() ? Kind::tooDeep : Kind::notJSON);
        return reader.finish();
    } catch (const std::bad_alloc&) {
        // Only memory exhaustion throws here; the file is then as unreadable as bad JSON.
        return BackupError::plain(Kind::notJSON);
    }
}

} // namespace velmora::BackupStream

#include "core/formats/backup_codec.hpp"
#include "core/formats/json_value.hpp"

namespace velmora {
namespace {

void indent(std::string& out, int level) {
    out.append(static_cast<std::size_t>(2 * level), ' ');
}

// One member line of an item or document: indentation, key, value, comma, line feed.
void stringLine(std::string& out, int level, std::string_view key, std::string_view value) {
    indent(out, level);
    out += key;
    appendJSONStringLiteral(out, value);
    out += ",\n";
}

void wordLine(std::string& out, int level, std::string_view key, std::string_view word) {
    indent(out, level);
    out += key;
    out += word;
    out += ",\n";
}

std::string_view boolWord(bool value) {
    return value ? "true" : "false";
}

// An item at `level` up to and including the "children" key.
void writeItemHead(std::string& out, const Item& item, int level) {
    int inner = level + 1;
    out += "{\n";
    stringLine(out, inner, "\"id\": ", item.id);
    stringLine(out, inner, "\"text\": ", item.text);
    stringLine(out, inner, "\"note\": ", item.note);
    wordLine(out, inner, "\"checked\": ", boolWord(item.checked));
    if (item.color) {
        indent(out, inner);
        out += "\"color\": \"";
        out += rawValue(*item.color);
        out += "\",\n";
    } else {
        wordLine(out, inner, "\"color\": ", "null");
    }
    if (item.bold)
        wordLine(out, inner, "\"bold\": ", "true");
    if (item.underline)
        wordLine(out, inner, "\"underline\": ", "true");
    wordLine(out, inner, "\"collapsed\": ", boolWord(item.collapsed));
    if (item.created)
        stringLine(out, inner, "\"created\": ", item.created->iso8601());
    if (item.modified)
        stringLine(out, inner, "\"modified\": ", item.modified->iso8601());
    indent(out, inner);
    out += "\"children\": ";
}

// The item list at `level`, walked with an explicit stack so that no depth can exhaust the
// call stack.
void writeItemList(std::string& out, const ItemList& items, int level) {
    if (items.empty()) {
        out += "[]";
        return;
    }
    struct Open {
        const ItemList* list;
        std::size_t next;
        int level;
    };
    std::vector<Open> stack{{&items, 0, level}};
    out += "[\n";
    while (!stack.empty()) {
        Open& top = stack.back();
        if (top.next < top.list->size()) {
            if (top.next > 0)
                out += ",\n";
            const Item& item = (*top.list)[top.next++];
            int itemLevel = top.level + 1;
            indent(out, itemLevel);
            writeItemHead(out, item, itemLevel);
            if (item.children.empty()) {
                out += "[]\n";
                indent(out, itemLevel);
                out += "}";
            } else {
                out += "[\n";
                stack.push_back({&item.children, 0, itemLevel + 1});
            }
            continue;
        }
        out += "\n";
        indent(out, top.level);
        out += "]";
        stack.pop_back();
        if (!stack.empty()) {
            out += "\n";
            indent(out, stack.back().level + 1);
            out += "}";
        }
    }
}

void writeDocument(std::string& out, const TreeDocument& document, int level) {
    out += "{\n";
    stringLine(out, level + 1, "\"id\": ", document.id);
    stringLine(out, level + 1, "\"title\": ", document.title);
    indent(out, level + 1);
    out += "\"items\": ";
    writeItemList(out, document.items, level + 1);
    out += "\n";
    indent(out, level);
    out += "}";
}

void writeDocumentList(std::string& out, const std::vector<TreeDocument>& documents) {
    if (documents.empty()) {
        out += "[]";
        return;
    }
    out += "[\n";
    for (std::size_t i = 0; i < documents.size(); ++i) {
        if (i > 0)
            out += ",\n";
        indent(out, 2);
        writeDocument(out, documents[i], 2);
    }
    out += "\n  ]";
}

} // namespace

namespace BackupCodec {

std::string encode(const std::vector<TreeDocument>& documents, const BackupSettings& settings) {
    std::string out;
    std::int64_t items = 0;
    for (const auto& d : documents)
        items += d.itemCount();
    out.reserve(static_cast<std::size_t>(256 + 220 * items));
    out += "{\n  \"format\": \"velmora\",\n  \"version\": 1,\n  \"documents\": ";
    writeDocumentList(out, documents);
    out += ",\n  \"settings\": {\n    \"openMode\": \"";
    out += rawValue(settings.openMode);
    out += "\",\n    \"view\": \"";
    out += rawValue(settings.view);
    out += "\",\n    \"showAllNotes\": ";
    out += boolWord(settings.showAllNotes);
    out += "\n  }\n}\n";
    return out;
}

std::string fileName(Timestamp date, std::int64_t utcOffsetSeconds) {
    std::string iso = Timestamp{date.seconds + utcOffsetSeconds}.iso8601();
    return "velmora-backup-" + iso.substr(0, iso.find('T')) + ".json";
}

} // namespace BackupCodec
} // namespace velmora

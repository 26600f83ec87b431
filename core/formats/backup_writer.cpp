#include "core/formats/backup_codec.hpp"
#include "core/formats/backup_text.hpp"
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

// Where the text goes: one string that grows (encode), or a buffer handed to a sink whenever it
// holds a chunk, so that the whole text is never held at once.
class Out {
public:
    static constexpr std::size_t kChunk = std::size_t{1} << 16;

    Out(std::string& buffer, const TextSink* sink) : text(buffer), m_sink(sink) {
        if (m_sink)
            text.reserve(kChunk + kChunk / 4);
    }

    // Hands the buffer over when it holds a chunk; false once the sink has refused a piece.
    bool flushIfFull() {
        if (m_sink && text.size() >= kChunk)
            flush();
        return !m_failed;
    }
    bool finish() {
        if (m_sink && !text.empty())
            flush();
        return !m_failed;
    }

    std::string& text;

private:
    void flush() {
        if (!m_failed && !(*m_sink)(std::string_view(text)))
            m_failed = true;
        text.clear();
    }

    const TextSink* m_sink;
    bool m_failed = false;
};

// The item list at `level`, walked with an explicit stack so that no depth can exhaust the
// call stack. False when the sink refused a piece.
bool writeItemList(Out& sink, const ItemList& items, int level) {
    std::string& out = sink.text;
    if (items.empty()) {
        out += "[]";
        return true;
    }
    struct Open {
        const ItemList* list;
        std::size_t next;
        int level;
    };
    std::vector<Open> stack{{&items, 0, level}};
    out += "[\n";
    while (!stack.empty()) {
        if (!sink.flushIfFull())
            return false;
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
    return true;
}

bool writeDocument(Out& sink, const TreeDocument& document, int level) {
    std::string& out = sink.text;
    out += "{\n";
    stringLine(out, level + 1, "\"id\": ", document.id);
    stringLine(out, level + 1, "\"title\": ", document.title);
    indent(out, level + 1);
    out += "\"items\": ";
    if (!writeItemList(sink, document.items, level + 1))
        return false;
    out += "\n";
    indent(out, level);
    out += "}";
    return true;
}

bool writeDocumentList(Out& sink, const std::vector<TreeDocument>& documents) {
    if (documents.empty()) {
        sink.text += "[]";
        return true;
    }
    sink.text += "[\n";
    for (std::size_t i = 0; i < documents.size(); ++i) {
        if (i > 0)
            sink.text += ",\n";
        indent(sink.text, 2);
        if (!writeDocument(sink, documents[i], 2))
            return false;
    }
    sink.text += "\n  ]";
    return true;
}

} // namespace

namespace BackupText {

bool write(const std::vector<TreeDocument>& documents, const BackupSettings& settings,
           std::string_view lastMember, std::string& buffer, const TextSink* sink) {
    Out out(buffer, sink);
    buffer += "{\n  \"format\": \"velmora\",\n  \"version\": 1,\n  \"documents\": ";
    if (!writeDocumentList(out, documents))
        return false;
    buffer += ",\n  \"settings\": {\n    \"openMode\": \"";
    buffer += rawValue(settings.openMode);
    buffer += "\",\n    \"view\": \"";
    buffer += rawValue(settings.view);
    buffer += "\",\n    \"showAllNotes\": ";
    buffer += boolWord(settings.showAllNotes);
    buffer += "\n  }";
    if (!lastMember.empty()) {
        buffer += ",\n  ";
        buffer += lastMember;
    }
    buffer += "\n}\n";
    return out.finish();
}

} // namespace BackupText

namespace BackupCodec {

std::string encode(const std::vector<TreeDocument>& documents, const BackupSettings& settings) {
    std::string out;
    std::int64_t items = 0;
    for (const auto& d : documents)
        items += d.itemCount();
    out.reserve(static_cast<std::size_t>(256 + 220 * items));
    (void)BackupText::write(documents, settings, {}, out, nullptr);
    return out;
}

bool write(const std::vector<TreeDocument>& documents, const BackupSettings& settings,
           const TextSink& sink) {
    std::string buffer;
    return BackupText::write(documents, settings, {}, buffer, &sink);
}

std::string fileName(Timestamp date, std::int64_t utcOffsetSeconds) {
    std::string iso = Timestamp{date.seconds + utcOffsetSeconds}.iso8601();
    return "velmora-backup-" + iso.substr(0, iso.find('T')) + ".json";
}

} // namespace BackupCodec
} // namespace velmora

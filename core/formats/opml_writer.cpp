#include "core/formats/opml_codec.hpp"

#include <utf8proc.h>
#include <vector>

namespace velmora {
namespace {

// Characters that XML 1.0 cannot carry in any form (controls other than tab, line feed and
// carriage return, U+FFFE, U+FFFF) are written as U+FFFD, as are invalid UTF-8 sequences:
// either would make the whole file unreadable.
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isXMLChar(utf8proc_int32_t cp) {
    if (cp < 0x20)
        return cp == 0x9 || cp == 0xA || cp == 0xD;
    return cp != 0xFFFE && cp != 0xFFFF;
}

const char* escapeOf(char c, bool lineBreaks) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    case '\r':
        return lineBreaks ? "&#13;" : nullptr;
    case '\n':
        return lineBreaks ? "&#10;" : nullptr;
    case '\t':
        return lineBreaks ? "&#9;" : nullptr;
    default:
        return nullptr;
    }
}

void appendEscaped(std::string& out, std::string_view text, bool lineBreaks) {
    std::size_t run = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto c = static_cast<unsigned char>(text[pos]);
        const char* escape = c < 0x80 ? escapeOf(text[pos], lineBreaks) : nullptr;
        std::size_t length = 1;
        bool keep = escape == nullptr;
        if (c < 0x20 && keep) {
            keep = isXMLChar(c);
        } else if (c >= 0x80) {
            utf8proc_int32_t cp = 0;
            auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + pos),
                                      static_cast<utf8proc_ssize_t>(text.size() - pos), &cp);
            keep = n > 0 && isXMLChar(cp);
            length = n > 0 ? static_cast<std::size_t>(n) : 1;
        }
        if (keep && !escape) {
            pos += length;
            continue;
        }
        out.append(text.data() + run, pos - run);
        out += escape ? std::string_view(escape) : kReplacement;
        pos += length;
        run = pos;
    }
    out.append(text.data() + run, pos - run);
}

void attribute(std::string& out, std::string_view name, std::string_view value, bool escaped,
               bool lineBreaks) {
    out += ' ';
    out += name;
    out += "=\"";
    if (escaped)
        appendEscaped(out, value, lineBreaks);
    else
        out += value;
    out += '"';
}

void appendOutlineStart(std::string& out, const Item& item, bool lineBreaks) {
    out += "<outline";
    attribute(out, "text", item.text, true, lineBreaks);
    attribute(out, "_id", item.id, true, lineBreaks);
    if (!item.note.empty())
        attribute(out, "_note", item.note, true, lineBreaks);
    if (item.checked)
        attribute(out, "checked", "true", false, false);
    if (item.color)
        attribute(out, "_color", rawValue(*item.color), false, false);
    if (item.bold)
        attribute(out, "_bold", "true", false, false);
    if (item.underline)
        attribute(out, "_underline", "true", false, false);
    if (item.collapsed)
        attribute(out, "_collapsed", "true", false, false);
    if (item.created)
        attribute(out, "_created", item.created->iso8601(), false, false);
    if (item.modified)
        attribute(out, "_modified", item.modified->iso8601(), false, false);
}

// The outline elements of the items, walked with an explicit stack (any depth is safe).
void appendOutlines(std::string& out, const ItemList& items, bool lineBreaks) {
    struct Open {
        const ItemList* list;
        std::size_t next;
        std::size_t indent;
    };
    std::vector<Open> stack{{&items, 0, 4}};
    while (!stack.empty()) {
        Open& top = stack.back();
        if (top.next < top.list->size()) {
            if (top.next > 0)
                out += '\n';
            const Item& item = (*top.list)[top.next++];
            out.append(top.indent, ' ');
            appendOutlineStart(out, item, lineBreaks);
            if (item.children.empty()) {
                out += "/>";
            } else {
                out += ">\n";
                stack.push_back({&item.children, 0, top.indent + 2});
            }
            continue;
        }
        stack.pop_back();
        if (!stack.empty()) {
            out += '\n';
            out.append(stack.back().indent, ' ');
            out += "</outline>";
        }
    }
}

} // namespace

namespace OPMLCodec {

std::string encode(std::string_view title, const ItemList& items, Options options) {
    std::string out;
    out.reserve(static_cast<std::size_t>(200 + 120 * items.totalCount()));
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n  <head>\n"
           "    <title>";
    appendEscaped(out, title, false);
    out += "</title>\n  </head>\n  <body>\n";
    appendOutlines(out, items, options.escapeLineBreaks);
    out += "\n  </body>\n</opml>\n";
    return out;
}

} // namespace OPMLCodec
} // namespace velmora

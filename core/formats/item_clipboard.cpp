#include "core/formats/item_clipboard.hpp"

#include "core/formats/item_tree_builder.hpp"
#include "core/formats/markdown_codec.hpp"
#include "core/formats/opml_codec.hpp"
#include "core/formats/org_codec.hpp"
#include "core/model/text.hpp"

#include <array>
#include <utf8proc.h>

namespace velmora::ItemClipboard {
namespace {

// The line-break sequence starting at `pos`, as its length in bytes, or 0 for none. A carriage
// return followed by a line feed is one break.
std::size_t lineBreakAt(std::string_view text, std::size_t pos) {
    switch (static_cast<unsigned char>(text[pos])) {
    case '\n':
    case '\v':
    case '\f':
        return 1;
    case '\r':
        return pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
    case 0xC2:
        return text.substr(pos, 2) == "\xC2\x85" ? 2 : 0; // U+0085
    case 0xE2:
        return text.substr(pos, 3) == "\xE2\x80\xA8" ||      // U+2028
                       text.substr(pos, 3) == "\xE2\x80\xA9" // U+2029
                   ? 3
                   : 0;
    default:
        return 0;
    }
}

// The text split at every line break, empty pieces kept.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        if (std::size_t n = lineBreakAt(text, pos)) {
            pieces.push_back(text.substr(start, pos - start));
            pos += n;
            start = pos;
        } else {
            ++pos;
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

constexpr std::array<std::string_view, 6> kBullets = {
    "- ", "* ", "+ ", "\xE2\x80\xA2 ", "\xE2\x80\x93 ", "\xE2\x80\x94 "};

struct CheckBox {
    std::string_view prefix;
    bool checked;
};
constexpr std::array<CheckBox, 3> kCheckBoxes = {{{"[ ] ", false}, {"[x] ", true}, {"[X] ", true}}};

std::optional<Line> parseLine(std::string_view raw) {
    Line line;
    std::size_t pos = 0;
    for (; pos < raw.size() && (raw[pos] == '\t' || raw[pos] == ' '); ++pos)
        ++(raw[pos] == '\t' ? line.tabs : line.spaces);
    std::string_view rest = raw.substr(pos);
    for (auto bullet : kBullets)
        if (rest.starts_with(bullet)) {
            rest.remove_prefix(bullet.size());
            break;
        }
    for (const auto& box : kCheckBoxes)
        if (rest.starts_with(box.prefix)) {
            rest.remove_prefix(box.prefix.size());
            line.checked = box.checked;
            break;
        }
    line.text = Text::trimmed(rest);
    if (line.text.empty())
        return std::nullopt;
    return line;
}

} // namespace

std::string opmlText(const ItemList& items) {
    return OPMLCodec::encode("", items, OPMLCodec::Options{true});
}

std::optional<ItemList> itemsFromOPML(std::string_view text, const IDFactory& makeID) {
    auto document = OPMLCodec::decode(text, "", makeID);
    if (!document.ok() || document.value().items.empty())
        return std::nullopt;
    return document.value().items;
}

std::string plainText(const ItemList& items) {
    std::string out;
    struct Open {
        const ItemList* list;
        std::size_t next;
    };
    std::vector<Open> stack{{&items, 0}};
    bool first = true;
    while (!stack.empty()) {
        Open& top = stack.back();
        if (top.next == top.list->size()) {
            stack.pop_back();
            continue;
        }
        const Item& item = (*top.list)[top.next++];
        if (!first)
            out += '\n';
        first = false;
        out.append(stack.size() - 1, '\t');
        bool firstPiece = true;
        for (auto piece : splitLines(item.text)) {
            if (piece.empty())
                continue;
            if (!firstPiece)
                out += ' ';
            out += piece;
            firstPiece = false;
        }
        if (!item.children.empty())
            stack.push_back({&item.children, 0});
    }
    return out;
}

std::vector<Line> lines(std::string_view text) {
    std::string valid = Text::validUTF8(text);
    std::vector<Line> result;
    for (auto raw : splitLines(valid))
        if (auto line = parseLine(raw))
            result.push_back(std::move(*line));
    return result;
}

ItemList itemsFromPlainText(std::string_view text, const IDFactory& makeID) {
    ItemTreeBuilder builder;
    std::vector<long long> widths; // the width of each open item, outermost first
    for (auto& line : lines(text)) {
        long long width = line.spaces + 8LL * line.tabs;
        while (!widths.empty() && widths.back() >= width) {
            widths.pop_back();
            builder.close();
        }
        // Deeper than the core allows: attach beside the deepest open item instead.
        if (widths.size() > static_cast<std::size_t>(kMaxItemDepth)) {
            widths.pop_back();
            builder.close();
        }
        Item item = Item::blank(makeID(), std::move(line.text));
        item.checked = line.checked;
        builder.open(std::move(item));
        widths.push_back(width);
    }
    return builder.finish();
}

ItemList itemsFromText(std::string_view text, bool markdown, const IDFactory& makeID) {
    if (!markdown && OrgCodec::looksLikeOrg(text)) {
        auto document = OrgCodec::decode(text, {}, makeID);
        if (document.ok() && !document.value().items.empty()) {
            return document.value().items;
        }
    }
    if (markdown || MarkdownCodec::looksLikeMarkdown(text)) {
        auto document = MarkdownCodec::decode(text, {}, makeID);
        if (document.ok() && !document.value().items.empty()) {
            return document.value().items;
        }
    }
    return itemsFromPlainText(text, makeID);
}

} // namespace velmora::ItemClipboard

#include "core/formats/web_page.hpp"

#include "core/formats/note_markdown.hpp"

#include <vector>

namespace velmora::WebPage {
namespace {

constexpr std::string_view kStyle = R"(:root {
  color-scheme: light dark;
  --paper: #fdfdfb; --ink: #1d1d1f; --faint: #6e6e73; --rule: #d8d8dc; --link: #0a58ca;
  --red: #d93a35; --orange: #e07b00; --yellow: #c9a400; --green: #2f9e44;
  --blue: #1c7ed6; --purple: #8e44ad; --gray: #868e96;
}
@media (prefers-color-scheme: dark) {
  :root { --paper: #1c1c1e; --ink: #ececf0; --faint: #a1a1a8; --rule: #3a3a3e; --link: #7ab4ff; }
}
body { margin: 2rem auto; max-width: 48rem; padding: 0 1rem; background: var(--paper);
  color: var(--ink); font: 16px/1.5 system-ui, sans-serif; }
h1 { font-size: 1.6rem; margin: 0 0 1rem; }
ul.outline, ul.outline ul { list-style: none; margin: 0; padding-left: 1.2rem; }
ul.outline { padding-left: 0; }
li { margin: .15rem 0; padding-left: 1.1em; }
summary { cursor: pointer; list-style: none; margin-left: -1.1em; }
summary::-webkit-details-marker { display: none; }
summary::before { content: "\25B8"; display: inline-block; width: 1.1em; color: var(--faint); }
details[open] > summary::before { content: "\25BE"; }
.title, .note { white-space: pre-wrap; overflow-wrap: anywhere; }
.note { color: var(--faint); font-size: .9em; margin: .1rem 0 .3rem; }
.note code { font-size: .95em; }
a { color: var(--link); }
.checked > .title, .checked > details > summary > .title { text-decoration: line-through;
  color: var(--faint); }
.check { color: var(--green); margin-right: .3em; }
.bold { font-weight: bold; }
.underline { text-decoration: underline; }
.label { display: inline-block; width: .65em; height: .65em; border-radius: 50%;
  margin-right: .4em; vertical-align: .05em; }
.label.red { background: var(--red); } .label.orange { background: var(--orange); }
.label.yellow { background: var(--yellow); } .label.green { background: var(--green); }
.label.blue { background: var(--blue); } .label.purple { background: var(--purple); }
.label.gray { background: var(--gray); }
@media print {
  :root { --paper: #fff; --ink: #000; --faint: #444; --link: #000; }
  body { margin: 0; max-width: none; font-size: 11pt; }
  li { break-inside: avoid; }
  .label { print-color-adjust: exact; -webkit-print-color-adjust: exact; }
}
)";

// The note as HTML under the note markdown rules: emphasis, strong emphasis, code,
// strike-through, and links whose scheme is allowed; everything else stays text.
void appendNote(std::string& out, std::string_view note) {
    for (const NoteRun& run : NoteMarkdown::parse(note)) {
        std::string_view text = note.substr(run.start, run.length);
        const bool link = run.link && NoteMarkdown::isAllowedLink(*run.link);
        if (link) {
            out += "<a href=\"";
            appendEscaped(out, *run.link);
            out += "\">";
        }
        if (run.code)
            out += "<code>";
        if (run.strong)
            out += "<strong>";
        if (run.emphasis)
            out += "<em>";
        if (run.strikethrough)
            out += "<del>";
        appendEscaped(out, text);
        if (run.strikethrough)
            out += "</del>";
        if (run.emphasis)
            out += "</em>";
        if (run.strong)
            out += "</strong>";
        if (run.code)
            out += "</code>";
        if (link)
            out += "</a>";
    }
}

void appendTitle(std::string& out, const Item& item) {
    if (item.checked)
        out += "<span class=\"check\" aria-hidden=\"true\">\xE2\x9C\x93</span>";
    if (item.color) {
        out += "<span class=\"label ";
        out += rawValue(*item.color);
        out += "\" title=\"";
        out += rawValue(*item.color);
        out += "\"></span>";
    }
    out += "<span class=\"title";
    if (item.bold)
        out += " bold";
    if (item.underline)
        out += " underline";
    out += "\">";
    appendEscaped(out, item.text);
    out += "</span>";
}

void appendNoteBlock(std::string& out, const Item& item) {
    if (item.note.empty())
        return;
    out += "<div class=\"note\">";
    appendNote(out, item.note);
    out += "</div>";
}

// Opens the item's <li>; a branch also opens its <details> and child list, which the walk
// closes after the last child.
void openItem(std::string& out, const Item& item, std::size_t depth) {
    out.append(2 * depth, ' ');
    out += item.checked ? "<li class=\"checked\">" : "<li>";
    if (item.children.empty()) {
        appendTitle(out, item);
        appendNoteBlock(out, item);
        out += "</li>\n";
        return;
    }
    out += item.collapsed ? "<details>" : "<details open>";
    out += "<summary>";
    appendTitle(out, item);
    out += "</summary>";
    appendNoteBlock(out, item);
    out += "\n";
    out.append(2 * depth + 1, ' ');
    out += "<ul>\n";
}

void closeBranch(std::string& out, std::size_t depth) {
    out.append(2 * depth + 1, ' ');
    out += "</ul></details></li>\n";
}

} // namespace

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\r':
            break; // a line break is its line feed
        case '\0':
            out += "\xEF\xBF\xBD";
            break;
        default:
            out += c;
        }
    }
}

std::string encode(std::string_view title, const ItemList& items) {
    std::string out;
    out.reserve(static_cast<std::size_t>(96 * items.totalCount()) + kStyle.size() + 512);
    out += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    appendEscaped(out, title);
    out += "</title>\n<style>\n";
    out += kStyle;
    out += "</style>\n</head>\n<body>\n<main>\n<h1>";
    appendEscaped(out, title);
    out += "</h1>\n<ul class=\"outline\">\n";

    // An explicit stack of open lists: each frame is a sibling list and the next index in it.
    struct Frame {
        const ItemList* list;
        std::size_t next;
    };
    std::vector<Frame> stack{{&items, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.list->size()) {
            stack.pop_back();
            if (!stack.empty())
                closeBranch(out, stack.size());
            continue;
        }
        const Item& item = (*frame.list)[frame.next++];
        openItem(out, item, stack.size());
        if (!item.children.empty())
            stack.push_back({&item.children, 0});
    }
    out += "</ul>\n</main>\n</body>\n</html>\n";
    return out;
}

} // namespace velmora::WebPage

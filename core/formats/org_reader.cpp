#include "core/formats/item_tree_builder.hpp"
#include "core/formats/markdown_syntax.hpp"
#include "core/formats/org_codec.hpp"
#include "core/formats/org_syntax.hpp"
#include "core/model/text.hpp"

#include <algorithm>
#include <limits>
#include <unordered_set>
#include <vector>

namespace velmora::OrgCodec {
namespace {

using namespace OrgSyntax;

// The first byte that makes the data no text, as an error with its line.
std::optional<OrgError> textFault(std::string_view data) {
    auto fault = MarkdownSyntax::textFault(data);
    if (!fault)
        return std::nullopt;
    return OrgError{fault->binary ? OrgError::Kind::binary : OrgError::Kind::encoding,
                    static_cast<std::int64_t>(fault->line)};
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmedBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isBlankLine(std::string_view line) {
    return trimmedBlanks(line).empty();
}

// The keywords of the file's TODO declarations: which are of the done kind. With none
// declared, TODO and DONE. Files declare a handful, so a list is quicker than a hash.
struct TodoKinds {
    std::vector<std::string> open{"TODO"};
    std::vector<std::string> done{"DONE"};

    static bool holds(const std::vector<std::string>& words, std::string_view word) {
        return std::find(words.begin(), words.end(), word) != words.end();
    }

    void declare(std::string_view value, bool first) {
        if (first) {
            open.clear();
            done.clear();
        }
        std::vector<std::string> words;
        std::size_t bar = std::string::npos;
        while (!value.empty()) {
            std::string_view word = firstWord(value);
            value.remove_prefix(word.size());
            value = trimmedBlanks(value);
            if (word == "|") {
                bar = words.size();
                continue;
            }
            // "WAIT(w@/!)": the key and logging marks are no part of the word.
            if (auto paren = word.find('('); paren != std::string_view::npos && paren > 0)
                word = word.substr(0, paren);
            words.emplace_back(word);
        }
        if (words.empty())
            return;
        if (bar == std::string::npos)
            bar = words.size() - 1;
        for (std::size_t i = 0; i < words.size(); ++i)
            (i < bar ? open : done).push_back(words[i]);
    }
};

// The title of a headline's text without the "[" escapes of the writer, with links as their
// text (or their target where they have none).
std::string plainTitle(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] != '[') {
            out += s[i++];
            continue;
        }
        if (i + 1 < s.size() && s[i + 1] == '[') {
            std::size_t close = s.find(']', i + 2);
            std::string_view target =
                close == std::string_view::npos ? "" : s.substr(i + 2, close - i - 2);
            if (!target.empty() && target.find('[') == std::string_view::npos) {
                if (close + 1 < s.size() && s[close + 1] == ']') {
                    out += target;
                    i = close + 2;
                    continue;
                }
                if (close + 1 < s.size() && s[close + 1] == '[') {
                    std::size_t end = s.find("]]", close + 2);
                    if (end != std::string_view::npos && end > close + 2) {
                        out += s.substr(close + 2, end - close - 2);
                        i = end + 2;
                        continue;
                    }
                }
            }
            out += s[i++];
            continue;
        }
        // "[", zero-width spaces, "[": the writer added one of the spaces.
        std::size_t j = i + 1;
        while (s.substr(j).starts_with(kZeroWidthSpace))
            j += kZeroWidthSpace.size();
        out += '[';
        if (j > i + 1 && j < s.size() && s[j] == '[') {
            out += s.substr(i + 1 + kZeroWidthSpace.size(), j - i - 1 - kZeroWidthSpace.size());
            i = j;
        } else {
            ++i;
        }
    }
    return out;
}

std::string_view withoutTrailingNoBreakSpaces(std::string_view text) {
    while (text.ends_with(kNoBreakSpace))
        text.remove_suffix(kNoBreakSpace.size());
    return text;
}

// Reads the lines into items, one section at a time.
class Reader {
public:
    Reader(const IDFactory& makeID, const TodoKinds& kinds) : m_makeID(makeID), m_kinds(kinds) {}

    // Opens the item of a headline; false when it would be deeper than the core allows.
    bool headline(std::size_t stars, std::string_view line) {
        finishSection();
        while (!m_levels.empty() && m_levels.back() >= stars) {
            m_levels.pop_back();
            m_builder.close();
        }
        if (m_levels.size() > static_cast<std::size_t>(kMaxItemDepth))
            return false;
        m_levels.push_back(stars);
        Item item;
        item.text = title(line.substr(stars), item.checked);
        m_builder.open(std::move(item));
        return true;
    }

    // Opens the first item, for the text before the first headline.
    void preamble(std::string title) {
        // Above every level, so that the first headline closes it.
        m_levels.push_back(std::numeric_limits<std::size_t>::max());
        m_builder.open(Item::blank({}, std::move(title)));
    }

    void sectionLine(std::string_view line) { m_section.push_back(line); }

    ItemList finish() {
        finishSection();
        return m_builder.finish();
    }

    // Keeps a file's id the first time it is met; anything else gets a fresh id that no item
    // read so far has.
    std::string uniqueID(std::string_view written) {
        if (isValidID(written) && m_seenIDs.insert(std::string(written)).second)
            return std::string(written);
        std::string fresh = m_makeID();
        for (int attempt = 0; attempt < 8 && m_seenIDs.contains(fresh); ++attempt)
            fresh = m_makeID();
        std::string base = fresh;
        for (long long n = 2; !m_seenIDs.insert(fresh).second; ++n)
            fresh = base + "-" + std::to_string(n);
        return fresh;
    }

private:
    std::string title(std::string_view text, bool& checked) {
        text = trimmedBlanks(text);
        std::string_view word = firstWord(text);
        const bool done = TodoKinds::holds(m_kinds.done, word);
        if (!word.empty() && (done || TodoKinds::holds(m_kinds.open, word))) {
            checked = done;
            text = trimmedBlanks(text.substr(word.size()));
        }
        text.remove_prefix(priorityCookie(text));
        if (std::size_t tags = trailingTags(text)) {
            text.remove_suffix(tags);
        } else if (text.ends_with(kNoBreakSpace) &&
                   trailingTags(withoutTrailingNoBreakSpaces(text)) > 0) {
            text.remove_suffix(kNoBreakSpace.size());
        }
        return std::string(trimmedBlanks(plainTitle(trimmedBlanks(text))));
    }

    // Takes the id and title lines out of the property drawer at the start of the section
    // (after a planning line); the rest of the section, blank lines at its ends aside, is the
    // note.
    void finishSection() {
        if (m_builder.depth() == 0) {
            m_section.clear();
            return;
        }
        Item& item = m_builder.current();
        std::vector<std::string_view>& lines = m_section;
        std::size_t drawer = !lines.empty() && isPlanning(lines[0]) ? 1 : 0;
        std::string_view writtenID;
        std::vector<std::size_t> taken;
        if (drawer < lines.size() && isDrawerLine(lines[drawer], ":PROPERTIES:")) {
            std::size_t end = drawer + 1;
            while (end < lines.size() && !isDrawerLine(lines[end], ":END:"))
                ++end;
            if (end == lines.size())
                end = drawer + 1; // no drawer without its end
            auto idIn = [&](std::size_t i) {
                auto found = property(lines[i]);
                if (!found || !Text::equalsIgnoringCase(found->key, "ID"))
                    return std::string_view();
                std::string_view id = trimmedBlanks(found->value);
                return isValidID(id) && !m_seenIDs.contains(std::string(id)) ? id
                                                                             : std::string_view();
            };
            // The writer's own lines come first: the id, then the title's further lines.
            std::size_t at = drawer + 1;
            if (at < end && !(writtenID = idIn(at)).empty())
                taken.push_back(at++);
            for (; at < end; ++at) {
                auto found = property(lines[at]);
                if (!found || !Text::equalsIgnoringCase(found->key, kTitleLineKey))
                    break;
                item.text += '\n';
                item.text += found->value;
                taken.push_back(at);
            }
            for (; writtenID.empty() && at < end; ++at)
                if (!(writtenID = idIn(at)).empty())
                    taken.push_back(at);
            // A drawer left with nothing in it was the writer's own.
            if (!taken.empty() && taken.size() == end - drawer - 1)
                taken.insert(taken.end(), {drawer, end});
        }
        item.id = uniqueID(writtenID);
        std::size_t first = 0, last = lines.size();
        auto isTaken = [&](std::size_t i) {
            return std::find(taken.begin(), taken.end(), i) != taken.end();
        };
        while (first < last && (isTaken(first) || isBlankLine(lines[first])))
            ++first;
        while (last > first && (isTaken(last - 1) || isBlankLine(lines[last - 1])))
            --last;
        std::string note;
        for (std::size_t i = first; i < last; ++i) {
            if (isTaken(i))
                continue;
            if (!note.empty() || i > first)
                note += '\n';
            note += lines[i];
        }
        item.note = std::move(note);
        m_section.clear();
    }

    const IDFactory& m_makeID;
    const TodoKinds& m_kinds;
    ItemTreeBuilder m_builder;
    std::vector<std::size_t> m_levels;
    std::vector<std::string_view> m_section;
    std::unordered_set<std::string> m_seenIDs;
};

} // namespace

Result<TreeDocument, OrgError> decode(std::string_view data, std::string_view fallbackTitle,
                                      const IDFactory& makeID) {
    if (auto fault = textFault(data))
        return *fault;
    if (data.starts_with("\xEF\xBB\xBF"))
        data.remove_prefix(3);
    auto lines = MarkdownSyntax::linesOf(data);
    if (lines.size() > 1 && lines.back().empty())
        lines.pop_back(); // the line break that ends the last line
    const auto ends = blockEnds(lines);

    // The TODO declarations hold for the whole file, wherever they stand outside blocks; the
    // title comes from the text before the first headline.
    TodoKinds kinds;
    bool declared = false;
    std::string title;
    bool beforeHeadlines = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (ends[i] > 0) {
            i = ends[i];
            continue;
        }
        if (headlineStars(lines[i]) > 0) {
            beforeHeadlines = false;
            continue;
        }
        if (lines[i].empty() || (lines[i][0] != '#' && !isBlank(lines[i][0])))
            continue;
        auto found = keyword(lines[i]);
        if (!found)
            continue;
        if (declaresTodo(lines[i])) {
            kinds.declare(found->value, !declared);
            declared = true;
        } else if (beforeHeadlines && found->key == "TITLE") {
            if (!title.empty() && !found->value.empty())
                title += ' ';
            title += found->value;
        }
    }

    TreeDocument document{makeID(), title.empty() ? std::string(fallbackTitle) : title, {}};
    Reader reader(makeID, kinds);
    bool inPreamble = true;
    bool titled = false;
    std::vector<std::string_view> preamble;
    std::size_t blockEnd = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (blockEnd == 0 && ends[i] > 0)
            blockEnd = ends[i];
        if (blockEnd > 0) {
            // Inside a block every line is text, comma escapes and all.
            (inPreamble ? preamble.push_back(line) : reader.sectionLine(line));
            if (i == blockEnd)
                blockEnd = 0;
            continue;
        }
        if (std::size_t stars = headlineStars(line)) {
            if (inPreamble) {
                inPreamble = false;
                auto kept = std::find_if(preamble.begin(), preamble.end(),
                                         [](auto l) { return !isBlankLine(l); });
                if (kept != preamble.end()) {
                    reader.preamble(document.title);
                    for (auto l : preamble)
                        reader.sectionLine(l);
                }
            }
            if (!reader.headline(stars, line))
                return OrgError{OrgError::Kind::tooDeep, static_cast<std::int64_t>(i + 1)};
            continue;
        }
        if (hasEscapeComma(line))
            line.remove_prefix(1);
        else if (inPreamble) {
            auto found = keyword(line);
            if (found && found->key == "TITLE") {
                titled = true;
                continue;
            }
        }
        (inPreamble ? preamble.push_back(line) : reader.sectionLine(line));
    }
    if (inPreamble && (!titled || std::any_of(preamble.begin(), preamble.end(),
                                              [](auto l) { return !isBlankLine(l); }))) {
        // No headline at all: the whole file is the note of one item (none for a file of
        // only its title, as written for a document without items).
        reader.preamble(document.title);
        for (auto l : preamble)
            reader.sectionLine(l);
    }
    document.items = reader.finish();
    return document;
}

bool looksLikeOrg(std::string_view text) {
    bool headlines = false, orgOnly = false;
    for (auto line : MarkdownSyntax::linesOf(text)) {
        if (std::size_t stars = headlineStars(line)) {
            headlines = true;
            std::string_view rest = trimmedBlanks(line.substr(stars));
            std::string_view word = firstWord(rest);
            orgOnly = orgOnly || stars > 1 || word == "TODO" || word == "DONE" ||
                      trailingTags(rest) > 0 || priorityCookie(rest) > 0;
        } else if (isDrawerLine(line, ":PROPERTIES:") || keyword(line) || isPlanning(line)) {
            orgOnly = true;
        }
    }
    return headlines && orgOnly;
}

} // namespace velmora::OrgCodec

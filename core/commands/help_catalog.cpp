#include "core/commands/help_catalog.hpp"

#include "core/commands/key_map.hpp"
#include "core/model/text.hpp"

#include <map>
#include <utf8proc.h>

namespace velmora::HelpCatalog {

namespace {

constexpr std::string_view kHeading = "## [";
constexpr std::string_view kKeyLine = "- {{key:";

// Blanks and tabs only: other white space is text.
std::string_view trimBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

class Parser {
public:
    HelpDocument document;

    void line(std::string_view raw) {
        const std::string_view text = trimBlanks(raw);
        if (text.starts_with(kHeading))
            heading(text);
        else if (!m_open)
            return;
        else if (text.empty())
            flush();
        else if (!keyLine(text))
            m_paragraph.emplace_back(text);
    }

    void finish() {
        flush();
        close();
    }

private:
    void heading(std::string_view text) {
        flush();
        close();
        const auto end = text.find(']', kHeading.size());
        if (end == std::string_view::npos)
            return; // no section until the next heading
        m_section = HelpSection{std::string(text.substr(kHeading.size(), end - kHeading.size())),
                                std::string(trimBlanks(text.substr(end + 1))),
                                {}};
        m_open = true;
    }

    bool keyLine(std::string_view text) {
        if (!text.starts_with(kKeyLine))
            return false;
        const auto close = text.find('}', kKeyLine.size());
        if (close == std::string_view::npos)
            return false;
        auto action = actionFromRawValue(text.substr(kKeyLine.size(), close - kKeyLine.size()));
        if (!action)
            return false;
        std::string_view rest = text.substr(close + 1);
        if (rest.starts_with('}'))
            rest.remove_prefix(1);
        flush();
        m_section.blocks.push_back(HelpBlock::key(*action, std::string(trimBlanks(rest))));
        return true;
    }

    void flush() {
        std::string joined;
        for (const auto& part : m_paragraph) {
            if (!joined.empty())
                joined += ' ';
            joined += part;
        }
        m_paragraph.clear();
        const std::string_view text = trimBlanks(joined);
        if (m_open && !text.empty())
            m_section.blocks.push_back(HelpBlock::paragraph(std::string(text)));
    }

    void close() {
        if (m_open)
            document.sections.push_back(std::move(m_section));
        m_section = {};
        m_open = false;
    }

    bool m_open = false;
    HelpSection m_section;
    std::vector<std::string> m_paragraph;
};

bool containsAll(const std::string& haystack, const std::vector<std::string>& words) {
    for (const auto& word : words)
        if (haystack.find(word) == std::string::npos)
            return false;
    return true;
}

} // namespace

HelpDocument parse(std::string_view text) {
    Parser parser;
    std::size_t at = 0;
    for (;;) {
        const auto end = text.find('\n', at);
        parser.line(text.substr(at, end == std::string_view::npos ? end : end - at));
        if (end == std::string_view::npos)
            break;
        at = end + 1;
    }
    parser.finish();
    return std::move(parser.document);
}

std::vector<HelpHit> search(const HelpDocument& document, std::string_view query,
                            const EditorPreferences& preferences,
                            const std::map<Action, std::string>& shown) {
    const auto words = tokens(query);
    std::vector<HelpHit> hits;
    if (words.empty())
        return hits;
    // Shortcuts as the preferences show them, in glyphs and in the names Linux writes
    // ("Ctrl+Z"), worked out once per action.
    std::map<Action, std::string> glyphs;
    auto shownText = [&](Action action) {
        const auto it = shown.find(action);
        return it == shown.end() ? std::string() : it->second;
    };
    auto shortcutOf = [&](Action action) -> const std::string& {
        auto it = glyphs.find(action);
        if (it == glyphs.end())
            it = glyphs
                     .emplace(action, KeyMap::primaryGlyph(action, preferences) + ' ' +
                                          KeyMap::primaryText(action, preferences) + ' ' +
                                          shownText(action))
                     .first;
        return it->second;
    };
    for (const auto& section : document.sections) {
        for (const auto& block : section.blocks) {
            const std::string shortcut = block.action ? shortcutOf(*block.action) : std::string();
            if (containsAll(fold(section.title + ' ' + block.text + ' ' + shortcut), words))
                hits.push_back({section.id, section.title, block.text, block.action});
        }
    }
    return hits;
}

std::string fold(std::string_view text) {
    return Text::fold(text);
}

std::vector<std::string> tokens(std::string_view query) {
    const std::string folded = fold(query);
    std::vector<std::string> words;
    std::string word;
    std::size_t at = 0;
    while (at < folded.size()) {
        utf8proc_int32_t cp = 0;
        auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(folded.data() + at),
                                  static_cast<utf8proc_ssize_t>(folded.size() - at), &cp);
        const std::size_t length = n < 1 ? 1 : static_cast<std::size_t>(n);
        if (n >= 1 && Text::isWhitespace(static_cast<char32_t>(cp))) {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word.append(folded, at, length);
        }
        at += length;
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

} // namespace velmora::HelpCatalog

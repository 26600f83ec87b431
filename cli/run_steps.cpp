#include "cli/run_steps.hpp"

#include <algorithm>
#include <charconv>
#include <vector>

namespace velmora::cli {
namespace {

// Splits "a=b=c" into at most `parts` pieces; the last piece keeps any further "=".
std::vector<std::string> split(const std::string& word, std::size_t parts) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (out.size() + 1 < parts) {
        auto at = word.find('=', start);
        if (at == std::string::npos)
            break;
        out.push_back(word.substr(start, at - start));
        start = at + 1;
    }
    out.push_back(word.substr(start));
    return out;
}

template <class Int> std::optional<Int> number(const std::string& text) {
    Int value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

Step make(Step::Kind kind, const std::string& source) {
    Step step;
    step.kind = kind;
    step.source = source;
    return step;
}

std::optional<Step> withId(Step::Kind kind, const std::vector<std::string>& p,
                           const std::string& word) {
    if (p.size() != 2 || p[1].empty())
        return std::nullopt;
    auto step = make(kind, word);
    step.id = p[1];
    return step;
}

std::optional<Step> parseDirect(const std::vector<std::string>& p, const std::string& word) {
    const auto& name = p[0];
    using K = Step::Kind;
    if (name == "select" && p.size() == 2) {
        auto step = make(K::select, word);
        if (!p[1].empty())
            step.id = p[1];
        return step;
    }
    if (name == "extend")
        return withId(K::extend, p, word);
    if (name == "toggle")
        return withId(K::toggle, p, word);
    if (name == "toggle-collapsed")
        return withId(K::toggleCollapsed, p, word);
    if (name == "close-hoist")
        return withId(K::closeHoist, p, word);
    if (name == "extend-by" && p.size() == 2) {
        auto n = number<long long>(p[1]);
        if (!n)
            return std::nullopt;
        auto step = make(K::extendBy, word);
        step.number = *n;
        return step;
    }
    if (name == "caret" && p.size() == 2) {
        auto n = number<long long>(p[1]);
        if (!n)
            return std::nullopt;
        auto step = make(K::caret, word);
        step.number = *n;
        return step;
    }
    if (name == "hoist" && p.size() == 2 && !p[1].empty()) {
        auto step = make(K::hoist, word);
        if (p[1] != "none")
            step.id = p[1];
        return step;
    }
    if (name == "view" && p.size() == 2) {
        auto view = viewModeFromRawValue(p[1]);
        if (!view)
            return std::nullopt;
        auto step = make(K::view, word);
        step.view = *view;
        return step;
    }
    return std::nullopt;
}

std::optional<Step> parseWithText(const std::string& word) {
    using K = Step::Kind;
    auto p = split(word, 3);
    const auto& name = p[0];
    if ((name == "commit-text" || name == "commit-note") && p.size() == 3 && !p[1].empty()) {
        auto step = make(name == "commit-text" ? K::commitText : K::commitNote, word);
        step.id = p[1];
        step.text = p[2];
        return step;
    }
    if (name == "check" && p.size() == 3 && (p[2] == "true" || p[2] == "false")) {
        auto step = make(K::check, word);
        step.id = p[1];
        step.flag = p[2] == "true";
        return step;
    }
    if (name == "label" && p.size() == 3) {
        auto step = make(K::label, word);
        step.id = p[1];
        if (p[2] != "none") {
            step.color = colorLabelFromRawValue(p[2]);
            if (!step.color || rawValue(*step.color) != p[2])
                return std::nullopt;
        }
        return step;
    }
    if (name == "move" && p.size() == 3) {
        auto place = split(p[2], 2);
        if (place.size() != 2 || p[1].empty() || place[0].empty())
            return std::nullopt;
        auto step = make(K::move, word);
        step.id = p[1];
        if (place[0] != "top")
            step.parent = place[0];
        if (place[1] != "end") {
            auto index = number<int>(place[1]);
            if (!index)
                return std::nullopt;
            step.index = *index;
        }
        return step;
    }
    return std::nullopt;
}

} // namespace

std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            if (next == 'n' || next == 't' || next == '\\') {
                out += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::vector<std::string> stepNames() {
    constexpr std::string_view kNames =
        "draft= caret= select= extend= extend-by= toggle= select-all collapse-selection "
        "commit-text= commit-note= check= label= toggle-collapsed= move= copy cut paste= "
        "hoist= close-hoist= view= undo redo";
    std::vector<std::string> names;
    for (std::size_t start = 0; start < kNames.size();) {
        std::size_t end = std::min(kNames.find(' ', start), kNames.size());
        names.emplace_back(kNames.substr(start, end - start));
        start = end + 1;
    }
    for (Action action : allActions())
        names.emplace_back(rawValue(action));
    return names;
}

std::optional<Step> parseStep(const std::string& word) {
    using K = Step::Kind;
    static const std::pair<const char*, K> plain[] = {{"select-all", K::selectAll},
                                                      {"collapse-selection", K::collapseSelection},
                                                      {"copy", K::copy},
                                                      {"cut", K::cut},
                                                      {"undo", K::undo},
                                                      {"redo", K::redo}};
    for (const auto& [name, kind] : plain)
        if (word == name)
            return make(kind, word);
    auto p = split(word, 2);
    if (p[0] == "draft" && p.size() == 2) {
        auto step = make(K::draft, word);
        step.text = p[1];
        return step;
    }
    if (p[0] == "paste" && p.size() == 2) {
        auto step = make(K::paste, word);
        step.text = unescape(p[1]);
        return step;
    }
    if (auto step = parseWithText(word))
        return step;
    if (auto step = parseDirect(p, word))
        return step;
    if (auto action = actionFromRawValue(p[0])) {
        auto step = make(K::perform, word);
        step.action = *action;
        if (p.size() == 2)
            step.text = p[1];
        return step;
    }
    return std::nullopt;
}

} // namespace velmora::cli

// ostrevo-cli keys: the key table, and what a chord does.
#include "cli/cli_common.hpp"
#include "cli/commands.hpp"
#include "core/commands/key_map.hpp"

#include <iostream>
#include <sstream>

namespace velmora::cli {
namespace {

constexpr std::string_view kHelp =
    R"(Usage: ostrevo-cli keys [--return-while-typing finish|finishAndAddNext]
                        [--no-tab-indents] [--no-return-edits]
       ostrevo-cli keys --resolve CHORD --context outline|editing|note [--view list|tree|map]
                        [--empty] [preference options]

Prints the key table in effect for the editing preferences: the chord's glyphs, the contexts it
works in, and the action. With --resolve, prints the action the chord triggers in the context,
or "-". A chord is written as modifier names (control, option, shift, command, in any order)
and the key's name joined by "+". --empty means the text being edited is empty.

Examples:
  ostrevo-cli keys
  ostrevo-cli keys --resolve control+command+up --context outline
  ostrevo-cli keys --resolve tab --context outline --view tree
  ostrevo-cli keys --resolve backspace --context editing --empty
)";

std::optional<KeyChord> parseChord(const std::string& text) {
    KeyChord chord;
    std::istringstream parts(text);
    std::string part;
    std::vector<std::string> pieces;
    while (std::getline(parts, part, '+'))
        pieces.push_back(part);
    if (pieces.empty())
        return std::nullopt;
    auto key = physicalKeyFromRawValue(pieces.back());
    if (!key)
        return std::nullopt;
    chord.key = *key;
    std::int32_t bits = 0;
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        const auto& m = pieces[i];
        if (m == "control")
            bits |= KeyModifiers::control.rawValue;
        else if (m == "option")
            bits |= KeyModifiers::option.rawValue;
        else if (m == "shift")
            bits |= KeyModifiers::shift.rawValue;
        else if (m == "command")
            bits |= KeyModifiers::command.rawValue;
        else
            return std::nullopt;
    }
    chord.modifiers = KeyModifiers{bits};
    return chord;
}

std::string contextsText(const KeyContexts& contexts) {
    std::string out;
    for (auto context : contexts.members())
        out += (out.empty() ? "" : ",") + std::string(rawValue(context));
    return out;
}

struct KeyOptions {
    EditorPreferences preferences;
    std::optional<std::string> chord;
    std::optional<KeyContext> context;
    ViewMode view = ViewMode::list;
    bool empty = false;
};

} // namespace

int keysCommand(const std::vector<std::string>& args) {
    KeyOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            return kSuccess;
        } else if (arg == "--return-while-typing") {
            auto v = value();
            auto parsed = v ? returnWhileTypingFromRawValue(*v) : std::nullopt;
            if (!parsed)
                return usageError("--return-while-typing takes finish or finishAndAddNext", kHelp);
            o.preferences.returnWhileTyping = *parsed;
        } else if (arg == "--no-tab-indents") {
            o.preferences.tabIndents = false;
        } else if (arg == "--no-return-edits") {
            o.preferences.returnEdits = false;
        } else if (arg == "--resolve") {
            o.chord = value();
            if (!o.chord)
                return usageError("--resolve needs a CHORD", kHelp);
        } else if (arg == "--context") {
            auto v = value();
            o.context = v ? keyContextFromRawValue(*v) : std::nullopt;
            if (!o.context)
                return usageError("--context takes outline, editing or note", kHelp);
        } else if (arg == "--view") {
            auto v = value();
            auto view = v ? viewModeFromRawValue(*v) : std::nullopt;
            if (!view)
                return usageError("--view takes list, tree or map", kHelp);
            o.view = *view;
        } else if (arg == "--empty") {
            o.empty = true;
        } else {
            return usageError("unexpected argument '" + arg + "'", kHelp);
        }
    }
    if (o.chord) {
        if (!o.context)
            return usageError("--resolve needs --context", kHelp);
        auto chord = parseChord(*o.chord);
        if (!chord)
            return usageError("'" + *o.chord + "' is no chord", kHelp);
        auto action = KeyMap::resolve(*chord, *o.context, o.preferences, o.empty, o.view);
        std::cout << (action ? std::string(rawValue(*action)) : std::string("-")) << "\n";
        return kSuccess;
    }
    for (const auto& row : KeyMap::bindings(o.preferences))
        std::cout << KeyMap::glyph(row.chord) << "\t" << contextsText(row.contexts) << "\t"
                  << rawValue(row.action) << (row.alias ? "\t(alias)" : "") << "\n";
    return kSuccess;
}

} // namespace velmora::cli

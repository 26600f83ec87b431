#include "core/commands/key_map.hpp"

namespace velmora::KeyMap {
namespace {

using K = PhysicalKey;
using A = Action;

constexpr KeyModifiers none = KeyModifiers::none;
constexpr KeyModifiers cmd = KeyModifiers::command;
constexpr KeyModifiers shift = KeyModifiers::shift;
constexpr KeyModifiers opt = KeyModifiers::option;
constexpr KeyModifiers ctrl = KeyModifiers::control;
constexpr KeyContexts all = KeyContexts::all();
constexpr KeyContexts outline{KeyContext::outline};
constexpr KeyContexts editing{KeyContext::editing};
constexpr KeyContexts typing{KeyContext::editing, KeyContext::note};
constexpr KeyContexts note{KeyContext::note};
constexpr KeyContexts notNote{KeyContext::outline, KeyContext::editing};
constexpr bool alias = true;

// The base key map. No two rows share a key, a modifier set and a context.
const std::vector<KeyBinding> kBase = {
    {{K::digit1, cmd}, all, A::viewList, false},
    {{K::digit2, cmd}, all, A::viewTree, false},
    {{K::digit1, opt}, outline, A::viewList, alias},
    {{K::digit2, opt}, outline, A::viewTree, alias},
    {{K::digit3, cmd}, all, A::viewMap, false},
    {{K::digit3, opt}, outline, A::viewMap, alias},
    {{K::h, shift | cmd}, all, A::hideCompleted, false},
    {{K::f2, none}, outline, A::edit, false},
    {{K::returnKey, opt}, typing, A::newline, false},
    {{K::escape, none}, outline, A::deselect, false},
    {{K::escape, none}, typing, A::commit, false},
    {{K::period, cmd}, typing, A::commit, false},
    {{K::returnKey, none}, note, A::commit, false},
    {{K::returnKey, cmd}, all, A::addBelow, false},
    {{K::returnKey, none}, outline, A::addBelow, false},
    {{K::returnKey, shift | cmd}, all, A::addAbove, false},
    {{K::k, cmd}, all, A::addChild, false},
    {{K::k, shift | cmd}, all, A::addChildExpand, false},
    {{K::k, opt}, outline, A::addChild, alias},
    {{K::a, shift | cmd}, all, A::addAunt, false},
    {{K::bracketRight, cmd}, all, A::indent, false},
    {{K::bracketLeft, cmd}, all, A::outdent, false},
    {{K::bracketRight, opt}, outline, A::indent, alias},
    {{K::bracketLeft, opt}, outline, A::outdent, alias},
    {{K::up, ctrl | cmd}, all, A::moveUp, false},
    {{K::down, ctrl | cmd}, all, A::moveDown, false},
    {{K::left, ctrl | cmd}, all, A::moveLeft, false},
    {{K::right, ctrl | cmd}, all, A::moveRight, false},
    // While typing, Ctrl+Left and Ctrl+Right move by word, as in every Linux text field.
    {{K::right, cmd}, outline, A::expand, false},
    {{K::left, cmd}, outline, A::collapse, false},
    {{K::right, opt}, outline, A::expand, alias},
    {{K::left, opt}, outline, A::collapse, alias},
    {{K::right, opt | cmd}, all, A::expandFamily, false},
    {{K::left, opt | cmd}, all, A::collapseFamily, false},
    {{K::right, opt | shift | cmd}, all, A::expandAll, false},
    {{K::left, opt | shift | cmd}, all, A::collapseAll, false},
    {{K::left, none}, outline, A::navLeft, false},
    {{K::right, none}, outline, A::navRight, false},
    {{K::up, none}, outline, A::navUp, false},
    {{K::down, none}, outline, A::navDown, false},
    {{K::quote, cmd}, all, A::editNote, false},
    {{K::quote, opt | cmd}, all, A::toggleNotes, false},
    {{K::o, shift | cmd}, all, A::showFamily, false},
    {{K::d, cmd}, all, A::duplicate, false},
    {{K::d, opt | shift}, outline, A::duplicate, alias},
    {{K::j, cmd}, all, A::jump, false},
    {{K::e, shift | cmd}, all, A::exportBackup, false},
    {{K::i, shift | cmd}, all, A::importBackup, false},
    {{K::space, none}, outline, A::toggleCheck, false},
    {{K::backspace, none}, outline, A::deleteItem, false},
    {{K::forwardDelete, none}, outline, A::deleteItem, false},
    {{K::returnKey, ctrl | cmd}, editing, A::split, false},
    {{K::digit0, ctrl | cmd}, all, A::label0, false},
    {{K::digit1, ctrl | cmd}, all, A::label1, false},
    {{K::digit2, ctrl | cmd}, all, A::label2, false},
    {{K::digit3, ctrl | cmd}, all, A::label3, false},
    {{K::digit4, ctrl | cmd}, all, A::label4, false},
    {{K::digit5, ctrl | cmd}, all, A::label5, false},
    {{K::digit6, ctrl | cmd}, all, A::label6, false},
    {{K::digit7, ctrl | cmd}, all, A::label7, false},
    {{K::b, cmd}, notNote, A::toggleBold, false},
    {{K::u, cmd}, notNote, A::toggleUnderline, false},
    {{K::digit9, ctrl | cmd}, notNote, A::toggleBold, alias},
    {{K::digit8, ctrl | cmd}, notNote, A::toggleUnderline, alias},
    {{K::slash, shift}, outline, A::help, false},
    {{K::digit0, opt | cmd}, all, A::toggleHelp, false},
    {{K::slash, shift | cmd}, all, A::helpSearch, false},
    {{K::comma, cmd}, all, A::settings, false},
    {{K::z, cmd}, all, A::undo, false},
    {{K::z, shift | cmd}, all, A::redo, false},
    {{K::t, cmd}, all, A::newDocumentTab, false},
    {{K::p, shift | cmd}, all, A::commandPalette, false},
    {{K::digit1, opt | cmd}, all, A::showProperties, false},
    {{K::digit2, opt | cmd}, all, A::showHelp, false},
    {{K::s, ctrl | cmd}, all, A::toggleLibrary, false},
    {{K::p, opt | cmd}, all, A::toggleHighlight, false},
};

// Chords for the actions whose Meta rows GNOME or KDE Plasma keep for themselves by default:
// Plasma switches virtual desktops with Meta+Ctrl+arrows, GNOME Shell opens a new window of the
// dash's n-th application with Super+Ctrl+1 … 9. These are the chords menus, palette and help
// show; the Meta rows still work on desktops that leave them free. The colour labels move as
// one family, "no label" included.
const std::vector<KeyBinding> kDesktop = {
    {{K::up, opt | shift}, all, A::moveUp, false},
    {{K::down, opt | shift}, all, A::moveDown, false},
    {{K::left, opt | shift}, all, A::moveLeft, false},
    {{K::right, opt | shift}, all, A::moveRight, false},
    {{K::digit0, opt | shift}, all, A::label0, false},
    {{K::digit1, opt | shift}, all, A::label1, false},
    {{K::digit2, opt | shift}, all, A::label2, false},
    {{K::digit3, opt | shift}, all, A::label3, false},
    {{K::digit4, opt | shift}, all, A::label4, false},
    {{K::digit5, opt | shift}, all, A::label5, false},
    {{K::digit6, opt | shift}, all, A::label6, false},
    {{K::digit7, opt | shift}, all, A::label7, false},
};

bool isBareReturnInOutline(const KeyBinding& row) {
    return row.chord == KeyChord{K::returnKey, none} && row.contexts == outline;
}

} // namespace

const std::vector<KeyBinding>& bindings() {
    return kBase;
}

const std::vector<KeyBinding>& desktopBindings() {
    return kDesktop;
}

std::vector<KeyBinding> bindings(const EditorPreferences& preferences) {
    std::vector<KeyBinding> rows;
    rows.reserve(kBase.size() + 3 + kDesktop.size());
    for (const auto& row : kBase)
        if (!preferences.returnEdits || !isBareReturnInOutline(row))
            rows.push_back(row);
    if (preferences.returnEdits)
        rows.push_back({{K::returnKey, none}, outline, A::edit, false});
    bool addNext =
        preferences.returnWhileTyping == EditorPreferences::ReturnWhileTyping::finishAndAddNext;
    rows.push_back({{K::returnKey, none}, editing, addNext ? A::commitNext : A::commit, false});
    rows.push_back({{K::tab, none}, all, preferences.tabIndents ? A::indent : A::focusNext, false});
    rows.push_back(
        {{K::tab, shift}, all, preferences.tabIndents ? A::outdent : A::focusPrev, false});
    rows.insert(rows.end(), kDesktop.begin(), kDesktop.end());
    return rows;
}

std::optional<Action> resolve(const KeyChord& chord, KeyContext context,
                              const EditorPreferences& preferences, bool editingIsEmpty,
                              ViewMode view) {
    bool deleting = chord.key == K::backspace || chord.key == K::forwardDelete;
    if (context == KeyContext::editing && deleting && chord.modifiers.empty())
        return editingIsEmpty ? std::optional<Action>(A::deleteItem) : std::nullopt;
    if (context != KeyContext::note && isCanvas(view) && preferences.tabIndents &&
        chord == KeyChord{K::tab, none})
        return A::addChild;
    for (const auto& row : bindings(preferences))
        if (row.chord == chord && row.contexts.contains(context))
            return row.action;
    return std::nullopt;
}

std::optional<KeyChord> primaryChord(Action action, const EditorPreferences& preferences) {
    for (const auto& row : kDesktop)
        if (row.action == action)
            return row.chord;
    std::optional<KeyChord> first;
    for (const auto& row : bindings(preferences)) {
        if (row.action != action || row.alias)
            continue;
        if (row.contexts.contains(KeyContext::outline))
            return row.chord;
        if (!first)
            first = row.chord;
    }
    return first;
}

std::string primaryGlyph(Action action, const EditorPreferences& preferences) {
    auto chord = primaryChord(action, preferences);
    return chord ? glyph(*chord) : std::string("\u2014");
}

std::string_view glyph(PhysicalKey key) {
    return displayGlyph(key);
}

std::string glyph(const KeyChord& chord) {
    std::string text;
    if (chord.modifiers.contains(ctrl))
        text += "\u2303";
    if (chord.modifiers.contains(opt))
        text += "\u2325";
    if (chord.modifiers.contains(shift))
        text += "\u21E7";
    if (chord.modifiers.contains(cmd))
        text += "\u2318";
    text += glyph(chord.key);
    return text;
}

std::string text(const KeyChord& chord) {
    std::string result;
    if (chord.modifiers.contains(ctrl))
        result += "Meta+";
    if (chord.modifiers.contains(cmd))
        result += "Ctrl+";
    if (chord.modifiers.contains(opt))
        result += "Alt+";
    if (chord.modifiers.contains(shift))
        result += "Shift+";
    result += linuxKeyName(chord.key);
    return result;
}

std::string primaryText(Action action, const EditorPreferences& preferences) {
    auto chord = primaryChord(action, preferences);
    return chord ? text(*chord) : std::string("\u2014");
}

} // namespace velmora::KeyMap

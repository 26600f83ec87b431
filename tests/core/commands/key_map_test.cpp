// The action catalogue and the key map: names, the two tables, resolution in every context and
// with every preference, primary chords and their glyphs.
#include "core/commands/key_map.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>

using namespace velmora;

namespace {

using K = PhysicalKey;
constexpr KeyModifiers none = KeyModifiers::none;
constexpr KeyModifiers cmd = KeyModifiers::command;
constexpr KeyModifiers shift = KeyModifiers::shift;
constexpr KeyModifiers opt = KeyModifiers::option;
constexpr KeyModifiers ctrl = KeyModifiers::control;

EditorPreferences prefs(
    bool returnEdits, bool tabIndents,
    EditorPreferences::ReturnWhileTyping onReturn = EditorPreferences::ReturnWhileTyping::finish) {
    return EditorPreferences{onReturn, tabIndents, returnEdits};
}

} // namespace

TEST(Action, RawValuesRoundTripInDeclarationOrder) {
    const auto& all = allActions();
    ASSERT_EQ(all.size(), 67u);
    std::set<std::string> names;
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(all[i]), i);
        EXPECT_EQ(actionFromRawValue(rawValue(all[i])), all[i]);
        names.insert(std::string(rawValue(all[i])));
    }
    EXPECT_EQ(names.size(), 67u);
    EXPECT_EQ(rawValue(Action::commitNext), "commit-next");
    EXPECT_EQ(rawValue(Action::exportOPML), "export-opml");
    EXPECT_EQ(rawValue(Action::label3), "label-3");
    EXPECT_EQ(rawValue(all.back()), "archive-completed");
    EXPECT_FALSE(actionFromRawValue("Edit"));
    EXPECT_FALSE(actionFromRawValue("label-8"));
    EXPECT_FALSE(actionFromRawValue(""));
}

TEST(Action, CatalogKeysNameTheChange) {
    EXPECT_EQ(catalogKey(Action::commitNext), "undo.add");
    EXPECT_EQ(catalogKey(Action::addAunt), "undo.add");
    EXPECT_EQ(catalogKey(Action::moveRight), "undo.indent");
    EXPECT_EQ(catalogKey(Action::moveLeft), "undo.outdent");
    EXPECT_EQ(catalogKey(Action::moveDown), "undo.move");
    EXPECT_EQ(catalogKey(Action::navRight), "undo.collapse");
    EXPECT_EQ(catalogKey(Action::collapseAll), "undo.collapse");
    EXPECT_EQ(catalogKey(Action::editNote), "undo.note");
    EXPECT_EQ(catalogKey(Action::duplicate), "undo.duplicate");
    EXPECT_EQ(catalogKey(Action::toggleCheck), "undo.check");
    EXPECT_EQ(catalogKey(Action::deleteItem), "undo.delete");
    EXPECT_EQ(catalogKey(Action::label0), "undo.label");
    EXPECT_EQ(catalogKey(Action::label7), "undo.label");
    EXPECT_EQ(catalogKey(Action::toggleUnderline), "undo.format");
    EXPECT_EQ(catalogKey(Action::archiveCompleted), "undo.archive");
    EXPECT_EQ(catalogKey(Action::split), "undo.edit");
    EXPECT_EQ(catalogKey(Action::commit), "undo.edit");
    EXPECT_EQ(catalogKey(Action::viewMap), "undo.edit");
}

TEST(PhysicalKey, RawValuesAndGlyphs) {
    ASSERT_EQ(allPhysicalKeys().size(), 41u);
    for (auto key : allPhysicalKeys()) {
        EXPECT_EQ(physicalKeyFromRawValue(rawValue(key)), key);
        EXPECT_FALSE(KeyMap::glyph(key).empty());
    }
    EXPECT_EQ(rawValue(K::returnKey), "return");
    EXPECT_EQ(rawValue(K::comma), "comma");
    EXPECT_FALSE(physicalKeyFromRawValue("returnKey"));
    EXPECT_EQ(KeyMap::glyph(K::returnKey), "↩");
    EXPECT_EQ(KeyMap::glyph(K::escape), "Esc");
    EXPECT_EQ(KeyMap::glyph(K::forwardDelete), "⌦");
    EXPECT_EQ(KeyMap::glyph(K::quote), "'");
    EXPECT_EQ(rawValue(KeyContext::note), "note");
    EXPECT_EQ(keyContextFromRawValue("editing"), KeyContext::editing);
    EXPECT_FALSE(keyContextFromRawValue("Outline"));
}

TEST(KeyChord, GlyphsListModifiersInFixedOrder) {
    EXPECT_EQ(KeyMap::glyph(KeyChord{K::s, ctrl | cmd}), "⌃⌘S");
    EXPECT_EQ(KeyMap::glyph(KeyChord{K::right, cmd | shift | opt}), "⌥⇧⌘→");
    EXPECT_EQ(KeyMap::glyph(KeyChord{K::f2, none}), "F2");
}

TEST(KeyChord, LinuxTextNamesCommandCtrlAndControlMeta) {
    EXPECT_EQ(KeyMap::text(KeyChord{K::s, ctrl | cmd}), "Meta+Ctrl+S");
    EXPECT_EQ(KeyMap::text(KeyChord{K::right, cmd | shift | opt}), "Ctrl+Alt+Shift+Right");
    EXPECT_EQ(KeyMap::text(KeyChord{K::forwardDelete, none}), "Del");
    EXPECT_EQ(KeyMap::primaryText(Action::duplicate, EditorPreferences{}), "Ctrl+D");
    EXPECT_EQ(KeyMap::primaryText(Action::importOPML, EditorPreferences{}), "—");
}

TEST(KeyChord, CodingFormHasKeyAndModifiers) {
    auto coded = encode(KeyChord{K::returnKey, shift | cmd});
    EXPECT_EQ(std::get<std::string>(coded.at("key")), "return");
    EXPECT_EQ(std::get<std::int64_t>(coded.at("modifiers")), 3);
    EXPECT_EQ(decodeKeyChord(coded), (KeyChord{K::returnKey, shift | cmd}));

    auto unknownKey = coded;
    unknownKey["key"] = std::string("f1");
    EXPECT_FALSE(decodeKeyChord(unknownKey));
    auto textModifiers = coded;
    textModifiers["modifiers"] = std::string("3");
    EXPECT_FALSE(decodeKeyChord(textModifiers));
    auto missing = coded;
    missing.erase("modifiers");
    EXPECT_FALSE(decodeKeyChord(missing));
}

TEST(KeyMap, BaseTableHasNoConflictingRows) {
    const auto& rows = KeyMap::bindings();
    ASSERT_EQ(rows.size(), 76u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_FALSE(rows[i].contexts.empty());
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            if (!(rows[i].chord == rows[j].chord))
                continue;
            for (auto context : kAllKeyContexts)
                EXPECT_FALSE(rows[i].contexts.contains(context) &&
                             rows[j].contexts.contains(context))
                    << "rows " << i + 1 << " and " << j + 1;
        }
    }
    EXPECT_EQ(rows[52].action, Action::label0);
    EXPECT_EQ(rows[59].chord, (KeyChord{K::digit7, ctrl | cmd}));
    EXPECT_EQ(rows.back().action, Action::toggleHighlight);
}

TEST(KeyMap, EffectiveTableFollowsPreferences) {
    auto defaults = KeyMap::bindings(EditorPreferences{});
    const std::size_t desktop = KeyMap::desktopBindings().size();
    ASSERT_EQ(defaults.size(), 79u + desktop);
    EXPECT_EQ(defaults[75].action, Action::edit);
    EXPECT_EQ(defaults[76].action, Action::commit);
    EXPECT_EQ(defaults[77].action, Action::indent);
    EXPECT_EQ(defaults[78].action, Action::outdent);

    auto other = KeyMap::bindings(
        prefs(false, false, EditorPreferences::ReturnWhileTyping::finishAndAddNext));
    ASSERT_EQ(other.size(), 79u + desktop);
    EXPECT_EQ(other[14].action, Action::addBelow);
    EXPECT_EQ(other[76].action, Action::commitNext);
    EXPECT_EQ(other[77].action, Action::focusNext);
    EXPECT_EQ(other[78].action, Action::focusPrev);
}

// --- Resolution -----------------------------------------------------------------------------

struct ResolveCase {
    std::string name;
    KeyChord chord;
    KeyContext context;
    ViewMode view;
    std::optional<Action> expected;
    EditorPreferences preferences = {};
    bool editingIsEmpty = false;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const ResolveCase& c, std::ostream* os) {
    *os << c.name;
}

class KeyResolution : public testing::TestWithParam<ResolveCase> {};

TEST_P(KeyResolution, ResolvesChord) {
    const auto& c = GetParam();
    EXPECT_EQ(KeyMap::resolve(c.chord, c.context, c.preferences, c.editingIsEmpty, c.view),
              c.expected);
}

constexpr auto O = KeyContext::outline;
constexpr auto E = KeyContext::editing;
constexpr auto N = KeyContext::note;
constexpr auto L = ViewMode::list;
constexpr auto T = ViewMode::tree;
constexpr auto M = ViewMode::map;
constexpr std::optional<Action> nothing;
const EditorPreferences tabMovesFocus = prefs(true, false);
const EditorPreferences returnAdds = prefs(false, true);
const EditorPreferences returnAddsNext =
    prefs(true, true, EditorPreferences::ReturnWhileTyping::finishAndAddNext);

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, KeyResolution, testing::Values(
    ResolveCase{"CmdOneInOutline", {K::digit1, cmd}, O, L, Action::viewList},
    ResolveCase{"CmdOneInNote", {K::digit1, cmd}, N, L, Action::viewList},
    ResolveCase{"OptOneInOutline", {K::digit1, opt}, O, L, Action::viewList},
    ResolveCase{"OptOneWhileTyping", {K::digit1, opt}, E, L, nothing},
    ResolveCase{"BackspaceOnEmptyTitle", {K::backspace, none}, E, L, Action::deleteItem, {}, true},
    ResolveCase{"BackspaceOnText", {K::backspace, none}, E, L, nothing},
    ResolveCase{"ForwardDeleteOnEmptyTitle", {K::forwardDelete, none}, E, T, Action::deleteItem, {}, true},
    ResolveCase{"ShiftBackspaceOnEmptyTitle", {K::backspace, shift}, E, L, nothing, {}, true},
    ResolveCase{"BackspaceInEmptyNote", {K::backspace, none}, N, L, nothing, {}, true},
    ResolveCase{"BackspaceInOutline", {K::backspace, none}, O, L, Action::deleteItem},
    ResolveCase{"TabInTreeOutline", {K::tab, none}, O, T, Action::addChild},
    ResolveCase{"TabInMapEditing", {K::tab, none}, E, M, Action::addChild},
    ResolveCase{"TabInTreeNote", {K::tab, none}, N, T, Action::indent},
    ResolveCase{"TabInList", {K::tab, none}, O, L, Action::indent},
    ResolveCase{"ShiftTabInTree", {K::tab, shift}, O, T, Action::outdent},
    ResolveCase{"TabMovingFocusInTree", {K::tab, none}, O, T, Action::focusNext, tabMovesFocus},
    ResolveCase{"TabMovingFocusInList", {K::tab, none}, E, L, Action::focusNext, tabMovesFocus},
    ResolveCase{"ShiftTabMovingFocus", {K::tab, shift}, N, L, Action::focusPrev, tabMovesFocus},
    ResolveCase{"ReturnAdds", {K::returnKey, none}, O, L, Action::addBelow, returnAdds},
    ResolveCase{"ReturnEdits", {K::returnKey, none}, O, L, Action::edit},
    ResolveCase{"CmdReturnAdds", {K::returnKey, cmd}, O, L, Action::addBelow},
    ResolveCase{"CmdReturnAddsWhileTyping", {K::returnKey, cmd}, E, L, Action::addBelow, returnAdds},
    ResolveCase{"ReturnWhileTypingFinishes", {K::returnKey, none}, E, L, Action::commit},
    ResolveCase{"ReturnWhileTypingAddsNext", {K::returnKey, none}, E, L, Action::commitNext, returnAddsNext},
    ResolveCase{"ReturnInNote", {K::returnKey, none}, N, L, Action::commit, returnAddsNext},
    ResolveCase{"OptReturnEditing", {K::returnKey, opt}, E, L, Action::newline},
    ResolveCase{"OptReturnNote", {K::returnKey, opt}, N, L, Action::newline},
    ResolveCase{"CtrlCmdReturnSplitsTitle", {K::returnKey, ctrl | cmd}, E, L, Action::split},
    ResolveCase{"CtrlCmdReturnNotInNote", {K::returnKey, ctrl | cmd}, N, L, nothing},
    ResolveCase{"ShiftSlashHelpInOutline", {K::slash, shift}, O, L, Action::help},
    ResolveCase{"ShiftSlashWhileTyping", {K::slash, shift}, E, L, nothing},
    ResolveCase{"HelpSearchInNote", {K::slash, shift | cmd}, N, L, Action::helpSearch},
    ResolveCase{"EscapeDeselects", {K::escape, none}, O, L, Action::deselect},
    ResolveCase{"EscapeCommitsNote", {K::escape, none}, N, L, Action::commit},
    ResolveCase{"BoldNotInNote", {K::b, cmd}, N, L, nothing},
    ResolveCase{"BoldAliasWhileTyping", {K::digit9, ctrl | cmd}, E, L, Action::toggleBold},
    ResolveCase{"LabelFive", {K::digit5, ctrl | cmd}, N, L, Action::label5},
    ResolveCase{"ExtraModifierDoesNotMatch", {K::d, cmd | shift}, O, L, nothing},
    ResolveCase{"ShiftCountsOnDigits", {K::digit1, cmd | shift}, O, L, nothing},
    ResolveCase{"ArrowNavigatesOnlyInOutline", {K::down, none}, E, L, nothing},
    ResolveCase{"ArrowNavigates", {K::down, none}, O, T, Action::navDown}),
    [](const testing::TestParamInfo<ResolveCase>& c) { return c.param.name; });
// clang-format on

// --- Primary chords -------------------------------------------------------------------------

TEST(KeyMap, PrimaryGlyphSkipsAliasesAndPrefersOutlineRows) {
    EditorPreferences p;
    EXPECT_EQ(KeyMap::primaryGlyph(Action::archiveCompleted, p), "—");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::duplicate, p), "⌘D");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::commit, p), "Esc");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::split, p), "⌃⌘↩");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::edit, p), "F2");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::addBelow, p), "⌘↩");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::newline, p), "⌥↩");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::toggleBold, p), "⌘B");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::commitNext, p), "—");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::focusNext, p), "—");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::indent, p), "⌘]");
}

// Plasma's desktop switching (Meta+Ctrl+arrows) and GNOME Shell's dash launchers
// (Super+Ctrl+1 … 9) never reach the application: the Alt+Shift rows are shown instead, and both
// chords keep working.
TEST(KeyMap, DesktopRowsStandInForMetaChordsTheDesktopsTake) {
    EditorPreferences p;
    EXPECT_EQ(KeyMap::primaryText(Action::moveUp, p), "Alt+Shift+Up");
    EXPECT_EQ(KeyMap::primaryText(Action::moveRight, p), "Alt+Shift+Right");
    EXPECT_EQ(KeyMap::primaryText(Action::label3, p), "Alt+Shift+3");
    EXPECT_EQ(KeyMap::primaryText(Action::label0, p), "Alt+Shift+0");
    // Meta chords no common desktop takes keep their place.
    EXPECT_EQ(KeyMap::primaryText(Action::toggleLibrary, p), "Meta+Ctrl+S");
    EXPECT_EQ(KeyMap::primaryText(Action::split, p), "Meta+Ctrl+Return");
    for (auto context : kAllKeyContexts) {
        EXPECT_EQ(KeyMap::resolve({K::down, opt | shift}, context, p, false, ViewMode::tree),
                  Action::moveDown);
        EXPECT_EQ(KeyMap::resolve({K::down, ctrl | cmd}, context, p, false, ViewMode::tree),
                  Action::moveDown);
        EXPECT_EQ(KeyMap::resolve({K::digit7, opt | shift}, context, p, false, ViewMode::list),
                  Action::label7);
    }
    // No desktop row takes a chord of the base table or of another desktop row.
    const auto rows = KeyMap::bindings(prefs(false, false));
    for (const auto& desktop : KeyMap::desktopBindings()) {
        EXPECT_EQ(std::count(rows.begin(), rows.end(), desktop), 1);
        for (const auto& row : rows) {
            if (row == desktop || !(row.chord == desktop.chord))
                continue;
            for (auto context : kAllKeyContexts) {
                EXPECT_FALSE(row.contexts.contains(context) && desktop.contexts.contains(context))
                    << KeyMap::text(row.chord);
            }
        }
    }
}

TEST(KeyMap, PrimaryChordsAppearWithPreferences) {
    auto p = prefs(true, false, EditorPreferences::ReturnWhileTyping::finishAndAddNext);
    EXPECT_EQ(KeyMap::primaryChord(Action::commitNext, p), (KeyChord{K::returnKey, none}));
    EXPECT_EQ(KeyMap::primaryGlyph(Action::focusNext, p), "⇥");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::focusPrev, p), "⇧⇥");
    EXPECT_FALSE(KeyMap::primaryChord(Action::exportOPML, p));
}

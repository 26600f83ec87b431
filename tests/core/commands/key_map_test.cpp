// The action catalogue and the key map: names, the two tables, resolution in every context and
// with every preference, primary chords and their glyphs.
#include "core/commands/key_map.hpp"

#include <gtest/gtest.h>

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
    ASSERT_EQ(defaults.size(), 79u);
    EXPECT_EQ(defaults[75].action, Action::edit);
    EXPECT_EQ(defaults[76].action, Action::commit);
    EXPECT_EQ(defaults[77].action, Action::indent);
    EXPECT_EQ(defaults[78].action, Action::outdent);

    auto other = KeyMap::bindings(
        prefs(false, false, EditorPreferences::ReturnWhileTyping::finishAndAddNext));
    ASSERT_EQ(other.size(), 79u);
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
    EditorPreferences preferences;
    bool editingIsEmpty;
    ViewMode view;
    std::optional<Action> expected;
};

class KeyResolution : public testing::TestWithParam<ResolveCase> {};

TEST_P(KeyResolution, ResolvesChord) {
    const auto& c = GetParam();
    EXPECT_EQ(KeyMap::resolve(c.chord, c.context, c.preferences, c.editingIsEmpty, c.view),
              c.expected);
}

constexpr auto outlineCtx = KeyContext::outline;
constexpr auto editingCtx = KeyContext::editing;
constexpr auto noteCtx = KeyContext::note;
const EditorPreferences defaults{};
constexpr auto listView = ViewMode::list;
constexpr auto treeView = ViewMode::tree;
constexpr auto mapView = ViewMode::map;

INSTANTIATE_TEST_SUITE_P(
    Table, KeyResolution,
    testing::Values(
        ResolveCase{"CmdOneEverywhereOutline",
                    {K::digit1, cmd},
                    outlineCtx,
                    defaults,
                    false,
                    listView,
                    Action::viewList},
        ResolveCase{
            "CmdOneInNote", {K::digit1, cmd}, noteCtx, defaults, false, listView, Action::viewList},
        ResolveCase{"OptOneInOutline",
                    {K::digit1, opt},
                    outlineCtx,
                    defaults,
                    false,
                    listView,
                    Action::viewList},
        ResolveCase{"OptOneWhileTyping",
                    {K::digit1, opt},
                    editingCtx,
                    defaults,
                    false,
                    listView,
                    std::nullopt},
        ResolveCase{"BackspaceOnEmptyTitle",
                    {K::backspace, none},
                    editingCtx,
                    defaults,
                    true,
                    listView,
                    Action::deleteItem},
        ResolveCase{"BackspaceOnText",
                    {K::backspace, none},
                    editingCtx,
                    defaults,
                    false,
                    listView,
                    std::nullopt},
        ResolveCase{"ForwardDeleteOnEmptyTitle",
                    {K::forwardDelete, none},
                    editingCtx,
                    defaults,
                    true,
                    treeView,
                    Action::deleteItem},
        ResolveCase{"ShiftBackspaceOnEmptyTitle",
                    {K::backspace, shift},
                    editingCtx,
                    defaults,
                    true,
                    listView,
                    std::nullopt},
        ResolveCase{"BackspaceInEmptyNote",
                    {K::backspace, none},
                    noteCtx,
                    defaults,
                    true,
                    listView,
                    std::nullopt},
        ResolveCase{"BackspaceInOutline",
                    {K::backspace, none},
                    outlineCtx,
                    defaults,
                    false,
                    listView,
                    Action::deleteItem},
        ResolveCase{"TabInTreeOutline",
                    {K::tab, none},
                    outlineCtx,
                    defaults,
                    false,
                    treeView,
                    Action::addChild},
        ResolveCase{"TabInMapEditing",
                    {K::tab, none},
                    editingCtx,
                    defaults,
                    false,
                    mapView,
                    Action::addChild},
        ResolveCase{
            "TabInTreeNote", {K::tab, none}, noteCtx, defaults, false, treeView, Action::indent},
        ResolveCase{
            "TabInList", {K::tab, none}, outlineCtx, defaults, false, listView, Action::indent},
        ResolveCase{"ShiftTabInTree",
                    {K::tab, shift},
                    outlineCtx,
                    defaults,
                    false,
                    treeView,
                    Action::outdent},
        ResolveCase{"TabNotIndentingInTree",
                    {K::tab, none},
                    outlineCtx,
                    prefs(true, false),
                    false,
                    treeView,
                    Action::focusNext},
        ResolveCase{"TabNotIndentingInList",
                    {K::tab, none},
                    editingCtx,
                    prefs(true, false),
                    false,
                    listView,
                    Action::focusNext},
        ResolveCase{"ShiftTabNotIndenting",
                    {K::tab, shift},
                    noteCtx,
                    prefs(true, false),
                    false,
                    listView,
                    Action::focusPrev},
        ResolveCase{"ReturnAddsWhenNotEditing",
                    {K::returnKey, none},
                    outlineCtx,
                    prefs(false, true),
                    false,
                    listView,
                    Action::addBelow},
        ResolveCase{"ReturnEdits",
                    {K::returnKey, none},
                    outlineCtx,
                    defaults,
                    false,
                    listView,
                    Action::edit},
        ResolveCase{"CmdReturnAdds",
                    {K::returnKey, cmd},
                    outlineCtx,
                    defaults,
                    false,
                    listView,
                    Action::addBelow},
        ResolveCase{"CmdReturnAddsWithoutReturnEdits",
                    {K::returnKey, cmd},
                    editingCtx,
                    prefs(false, true),
                    false,
                    listView,
                    Action::addBelow},
        ResolveCase{"ReturnWhileTypingFinishes",
                    {K::returnKey, none},
                    editingCtx,
                    defaults,
                    false,
                    listView,
                    Action::commit},
        ResolveCase{"ReturnWhileTypingAddsNext",
                    {K::returnKey, none},
                    editingCtx,
                    prefs(true, true, EditorPreferences::ReturnWhileTyping::finishAndAddNext),
                    false,
                    listView,
                    Action::commitNext},
        ResolveCase{"ReturnInNote",
                    {K::returnKey, none},
                    noteCtx,
                    prefs(true, true, EditorPreferences::ReturnWhileTyping::finishAndAddNext),
                    false,
                    listView,
                    Action::commit},
        ResolveCase{"OptReturnEditing",
                    {K::returnKey, opt},
                    editingCtx,
                    defaults,
                    false,
                    listView,
                    Action::newline},
        ResolveCase{"OptReturnNote",
                    {K::returnKey, opt},
                    noteCtx,
                    defaults,
                    false,
                    listView,
                    Action::newline},
        ResolveCase{"CtrlCmdReturnSplitsTitle",
                    {K::returnKey, ctrl | cmd},
                    editingCtx,
                    defaults,
                    false,
                    listView,
                    Action::split},
        ResolveCase{"CtrlCmdReturnNotInNote",
                    {K::returnKey, ctrl | cmd},
                    noteCtx,
                    defaults,
                    false,
                    listView,
                    std::nullopt},
        ResolveCase{"ShiftSlashHelpInOutline",
                    {K::slash, shift},
                    outlineCtx,
                    defaults,
                    false,
                    listView,
                    Action::help},
        ResolveCase{"ShiftSlashWhileTyping",
                    {K::slash, shift},
                    editingCtx,
                    defaults,
                    false,
                    listView,
                    std::nullopt},
        ResolveCase{"HelpSearchInNote",
                    {K::slash, shift | cmd},
                    noteCtx,
                    defaults,
                    false,
                    listView,
                    Action::helpSearch},
        ResolveCase{"EscapeDeselects",
                    {K::escape, none},
                    outlineCtx,
                    defaults,
                    false,
                    listView,
                    Action::deselect},
        ResolveCase{"EscapeCommitsNote",
                    {K::escape, none},
                    noteCtx,
                    defaults,
                    false,
                    listView,
                    Action::commit},
        ResolveCase{"BoldNotInNote", {K::b, cmd}, noteCtx, defaults, false, listView, std::nullopt},
        ResolveCase{"BoldAliasWhileTyping",
                    {K::digit9, ctrl | cmd},
                    editingCtx,
                    defaults,
                    false,
                    listView,
                    Action::toggleBold},
        ResolveCase{"LabelFive",
                    {K::digit5, ctrl | cmd},
                    noteCtx,
                    defaults,
                    false,
                    listView,
                    Action::label5},
        ResolveCase{"ExtraModifierDoesNotMatch",
                    {K::d, cmd | shift},
                    outlineCtx,
                    defaults,
                    false,
                    listView,
                    std::nullopt},
        ResolveCase{"ShiftCountsOnDigits",
                    {K::digit1, cmd | shift},
                    outlineCtx,
                    defaults,
                    false,
                    listView,
                    std::nullopt},
        ResolveCase{"ArrowNavigatesOnlyInOutline",
                    {K::down, none},
                    editingCtx,
                    defaults,
                    false,
                    listView,
                    std::nullopt},
        ResolveCase{"ArrowNavigates",
                    {K::down, none},
                    outlineCtx,
                    defaults,
                    false,
                    treeView,
                    Action::navDown}),
    [](const testing::TestParamInfo<ResolveCase>& c) { return c.param.name; });

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

TEST(KeyMap, PrimaryChordsAppearWithPreferences) {
    auto p = prefs(true, false, EditorPreferences::ReturnWhileTyping::finishAndAddNext);
    EXPECT_EQ(KeyMap::primaryChord(Action::commitNext, p), (KeyChord{K::returnKey, none}));
    EXPECT_EQ(KeyMap::primaryGlyph(Action::focusNext, p), "⇥");
    EXPECT_EQ(KeyMap::primaryGlyph(Action::focusPrev, p), "⇧⇥");
    EXPECT_FALSE(KeyMap::primaryChord(Action::exportOPML, p));
}

#include "core/commands/action.hpp"

#include <utility>

namespace velmora {
namespace {

struct ActionName {
    Action action;
    std::string_view raw;
};

// The external name of every action, in declaration order.
constexpr std::array<ActionName, kActionCount> kNames = {{
    {Action::edit, "edit"},
    {Action::commitNext, "commit-next"},
    {Action::commit, "commit"},
    {Action::newline, "newline"},
    {Action::deselect, "deselect"},
    {Action::viewList, "view-list"},
    {Action::viewTree, "view-tree"},
    {Action::addBelow, "add-below"},
    {Action::addAbove, "add-above"},
    {Action::addChild, "add-child"},
    {Action::addChildExpand, "add-child-expand"},
    {Action::addAunt, "add-aunt"},
    {Action::indent, "indent"},
    {Action::outdent, "outdent"},
    {Action::moveUp, "move-up"},
    {Action::moveDown, "move-down"},
    {Action::moveLeft, "move-left"},
    {Action::moveRight, "move-right"},
    {Action::expand, "expand"},
    {Action::collapse, "collapse"},
    {Action::expandFamily, "expand-family"},
    {Action::collapseFamily, "collapse-family"},
    {Action::expandAll, "expand-all"},
    {Action::collapseAll, "collapse-all"},
    {Action::navLeft, "nav-left"},
    {Action::navRight, "nav-right"},
    {Action::navUp, "nav-up"},
    {Action::navDown, "nav-down"},
    {Action::editNote, "edit-note"},
    {Action::toggleNotes, "toggle-notes"},
    {Action::showFamily, "show-family"},
    {Action::duplicate, "duplicate"},
    {Action::toggleCheck, "toggle-check"},
    {Action::deleteItem, "delete-item"},
    {Action::help, "help"},
    {Action::focusNext, "focus-next"},
    {Action::focusPrev, "focus-prev"},
    {Action::jump, "jump"},
    {Action::split, "split"},
    {Action::exportBackup, "export-backup"},
    {Action::importBackup, "import-backup"},
    {Action::label0, "label-0"},
    {Action::label1, "label-1"},
    {Action::label2, "label-2"},
    {Action::label3, "label-3"},
    {Action::label4, "label-4"},
    {Action::label5, "label-5"},
    {Action::label6, "label-6"},
    {Action::label7, "label-7"},
    {Action::undo, "undo"},
    {Action::redo, "redo"},
    {Action::toggleHelp, "toggle-help"},
    {Action::helpSearch, "help-search"},
    {Action::exportOPML, "export-opml"},
    {Action::importOPML, "import-opml"},
    {Action::settings, "settings"},
    {Action::newDocumentTab, "new-document-tab"},
    {Action::commandPalette, "command-palette"},
    {Action::showProperties, "show-properties"},
    {Action::showHelp, "show-help"},
    {Action::toggleLibrary, "toggle-library"},
    {Action::toggleHighlight, "toggle-highlight"},
    {Action::toggleBold, "toggle-bold"},
    {Action::toggleUnderline, "toggle-underline"},
    {Action::viewMap, "view-map"},
    {Action::hideCompleted, "hide-completed"},
    {Action::archiveCompleted, "archive-completed"},
}};

constexpr bool namesFollowDeclarationOrder() {
    for (std::size_t i = 0; i < kNames.size(); ++i)
        if (static_cast<std::size_t>(kNames[i].action) != i)
            return false;
    return true;
}
static_assert(namesFollowDeclarationOrder(), "the name table must list actions in order");

constexpr std::array<Action, kActionCount> makeAll() {
    std::array<Action, kActionCount> all{};
    for (std::size_t i = 0; i < kNames.size(); ++i)
        all[i] = kNames[i].action;
    return all;
}

constexpr std::array<Action, kActionCount> kAll = makeAll();

} // namespace

const std::array<Action, kActionCount>& allActions() {
    return kAll;
}

std::string_view rawValue(Action action) {
    auto index = static_cast<std::size_t>(action);
    return index < kNames.size() ? kNames[index].raw : std::string_view();
}

std::optional<Action> actionFromRawValue(std::string_view raw) {
    for (const auto& name : kNames)
        if (name.raw == raw)
            return name.action;
    return std::nullopt;
}

std::string_view catalogKey(Action action) {
    switch (action) {
    case Action::commitNext:
    case Action::addBelow:
    case Action::addAbove:
    case Action::addChild:
    case Action::addChildExpand:
    case Action::addAunt:
        return "undo.add";
    case Action::indent:
    case Action::moveRight:
        return "undo.indent";
    case Action::outdent:
    case Action::moveLeft:
        return "undo.outdent";
    case Action::moveUp:
    case Action::moveDown:
        return "undo.move";
    case Action::expand:
    case Action::collapse:
    case Action::expandFamily:
    case Action::collapseFamily:
    case Action::expandAll:
    case Action::collapseAll:
    case Action::navLeft:
    case Action::navRight:
    case Action::navUp:
    case Action::navDown:
        return "undo.collapse";
    case Action::editNote:
        return "undo.note";
    case Action::duplicate:
        return "undo.duplicate";
    case Action::toggleCheck:
        return "undo.check";
    case Action::deleteItem:
        return "undo.delete";
    case Action::toggleBold:
    case Action::toggleUnderline:
        return "undo.format";
    case Action::archiveCompleted:
        return "undo.archive";
    default:
        break;
    }
    if (labelIndex(action))
        return "undo.label";
    return "undo.edit";
}

std::optional<int> labelIndex(Action action) {
    auto index = static_cast<int>(action);
    auto first = static_cast<int>(Action::label0);
    if (index < first || index > static_cast<int>(Action::label7))
        return std::nullopt;
    return index - first;
}

} // namespace velmora

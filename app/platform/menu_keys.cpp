#include "app/platform/menu_keys.hpp"

#include "app/platform/keyboard_layout.hpp"
#include "core/commands/editor_preferences.hpp"
#include "core/commands/key_map.hpp"

#include <array>
#include <utility>

namespace velmora::MenuKeys {
namespace {

// Actions with a menu item and the catalog key of its title, in the order of all actions.
constexpr std::array<std::pair<Action, const char*>, 53> kTitleKeys = {{
    {Action::viewList, "menu.view.list"},
    {Action::viewTree, "menu.view.tree"},
    {Action::addBelow, "menu.item.below"},
    {Action::addAbove, "menu.item.above"},
    {Action::addChild, "menu.item.child"},
    {Action::addChildExpand, "menu.item.childExpand"},
    {Action::addAunt, "menu.item.aunt"},
    {Action::indent, "menu.reorganize.indent"},
    {Action::outdent, "menu.reorganize.outdent"},
    {Action::moveUp, "menu.reorganize.moveUp"},
    {Action::moveDown, "menu.reorganize.moveDown"},
    {Action::moveLeft, "menu.reorganize.moveLeft"},
    {Action::moveRight, "menu.reorganize.moveRight"},
    {Action::expand, "menu.view.expand"},
    {Action::collapse, "menu.view.collapse"},
    {Action::expandFamily, "menu.view.expandFamily"},
    {Action::collapseFamily, "menu.view.collapseFamily"},
    {Action::expandAll, "menu.view.expandAll"},
    {Action::collapseAll, "menu.view.collapseAll"},
    {Action::editNote, "menu.item.note"},
    {Action::toggleNotes, "menu.view.notes"},
    {Action::showFamily, "menu.reorganize.hoist"},
    {Action::duplicate, "menu.reorganize.duplicate"},
    {Action::toggleCheck, "menu.format.check"},
    {Action::deleteItem, "menu.item.delete"},
    {Action::jump, "menu.edit.jump"},
    {Action::split, "menu.item.split"},
    {Action::exportBackup, "menu.file.exportBackup"},
    {Action::importBackup, "menu.file.importBackup"},
    {Action::label0, "label.none"},
    {Action::label1, "label.red"},
    {Action::label2, "label.orange"},
    {Action::label3, "label.yellow"},
    {Action::label4, "label.green"},
    {Action::label5, "label.blue"},
    {Action::label6, "label.purple"},
    {Action::label7, "label.gray"},
    {Action::toggleHelp, "menu.view.help"},
    {Action::helpSearch, "menu.help.velmora"},
    {Action::exportOPML, "menu.file.exportOPML"},
    {Action::importOPML, "menu.file.importOPML"},
    {Action::settings, "menu.app.settings"},
    {Action::newDocumentTab, "menu.file.newTab"},
    {Action::commandPalette, "menu.edit.palette"},
    {Action::showProperties, "menu.view.properties"},
    {Action::showHelp, "menu.view.helpTab"},
    {Action::toggleLibrary, "menu.view.library"},
    {Action::toggleHighlight, "menu.view.highlight"},
    {Action::toggleBold, "menu.format.bold"},
    {Action::toggleUnderline, "menu.format.underline"},
    {Action::viewMap, "menu.view.map"},
    {Action::hideCompleted, "menu.view.hideCompleted"},
    {Action::archiveCompleted, "menu.edit.archiveCompleted"},
}};

int letterOrDigitKey(PhysicalKey key) {
    const int index = static_cast<int>(key);
    const int firstDigit = static_cast<int>(PhysicalKey::digit0);
    if (index >= firstDigit && index <= static_cast<int>(PhysicalKey::digit9)) {
        return Qt::Key_0 + (index - firstDigit);
    }
    // The letter keys' raw values are their lower-case letters.
    const std::string_view raw = rawValue(key);
    if (raw.size() == 1 && raw[0] >= 'a' && raw[0] <= 'z') {
        return Qt::Key_A + (raw[0] - 'a');
    }
    return Qt::Key_unknown;
}

} // namespace

std::optional<QString> titleKey(Action action) {
    for (const auto& [candidate, key] : kTitleKeys) {
        if (candidate == action) {
            return QString::fromLatin1(key);
        }
    }
    return std::nullopt;
}

int qtKey(const KeyChord& chord) {
    switch (chord.key) {
    case PhysicalKey::returnKey:
        return Qt::Key_Return;
    case PhysicalKey::escape:
        return Qt::Key_Escape;
    case PhysicalKey::tab:
        return Qt::Key_Tab;
    case PhysicalKey::space:
        return Qt::Key_Space;
    case PhysicalKey::backspace:
        return Qt::Key_Backspace;
    case PhysicalKey::forwardDelete:
        return Qt::Key_Delete;
    case PhysicalKey::left:
        return Qt::Key_Left;
    case PhysicalKey::right:
        return Qt::Key_Right;
    case PhysicalKey::up:
        return Qt::Key_Up;
    case PhysicalKey::down:
        return Qt::Key_Down;
    case PhysicalKey::f2:
        return Qt::Key_F2;
    case PhysicalKey::bracketLeft:
        return Qt::Key_BracketLeft;
    case PhysicalKey::bracketRight:
        return Qt::Key_BracketRight;
    case PhysicalKey::quote:
        return Qt::Key_Apostrophe;
    case PhysicalKey::period:
        return Qt::Key_Period;
    case PhysicalKey::slash:
        return chord.modifiers.contains(KeyModifiers::shift) ? Qt::Key_Question : Qt::Key_Slash;
    case PhysicalKey::comma:
        return Qt::Key_Comma;
    default:
        return letterOrDigitKey(chord.key);
    }
}

Qt::KeyboardModifiers qtModifiers(KeyModifiers modifiers) {
    Qt::KeyboardModifiers result;
    if (modifiers.contains(KeyModifiers::command)) {
        result |= Qt::ControlModifier;
    }
    if (modifiers.contains(KeyModifiers::shift)) {
        result |= Qt::ShiftModifier;
    }
    if (modifiers.contains(KeyModifiers::option)) {
        result |= Qt::AltModifier;
    }
    if (modifiers.contains(KeyModifiers::control)) {
        result |= Qt::MetaModifier;
    }
    return result;
}

QKeySequence sequence(const KeyChord& chord) {
    if (KeyboardLayouts::shared().active()) {
        // The key as labelled on the active layout (Ctrl+Ü for Ctrl+[ on German).
        return QKeySequence::fromString(KeyboardLayouts::shared().text(chord, false),
                                        QKeySequence::PortableText);
    }
    const int key = chord.key == PhysicalKey::slash ? Qt::Key_Slash : qtKey(chord);
    return QKeySequence(QKeyCombination(qtModifiers(chord.modifiers), static_cast<Qt::Key>(key)));
}

QList<QKeySequence> sequences(const KeyChord& chord) {
    QList<QKeySequence> result{sequence(chord)};
    if (!chord.modifiers.contains(KeyModifiers::shift)) {
        return result;
    }
    const QKeySequence typed =
        KeyboardLayouts::shared().active()
            ? QKeySequence::fromString(KeyboardLayouts::shared().text(chord, true),
                                       QKeySequence::PortableText)
            : QKeySequence(QKeyCombination(qtModifiers(chord.modifiers),
                                           static_cast<Qt::Key>(qtKey(chord))));
    if (!typed.isEmpty() && !result.contains(typed)) {
        result.append(typed);
    }
    return result;
}

QList<QKeySequence> keyEquivalents(Action action) {
    const auto chord = KeyMap::primaryChord(action, EditorPreferences{});
    return chord && keyEquivalent(action) ? sequences(*chord) : QList<QKeySequence>();
}

QList<QKeySequence> zoomInKeys() {
    return {QKeySequence(Qt::CTRL | Qt::Key_Equal),
            QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))};
}

QList<QKeySequence> zoomOutKeys() {
    return {QKeySequence(Qt::CTRL | Qt::Key_Minus),
            QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))};
}

std::optional<QKeySequence> keyEquivalent(Action action) {
    const auto chord = KeyMap::primaryChord(action, EditorPreferences{});
    if (!chord) {
        return std::nullopt;
    }
    // Alt counts too: the Linux rows that stand in for the desktops' Meta chords use it.
    const bool modified = chord->modifiers.contains(KeyModifiers::command) ||
                          chord->modifiers.contains(KeyModifiers::control) ||
                          chord->modifiers.contains(KeyModifiers::option);
    if (!modified && action != Action::deleteItem) {
        return std::nullopt;
    }
    return sequence(*chord);
}

} // namespace velmora::MenuKeys

#pragma once

#include "core/commands/action.hpp"
#include "core/session/tree_command.hpp"

#include <functional>
#include <memory>

class QWidget;

namespace velmora {

class VelmoraDocument;

// What a document's view asks of the shell: the side effects it does not carry out itself
// (import and export, new documents, settings, undo and redo).
class DocumentViewHost {
public:
    virtual ~DocumentViewHost() = default;
    virtual void carryOut(SideEffect side, VelmoraDocument& document) = 0;
};

// The edit menu's commands that act on the outline itself when no text field has the focus.
enum class EditCommand { cut, copy, paste, selectAll };

// The content of one document tab or window. The shell's window frame holds it and talks to it
// only through this interface, so the window's inside can grow without touching the shell.
class DocumentView {
public:
    virtual ~DocumentView() = default;

    // The widget that fills the tab; owned by the view.
    [[nodiscard]] virtual QWidget* widget() = 0;
    // Redraws from the document's session.
    virtual void refresh() = 0;
    // Writes any text being typed into the session.
    virtual void commitEditing() = 0;
    // Whether the command can run now (menu items are enabled by it).
    [[nodiscard]] virtual bool canPerform(Action action) const = 0;
    // Runs a command from the menus.
    virtual void perform(Action action) = 0;
    // Re-reads the localised texts after the interface language changed.
    virtual void relocalize() = 0;
    // Runs an edit menu command on the outline; false when the view has nothing to do with it.
    virtual bool runEditCommand(EditCommand command) {
        (void)command;
        return false;
    }
};

// Makes the view of a document; the shell keeps one per open document.
using DocumentViewFactory =
    std::function<std::unique_ptr<DocumentView>(VelmoraDocument&, DocumentViewHost&)>;

namespace DocumentViews {
// The factory of the application's document view.
[[nodiscard]] DocumentViewFactory defaultFactory();
} // namespace DocumentViews

} // namespace velmora

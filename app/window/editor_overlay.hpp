#pragma once

#include "core/session/editor_snapshot.hpp"

#include <QObject>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace velmora {

struct EditorSession;
class CanvasScrollArea;
class ItemTextEditor;
class ListOutlineController;
class TreeCanvasView;

// The one item editor of a document tab, laid over the edited title or note of whichever view
// shows the outline. It decides where the editor lies and how it looks, keeps the text typed
// past the bottom of the view in sight, says whether the editor's text is the draft of the
// session's editing target, and gives the keys to the editor or to the shown view as the
// session's editing target says. It reads the session; it never changes it.
class EditorOverlay : public QObject {
    Q_OBJECT
public:
    struct Parts {
        // The tab whose content the editor, the list and the canvas are.
        QWidget* tab = nullptr;
        ItemTextEditor* editor = nullptr;
        ListOutlineController* list = nullptr;
        TreeCanvasView* canvas = nullptr;
        CanvasScrollArea* canvasScroll = nullptr;
    };
    EditorOverlay(Parts parts, std::function<const EditorSession&()> session,
                  QObject* parent = nullptr);

    // Whether the widget is a text field of the tab's own (search, palette, inspector), where
    // keys type.
    std::function<bool(const QWidget*)> isOtherTextInput;
    // Asks the tab to refresh (one asked for while the editor took the focus comes after).
    std::function<void()> refresh;

    // Lays the editor over the edited title or note, or hides it when nothing is edited;
    // `scroll` brings the edited row into view.
    void place(bool scroll = true);
    // Follows the edited row (scrolled, resized, shown) without scrolling it into view; an
    // editor placed only now takes the keys.
    void followRows();
    // The editor loads the item's text again at its next placing (the session's text changed
    // under it: undo, redo, a file read).
    void reload() { m_placed.reset(); }
    // The editor's text when it holds the session's editing target.
    [[nodiscard]] std::optional<std::string> draft() const;
    // Gives the keys to the editor, once it shows.
    void focus();
    // The keys follow the session's editing target: the editor has them while an item is edited
    // and the keys are in the outline; without one the shown view takes them from the editor
    // (`focusBefore`) or after a switch of views.
    void followEditing(QWidget* focusBefore, bool viewSwitched);
    // A refresh asked for while the editor takes the focus waits until it has it: true then.
    bool deferRefresh();
    // The widget that shows the outline for the view.
    [[nodiscard]] QWidget* viewFor(ViewMode view) const;

private:
    [[nodiscard]] bool showsCanvas() const;
    [[nodiscard]] bool keysInOutline(const QWidget* focus) const;
    [[nodiscard]] std::optional<QRect> canvasRect(const std::string& id, bool note) const;
    void liftIntoList();
    void hide();
    void style(const Item& item, bool note);
    void grew();

    Parts m_parts;
    std::function<const EditorSession&()> m_session;
    // The target the editor's text was loaded for.
    std::optional<EditingTarget> m_placed;
    // Set while placing: the editor grows to a new item's text, not to typing.
    bool m_placing = false;
    bool m_movingFocus = false;
    bool m_refreshAfterFocus = false;
};

} // namespace velmora

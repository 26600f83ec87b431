#pragma once

#include "app/document/document_view.hpp"
#include "app/document/velmora_document.hpp"
#include "app/panels/properties_controller.hpp"
#include "app/platform/appearance.hpp"
#include "app/views/item_drag.hpp"
#include "app/window/key_dispatcher.hpp"
#include "core/commands/key_chord.hpp"
#include "core/session/column_drag.hpp"
#include "core/session/editor_snapshot.hpp"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QKeyEvent;
class QLabel;
class QTimer;

namespace velmora {

class CanvasScrollArea;
struct EditorSession;
class CommandPaletteController;
class HoistBar;
class InspectorController;
class ItemTextEditor;
class JumpPanel;
class KeyRouter;
class LibraryController;
class ListDragAdapter;
class ListOutlineController;
class ListPaper;
class SidePlaces;
class EditorOverlay;
class TreeCanvasView;
class WindowToolbar;

// One document's tab in a window: the toolbar, the hoist bar, the outline (the list, or the tree
// canvas for the tree and map views) with the item editor over it (EditorOverlay), and the status
// line, between the library sidebar and the inspector (SidePlaces). It is the only place where
// input reaches the document's session: keys through the key router and the key dispatcher, menu
// and toolbar commands through `perform`, and the gestures the views report. Every change goes
// onto the document's undo stack and is followed by `refresh`, which redraws from the session.
class DocumentTab : public QWidget, public DocumentView {
    Q_OBJECT
public:
    using KeyRoute = velmora::KeyRoute;
    DocumentTab(VelmoraDocument& document, DocumentViewHost& host,
                             QWidget* parent = nullptr);
    ~DocumentTab() override;

    // DocumentView
    QWidget* widget() override { return this; }
    void refresh() override;
    void commitEditing() override { flushEditor(); }
    [[nodiscard]] bool canPerform(Action action) const override;
    void perform(Action action) override;
    void relocalize() override { languageChanged(); }
    bool runEditCommand(EditCommand command) override;

    // Commits the text being typed into the session (one undo record when it changed).
    void flushEditor();
    // What the window itself does with the key press; nothing when it goes on to the focused
    // widget.
    [[nodiscard]] std::optional<KeyRoute> routeKey(QWidget* receiver, const QKeyEvent& event) const;
    // Carries the key press out; true when it was consumed.
    bool handleKey(QWidget* receiver, const QKeyEvent& event);
    // Whether the window takes the key press.
    [[nodiscard]] bool takesKey(QWidget* receiver, const QKeyEvent& event) const;
    // The situation a key press arrives in: navigating, typing a title or typing a note.
    [[nodiscard]] KeyContext keyContext(const QWidget* receiver) const;

    // The clipboard in both forms: the items privately, and indented plain text.
    void copy();
    void cut();
    void paste();
    void selectAll();
    // The outline zoom, stored for every window ("outlineZoom").
    void zoomIn();
    void zoomOut();
    void actualSize();
    // Goes to the item: shows its branch (expanding collapsed ancestors, one undo record, and
    // leaving a hoisted branch that does not hold it) and selects it.
    void jumpTo(const std::string& id);
    // A column of the canvas was dragged to a new width (an undo record when the drag ends).
    void columnResized(int depth, double width, bool ended);

    // The application-wide announcements.
    void preferencesChanged();
    void languageChanged();
    void zoomChanged();

    [[nodiscard]] VelmoraDocument& document() const { return m_document; }
    [[nodiscard]] ListOutlineController& list() const { return *m_list; }
    [[nodiscard]] TreeCanvasView& canvas() const { return *m_canvas; }
    [[nodiscard]] ItemTextEditor& editor() const { return *m_editor; }
    [[nodiscard]] HoistBar& hoistBar() const { return *m_hoistBar; }
    [[nodiscard]] WindowToolbar& toolbar() const { return *m_toolbar; }
    [[nodiscard]] JumpPanel& jumpPanel() const { return *m_jump; }
    // The library sidebar on the leading side; shown or hidden by "libraryVisible".
    [[nodiscard]] LibraryController& library() const { return *m_library; }
    [[nodiscard]] bool isLibraryVisible() const;
    void setLibraryVisible(bool visible);
    // View ▸ Library: shows or hides the sidebar and stores the choice.
    void toggleLibrary();
    // The status line's text: the item count and when the file was saved.
    [[nodiscard]] QString statusText() const;

    // The inspector at the trailing edge (properties and help) and the command palette.
    [[nodiscard]] InspectorController& inspector() const { return *m_inspector; }
    [[nodiscard]] CommandPaletteController& commandPalette() const { return *m_palette; }
    [[nodiscard]] bool inspectorVisible() const;
    // Shows or hides the inspector and remembers it for new windows ("helpVisible").
    void setInspectorVisible(bool visible);

protected:
    // An editor waiting for the focus takes it when the tab or window shows.
    void showEvent(QShowEvent* event) override;

private:
    using Change = std::function<std::optional<TreeCommand>(EditorSession&)>;

    void buildLayout();
    void buildLibrary();
    // Whether the widget is part of the library sidebar (its keys are its own).
    [[nodiscard]] bool isInLibrary(const QWidget* widget) const;
    void wireList();
    void wireEditor();
    // The tree canvas and the drag and drop hooks of both views.
    void buildCanvas(QWidget* parent);
    void wireCanvas();
    void wireDragAndDrop();
    // Draws the canvas from the session with the current appearance.
    void reloadCanvas();
    [[nodiscard]] bool showsCanvas() const;
    [[nodiscard]] Qt::DropAction dropOperation(const QMimeData* mime, Qt::DropActions actions,
                                               const ItemDrag::Target& target);
    bool performDrop(const QMimeData* mime, Qt::DropAction action, const ItemDrag::Target& target);
    void observeNotifications();
    // Applies a direct edit of the session and records its undo record; no refresh.
    void apply(const Change& change);
    void keepTyping(Action action, const std::optional<EditingTarget>& editingBefore);
    // The editor's text and caret when it holds the session's editing target.
    [[nodiscard]] std::optional<std::string> draft() const;
    // Every text typed and not yet committed: the editor's, then the inspector's title and note.
    [[nodiscard]] std::vector<TextDraft> drafts() const;
    [[nodiscard]] std::vector<PropertiesController::OpenText> openPropertiesTexts() const;
    [[nodiscard]] std::optional<long long> caret() const;
    void carryOut(SideEffect side);
    // The widget that shows the outline for the view (the list until the canvas exists).
    [[nodiscard]] QWidget* contentViewFor(ViewMode view) const;
    void showContentView();
    // Whether the widget is a text field of its own (a search field, a palette, an inspector
    // field), where keys type.
    [[nodiscard]] bool isOtherTextInput(const QWidget* widget) const;
    void updateStatus();
    // A change the session refuses because it would nest items too deep: a beep, and the
    // status line says why for a few seconds.
    void refuseTooDeep();
    void applyAppearance();
    // The key press decided by the key dispatcher, unless the key belongs to a text field of
    // its own, the library or an input method.
    [[nodiscard]] std::optional<KeyRoute> dispatchKey(QWidget* receiver,
                                                      const QKeyEvent& event) const;
    // Goes to the first, last, previous-page or next-page item shown (Home, End, Page Up and
    // Page Down), extending the selection among siblings with Shift.
    void goTo(const KeyRoute& route);
    // How many rows (or blocks) a page of the shown view holds, at least one.
    [[nodiscard]] int pageRows() const;
    void applyStoredZoom();
    // Starts building the id index of a new tree in the background.
    void prepareLookups();

    // The inspector and the palette (document_tab_panels.cpp).
    void buildPanels();
    void carryOutPanels(SideEffect side);
    // Shows the inspector's help (else its properties) pane.
    void showInspectorPane(bool help);
    void refreshPanels();
    // Commits the text typed in the inspector's properties, keeping it open.
    void flushProperties();
    void commitPropertiesText(const std::string& id, const std::string& text, bool note);
    void previewText(const std::string& id, const std::string& text, bool note);
    void showPreview();

    void rowSelected(const std::string& id);
    void rowToggled(const std::string& id);
    void rowChecked(const std::string& id, bool checked);
    void rowEdited(const std::string& id);
    void backgroundClicked();

    VelmoraDocument& m_document;
    DocumentViewHost& m_host;
    WindowToolbar* m_toolbar = nullptr;
    SidePlaces* m_places = nullptr;
    EditorOverlay* m_overlay = nullptr;
    HoistBar* m_hoistBar = nullptr;
    ListOutlineController* m_list = nullptr;
    CanvasScrollArea* m_canvasScroll = nullptr;
    TreeCanvasView* m_canvas = nullptr;
    ListDragAdapter* m_listDrag = nullptr;
    ListPaper* m_listPaper = nullptr;
    ItemTextEditor* m_editor = nullptr;
    JumpPanel* m_jump = nullptr;
    QLabel* m_status = nullptr;
    QTimer* m_statusTimer = nullptr;
    // Why the last change was refused, shown in the status line until it times out.
    QString m_notice;
    QTimer* m_noticeTimer = nullptr;
    KeyRouter* m_keyRouter = nullptr;
    LibraryController* m_library = nullptr;
    Appearance m_appearance;

    bool m_performing = false;
    bool m_flushing = false;
    // Whether the canvas (rather than the list) was shown by the last refresh.
    std::optional<bool> m_shownCanvas;
    ColumnDrag m_columnDrag;
    // Marks drags that start in this window; the payload of the drag under the pointer.
    std::string m_dragToken;
    ItemDrag::PayloadCache m_dragPayload;
    const void* m_preparedItems = nullptr;

    InspectorController* m_inspector = nullptr;
    CommandPaletteController* m_palette = nullptr;
    bool m_flushingProperties = false;
    // The text typed in the properties that the outline shows before it is committed.
    struct Preview {
        std::string id;
        std::string text;
        bool note = false;
    };
    std::optional<Preview> m_preview;
    QTimer* m_previewTimer = nullptr;
};

} // namespace velmora

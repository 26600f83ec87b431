#include "app/window/document_tab.hpp"

#include "app/document/velmora_document.hpp"
#include "app/panels/inspector_controller.hpp"
#include "app/platform/key_router.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/views/canvas_scroll_area.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/editor_overlay.hpp"
#include "app/window/hoist_bar.hpp"
#include "app/window/jump_panel.hpp"
#include "app/window/side_places.hpp"
#include "app/window/window_toolbar.hpp"
#include "core/session/editor_session.hpp"

#include <algorithm>
#include <iterator>

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

namespace velmora {
namespace {

// The shell's handle on a window's content. The content is a widget inside the shell's window
// and may be deleted with it; the handle then answers as an empty view instead of touching it.
class GuardedDocumentView final : public DocumentView {
public:
    explicit GuardedDocumentView(DocumentTab* window) : m_window(window) {}
    ~GuardedDocumentView() override { delete m_window.data(); }

    QWidget* widget() override { return m_window; }
    void refresh() override {
        if (m_window) {
            m_window->refresh();
        }
    }
    void commitEditing() override {
        if (m_window) {
            m_window->commitEditing();
        }
    }
    bool canPerform(Action action) const override {
        return m_window && m_window->canPerform(action);
    }
    void perform(Action action) override {
        if (m_window) {
            m_window->perform(action);
        }
    }
    void relocalize() override {
        if (m_window) {
            m_window->relocalize();
        }
    }
    bool runEditCommand(EditCommand command) override {
        return m_window && m_window->runEditCommand(command);
    }

private:
    QPointer<DocumentTab> m_window;
};

} // namespace

DocumentViewFactory DocumentViews::defaultFactory() {
    return [](VelmoraDocument& document, DocumentViewHost& host) {
        return std::unique_ptr<DocumentView>(
            new GuardedDocumentView(new DocumentTab(document, host)));
    };
}

DocumentTab::DocumentTab(VelmoraDocument& document,
                                                   DocumentViewHost& host, QWidget* parent)
    : QWidget(parent), m_document(document), m_host(host) {
    setObjectName(QStringLiteral("documentWindow"));
    buildLayout();
    buildLibrary();
    wireList();
    wireEditor();
    wireCanvas();
    wireDragAndDrop();
    buildPanels();
    m_appearance = Appearance::fromPreferences(Preferences());
    applyAppearance();
    applyStoredZoom();
    m_keyRouter = new KeyRouter(
        this,
        [this](QWidget* receiver, const QKeyEvent& event) { return takesKey(receiver, event); },
        [this](QWidget* receiver, const QKeyEvent& event) { return handleKey(receiver, event); },
        this);
    observeNotifications();
    refresh();
}

DocumentTab::~DocumentTab() {
    // The key router and the views go with this widget; nothing may call back meanwhile.
    m_document.setDraftSource({});
    // The fields of the inspector lose the keyboard as they go, which ends their editing:
    // the document has been written by then, and this window takes nothing more.
    if (m_inspector) {
        m_inspector->properties().disconnectFromWindow();
    }
    // A keyboard focus inside would move from widget to widget as they go (the list taking it
    // selects a row) and report to this window half destroyed.
    if (QWidget* focus = QApplication::focusWidget(); focus && isAncestorOf(focus)) {
        focus->clearFocus();
    }
    m_list->onSelect = nullptr;
    m_list->onToggle = nullptr;
    m_list->onCheck = nullptr;
    m_list->onEdit = nullptr;
    m_list->onBackground = nullptr;
    m_list->onRowsMoved = nullptr;
    m_list->onZoom = nullptr;
    delete m_keyRouter;
    m_keyRouter = nullptr;
}

void DocumentTab::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolbar = new WindowToolbar(this);
    m_toolbar->onPerform = [this](Action action) { perform(action); };
    m_toolbar->canPerform = [this](Action action) { return canPerform(action); };
    layout->addWidget(m_toolbar);

    m_places = new SidePlaces(this);
    layout->addWidget(m_places, 1);

    auto* content = new QVBoxLayout(m_places->content());
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);
    m_hoistBar = new HoistBar(m_places->content());
    m_hoistBar->onActivate = [this](const std::optional<std::string>& tab) {
        flushEditor();
        apply([&tab](EditorSession& session) {
            session.activateHoist(tab);
            return std::optional<TreeCommand>();
        });
        refresh();
    };
    m_hoistBar->onClose = [this](const std::string& tab) {
        flushEditor();
        apply([&tab](EditorSession& session) {
            session.closeHoist(tab);
            return std::optional<TreeCommand>();
        });
        refresh();
    };
    content->addWidget(m_hoistBar);
    m_list = new ListOutlineController(m_places->content());
    content->addWidget(m_list->view(), 1);
    m_jump = new JumpPanel(m_places->content());
    m_jump->onChoose = [this](const std::string& id) { jumpTo(id); };
    m_jump->onCancel = [this] {
        contentViewFor(m_document.session().snapshot.view)->setFocus(Qt::OtherFocusReason);
    };
    buildCanvas(m_places->content());
    content->addWidget(m_canvasScroll, 1);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLine"));
    m_status->setContentsMargins(10, 3, 10, 4);
    QFont small = m_status->font();
    small.setPointSizeF(small.pointSizeF() * 11.0 / 13.0);
    m_status->setFont(small);
    m_status->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_status);
    m_statusTimer = new QTimer(this);
    m_statusTimer->setInterval(30'000);
    connect(m_statusTimer, &QTimer::timeout, this, &DocumentTab::updateStatus);
    m_noticeTimer = new QTimer(this);
    m_noticeTimer->setSingleShot(true);
    m_noticeTimer->setInterval(6'000);
    connect(m_noticeTimer, &QTimer::timeout, this, [this] {
        m_notice.clear();
        updateStatus();
    });
    m_statusTimer->start();
}

void DocumentTab::wireList() {
    m_list->onSelect = [this](const std::string& id) { rowSelected(id); };
    m_list->onToggle = [this](const std::string& id) { rowToggled(id); };
    m_list->onCheck = [this](const std::string& id, bool checked) { rowChecked(id, checked); };
    m_list->onEdit = [this](const std::string& id) { rowEdited(id); };
    m_list->onBackground = [this] { backgroundClicked(); };
    m_list->onRowsMoved = [this] { m_overlay->followRows(); };
    m_list->onZoom = [this](int steps) { steps > 0 ? zoomIn() : zoomOut(); };
}

void DocumentTab::wireEditor() {
    m_editor = new ItemTextEditor(m_list->view()->viewport());
    m_editor->hide();
    m_editor->forwardUndo = [this] { m_document.undoOrRedo(false); };
    m_editor->forwardRedo = [this] { m_document.undoOrRedo(true); };
    m_editor->canUndo = [this] { return m_document.undoStack()->canUndo(); };
    m_editor->canRedo = [this] { return m_document.undoStack()->canRedo(); };
    m_document.setDraftSource([this] { return drafts(); });
    m_overlay = new EditorOverlay(
        EditorOverlay::Parts{this, m_editor, m_list, m_canvas, m_canvasScroll},
        [this]() -> const EditorSession& { return m_document.session(); }, this);
    m_overlay->isOtherTextInput = [this](const QWidget* widget) {
        return isOtherTextInput(widget);
    };
    m_overlay->refresh = [this] { refresh(); };
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        // Loading the editor for a new target is no typing (the draft is not ours yet then).
        if (draft()) {
            m_document.noteDraftEdited();
        }
    });
}

void DocumentTab::observeNotifications() {
    auto& hub = Notifications::shared();
    connect(&hub, &Notifications::preferencesChanged, this,
            &DocumentTab::preferencesChanged);
    connect(&hub, &Notifications::languageChanged, this,
            &DocumentTab::languageChanged);
    connect(&hub, &Notifications::zoomChanged, this, &DocumentTab::zoomChanged);
    connect(&m_document, &VelmoraDocument::changed, this, [this] {
        // Changes made here refresh once at their end; undo, redo and reading refresh now.
        if (!m_performing) {
            // The editor shows the restored text, even when the same item stays edited.
            m_overlay->reload();
            refresh();
        }
    });
    connect(&m_document, &VelmoraDocument::commitEditingRequested, this,
            &DocumentTab::flushEditor);
    connect(&m_document, &VelmoraDocument::fileChanged, this,
            &DocumentTab::updateStatus);
    connect(&m_document, &VelmoraDocument::fileProblemChanged, this,
            &DocumentTab::updateStatus);
    connect(&m_document, &VelmoraDocument::fileWritten, this,
            &DocumentTab::updateStatus);
    connect(&m_document, &VelmoraDocument::saveStarted, this,
            &DocumentTab::updateStatus);
    connect(&m_document, &VelmoraDocument::saveFinished, this,
            &DocumentTab::updateStatus);
}

// --- Performing -------------------------------------------------------------------------------

bool DocumentTab::canPerform(Action action) const {
    if (action == Action::newDocumentTab) {
        return Preferences().documentsInTabs();
    }
    return m_document.session().canPerform(action);
}

void DocumentTab::perform(Action action) {
    if (!m_document.session().canPerform(action)) {
        QApplication::beep();
        return;
    }
    // Text typed in the inspector goes into its item first, so that an action from a menu
    // that deletes or moves the item takes the text along (and its undo brings both back).
    flushProperties();
    const auto text = draft();
    const auto at = caret();
    const auto editingBefore = m_document.session().snapshot.editing;
    m_performing = true;
    const PerformResult result = m_document.perform(action, text, at);
    m_performing = false;
    if (result.side) {
        carryOut(*result.side);
    }
    keepTyping(action, editingBefore);
    refresh();
}

void DocumentTab::keepTyping(Action action,
                                          const std::optional<EditingTarget>& editingBefore) {
    apply([&](EditorSession& session) { return session.keepTyping(action, editingBefore); });
}

void DocumentTab::apply(const Change& change) {
    EditorSession session = m_document.session();
    const auto command = change(session);
    m_performing = true;
    if (!(session.snapshot == m_document.session().snapshot)) {
        m_document.setSnapshot(session.snapshot);
    }
    if (command) {
        m_document.record(*command);
    }
    m_performing = false;
}

std::optional<std::string> DocumentTab::draft() const {
    return m_overlay->draft();
}

std::vector<TextDraft> DocumentTab::drafts() const {
    std::vector<TextDraft> result;
    if (auto text = draft()) {
        result.push_back({*m_document.session().snapshot.editing, std::move(*text)});
    }
    // The inspector's text comes last: committed, it goes in after the editor's too. Where the
    // item editor is open on the same text, the editor's is the latest: it follows what is
    // typed in the inspector, and what is typed in it after that is newer than the inspector's.
    for (auto& open : openPropertiesTexts()) {
        const EditingTarget target = open.note ? EditingTarget::note(std::move(open.id))
                                               : EditingTarget::item(std::move(open.id));
        if (!result.empty() && result.front().target == target) {
            continue;
        }
        result.push_back({target, std::move(open.text)});
    }
    return result;
}

std::optional<long long> DocumentTab::caret() const {
    if (!draft()) {
        return std::nullopt;
    }
    return m_editor->caretInGraphemes();
}

void DocumentTab::flushEditor() {
    flushProperties();
    if (m_flushing) {
        return;
    }
    const auto text = draft();
    if (!text || m_editor->isHidden()) {
        return;
    }
    const EditingTarget target = *m_document.session().snapshot.editing;
    const auto item = m_document.session().item(target.id);
    if (item && *text == (target.isNote() ? item->note : item->text)) {
        return;
    }
    m_flushing = true;
    apply([&](EditorSession& session) {
        return target.isNote() ? session.commitNote(target.id, *text)
                               : session.commitItemText(target.id, *text);
    });
    refresh();
    m_flushing = false;
}

void DocumentTab::carryOut(SideEffect side) {
    switch (side) {
    case SideEffect::undo:
    case SideEffect::redo:
        m_document.undoOrRedo(side == SideEffect::redo);
        return;
    case SideEffect::insertNewline:
        m_overlay->focus();
        m_editor->insertNewline();
        return;
    case SideEffect::tooDeep:
        refuseTooDeep();
        return;
    case SideEffect::toggleHighlight: {
        Preferences preferences;
        preferences.setBool(PreferenceKeys::highlightBranch, !preferences.highlightBranch());
        Notifications::shared().post(Notifications::preferences);
        return;
    }
    case SideEffect::exportBackup:
    case SideEffect::importBackup:
    case SideEffect::exportOPML:
    case SideEffect::importOPML:
    case SideEffect::settings:
    case SideEffect::newDocumentTab:
        flushEditor();
        m_host.carryOut(side, m_document);
        return;
    case SideEffect::jump:
        flushEditor();
        m_jump->open(m_document.session().snapshot.document.items,
                     m_document.session().hideCompleted, m_document.session().hoistRoot());
        return;
    case SideEffect::toggleLibrary:
        toggleLibrary();
        return;
    case SideEffect::commandPalette:
    case SideEffect::showProperties:
    case SideEffect::showHelp:
    case SideEffect::toggleHelp:
    case SideEffect::focusHelpSearch:
        carryOutPanels(side);
        return;
    }
}

} // namespace velmora

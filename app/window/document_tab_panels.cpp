// The panels of the document window: the inspector at the trailing edge (the selected item's
// properties and the help) and the command palette, with the side effects that open them.
#include "app/window/document_tab.hpp"

#include "app/document/velmora_document.hpp"
#include "app/panels/command_palette.hpp"
#include "app/panels/help_panel.hpp"
#include "app/panels/inspector_controller.hpp"
#include "app/panels/panel_support.hpp"
#include "app/panels/properties_controller.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/editor_overlay.hpp"
#include "app/window/side_places.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QTimer>

namespace velmora {
namespace {

// Text typed in the properties reaches the outline this long after the last keystroke.
constexpr int kPreviewDelayMs = 80;

} // namespace

void DocumentTab::buildPanels() {
    auto* place = new QHBoxLayout(m_places->inspectorPlace());
    place->setContentsMargins(0, 0, 0, 0);
    m_inspector = new InspectorController(m_places->inspectorPlace());
    place->addWidget(m_inspector);
    m_places->inspectorFilled();

    auto canRun = [this](Action action) { return canPerform(action); };
    auto runAction = [this](Action action) { perform(action); };

    PropertiesController& properties = m_inspector->properties();
    properties.run = runAction;
    properties.commitTitle = [this](const std::string& id, const std::string& text) {
        commitPropertiesText(id, text, false);
    };
    properties.commitNote = [this](const std::string& id, const std::string& text) {
        commitPropertiesText(id, text, true);
    };
    properties.preview = [this](const std::string& id, const std::string& text, bool note) {
        previewText(id, text, note);
    };

    // A pane shown again shows the selection of now, not of when it was hidden.
    connect(m_inspector, &InspectorController::segmentChanged, this,
            &DocumentTab::refreshPanels);

    HelpPanelController& help = m_inspector->help();
    help.isEnabled = canRun;
    help.run = runAction;
    help.preferences = [this] { return m_document.session().preferences; };
    help.reload();
    // Chords follow the editing preferences; queued, so that the session has taken them first.
    connect(&Notifications::shared(), &Notifications::preferencesChanged, &help,
            &HelpPanelController::reload, Qt::QueuedConnection);

    m_palette = new CommandPaletteController(this);
    m_palette->isEnabled = canRun;
    m_palette->run = runAction;
    m_palette->refocusParent = [this] {
        const auto& editing = m_document.session().snapshot.editing;
        if (editing && !m_editor->isHidden()) {
            m_overlay->focus();
        } else {
            contentViewFor(m_document.session().snapshot.view)->setFocus(Qt::OtherFocusReason);
        }
    };

    m_previewTimer = new QTimer(this);
    m_previewTimer->setSingleShot(true);
    m_previewTimer->setInterval(kPreviewDelayMs);
    connect(m_previewTimer, &QTimer::timeout, this, &DocumentTab::showPreview);

    setInspectorVisible(Preferences().helpVisible());
}

bool DocumentTab::inspectorVisible() const {
    return m_places && m_places->inspectorShown();
}

void DocumentTab::setInspectorVisible(bool visible) {
    Preferences().setBool(PreferenceKeys::helpVisible, visible);
    if (visible == inspectorVisible()) {
        return;
    }
    if (!visible) {
        // Text typed in the inspector is kept before it goes.
        flushProperties();
        const bool hadFocus = m_inspector->isAncestorOf(QApplication::focusWidget());
        m_places->showInspector(false);
        if (hadFocus) {
            contentViewFor(m_document.session().snapshot.view)->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    m_places->showInspector(true);
    refreshPanels();
}

void DocumentTab::carryOutPanels(SideEffect side) {
    switch (side) {
    case SideEffect::commandPalette:
        flushEditor();
        m_palette->open(PanelSupport::currentHelp(), m_document.session().preferences);
        return;
    case SideEffect::showProperties:
        setInspectorVisible(true);
        showInspectorPane(false);
        refreshPanels();
        return;
    case SideEffect::showHelp:
    case SideEffect::focusHelpSearch:
        setInspectorVisible(true);
        showInspectorPane(true);
        m_inspector->help().refreshKeycaps();
        if (side == SideEffect::focusHelpSearch) {
            m_inspector->help().focusSearch();
        }
        return;
    case SideEffect::toggleHelp:
        setInspectorVisible(!inspectorVisible());
        return;
    default:
        return;
    }
}

// Switches the inspector's pane; the keyboard stays where it was, or goes back to the outline
// when it was in the pane that is hidden now (rather than on to the next field of the inspector).
void DocumentTab::showInspectorPane(bool help) {
    const bool hadFocus = m_inspector->isAncestorOf(QApplication::focusWidget());
    m_inspector->select(help ? InspectorController::Segment::help
                             : InspectorController::Segment::properties);
    if (hadFocus) {
        m_palette->refocusParent();
    }
}

void DocumentTab::refreshPanels() {
    if (!m_inspector || !inspectorVisible()) {
        return;
    }
    const EditorSnapshot& snapshot = m_document.session().snapshot;
    if (m_inspector->segment() == InspectorController::Segment::properties) {
        PropertiesController& properties = m_inspector->properties();
        properties.show(snapshot.selectedId ? m_document.session().item(*snapshot.selectedId)
                                            : std::nullopt);
        // Typing whose item is gone went with it (every change commits the typing first, and
        // undo brings both back): the pane lets it go instead of holding text for no item.
        properties.dropOpenTexts(
            [this](const std::string& id) { return !m_document.session().item(id); });
    } else {
        m_inspector->help().refreshKeycaps();
    }
}

std::vector<PropertiesController::OpenText> DocumentTab::openPropertiesTexts() const {
    return m_inspector ? m_inspector->properties().openTexts()
                       : std::vector<PropertiesController::OpenText>();
}

void DocumentTab::flushProperties() {
    if (!m_inspector || m_flushingProperties) {
        return;
    }
    m_flushingProperties = true;
    m_inspector->properties().commitPending();
    m_flushingProperties = false;
}

// One undo record for the item the typing began in, whatever is selected now. Typing in the
// outline goes on unless it is in the same item, whose text is then committed first.
void DocumentTab::commitPropertiesText(const std::string& id, const std::string& text,
                                                    bool note) {
    if (m_preview && m_preview->id == id && m_preview->note == note) {
        m_preview.reset();
        m_previewTimer->stop();
    }
    const auto item = m_document.session().item(id);
    if (!item) {
        // Every action commits the typing before it runs, so that a deleted item takes its
        // text along; an item gone some other way (another program's version taken over
        // this one) is told with a beep rather than dropping the text without a sound.
        qCWarning(documentLog).noquote()
            << QStringLiteral("typed text for an item no longer in the document was not kept");
        QApplication::beep();
        refresh();
        return;
    }
    if ((note ? item->note : item->text) == text) {
        refresh();
        return;
    }
    const auto& editing = m_document.session().snapshot.editing;
    if (editing && editing->id == id) {
        const bool wasFlushing = std::exchange(m_flushingProperties, true);
        flushEditor();
        m_flushingProperties = wasFlushing;
    }
    apply([&](EditorSession& session) { return session.commitFieldText(id, text, note); });
    refresh();
}

void DocumentTab::previewText(const std::string& id, const std::string& text,
                                           bool note) {
    m_preview = Preview{id, text, note};
    m_previewTimer->start();
    // The outline's editor open on the same text follows it, so the two never disagree and
    // neither one's commit takes back what was typed in the other.
    const auto& editing = m_document.session().snapshot.editing;
    if (editing && editing->id == id && editing->isNote() == note && !m_editor->isHidden() &&
        m_editor->draft() != text) {
        m_editor->load(QString::fromStdString(text));
    }
    // Written by the next autosave like the item editor's text, without a commit.
    m_document.noteDraftEdited();
}

// Draws the outline with the typed text in place of the item's, without changing the session.
void DocumentTab::showPreview() {
    if (!m_preview) {
        return;
    }
    EditorSession shown = m_document.session();
    const Preview& preview = *m_preview;
    if (!shown.item(preview.id)) {
        return;
    }
    shown.snapshot.document =
        TreeOps::updateItem(shown.snapshot.document, preview.id, [&preview](Item& item) {
            (preview.note ? item.note : item.text) = preview.text;
        });
    if (showsCanvas()) {
        m_canvas->setSession(shown);
        m_canvas->reload();
    } else {
        m_list->reload(shown);
    }
    m_overlay->followRows();
}

} // namespace velmora

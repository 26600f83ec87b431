#include "tests/app/soak/soak_invariants.hpp"

#include "app/document/document_codec.hpp"
#include "app/document/velmora_document.hpp"
#include "app/panels/inspector_controller.hpp"
#include "app/panels/properties_controller.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/views/canvas_scene.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_model.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/document_tab.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session.hpp"
#include "tests/app/soak/soak_world.hpp"

#include <QFile>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUndoStack>

#include <set>

namespace velmora::soak {
namespace {

const Item* findItem(const ItemList& items, const std::string& id) {
    for (const auto& item : items) {
        if (item.id == id) {
            return &item;
        }
        if (const Item* inside = findItem(item.children, id)) {
            return inside;
        }
    }
    return nullptr;
}

void collectIds(const ItemList& items, std::vector<std::string>& into) {
    for (const auto& item : items) {
        into.push_back(item.id);
        collectIds(item.children, into);
    }
}

// The text in quotes, cut after about 60 bytes (never inside a character).
std::string quoted(const std::string& text) {
    std::size_t end = std::min<std::size_t>(text.size(), 60);
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        ++end;
    }
    return '"' + text.substr(0, end) + (end < text.size() ? "…" : "") + '"';
}

std::optional<std::string> itemsDifference(const ItemList& expected, const ItemList& actual,
                                           const std::string& where) {
    if (expected.size() != actual.size()) {
        return where + ": " + std::to_string(expected.size()) + " items expected, " +
               std::to_string(actual.size()) + " found";
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Item& e = expected[i];
        const Item& a = actual[i];
        const std::string at = where + "/" + e.id;
        if (e.id != a.id) {
            return at + ": id " + a.id + " found";
        }
        if (e.text != a.text) {
            return at + ": title " + quoted(e.text) + " expected, " + quoted(a.text) + " found";
        }
        if (e.note != a.note) {
            return at + ": note " + quoted(e.note) + " expected, " + quoted(a.note) + " found";
        }
        if (e.checked != a.checked || e.color != a.color || e.bold != a.bold ||
            e.underline != a.underline || e.collapsed != a.collapsed) {
            return at + ": flags or label differ";
        }
        if (auto inner = itemsDifference(e.children, a.children, at)) {
            return inner;
        }
    }
    return std::nullopt;
}

// Which part of the state two snapshots differ in.
std::string snapshotDifference(const EditorSnapshot& drawn, const EditorSnapshot& now) {
    if (!(drawn.document == now.document)) {
        return "document" +
               itemsDifference(now.document.items, drawn.document.items, "").value_or(" (times)");
    }
    if (drawn.selectedId != now.selectedId || drawn.anchorId != now.anchorId ||
        !(drawn.extraIds == now.extraIds)) {
        return "selection";
    }
    if (drawn.editing != now.editing) {
        return "editing target";
    }
    if (drawn.hoistTabs != now.hoistTabs || drawn.activeHoist != now.activeHoist) {
        return "hoist tabs";
    }
    if (drawn.columnWidths != now.columnWidths) {
        return "column widths";
    }
    return drawn.view != now.view ? "view" : "note display";
}

std::optional<Broken> treeSound(const VelmoraDocument& document) {
    const EditorSnapshot& s = document.session().snapshot;
    std::vector<std::string> ids;
    collectIds(s.document.items, ids);
    std::set<std::string> unique;
    for (const auto& id : ids) {
        if (id.empty() || !unique.insert(id).second) {
            return Broken{"tree ids unique", "id " + quoted(id) + " repeated or empty"};
        }
    }
    const auto exists = [&unique](const std::optional<std::string>& id) {
        return !id || unique.count(*id) > 0;
    };
    if (!exists(s.selectedId) || !exists(s.anchorId)) {
        return Broken{"selection exists", "selected " + s.selectedId.value_or("-")};
    }
    if (s.editing && !unique.count(s.editing->id)) {
        return Broken{"editing target exists", s.editing->id};
    }
    for (const HoistTab& tab : s.hoistTabs) {
        if (!unique.count(tab.rootId)) {
            return Broken{"hoist tab root exists", tab.rootId};
        }
    }
    if (s.activeHoist &&
        std::none_of(s.hoistTabs.begin(), s.hoistTabs.end(),
                     [&](const HoistTab& tab) { return tab.id == *s.activeHoist; })) {
        return Broken{"active hoist tab exists", *s.activeHoist};
    }
    return std::nullopt;
}

// The rows of the visible items; a title shows as the model holds it or with the text typed
// into an editor and not yet committed.
std::optional<Broken> listShowsVisibleRows(const VelmoraDocument& document,
                                           const DocumentTab& window) {
    const auto rows = document.session().visibleRows();
    const TreeDocument held = document.documentWithDraft();
    const ListOutlineModel& model = window.list().model();
    if (model.count() != static_cast<int>(rows.size())) {
        return Broken{"list rows", std::to_string(rows.size()) + " visible rows, the list shows " +
                                       std::to_string(model.count())};
    }
    for (int i = 0; i < model.count(); ++i) {
        const auto& row = model.rowAt(i);
        const auto& expected = rows[static_cast<std::size_t>(i)];
        const Item* typed = findItem(held.items, expected.item().id);
        const bool titleShown =
            row.item().text == expected.item().text || (typed && row.item().text == typed->text);
        if (row.item().id != expected.item().id || row.depth != expected.depth || !titleShown) {
            return Broken{"list rows", "row " + std::to_string(i) + " shows " + row.item().id +
                                           " " + quoted(row.item().text) + ", expected " +
                                           expected.item().id + " " + quoted(expected.item().text)};
        }
    }
    return std::nullopt;
}

// The texts open in the inspector, for the report of a failure.
std::string openTexts(const DocumentTab& window) {
    std::string texts;
    for (const auto& open : window.inspector().properties().openTexts()) {
        texts += std::string(open.note ? "; open note of " : "; open title of ") + open.id + " " +
                 quoted(open.text);
    }
    return texts;
}

std::optional<Broken> canvasShowsReferenceLayout(const VelmoraDocument& document,
                                                 const DocumentTab& window) {
    const TreeCanvasView& canvas = window.canvas();
    // The canvas does not draw the document's title, which a save takes from the file's name.
    EditorSnapshot drawn = canvas.session().snapshot;
    drawn.document.title = document.session().snapshot.document.title;
    // Text typed in Properties shows in the drawing before it is committed: the session's
    // document with one of the inspector's open texts (the last typed) or all of them.
    const TreeDocument& now = document.session().snapshot.document;
    const auto opened = window.inspector().properties().openTexts();
    const auto withTexts = [&now](const auto& texts) {
        TreeDocument previewed = now;
        for (const auto& open : texts) {
            previewed = TreeOps::updateItem(previewed, open.id, [&open](Item& item) {
                (open.note ? item.note : item.text) = open.text;
            });
        }
        return previewed;
    };
    bool showsPreview = !opened.empty() && !contentDifference(withTexts(opened), drawn.document);
    for (const auto& open : opened) {
        showsPreview =
            showsPreview || !contentDifference(withTexts(std::vector{open}), drawn.document);
    }
    if (showsPreview) {
        drawn.document = now;
    }
    if (!(drawn == document.session().snapshot) ||
        canvas.session().isHiding() != document.session().isHiding()) {
        return Broken{"canvas draws the session",
                      "the canvas holds an older " +
                          snapshotDifference(drawn, document.session().snapshot) +
                          (canvas.session().isHiding() != document.session().isHiding()
                               ? " (hiding completed differs)"
                               : "") +
                          openTexts(window)};
    }
    const CanvasScene reference = buildScene(canvas.session(), canvas.options());
    if (!(reference.layout() == canvas.scene().layout())) {
        return Broken{"canvas layout", "the drawn layout differs from a fresh layout"};
    }
    return std::nullopt;
}

std::optional<Broken> inspectorShowsSelection(const VelmoraDocument& document,
                                              const DocumentTab& window) {
    if (!window.inspectorVisible() ||
        window.inspector().segment() != InspectorController::Segment::properties) {
        return std::nullopt;
    }
    const PropertiesController& properties = window.inspector().properties();
    const auto& selected = document.session().snapshot.selectedId;
    const auto& shown = properties.shown();
    const std::string shownId = shown ? shown->id : std::string("-");
    if (selected.value_or("-") != shownId) {
        return Broken{"inspector shows the selection",
                      "selected " + selected.value_or("-") + ", shown " + shownId};
    }
    return std::nullopt;
}

// The text of an editor on screen for the item's title or note must be what the document holds
// with the drafts of the open editors applied.
std::optional<Broken> textKept(const TreeDocument& held, const std::string& id, bool note,
                               const QString& onScreen, const char* editor) {
    const Item* item = findItem(held.items, id);
    if (!item) {
        return Broken{std::string("text of ") + editor, "edits " + id + ", which is not there"};
    }
    const std::string expected = note ? item->note : item->text;
    const std::string shown = onScreen.toStdString();
    if (expected != shown) {
        return Broken{std::string("text of ") + editor,
                      (note ? "note of " : "title of ") + id + " shows " + quoted(shown) +
                          ", the document holds " + quoted(expected)};
    }
    return std::nullopt;
}

std::optional<Broken> textsOnScreenKept(const VelmoraDocument& document,
                                        const DocumentTab& window) {
    const TreeDocument held = document.documentWithDraft();
    const EditorSnapshot& s = document.session().snapshot;
    const ItemTextEditor& editor = window.editor();
    if (editor.isVisible() && !editor.isComposing()) {
        if (!s.editing) {
            if (!editor.toPlainText().isEmpty()) {
                return Broken{"text of the item editor", "shown with no item being edited"};
            }
        } else if (auto broken = textKept(held, s.editing->id, s.editing->isNote(),
                                          editor.toPlainText(), "the item editor")) {
            return broken;
        }
    }
    if (!window.inspectorVisible() ||
        window.inspector().segment() != InspectorController::Segment::properties) {
        return std::nullopt;
    }
    const PropertiesController& properties = window.inspector().properties();
    if (properties.editingID() && properties.titleField()->isVisible()) {
        if (auto broken = textKept(held, *properties.editingID(), false,
                                   properties.titleField()->toPlainText(), "the inspector title")) {
            return broken;
        }
    }
    if (properties.noteID() && properties.noteView()->isVisible()) {
        if (auto broken = textKept(held, *properties.noteID(), true,
                                   properties.noteView()->toPlainText(), "the inspector note")) {
            return broken;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> contentDifference(const TreeDocument& expected,
                                             const TreeDocument& actual) {
    return itemsDifference(expected.items, actual.items, "");
}

std::optional<Broken> checkWindows(World& world) {
    for (VelmoraDocument* document : world.controller().documents()) {
        if (auto broken = treeSound(*document)) {
            return broken;
        }
        const DocumentTab* window = world.content(document);
        if (!window) {
            continue;
        }
        const bool canvas = isCanvas(document->session().snapshot.view);
        if (auto broken = canvas ? canvasShowsReferenceLayout(*document, *window)
                                 : listShowsVisibleRows(*document, *window)) {
            return broken;
        }
        if (auto broken = inspectorShowsSelection(*document, *window)) {
            return broken;
        }
        if (auto broken = textsOnScreenKept(*document, *window)) {
            return broken;
        }
    }
    return std::nullopt;
}

std::optional<Broken> checkFileMatches(const VelmoraDocument& document, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Broken{"file reads back", "cannot read " + path.toStdString()};
    }
    const auto decoded = DocumentCodec::decodeNative(file.readAll());
    const auto* loaded = std::get_if<DocumentCodec::Loaded>(&decoded);
    if (!loaded) {
        return Broken{"file reads back", std::get<QString>(decoded).toStdString()};
    }
    if (auto difference =
            contentDifference(document.documentWithDraft(), loaded->snapshot.document)) {
        return Broken{"file reads back", "the file differs from the model at " + *difference};
    }
    return std::nullopt;
}

std::optional<Broken> checkUndoHistory(World& world, VelmoraDocument& document) {
    QUndoStack* stack = document.undoStack();
    const auto first = world.firstState(stack);
    const TreeDocument last = document.session().snapshot.document;
    const int index = stack->index();
    const int count = stack->count();
    std::optional<Broken> broken;
    for (int i = index; i > 0; --i) {
        document.undoOrRedo(false);
    }
    if (first && stack->index() == 0) {
        if (auto difference = contentDifference(*first, document.session().snapshot.document)) {
            broken = Broken{"undo all gives the first state", *difference};
        }
    }
    for (int i = 0; i < count; ++i) {
        document.undoOrRedo(true);
    }
    const TreeDocument end = document.session().snapshot.document;
    for (int i = stack->index(); i > index; --i) {
        document.undoOrRedo(false);
    }
    if (count == stack->count() && index == stack->index()) {
        if (auto difference = contentDifference(last, document.session().snapshot.document)) {
            broken = broken ? broken : Broken{"redo all gives the last state", *difference};
        }
    }
    (void)end;
    return broken;
}

} // namespace velmora::soak

// The action table of the soak: what a user does with the windows, each carried out through
// the same events and menu items a user's keyboard and mouse reach.
#include "tests/app/soak/soak_actions.hpp"

#include "app/document/velmora_document.hpp"
#include "app/panels/command_palette.hpp"
#include "app/panels/inspector_controller.hpp"
#include "app/panels/properties_controller.hpp"
#include "app/views/canvas_scene.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_delegate.hpp"
#include "app/views/list_outline_model.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/document_tab.hpp"
#include "app/window/hoist_bar.hpp"
#include "core/commands/key_map.hpp"
#include "core/session/editor_session.hpp"
#include "tests/app/soak/soak_file_actions.hpp"
#include "tests/app/soak/soak_input.hpp"
#include "tests/app/soak/soak_world.hpp"

#include <QApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace velmora::soak {
namespace {

int pick(std::mt19937& random, int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random);
}

// What users type: plain words, accents, emoji with modifiers, right-to-left scripts, CJK,
// combining marks, markdown and line breaks.
const std::vector<std::string>& textSamples() {
    static const std::vector<std::string> samples = {
        "Buy milk",
        "x",
        "Crème brûlée à Zürich",
        "Plan 🚀 👍🏽 ✨",
        "שלום עולם",
        "مرحبا بالعالم",
        "first line\nsecond line",
        "日本語のテキスト",
        "e\u0301 n\u0303",
        "*bold* _it_ [link](https://example.org)",
        "  spaces  ",
        "The quick brown fox jumps over the lazy dog",
        "Łódź Kraków ąęś",
        "Привіт, світе",
        "a\n\nb",
        "👩‍👩‍👧 family",
    };
    return samples;
}

const std::vector<std::string>& querySamples() {
    static const std::vector<std::string> samples = {"",   "a",   "in",  "undo",
                                                     "zz", "Caf", "new", "é"};
    return samples;
}

// ---- The actions ------------------------------------------------------------------------

void drawNumbers(std::mt19937& random, Step& step) {
    step.a = pick(random, 1000);
    step.b = pick(random, 1000);
}

void drawText(std::mt19937& random, Step& step) {
    drawNumbers(random, step);
    step.text = textSamples()[static_cast<std::size_t>(
        pick(random, static_cast<int>(textSamples().size())))];
}

void drawQuery(std::mt19937& random, Step& step) {
    drawNumbers(random, step);
    step.text = querySamples()[static_cast<std::size_t>(
        pick(random, static_cast<int>(querySamples().size())))];
}

std::optional<Broken> chord(World& world, const Step& step) {
    const auto bindings = KeyMap::bindings(world.current()->session().preferences);
    sendChord(keyTarget(world), bindings[static_cast<std::size_t>(step.a) % bindings.size()].chord);
    return std::nullopt;
}

// The menu items a run may choose: every action's, and the standard items that neither end
// the run (Quit, Close and saving have steps of their own) nor leave the application (links,
// printing, full screen).
std::optional<Broken> menu(World& world, const Step& step) {
    static const std::vector<StandardItem> standard = {StandardItem::newDocument,
                                                       StandardItem::open,
                                                       StandardItem::clearRecent,
                                                       StandardItem::undo,
                                                       StandardItem::redo,
                                                       StandardItem::cut,
                                                       StandardItem::copy,
                                                       StandardItem::paste,
                                                       StandardItem::deleteSelection,
                                                       StandardItem::selectAll,
                                                       StandardItem::zoomIn,
                                                       StandardItem::zoomOut,
                                                       StandardItem::actualSize,
                                                       StandardItem::toggleToolbar,
                                                       StandardItem::nextTab,
                                                       StandardItem::previousTab,
                                                       StandardItem::exportMarkdown,
                                                       StandardItem::importMarkdown,
                                                       StandardItem::exportOrg,
                                                       StandardItem::importOrg,
                                                       StandardItem::exportWebPage,
                                                       StandardItem::moveTabToNewWindow,
                                                       StandardItem::mergeAllWindows};
    const std::size_t count = allActions().size() + standard.size();
    const std::size_t index = static_cast<std::size_t>(step.a) % count;
    if (index < allActions().size()) {
        runActionItem(world, allActions()[index]);
    } else {
        runStandardItem(world, standard[index - allActions().size()]);
    }
    world.activate(world.current());
    return std::nullopt;
}

std::optional<Broken> type(World& world, const Step& step) {
    typeText(world, step.text);
    return std::nullopt;
}

std::optional<Broken> typeInInspector(World& world, const Step& step) {
    DocumentTab& content = window(world);
    if (!content.inspectorVisible() ||
        content.inspector().segment() != InspectorController::Segment::properties) {
        sendAction(world, Action::showProperties);
        World::settle();
    }
    if (!content.inspectorVisible()) {
        return std::nullopt;
    }
    PropertiesController& properties = content.inspector().properties();
    QWidget* field = step.a % 2 == 0 ? static_cast<QWidget*>(properties.titleField())
                                     : static_cast<QWidget*>(properties.noteView()->viewport());
    if (!field->isVisible() || !field->isEnabled()) {
        return std::nullopt;
    }
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, field->rect().center());
    World::settle();
    typeText(world, step.text);
    return std::nullopt;
}

Qt::KeyboardModifiers clickModifiers(int b) {
    switch (b % 6) {
    case 1:
        return Qt::ControlModifier;
    case 2:
        return Qt::ShiftModifier;
    default:
        return Qt::NoModifier;
    }
}

// Clicks, Ctrl-clicks, Shift-clicks and double-clicks on list rows (their titles, disclosure
// triangles and check boxes) and canvas blocks, and clicks on the empty canvas.
std::optional<Broken> click(World& world, const Step& step) {
    DocumentTab& content = window(world);
    if (isCanvas(world.current()->session().snapshot.view)) {
        TreeCanvasView& canvas = content.canvas();
        const auto blocks = canvas.scene().blocks();
        if (blocks.empty() || step.b % 6 == 5) {
            QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier,
                              QPoint(canvas.width() - 2, canvas.height() - 2));
            return std::nullopt;
        }
        const CanvasBlock& block = blocks[static_cast<std::size_t>(step.a) % blocks.size()];
        const QPoint at = canvas.toWidget(block.textRect()).center().toPoint();
        if (step.b % 6 == 3) {
            QTest::mouseDClick(&canvas, Qt::LeftButton, Qt::NoModifier, at);
        } else if (step.b % 6 == 4) {
            const QPoint left = canvas.toWidget(block.frame).topLeft().toPoint() + QPoint(6, 8);
            QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier, left);
        } else {
            QTest::mouseClick(&canvas, Qt::LeftButton, clickModifiers(step.b), at);
        }
        return std::nullopt;
    }
    ListOutlineView* view = content.list().view();
    const ListOutlineModel& model = content.list().model();
    if (model.count() == 0) {
        return std::nullopt;
    }
    const int row = step.a % model.count();
    view->scrollTo(model.index(row));
    World::settle();
    const QRect rect = view->visualRect(model.index(row));
    const auto geometry = content.list().delegate().geometry(row, rect);
    QWidget* viewport = view->viewport();
    switch (step.b % 6) {
    case 3:
        QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, geometry.text.center());
        break;
    case 4:
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, geometry.disclosure.center());
        break;
    case 5:
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, geometry.check.center());
        break;
    default:
        QTest::mouseClick(viewport, Qt::LeftButton, clickModifiers(step.b), geometry.text.center());
    }
    return std::nullopt;
}

// Drops an item of the window on another (above, onto or below it) in the shown view, as a
// drag from the same window does; "copy" in the text holds Ctrl for a copy.
std::optional<Broken> drag(World& world, const Step& step) {
    DocumentTab& content = window(world);
    const bool copy = step.text == "copy";
    const auto actions = Qt::CopyAction | Qt::MoveAction;
    const Qt::KeyboardModifiers modifiers = copy ? Qt::ControlModifier : Qt::NoModifier;
    QWidget* target = nullptr;
    std::string source;
    QPoint at;
    if (isCanvas(world.current()->session().snapshot.view)) {
        TreeCanvasView& canvas = content.canvas();
        const auto blocks = canvas.scene().blocks();
        if (blocks.empty()) {
            return std::nullopt;
        }
        source = blocks[static_cast<std::size_t>(step.a) % blocks.size()].id();
        const CanvasBlock& onto = blocks[static_cast<std::size_t>(step.b / 3) % blocks.size()];
        const QRectF frame = canvas.toWidget(onto.frame);
        const double y = frame.top() + frame.height() * (1 + 2 * (step.b % 3)) / 6.0;
        at = QPointF(frame.center().x(), y).toPoint();
        target = &canvas;
    } else {
        ListOutlineView* view = content.list().view();
        const ListOutlineModel& model = content.list().model();
        if (model.count() == 0) {
            return std::nullopt;
        }
        source = model.rowAt(step.a % model.count()).item().id;
        const int onto = (step.b / 3) % model.count();
        view->scrollTo(model.index(onto));
        World::settle();
        const QRect rect = view->visualRect(model.index(onto));
        at = QPoint(rect.center().x(), rect.top() + rect.height() * (1 + 2 * (step.b % 3)) / 6);
        target = view->viewport();
    }
    std::unique_ptr<QMimeData> data(content.canvas().dragWriter()(source));
    if (!data) {
        return std::nullopt;
    }
    QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, actions, data.get(), Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &move);
    if (step.a % 7 == 6) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
        return std::nullopt;
    }
    QDropEvent drop(at, actions, data.get(), Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &drop);
    return std::nullopt;
}

void drawDrag(std::mt19937& random, Step& step) {
    drawNumbers(random, step);
    step.text = pick(random, 4) == 0 ? "copy" : "";
}

// Drags a column edge of the canvas by up to 120 pixels either way; every fifth a double-click
// that gives the column back its usual width.
std::optional<Broken> dragColumn(World& world, const Step& step) {
    if (!isCanvas(world.current()->session().snapshot.view)) {
        return std::nullopt;
    }
    TreeCanvasView& canvas = window(world).canvas();
    const auto edges = canvas.columnEdges();
    if (edges.empty()) {
        return std::nullopt;
    }
    const ColumnEdge& edge = edges[static_cast<std::size_t>(step.a) % edges.size()];
    const QPointF layoutPoint(edge.x + CanvasScene::insetX, CanvasScene::insetY + 4);
    const QPoint from = canvas.toWidget(QRectF(layoutPoint, QSizeF(0, 0))).topLeft().toPoint();
    if (step.b % 5 == 4) {
        QTest::mouseDClick(&canvas, Qt::LeftButton, Qt::NoModifier, from);
        return std::nullopt;
    }
    const int by = step.b % 241 - 120;
    QTest::mousePress(&canvas, Qt::LeftButton, Qt::NoModifier, from);
    for (int part = 1; part <= 4; ++part) {
        QTest::mouseMove(&canvas, from + QPoint(by * part / 4, 0));
    }
    QTest::mouseRelease(&canvas, Qt::LeftButton, Qt::NoModifier, from + QPoint(by, 0));
    return std::nullopt;
}

std::optional<Broken> switchView(World& world, const Step& step) {
    static const Action views[] = {Action::viewList, Action::viewTree, Action::viewMap};
    sendAction(world, views[step.a % 3]);
    return std::nullopt;
}

// Hoists the selected branch into a tab, or clicks a button of the hoist bar (a tab, the whole
// document, a tab's close button).
std::optional<Broken> hoist(World& world, const Step& step) {
    HoistBar& bar = window(world).hoistBar();
    QList<QToolButton*> buttons;
    for (QToolButton* button : bar.findChildren<QToolButton*>()) {
        if (button->isVisible()) {
            buttons.append(button);
        }
    }
    if (buttons.isEmpty() || step.a % 3 == 0) {
        sendAction(world, Action::showFamily);
        return std::nullopt;
    }
    QToolButton* button = buttons[step.b % buttons.size()];
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    return std::nullopt;
}

// Opens a panel with its key, types a query and leaves it: Escape, Return (which may run what
// it found), or a step down before Return.
std::optional<Broken> panel(World& world, const Step& step, Action open) {
    sendAction(world, open);
    World::settle();
    typeText(world, step.text);
    World::settle();
    QWidget* target = keyTarget(world);
    switch (step.b % 4) {
    case 0:
    case 1:
        QTest::keyClick(target, Qt::Key_Escape);
        break;
    case 2:
        QTest::keyClick(target, Qt::Key_Return);
        break;
    default:
        QTest::keyClick(target, Qt::Key_Down);
        QTest::keyClick(keyTarget(world), Qt::Key_Return);
    }
    world.activate(world.current());
    return std::nullopt;
}

std::optional<Broken> palette(World& world, const Step& step) {
    return panel(world, step, Action::commandPalette);
}

std::optional<Broken> jump(World& world, const Step& step) {
    return panel(world, step, Action::jump);
}

std::optional<Broken> help(World& world, const Step& step) {
    static const Action opens[] = {Action::toggleHelp, Action::showHelp, Action::helpSearch};
    sendAction(world, opens[step.a % 3]);
    World::settle();
    if (step.b % 2 == 0) {
        typeText(world, step.text);
        QTest::keyClick(keyTarget(world), Qt::Key_Escape);
    }
    return std::nullopt;
}

// A run of one to six undos or redos with their keys.
std::optional<Broken> undoRun(World& world, const Step& step) {
    for (int i = 0; i <= step.a % 6; ++i) {
        sendAction(world, step.b % 3 == 0 ? Action::redo : Action::undo);
        World::settle();
    }
    return std::nullopt;
}

// An autosave tick: the pending autosave timers fire now (the writes run in the background),
// or every document is autosaved at once; either way the files then hold what the documents do.

} // namespace

const std::vector<ActionKind>& actionKinds() {
    static const std::vector<ActionKind> kinds = {
        {"chord", 30, drawNumbers, chord},
        {"type", 20, drawText, type},
        {"click", 12, drawNumbers, click},
        {"menu", 8, drawNumbers, menu},
        {"inspector", 5, drawText, typeInInspector},
        {"drag", 4, drawDrag, drag},
        {"undo", 4, drawNumbers, undoRun},
        {"view", 3, drawNumbers, switchView},
        {"palette", 3, drawQuery, palette},
        {"jump", 2, drawQuery, jump},
        {"help", 2, drawQuery, help},
        {"hoist", 2, drawNumbers, hoist},
        {"column", 2, drawNumbers, dragColumn},
        {"autosave", 3, drawNumbers, autosave},
        {"save", 2, drawNumbers, save},
        {"windows", 2, drawNumbers, windows},
        {"disk", 1, drawNumbers, changeOnDisk},
        {"close", 1, drawNumbers, closeTab},
        {"quit", 1, drawNumbers, quit},
        {"undoall", 1, drawNumbers, undoAll},
    };
    return kinds;
}

const ActionKind* actionKind(const std::string& name) {
    for (const ActionKind& kind : actionKinds()) {
        if (name == kind.name) {
            return &kind;
        }
    }
    return nullptr;
}

Step drawStep(std::mt19937& random) {
    int total = 0;
    for (const ActionKind& kind : actionKinds()) {
        total += kind.weight;
    }
    int roll = pick(random, total);
    for (const ActionKind& kind : actionKinds()) {
        if (roll < kind.weight) {
            Step step;
            step.kind = kind.name;
            kind.draw(random, step);
            return step;
        }
        roll -= kind.weight;
    }
    return Step{"chord", 0, 0, {}};
}

} // namespace velmora::soak

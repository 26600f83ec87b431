// ostrevo-cli run: opens a document file as an editing session and replays steps on it.
#include "cli/cli_common.hpp"
#include "cli/commands.hpp"
#include "cli/run_steps.hpp"
#include "core/formats/item_clipboard.hpp"
#include "core/formats/json_value.hpp"
#include "core/session/editor_session.hpp"
#include "core/session/undo_history.hpp"

#include <iostream>

namespace velmora::cli {
namespace {

constexpr std::string_view kHelp =
    R"(Usage: ostrevo-cli run FILE [--out OUT] [--force] [--hide-completed] [--no-checks]
                        [--state] STEP...
       ostrevo-cli run --steps

Opens the document file FILE as an editing session, applies the steps in order and writes the
document file to OUT (or back to FILE) with the file's settings. Prints one line per step: the
catalog key of the undo record the step made (for undo and redo: of the record walked) or "-",
a blank, and the side effect's name or "-". With --state it then prints the editor state as
one JSON line. An unknown step refuses the whole run before anything is written; an existing
OUT is only replaced with --force. --steps lists every step name and action, one a line (for
shell completion).

Steps:
  ACTION, ACTION=TEXT       perform an action by its raw value (add-below, indent, label-3 ...),
                            with TEXT as the text being typed
  draft=TEXT  caret=N       the typed text for the next step that takes one; the caret
                            (in characters) for the next action
  select=ID  select=        select an item alone; clear the selection
  extend=ID  extend-by=N    extend the selection to an item; by N siblings
  toggle=ID  select-all  collapse-selection
  commit-text=ID=TEXT  commit-note=ID=TEXT  check=ID=true|false
  label=ID=red|orange|yellow|green|blue|purple|gray|none  toggle-collapsed=ID
  move=ID=PARENT|top=INDEX|end
  copy (prints the copied items as text)  cut  paste=TEXT (indented text; \n and \t escapes)
  hoist=TABID|none  close-hoist=TABID  view=list|tree|map
  undo  redo

Examples:
  ostrevo-cli run Trip.quenlith --out Trip2.quenlith add-below=Tickets indent commit
  ostrevo-cli run Trip.quenlith --state select=1b4e... toggle-check undo
)";

struct Options {
    std::string file;
    std::optional<std::string> out;
    bool force = false, hideCompleted = false, noChecks = false, state = false;
    std::vector<Step> steps;
};

std::string keyOf(const std::optional<TreeCommand>& command) {
    return command ? command->catalogKey : "-";
}

// Replays steps on a session and remembers its undo records as the application would.
class Replay {
public:
    explicit Replay(EditorSession& session) : m_session(session) {}

    // The line the step prints.
    std::string apply(const Step& step) {
        using K = Step::Kind;
        switch (step.kind) {
        case K::draft:
            m_draft = step.text;
            return "- -";
        case K::caret:
            m_caret = step.number;
            return "- -";
        case K::perform:
            return perform(step);
        case K::undo:
            return walk(true);
        case K::redo:
            return walk(false);
        case K::copy:
            return ItemClipboard::plainText(ItemList(m_session.copySelection()));
        default:
            return line(direct(step));
        }
    }

private:
    std::string perform(const Step& step) {
        auto draft = step.text ? step.text : takeDraft();
        auto caret = m_caret;
        m_caret.reset();
        auto result = m_session.perform(step.action, draft, caret);
        record(result.command);
        return keyOf(result.command) + " " +
               (result.side ? std::string(rawValue(*result.side)) : std::string("-"));
    }

    std::optional<TreeCommand> direct(const Step& step) {
        using K = Step::Kind;
        auto& s = m_session;
        switch (step.kind) {
        case K::select:
            return s.select(step.id, takeDraft());
        case K::extend:
            return s.extendSelection(*step.id, takeDraft());
        case K::extendBy:
            return s.extendSelection(static_cast<int>(step.number), takeDraft());
        case K::toggle:
            return s.toggleSelection(*step.id, takeDraft());
        case K::selectAll:
            return s.selectAll(takeDraft());
        case K::collapseSelection:
            s.collapseSelection();
            return std::nullopt;
        case K::commitText:
            return s.commitItemText(*step.id, *step.text);
        case K::commitNote:
            return s.commitNote(*step.id, *step.text);
        case K::check:
            return s.setChecked(*step.id, step.flag);
        case K::label:
            return s.setLabel(*step.id, step.color);
        case K::toggleCollapsed:
            return s.toggleCollapsed(*step.id);
        case K::move:
            return s.moveItem(*step.id, step.parent, step.index, takeDraft());
        case K::cut:
            return s.cutSelection(takeDraft()).command;
        case K::paste: {
            auto items = ItemClipboard::itemsFromPlainText(*step.text, s.makeID);
            return s.paste(items.toVector(), takeDraft());
        }
        case K::hoist:
            s.activateHoist(step.id);
            return std::nullopt;
        case K::closeHoist:
            s.closeHoist(*step.id);
            return std::nullopt;
        case K::view:
            s.setView(step.view);
            return std::nullopt;
        default:
            return std::nullopt;
        }
    }

    std::string line(const std::optional<TreeCommand>& command) {
        record(command);
        return keyOf(command) + " -";
    }

    void record(const std::optional<TreeCommand>& command) {
        if (command)
            m_history.push(*command);
    }

    std::string walk(bool back) {
        const TreeCommand* command = back ? m_history.undo(m_session) : m_history.redo(m_session);
        return command ? command->catalogKey + " -" : "- -";
    }

    std::optional<std::string> takeDraft() {
        auto draft = std::move(m_draft);
        m_draft.reset();
        return draft;
    }

    EditorSession& m_session;
    std::optional<std::string> m_draft;
    std::optional<long long> m_caret;
    UndoHistory m_history;
};

std::string optionalJSON(const std::optional<std::string>& value) {
    return value ? jsonStringLiteral(*value) : "null";
}

std::string stateJSON(const EditorSession& session) {
    const auto& s = session.snapshot;
    std::string out = "{\"selectedId\": " + optionalJSON(s.selectedId) +
                      ", \"anchorId\": " + optionalJSON(s.anchorId) + ", \"extraIds\": [";
    bool first = true;
    for (const auto& id : s.extraIds) // std::set keeps them sorted
        out += (first ? "" : ", ") + jsonStringLiteral(id), first = false;
    out += "], \"selectedIDs\": [";
    first = true;
    for (const auto& id : session.selectedIDs())
        out += (first ? "" : ", ") + jsonStringLiteral(id), first = false;
    out += "], \"editing\": ";
    if (!s.editing)
        out += "null";
    else
        out += std::string("{\"") + (s.editing->isItem() ? "item" : "note") +
               "\": " + jsonStringLiteral(s.editing->id) + "}";
    out += ", \"view\": " + jsonStringLiteral(rawValue(s.view)) +
           ", \"activeHoist\": " + optionalJSON(s.activeHoist) + ", \"hoistTabs\": [";
    first = true;
    for (const auto& tab : s.hoistTabs) {
        out += (first ? "" : ", ") + std::string("{\"id\": ") + jsonStringLiteral(tab.id) +
               ", \"rootId\": " + jsonStringLiteral(tab.rootId) +
               ", \"title\": " + jsonStringLiteral(tab.title) + "}";
        first = false;
    }
    out += std::string("], \"showAllNotes\": ") + (s.showAllNotes ? "true" : "false") +
           ", \"rows\": [";
    first = true;
    for (const auto& row : session.visibleRows()) {
        out += (first ? "" : ", ") + std::string("[") + jsonStringLiteral(row.item().id) + ", " +
               std::to_string(row.depth) + "]";
        first = false;
    }
    return out + "]}";
}

// The options and steps, or the exit status of a usage error or refusal.
std::variant<Options, int> parse(const std::vector<std::string>& args) {
    Options o;
    bool haveFile = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            return kSuccess;
        }
        if (arg == "--steps") {
            for (const auto& name : stepNames())
                std::cout << name << "\n";
            return kSuccess;
        }
        if (arg == "--out") {
            if (i + 1 >= args.size())
                return usageError("--out needs a file", kHelp);
            o.out = args[++i];
        } else if (arg == "--force") {
            o.force = true;
        } else if (arg == "--hide-completed") {
            o.hideCompleted = true;
        } else if (arg == "--no-checks") {
            o.noChecks = true;
        } else if (arg == "--state") {
            o.state = true;
        } else if (!haveFile) {
            o.file = arg;
            haveFile = true;
        } else if (auto step = parseStep(arg)) {
            o.steps.push_back(*step);
        } else {
            return refuse({"cli.error.unknownStep %@", arg});
        }
    }
    if (!haveFile)
        return usageError("run needs a FILE", kHelp);
    return o;
}

} // namespace

int runCommand(const std::vector<std::string>& args) {
    auto parsed = parse(args);
    if (auto status = std::get_if<int>(&parsed))
        return *status;
    auto& o = std::get<Options>(parsed);
    if (kindOf(o.file) != FileKind::document)
        return refuse({"cli.error.notDocumentFile %@", o.file});
    if (o.out && !o.force && std::filesystem::exists(std::filesystem::symlink_status(*o.out)))
        return refuse({"cli.error.exists %@", *o.out});
    auto file = load(o.file);
    if (!file)
        return refuse(file.error());
    const auto& native = *file.value().native;
    auto session = EditorSession::init(NativeDocumentCodec::snapshot(native), EditorPreferences{});
    session.hideCompleted = o.hideCompleted;
    session.checksVisible = !o.noChecks;

    Replay replay(session);
    for (const auto& step : o.steps)
        std::cout << replay.apply(step) << "\n";
    if (o.state)
        std::cout << stateJSON(session) << "\n";
    auto target = o.out.value_or(o.file);
    if (auto failed =
            writeFile(target, NativeDocumentCodec::encode(session.snapshot, native.settings), true))
        return refuse(*failed);
    return kSuccess;
}

} // namespace velmora::cli

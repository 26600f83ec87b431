#pragma once

#include "core/commands/action.hpp"
#include "core/model/color_label.hpp"

#include <optional>
#include <string>
#include <vector>

// The editing steps of `ostrevo-cli run`, parsed before anything is done.
namespace velmora::cli {

struct Step {
    enum class Kind {
        perform,
        draft,
        caret,
        select,
        extend,
        extendBy,
        toggle,
        selectAll,
        collapseSelection,
        commitText,
        commitNote,
        check,
        label,
        toggleCollapsed,
        move,
        copy,
        cut,
        paste,
        hoist,
        closeHoist,
        view,
        undo,
        redo
    };
    Kind kind = Kind::perform;
    std::string source;
    Action action = Action::edit;
    std::optional<std::string> id;
    std::optional<std::string> text;
    std::optional<std::string> parent;
    std::optional<int> index;
    long long number = 0;
    bool flag = false;
    std::optional<ColorLabel> color;
    ViewMode view = ViewMode::list;
};

// The step a command-line word names; nothing for an unknown step or action.
[[nodiscard]] std::optional<Step> parseStep(const std::string& word);

// Every step word for shell completion: the step names (ending in "=" where they take an
// argument) and then every action's raw value.
[[nodiscard]] std::vector<std::string> stepNames();

// The text with "\n", "\t" and "\\" turned into a line feed, a tab and a backslash.
[[nodiscard]] std::string unescape(std::string_view text);

} // namespace velmora::cli

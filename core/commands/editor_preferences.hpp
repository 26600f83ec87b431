#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace velmora {

// The editing preferences that change a few rows of the key map.
struct EditorPreferences {
    // What Return does while an item title is being edited.
    enum class ReturnWhileTyping { finish, finishAndAddNext };

    ReturnWhileTyping returnWhileTyping = ReturnWhileTyping::finish;
    // Tab and Shift-Tab indent and outdent (else they move the focus).
    bool tabIndents = true;
    // Return in the outline starts editing the selected item (else it adds an item below).
    bool returnEdits = true;

    bool operator==(const EditorPreferences&) const = default;
};

inline constexpr std::array<EditorPreferences::ReturnWhileTyping, 2> kAllReturnWhileTyping = {
    EditorPreferences::ReturnWhileTyping::finish,
    EditorPreferences::ReturnWhileTyping::finishAndAddNext};

// "finish" or "finishAndAddNext".
[[nodiscard]] constexpr std::string_view rawValue(EditorPreferences::ReturnWhileTyping value) {
    return value == EditorPreferences::ReturnWhileTyping::finishAndAddNext ? "finishAndAddNext"
                                                                           : "finish";
}

[[nodiscard]] constexpr std::optional<EditorPreferences::ReturnWhileTyping>
returnWhileTypingFromRawValue(std::string_view raw) {
    for (auto value : kAllReturnWhileTyping)
        if (rawValue(value) == raw)
            return value;
    return std::nullopt;
}

} // namespace velmora

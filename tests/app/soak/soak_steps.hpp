#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora::soak {

// One user action of a soak run, complete in itself: replaying it needs no random numbers, so
// a sequence with steps left out still means something. `a` and `b` choose among what the
// window shows at the time (a row, a key binding, a menu item), taken modulo what is there.
struct Step {
    std::string kind;
    int a = 0;
    int b = 0;
    std::string text;

    bool operator==(const Step&) const = default;
};

// A run: the seed of the document it starts from, then the steps.
struct Sequence {
    unsigned documentSeed = 1;
    std::vector<Step> steps;

    bool operator==(const Sequence&) const = default;
};

// The steps file form: "document <seed>", then one step a line ("chord 12 0", "type 0 0 Buy
// milk"), the text with backslash escapes for line breaks and backslashes; lines starting with
// "#" are comments.
[[nodiscard]] std::string format(const Step& step);
[[nodiscard]] std::string format(const Sequence& sequence);
// The sequence of a steps file's text; nothing when a line is not a step.
[[nodiscard]] std::optional<Sequence> parse(const std::string& text, std::string* error = nullptr);

} // namespace velmora::soak

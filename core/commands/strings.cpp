#include "core/commands/strings.hpp"

#include "core/commands/plural.hpp"
#include "core/commands/resources.hpp"

#include <map>
#include <memory>
#include <mutex>

namespace velmora::Strings {

namespace {

std::string textOf(const Argument& argument) {
    if (const auto* text = std::get_if<std::string>(&argument))
        return *text;
    return std::to_string(std::get<std::int64_t>(argument));
}

// The length of the conversion after "%" (and after "n$") that the formatter knows: "@",
// "lld", "ld" or "d"; 0 for anything else.
std::size_t conversionLength(std::string_view rest) {
    for (std::string_view conversion : {"@", "lld", "ld", "d"})
        if (rest.starts_with(conversion))
            return conversion.size();
    return 0;
}

// A position "n$" at the start of `rest`: the 1-based number and the length of "n$".
std::pair<std::size_t, std::size_t> position(std::string_view rest) {
    std::size_t digits = 0;
    std::size_t number = 0;
    while (digits < rest.size() && digits < 3 && rest[digits] >= '0' && rest[digits] <= '9')
        number = number * 10 + static_cast<std::size_t>(rest[digits++] - '0');
    if (digits == 0 || digits >= rest.size() || rest[digits] != '$' || number == 0)
        return {0, 0};
    return {number, digits + 1};
}

} // namespace

const StringTable& table(std::string_view languageCode) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<StringTable>, std::less<>> tables;
    std::lock_guard lock(mutex);
    auto it = tables.find(languageCode);
    if (it == tables.end()) {
        auto parsed = std::make_unique<StringTable>();
        const std::string path = "strings/" + std::string(languageCode) + ".json";
        if (auto json = Resources::text(path))
            if (auto read = StringTable::parse(*json))
                *parsed = std::move(read).value();
        it = tables.emplace(std::string(languageCode), std::move(parsed)).first;
    }
    return *it->second;
}

std::string localized(std::string_view languageCode, std::string_view key) {
    if (auto text = table(languageCode).text(key))
        return std::string(*text);
    if (auto english = table("en").text(key))
        return std::string(*english);
    return std::string(key);
}

std::string substitute(std::string_view pattern,
                       const std::function<std::optional<std::string>(Placeholder)>& fill) {
    std::string out;
    std::size_t next = 0;
    std::size_t at = 0;
    while (at < pattern.size()) {
        const std::size_t percent = pattern.find('%', at);
        out.append(pattern.substr(at, percent - at));
        if (percent == std::string_view::npos)
            break;
        std::string_view rest = pattern.substr(percent + 1);
        if (rest.starts_with('%')) {
            out += '%';
            at = percent + 2;
            continue;
        }
        auto [number, numberLength] = position(rest);
        const std::size_t length = conversionLength(rest.substr(numberLength));
        if (length == 0) {
            out += '%';
            at = percent + 1;
            continue;
        }
        const Placeholder placeholder{number > 0 ? number - 1 : next++,
                                      rest[numberLength] != '@'};
        const std::size_t end = percent + 1 + numberLength + length;
        if (auto text = fill(placeholder))
            out += *text;
        else
            out.append(pattern.substr(percent, end - percent));
        at = end;
    }
    return out;
}

std::string format(std::string_view pattern, const std::vector<Argument>& arguments) {
    return substitute(pattern, [&](Placeholder placeholder) -> std::optional<std::string> {
        if (placeholder.index >= arguments.size())
            return std::nullopt;
        return textOf(arguments[placeholder.index]);
    });
}

std::optional<std::int64_t> firstCount(const std::vector<Argument>& arguments) {
    for (const Argument& argument : arguments)
        if (const auto* count = std::get_if<std::int64_t>(&argument))
            return *count;
    return std::nullopt;
}

std::string localizedFormat(std::string_view languageCode, std::string_view key,
                            const std::vector<Argument>& arguments) {
    const std::string text = localized(languageCode, key);
    return format(Plural::choose(languageCode, text, firstCount(arguments)),
                  arguments);
}

} // namespace velmora::Strings

#pragma once

#include "core/model/item.hpp"
#include "core/model/result.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmora {

// The deepest nesting of JSON arrays and objects the readers accept. A backup item at the
// deepest item depth sits inside five containers plus two per level above it (an object and
// its "children" array), and its own empty "children" array is one more.
inline constexpr std::size_t kMaxJSONDepth = 2 * static_cast<std::size_t>(kMaxItemDepth) + 6;

// Why JSON text could not be read (malformed, invalid UTF-8, or nested too deeply).
struct JSONParseError {
    std::string reason;

    bool operator==(const JSONParseError&) const = default;
};

// A loosely typed JSON tree, read-only. Numbers are always doubles; object member order is
// not kept, and keys and strings compare by canonical equivalence.
class JSONValue {
public:
    enum class Kind { boolean, number, string, array, object, null };
    struct Member;
    using Array = std::vector<JSONValue>;
    using Object = std::vector<Member>;

    JSONValue();
    [[nodiscard]] static JSONValue null();
    [[nodiscard]] static JSONValue boolean(bool value);
    [[nodiscard]] static JSONValue number(double value);
    [[nodiscard]] static JSONValue string(std::string value);
    [[nodiscard]] static JSONValue array(Array elements);
    // An object; a key that occurs more than once keeps its last value.
    [[nodiscard]] static JSONValue object(Object members);

    // Parses UTF-8 JSON text; any JSON text is accepted at the top, also a bare scalar.
    [[nodiscard]] static Result<JSONValue, JSONParseError> parse(std::string_view bytes);

    [[nodiscard]] Kind kind() const;
    [[nodiscard]] const bool* asBool() const;
    [[nodiscard]] const double* asNumber() const;
    [[nodiscard]] const std::string* asString() const;
    [[nodiscard]] const Array* asArray() const;
    [[nodiscard]] const Object* asObject() const;

    // The member under `key` of an object; absent for any other value or a missing key.
    [[nodiscard]] const JSONValue* member(std::string_view key) const;

    bool operator==(const JSONValue& other) const;

private:
    struct Null {
        bool operator==(const Null&) const = default;
    };
    std::variant<bool, double, std::string, Array, Object, Null> m_value;
};

struct JSONValue::Member {
    std::string key;
    JSONValue value;

    bool operator==(const Member&) const = default;
};

// Defined once Member is complete: the variant needs all its alternatives complete.
inline JSONValue::JSONValue() : m_value(Null{}) {}
inline JSONValue JSONValue::null() {
    return JSONValue();
}
inline JSONValue::Kind JSONValue::kind() const {
    return static_cast<Kind>(m_value.index());
}
inline const bool* JSONValue::asBool() const {
    return std::get_if<bool>(&m_value);
}
inline const double* JSONValue::asNumber() const {
    return std::get_if<double>(&m_value);
}
inline const std::string* JSONValue::asString() const {
    return std::get_if<std::string>(&m_value);
}
inline const JSONValue::Array* JSONValue::asArray() const {
    return std::get_if<Array>(&m_value);
}
inline const JSONValue::Object* JSONValue::asObject() const {
    return std::get_if<Object>(&m_value);
}

// The text a message shows for a value: "undefined" when absent, integral numbers without a
// fraction, strings without quotes, "array", "[object Object]", "null".
[[nodiscard]] std::string displayText(const JSONValue* value);

// The shortest decimal text that reads back as the same double; integral values below 1e15
// in magnitude without a fraction.
[[nodiscard]] std::string jsonNumberText(double value);

// `text` as a JSON string literal with its quotes. Only the quote, the backslash and the
// controls below U+0020 are escaped; invalid UTF-8 is written as U+FFFD so the output is
// always valid JSON.
[[nodiscard]] std::string jsonStringLiteral(std::string_view text);

// Appends the literal of `text` to `out` (the writers' fast path).
void appendJSONStringLiteral(std::string& out, std::string_view text);

// Whether two keys or strings are canonically equivalent.
[[nodiscard]] bool jsonKeysEqual(std::string_view a, std::string_view b);

} // namespace velmora

#include "core/formats/json_value.hpp"

#include "core/formats/json_dom.hpp"
#include "core/model/text.hpp"

#include <charconv>
#include <cmath>
#include <unordered_map>
#include <utf8proc.h>

namespace velmora {
namespace {

bool isASCII(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The form under which canonically equivalent keys coincide.
std::string canonicalKey(std::string_view key) {
    return isASCII(key) ? std::string(key) : Text::composed(key);
}

// The escape of an ASCII byte that JSON requires, or nullptr when it is written as itself.
const char* escapeOf(unsigned char c) {
    switch (c) {
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    case '\b':
        return "\\b";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\f':
        return "\\f";
    case '\r':
        return "\\r";
    default:
        return nullptr;
    }
}

void appendControlEscape(std::string& out, unsigned char c) {
    static constexpr char hex[] = "0123456789abcdef";
    out += "\\u00";
    out.push_back(hex[c >> 4]);
    out.push_back(hex[c & 0xF]);
}

// The length of the valid UTF-8 sequence at `pos`, or 0 when the bytes there are invalid.
std::size_t validSequenceLength(std::string_view text, std::size_t pos) {
    utf8proc_int32_t cp = 0;
    auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + pos),
                              static_cast<utf8proc_ssize_t>(text.size() - pos), &cp);
    return n < 1 ? 0 : static_cast<std::size_t>(n);
}

} // namespace

JSONValue JSONValue::boolean(bool value) {
    JSONValue v;
    v.m_value = value;
    return v;
}

JSONValue JSONValue::number(double value) {
    JSONValue v;
    v.m_value = value;
    return v;
}

JSONValue JSONValue::string(std::string value) {
    JSONValue v;
    v.m_value = std::move(value);
    return v;
}

JSONValue JSONValue::array(Array elements) {
    JSONValue v;
    v.m_value = std::move(elements);
    return v;
}

JSONValue JSONValue::object(Object members) {
    std::unordered_map<std::string, std::size_t> slots;
    Object unique;
    unique.reserve(members.size());
    for (auto& m : members) {
        auto [at, added] = slots.try_emplace(canonicalKey(m.key), unique.size());
        if (added)
            unique.push_back(std::move(m));
        else
            unique[at->second].value = std::move(m.value);
    }
    JSONValue v;
    v.m_value = std::move(unique);
    return v;
}

Result<JSONValue, JSONParseError> JSONValue::parse(std::string_view bytes) {
    simdjson::dom::parser parser;
    auto root = JSONDom::parse(parser, bytes);
    if (!root)
        return JSONParseError{"The text is not JSON or is nested too deeply."};
    return JSONDom::toValue(*root);
}

const JSONValue* JSONValue::member(std::string_view key) const {
    const auto* members = asObject();
    if (!members)
        return nullptr;
    for (const auto& m : *members)
        if (jsonKeysEqual(m.key, key))
            return &m.value;
    return nullptr;
}

bool JSONValue::operator==(const JSONValue& other) const {
    if (kind() != other.kind())
        return false;
    switch (kind()) {
    case Kind::string:
        return jsonKeysEqual(*asString(), *other.asString());
    case Kind::object: {
        const auto& mine = *asObject();
        if (mine.size() != other.asObject()->size())
            return false;
        for (const auto& m : mine) {
            const auto* theirs = other.member(m.key);
            if (!theirs || !(m.value == *theirs))
                return false;
        }
        return true;
    }
    default:
        return m_value == other.m_value;
    }
}

bool jsonKeysEqual(std::string_view a, std::string_view b) {
    if (a == b)
        return true;
    if (isASCII(a) && isASCII(b))
        return false;
    return Text::composed(a) == Text::composed(b);
}

std::string jsonNumberText(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc())
        return "NaN";
    return std::string(buffer, end);
}

std::string displayText(const JSONValue* value) {
    if (!value)
        return "undefined";
    switch (value->kind()) {
    case JSONValue::Kind::boolean:
        return *value->asBool() ? "true" : "false";
    case JSONValue::Kind::number:
        return jsonNumberText(*value->asNumber());
    case JSONValue::Kind::string:
        return *value->asString();
    case JSONValue::Kind::array:
        return "array";
    case JSONValue::Kind::object:
        return "[object Object]";
    case JSONValue::Kind::null:
        return "null";
    }
    return "undefined";
}

void appendJSONStringLiteral(std::string& out, std::string_view text) {
    out.push_back('"');
    std::size_t run = 0; // start of the bytes not yet copied
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto c = static_cast<unsigned char>(text[pos]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            ++pos;
            continue;
        }
        if (c >= 0x80) {
            if (auto n = validSequenceLength(text, pos)) {
                pos += n;
                continue;
            }
        }
        out.append(text.data() + run, pos - run);
        if (c >= 0x80)
            out += "\xEF\xBF\xBD";
        else if (const char* escape = escapeOf(c))
            out += escape;
        else
            appendControlEscape(out, c);
        run = ++pos;
    }
    out.append(text.data() + run, pos - run);
    out.push_back('"');
}

std::string jsonStringLiteral(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    appendJSONStringLiteral(out, text);
    return out;
}

} // namespace velmora

#pragma once

// The parsed form of JSON text that the readers of this layer walk. Internal to the layer:
// only its .cpp files include it, so simdjson stays out of the core's interface.

#include "core/formats/json_value.hpp"

#include <optional>
#include <simdjson.h>
#include <string_view>

namespace velmora::JSONDom {

using Element = simdjson::dom::element;
using Object = simdjson::dom::object;
using Array = simdjson::dom::array;

// Parses `bytes` into `parser`, skipping a UTF-8 byte-order mark and refusing nesting deeper
// than kMaxJSONDepth; the root, or nothing when the text is not JSON. The root lives as long
// as the parser and its next parse.
[[nodiscard]] std::optional<Element> parse(simdjson::dom::parser& parser, std::string_view bytes);

// The member under `key` (canonical equivalence; the last of repeated keys), or nothing.
[[nodiscard]] std::optional<Element> member(Object object, std::string_view key);

// The member under `key` when `element` is an object holding it.
[[nodiscard]] std::optional<Element> member(Element element, std::string_view key);

[[nodiscard]] std::optional<std::string_view> asString(std::optional<Element> element);
[[nodiscard]] std::optional<bool> asBool(std::optional<Element> element);
[[nodiscard]] std::optional<double> asNumber(std::optional<Element> element);
[[nodiscard]] std::optional<Array> asArray(std::optional<Element> element);
[[nodiscard]] std::optional<Object> asObject(std::optional<Element> element);

// The element as a JSONValue tree (walked without recursion).
[[nodiscard]] JSONValue toValue(Element element);

} // namespace velmora::JSONDom

#include "core/formats/json_dom.hpp"

#include <vector>

namespace velmora::JSONDom {
namespace {

JSONValue scalarValue(Element element) {
    switch (element.type()) {
    case simdjson::dom::element_type::BOOL:
        return JSONValue::boolean(element.get_bool().value_unsafe());
    case simdjson::dom::element_type::STRING:
        return JSONValue::string(std::string(element.get_string().value_unsafe()));
    case simdjson::dom::element_type::INT64:
    case simdjson::dom::element_type::UINT64:
    case simdjson::dom::element_type::DOUBLE:
        return JSONValue::number(*asNumber(element));
    default:
        return JSONValue::null();
    }
}

bool isContainer(Element element) {
    auto type = element.type();
    return type == simdjson::dom::element_type::ARRAY ||
           type == simdjson::dom::element_type::OBJECT;
}

// One open array or object while converting; children are collected until it closes.
struct Frame {
    explicit Frame(Element element)
        : isObject(element.type() == simdjson::dom::element_type::OBJECT) {
        if (isObject) {
            auto object = element.get_object().value_unsafe();
            nextMember = object.begin();
            endMember = object.end();
        } else {
            auto array = element.get_array().value_unsafe();
            nextElement = array.begin();
            endElement = array.end();
        }
    }

    bool isObject;
    Array::iterator nextElement, endElement;
    Object::iterator nextMember, endMember;
    JSONValue::Array elements;
    JSONValue::Object members;
    std::string pendingKey;

    // The next child, with its key for an object; nothing at the end.
    std::optional<Element> next() {
        if (isObject) {
            if (nextMember == endMember)
                return std::nullopt;
            pendingKey = std::string(nextMember.key());
            Element value = nextMember.value();
            ++nextMember;
            return value;
        }
        if (nextElement == endElement)
            return std::nullopt;
        Element value = *nextElement;
        ++nextElement;
        return value;
    }

    void add(JSONValue value) {
        if (isObject)
            members.push_back({std::move(pendingKey), std::move(value)});
        else
            elements.push_back(std::move(value));
    }

    JSONValue close() {
        return isObject ? JSONValue::object(std::move(members))
                        : JSONValue::array(std::move(elements));
    }
};

} // namespace

std::optional<Element> parse(simdjson::dom::parser& parser, std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (parser.allocate(bytes.size(), kMaxJSONDepth) != simdjson::SUCCESS)
        return std::nullopt;
    Element root;
    if (parser.parse(bytes.data(), bytes.size(), true).get(root) != simdjson::SUCCESS)
        return std::nullopt;
    return root;
}

std::optional<Element> member(Object object, std::string_view key) {
    std::optional<Element> found;
    for (auto field : object)
        if (jsonKeysEqual(field.key, key))
            found = field.value;
    return found;
}

std::optional<Element> member(Element element, std::string_view key) {
    Object object;
    if (element.get_object().get(object) != simdjson::SUCCESS)
        return std::nullopt;
    return member(object, key);
}

std::optional<std::string_view> asString(std::optional<Element> element) {
    std::string_view text;
    if (!element || element->get_string().get(text) != simdjson::SUCCESS)
        return std::nullopt;
    return text;
}

std::optional<bool> asBool(std::optional<Element> element) {
    bool value = false;
    if (!element || element->get_bool().get(value) != simdjson::SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<double> asNumber(std::optional<Element> element) {
    if (!element)
        return std::nullopt;
    switch (element->type()) {
    case simdjson::dom::element_type::INT64:
        return static_cast<double>(element->get_int64().value_unsafe());
    case simdjson::dom::element_type::UINT64:
        return static_cast<double>(element->get_uint64().value_unsafe());
    case simdjson::dom::element_type::DOUBLE:
        return element->get_double().value_unsafe();
    default:
        return std::nullopt;
    }
}

std::optional<Array> asArray(std::optional<Element> element) {
    Array array;
    if (!element || element->get_array().get(array) != simdjson::SUCCESS)
        return std::nullopt;
    return array;
}

std::optional<Object> asObject(std::optional<Element> element) {
    Object object;
    if (!element || element->get_object().get(object) != simdjson::SUCCESS)
        return std::nullopt;
    return object;
}

JSONValue toValue(Element root) {
    if (!isContainer(root))
        return scalarValue(root);
    std::vector<Frame> stack;
    stack.emplace_back(root);
    for (;;) {
        auto child = stack.back().next();
        if (!child) {
            JSONValue closed = stack.back().close();
            stack.pop_back();
            if (stack.empty())
                return closed;
            stack.back().add(std::move(closed));
        } else if (isContainer(*child)) {
            stack.emplace_back(*child);
        } else {
            stack.back().add(scalarValue(*child));
        }
    }
}

} // namespace velmora::JSONDom

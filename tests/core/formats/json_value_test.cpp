#include "core/formats/json_value.hpp"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

JSONValue parsed(std::string_view text) {
    auto result = JSONValue::parse(text);
    EXPECT_TRUE(result.ok()) << text;
    return result.ok() ? result.value() : JSONValue();
}

} // namespace

TEST(JSONValue, ParsesEveryCaseAndBareScalars) {
    EXPECT_EQ(parsed("1"), JSONValue::number(1.0));
    EXPECT_EQ(parsed("true"), JSONValue::boolean(true));
    EXPECT_EQ(parsed("\"1\""), JSONValue::string("1"));
    EXPECT_EQ(parsed("null"), JSONValue::null());
    EXPECT_EQ(parsed("-2.5e0").kind(), JSONValue::Kind::number);
    EXPECT_EQ(parsed("18446744073709551615"), JSONValue::number(18446744073709551615.0));
    auto value = parsed(R"({"a": [1, false, null], "b": {"c": "d"}})");
    ASSERT_NE(value.member("a"), nullptr);
    EXPECT_EQ(*value.member("a"), JSONValue::array({JSONValue::number(1), JSONValue::boolean(false),
                                                    JSONValue::null()}));
    EXPECT_EQ(*value.member("b")->member("c"), JSONValue::string("d"));
}

TEST(JSONValue, RefusesMalformedTextAndInvalidUTF8) {
    for (std::string_view text : {"", "{", "[1,]", "{\"a\" 1}", "tru", "\"\xC3\x28\"", "1 2"})
        EXPECT_FALSE(JSONValue::parse(text).ok()) << text;
    // A byte-order mark in front is allowed, as the platform's reader allows it.
    EXPECT_TRUE(JSONValue::parse("\xEF\xBB\xBF{}").ok());
}

TEST(JSONValue, NestingIsBoundedWithoutOverflowingTheStack) {
    std::string deepest(kMaxJSONDepth, '[');
    deepest += std::string(kMaxJSONDepth, ']');
    EXPECT_TRUE(JSONValue::parse(deepest).ok());
    std::string tooDeep = "[" + deepest + "]";
    EXPECT_FALSE(JSONValue::parse(tooDeep).ok());
    std::string million(1'000'000, '[');
    EXPECT_FALSE(JSONValue::parse(million + std::string(1'000'000, ']')).ok());
}

TEST(JSONValue, LookupOnlyFindsMembersOfObjects) {
    for (auto value : {parsed("[1]"), parsed("\"a\""), parsed("null"), parsed("{}")})
        EXPECT_EQ(value.member("a"), nullptr);
    EXPECT_EQ(parsed(R"({"a": 1})").member("b"), nullptr);
    // A repeated key keeps its last value.
    EXPECT_EQ(*parsed(R"({"a": 1, "a": 2})").member("a"), JSONValue::number(2));
}

TEST(JSONValue, KeysAndStringsCompareByCanonicalEquivalence) {
    // "café" with a precomposed é and with e + combining acute.
    auto composed = parsed("{\"caf\xC3\xA9\": \"\xC3\xA9\"}");
    auto decomposed = parsed("{\"cafe\xCC\x81\": \"e\xCC\x81\"}");
    EXPECT_EQ(composed, decomposed);
    EXPECT_NE(composed.member("cafe\xCC\x81"), nullptr);
    EXPECT_NE(parsed(R"("a")"), parsed(R"("A")"));
}

TEST(JSONValue, EqualityNeedsSameCaseAndPayload) {
    EXPECT_EQ(parsed(R"({"a": 1, "b": [true]})"), parsed(R"({"b": [true], "a": 1.0})"));
    EXPECT_NE(parsed("1"), parsed("true"));
    EXPECT_NE(parsed("[1, 2]"), parsed("[2, 1]"));
    EXPECT_NE(parsed("[1]"), parsed("[1, 1]"));
    EXPECT_NE(parsed(R"({"a": 1})"), parsed(R"({"a": 1, "b": 1})"));
    EXPECT_NE(parsed(R"({"a": 1})"), parsed(R"({"b": 1})"));
}

TEST(JSONValue, DisplayTextFollowsTheMessageRules) {
    EXPECT_EQ(displayText(nullptr), "undefined");
    auto shown = [](std::string_view text) {
        auto value = parsed(text);
        return displayText(&value);
    };
    EXPECT_EQ(shown("1"), "1");
    EXPECT_EQ(shown("1.0"), "1");
    EXPECT_EQ(shown("-3"), "-3");
    EXPECT_EQ(shown("-0"), "0");
    EXPECT_EQ(shown("1.5"), "1.5");
    EXPECT_EQ(shown("0.1"), "0.1");
    EXPECT_EQ(shown("999999999999999"), "999999999999999");
    EXPECT_EQ(std::stod(shown("1e15")), 1e15);
    EXPECT_EQ(std::stod(shown("1e300")), 1e300);
    EXPECT_EQ(shown("true"), "true");
    EXPECT_EQ(shown("\"x y\""), "x y");
    EXPECT_EQ(shown("[]"), "array");
    EXPECT_EQ(shown("{}"), "[object Object]");
    EXPECT_EQ(shown("null"), "null");
}

TEST(JSONStringLiteral, EscapesOnlyQuotesBackslashesAndControls) {
    EXPECT_EQ(jsonStringLiteral(""), "\"\"");
    EXPECT_EQ(jsonStringLiteral("\t\n\xC3\xA9"), "\"\\t\\n\xC3\xA9\"");
    EXPECT_EQ(jsonStringLiteral("\"\\/"), "\"\\\"\\\\/\"");
    EXPECT_EQ(jsonStringLiteral("\b\f\r\x0b\x1f\x7f"), "\"\\b\\f\\r\\u000b\\u001f\x7f\"");
    EXPECT_EQ(jsonStringLiteral(std::string_view("a\0b", 3)), "\"a\\u0000b\"");
    EXPECT_EQ(jsonStringLiteral("\xF0\x9F\x9A\x80"), "\"\xF0\x9F\x9A\x80\"");
}

TEST(JSONStringLiteral, InvalidUTF8BecomesReplacementCharacter) {
    EXPECT_EQ(jsonStringLiteral("a\xFF"
                                "b\xC3"),
              "\"a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD\"");
    // A surrogate encoded in UTF-8 is not valid UTF-8 either.
    EXPECT_EQ(jsonStringLiteral("\xED\xA0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(JSONStringLiteral, EveryLiteralReadsBackAsTheSameString) {
    std::string all;
    for (int c = 1; c < 0x80; ++c)
        all += static_cast<char>(c);
    all += "\xC3\xA9\xE2\x80\xA8\xF0\x9F\x98\x80";
    EXPECT_EQ(parsed(jsonStringLiteral(all)), JSONValue::string(all));
}

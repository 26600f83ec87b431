#include "core/commands/plural.hpp"
#include "core/commands/strings.hpp"

#include <gtest/gtest.h>

#include <limits>

using namespace velmora;
using Plural::Category;

struct CountCase {
    const char* language;
    std::int64_t count;
    Category category;
};

class PluralCategory : public testing::TestWithParam<CountCase> {};

TEST_P(PluralCategory, FollowsTheLanguagesRule) {
    EXPECT_EQ(Plural::category(GetParam().language, GetParam().count), GetParam().category)
        << GetParam().language << ' ' << GetParam().count;
}

INSTANTIATE_TEST_SUITE_P(
    Plural, PluralCategory,
    testing::Values(
        CountCase{"en", 0, Category::other}, CountCase{"en", 1, Category::one},
        CountCase{"en", 2, Category::other}, CountCase{"de", 1, Category::one},
        CountCase{"nl", 21, Category::other}, CountCase{"fr", 0, Category::one},
        CountCase{"fr", 1, Category::one}, CountCase{"fr", 2, Category::other},
        CountCase{"pt-BR", 0, Category::one}, CountCase{"it", 0, Category::other},
        CountCase{"es", 1, Category::one}, CountCase{"ja", 1, Category::other},
        CountCase{"pl", 1, Category::one}, CountCase{"pl", 2, Category::few},
        CountCase{"pl", 4, Category::few}, CountCase{"pl", 5, Category::many},
        CountCase{"pl", 0, Category::many}, CountCase{"pl", 12, Category::many},
        CountCase{"pl", 14, Category::many}, CountCase{"pl", 21, Category::many},
        CountCase{"pl", 22, Category::few}, CountCase{"pl", 112, Category::many},
        CountCase{"pl", 1002, Category::few}, CountCase{"uk", 1, Category::one},
        CountCase{"uk", 11, Category::many}, CountCase{"uk", 21, Category::one},
        CountCase{"uk", 111, Category::many}, CountCase{"uk", 3, Category::few},
        CountCase{"uk", 13, Category::many}, CountCase{"uk", 23, Category::few},
        CountCase{"uk", 0, Category::many}, CountCase{"uk", -21, Category::one},
        CountCase{"xx", 1, Category::one},
        CountCase{"pl", std::numeric_limits<std::int64_t>::min(), Category::many}),
    [](const auto& c) {
        std::string name = std::string(c.param.language) + "_" +
                           (c.param.count < 0 ? "minus" + std::to_string(-(c.param.count + 1))
                                              : std::to_string(c.param.count));
        for (char& ch : name)
            if (ch == '-')
                ch = '_';
        return name;
    });

TEST(Plural, CategoriesAreTheFormsAWholeNumberCanTake) {
    using V = std::vector<Category>;
    EXPECT_EQ(Plural::categories("en"), (V{Category::one, Category::other}));
    EXPECT_EQ(Plural::categories("pt-BR"), (V{Category::one, Category::other}));
    EXPECT_EQ(Plural::categories("pl"), (V{Category::one, Category::few, Category::many}));
    EXPECT_EQ(Plural::categories("uk"), (V{Category::one, Category::few, Category::many}));
    EXPECT_EQ(Plural::categories("ja"), (V{Category::other}));
}

TEST(Plural, FormsSplitAtCategoryMarkersOnly) {
    using F = std::vector<Plural::Form>;
    EXPECT_EQ(Plural::forms("{one}%lld day{other}%lld days"),
              (F{{Category::one, "%lld day"}, {Category::other, "%lld days"}}));
    // Braces that name no category are text, inside a form or on their own.
    EXPECT_EQ(Plural::forms("{one}a {name} b{few}{many}c"),
              (F{{Category::one, "a {name} b"}, {Category::few, ""}, {Category::many, "c"}}));
    EXPECT_EQ(Plural::forms("{name} is {one}"), std::nullopt);
    EXPECT_EQ(Plural::forms("Items: %lld"), std::nullopt);
    EXPECT_EQ(Plural::forms("{one"), std::nullopt);
}

TEST(Plural, ChooseFallsBackToOtherThenToTheLastForm) {
    const std::string_view slavic = "{one}1{few}2{many}5";
    EXPECT_EQ(Plural::choose("pl", slavic, 3), "2");
    EXPECT_EQ(Plural::choose("pl", slavic, 25), "5");
    // A form the text lacks: English "one" against Slavic forms, or no count at all.
    EXPECT_EQ(Plural::choose("en", slavic, 7), "5");
    EXPECT_EQ(Plural::choose("pl", "{one}a{other}b", 5), "b");
    EXPECT_EQ(Plural::choose("en", "{one}a{other}b", std::nullopt), "b");
    EXPECT_EQ(Plural::choose("ja", "plain %lld", 1), "plain %lld");
}

TEST(Plural, LocalizedFormatPicksTheFormOfTheFirstCount) {
    auto text = [](const char* language, std::int64_t count) {
        return Strings::localizedFormat(language, "backup.error.multipleDocuments %lld",
                                        {count});
    };
    EXPECT_NE(text("pl", 22).find("22 dokumenty"), std::string::npos) << text("pl", 22);
    EXPECT_NE(text("pl", 25).find("25 dokumentów"), std::string::npos) << text("pl", 25);
    EXPECT_NE(text("uk", 21).find("21 документ,"), std::string::npos) << text("uk", 21);
    EXPECT_NE(text("uk", 12).find("12 документів"), std::string::npos) << text("uk", 12);
    EXPECT_EQ(Strings::localizedFormat("en", "time.daysAgo %lld", {std::int64_t{1}}),
              "1 day ago");
    EXPECT_EQ(Strings::localizedFormat("en", "time.daysAgo %lld", {std::int64_t{3}}),
              "3 days ago");
    // A text argument before the count does not choose the form.
    EXPECT_EQ(Strings::firstCount({std::string("x"), std::int64_t{4}}), 4);
    EXPECT_EQ(Strings::firstCount({std::string("x")}), std::nullopt);
}

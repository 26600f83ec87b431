#include "core/layout/paper_pattern.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace velmora {
namespace {

using Ink = PatternMark::Ink;
using Shape = PatternMark::Shape;

TEST(PaperStyle, ReadsOnlyExactCaseNames) {
    EXPECT_EQ(paperStyleFromRawValue("levelBands"), PaperStyle::levelBands);
    EXPECT_EQ(paperStyleFromRawValue("Dots"), std::nullopt);
    EXPECT_EQ(paperColorFromRawValue("blueprint"), PaperColor::blueprint);
    EXPECT_EQ(checkStyleFromRawValue("web"), CheckStyle::web);
    EXPECT_EQ(scrollEdgeFromRawValue(""), std::nullopt);
    for (auto style : {PaperStyle::plain, PaperStyle::fineDots, PaperStyle::levelLines}) {
        EXPECT_EQ(paperStyleFromRawValue(rawValue(style)), style);
    }
}

TEST(AppearanceColors, StrikeCheckedDefaultsByCheckStyle) {
    EXPECT_TRUE(AppearanceColors::strikeChecked(std::nullopt, CheckStyle::web));
    EXPECT_FALSE(AppearanceColors::strikeChecked(std::nullopt, CheckStyle::box));
    EXPECT_FALSE(AppearanceColors::strikeChecked(false, CheckStyle::web));
    EXPECT_TRUE(AppearanceColors::strikeChecked(true, CheckStyle::none));
}

TEST(AppearanceColors, PaperMarginIsClampedOrStandard) {
    EXPECT_EQ(AppearanceColors::paperMargin(50), 120);
    EXPECT_EQ(AppearanceColors::paperMargin(1000), 480);
    EXPECT_EQ(AppearanceColors::paperMargin(std::nullopt), 220);
    EXPECT_EQ(AppearanceColors::paperMargin(NAN), 220);
    EXPECT_EQ(AppearanceColors::paperMargin(300), 300);
}

TEST(AppearanceColors, PaperColoursByAppearance) {
    EXPECT_EQ(AppearanceColors::paper(PaperColor::warm, true), (Rgb{0.165, 0.149, 0.125}));
    EXPECT_EQ(AppearanceColors::paper(PaperColor::warm, false), (Rgb{0.984, 0.961, 0.902}));
    EXPECT_EQ(AppearanceColors::paper(PaperColor::blueprint, true),
              AppearanceColors::paper(PaperColor::blueprint, false));
    EXPECT_EQ(AppearanceColors::paper(PaperColor::white, true), std::nullopt);
    EXPECT_EQ(AppearanceColors::label(ColorLabel::blue), (Rgb{0, 122 / 255.0, 1}));
}

TEST(CanvasPattern, GridBarsOnTheLatticeThatReachTheDirtyRect) {
    auto marks = PaperPattern::canvas(PaperStyle::grid, {0, 0, 100, 60}, {});
    std::vector<LayoutRect> rects;
    for (const auto& m : marks) {
        EXPECT_EQ(m.ink, Ink::pattern);
        EXPECT_DOUBLE_EQ(m.alpha, 0.15);
        rects.push_back(m.rect);
    }
    std::vector<LayoutRect> expected = {{0, 13, 100, 1},  {0, 38, 100, 1},  {1.5, 0, 1, 60},
                                        {26.5, 0, 1, 60}, {51.5, 0, 1, 60}, {76.5, 0, 1, 60}};
    EXPECT_EQ(rects, expected);
}

TEST(CanvasPattern, MarginLineFollowsTheFirstColumnAndStartsBelowTheTop) {
    auto redBars = [](const std::vector<PatternMark>& marks) {
        std::vector<LayoutRect> out;
        for (const auto& m : marks) {
            if (m.ink == Ink::red)
                out.push_back(m.rect);
        }
        return out;
    };
    EXPECT_EQ(redBars(PaperPattern::canvas(PaperStyle::margin, {0, 0, 400, 100}, {})),
              (std::vector<LayoutRect>{{228, 14, 1, 86}}));
    EXPECT_EQ(redBars(PaperPattern::canvas(PaperStyle::margin, {200, 50, 200, 100}, {300})),
              (std::vector<LayoutRect>{{308, 50, 1, 100}}));
    EXPECT_TRUE(redBars(PaperPattern::canvas(PaperStyle::margin, {0, 0, 100, 100}, {})).empty());
}

TEST(CanvasPattern, LevelBandsFillOddColumnsAndLevelLinesSitOnColumnEdges) {
    auto bands = PaperPattern::canvas(PaperStyle::levelBands, {0, 0, 600, 10}, {120});
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].rect, (LayoutRect{128, 0, 220, 10}));
    EXPECT_EQ(bands[1].rect, (LayoutRect{568, 0, 32, 10}));
    EXPECT_DOUBLE_EQ(bands[0].alpha, 0.04);

    auto lines = PaperPattern::canvas(PaperStyle::levelLines, {0, 0, 700, 10}, {120});
    std::vector<double> xs;
    for (const auto& m : lines)
        xs.push_back(m.rect.x);
    EXPECT_EQ(xs, (std::vector<double>{128, 348, 568}));
}

TEST(CanvasPattern, ZebraBandsAtOddSteps) {
    auto marks = PaperPattern::canvas(PaperStyle::zebra, {0, 14, 50, 100}, {});
    std::vector<double> tops;
    for (const auto& m : marks)
        tops.push_back(m.rect.y);
    EXPECT_EQ(tops, (std::vector<double>{39, 89}));
}

TEST(ListPattern, ZebraContinuesWithVirtualRowsBelowTheLast) {
    std::vector<PaperRow> rows = {{0, 0, 26}, {1, 26, 26}, {2, 52, 26}};
    auto marks = PaperPattern::list(PaperStyle::zebra, {0, 0, 50, 200}, rows, 3, 78, 26, 8);
    std::vector<LayoutRect> rects;
    for (const auto& m : marks)
        rects.push_back(m.rect);
    EXPECT_EQ(rects, (std::vector<LayoutRect>{
                         {0, 26, 50, 26}, {0, 78, 50, 26}, {0, 130, 50, 26}, {0, 182, 50, 18}}));
}

TEST(ListPattern, MarginSitsBesideTheDisclosure) {
    EXPECT_EQ(PaperPattern::listMarginX(std::nullopt), 8);
    EXPECT_EQ(PaperPattern::listMarginX(3), 5);
    EXPECT_EQ(PaperPattern::listMarginX(30), 24);
    auto marks = PaperPattern::list(PaperStyle::margin, {0, 0, 50, 52}, {}, 0, 0, 26, 24);
    EXPECT_EQ(std::count_if(marks.begin(), marks.end(), [](auto& m) { return m.ink == Ink::red; }),
              1);
}

// What a painter would put at a point: the inks and alphas of every shape covering it.
std::multiset<std::tuple<int, double>> coverage(const std::vector<PatternMark>& marks, double x,
                                                double y) {
    std::multiset<std::tuple<int, double>> out;
    for (const auto& m : marks) {
        const auto& r = m.rect;
        bool inside = m.shape == Shape::bar ? (x >= r.x && x < r.maxX() && y >= r.y && y < r.maxY())
                                            : std::hypot(x - r.midX(), y - r.midY()) <= r.width / 2;
        if (inside)
            out.insert({static_cast<int>(m.ink), m.alpha});
    }
    return out;
}

// A partial repaint must put the same pixels into its rectangle as a full paint.
class PatternRepaint : public testing::TestWithParam<PaperStyle> {};

TEST_P(PatternRepaint, PartialRepaintMatchesFullPaint) {
    LayoutRect full{0, 0, 140, 120};
    LayoutRect part{37.3, 12.9, 41.2, 27.7};
    auto whole = PaperPattern::canvas(GetParam(), full, {150});
    auto partial = PaperPattern::canvas(GetParam(), part, {150});
    std::vector<PaperRow> rows = {{0, 0, 26}, {1, 26, 26}};
    auto wholeList = PaperPattern::list(GetParam(), full, rows, 2, 52, 26, 9);
    auto partialList = PaperPattern::list(GetParam(), part, rows, 2, 52, 26, 9);
    for (double y = part.y + 0.125; y < part.maxY(); y += 0.25) {
        for (double x = part.x + 0.125; x < part.maxX(); x += 0.25) {
            ASSERT_EQ(coverage(whole, x, y), coverage(partial, x, y)) << x << "," << y;
            ASSERT_EQ(coverage(wholeList, x, y), coverage(partialList, x, y)) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStyle, PatternRepaint,
                         testing::Values(PaperStyle::dots, PaperStyle::fineDots,
                                         PaperStyle::crosses, PaperStyle::lines, PaperStyle::margin,
                                         PaperStyle::grid, PaperStyle::zebra,
                                         PaperStyle::levelBands, PaperStyle::levelLines),
                         [](const testing::TestParamInfo<PaperStyle>& param) {
                             return std::string(rawValue(param.param));
                         });

} // namespace
} // namespace velmora

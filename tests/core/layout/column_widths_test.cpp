#include "core/layout/column_widths.hpp"
#include "core/layout/tree_layout.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace velmora;

struct ColumnCase {
    const char* name;
    std::vector<double> columns;
    int depth;
    double width;
    double origin;
    double node;
};

class ColumnFunctions : public testing::TestWithParam<ColumnCase> {};

TEST_P(ColumnFunctions, WidthOriginAndNodeWidth) {
    const auto& c = GetParam();
    EXPECT_EQ(TreeLayout::columnWidth(c.depth, c.columns), c.width);
    EXPECT_EQ(TreeLayout::columnOrigin(c.depth, c.columns), c.origin);
    EXPECT_EQ(TreeLayout::nodeWidth(c.depth, c.columns), c.node);
}

INSTANTIATE_TEST_SUITE_P(TreeLayout, ColumnFunctions,
                         testing::Values(ColumnCase{"NoWidths", {}, 0, 220, 0, 184},
                                         ColumnCase{"NoWidthsDeeper", {}, 3, 220, 660, 184},
                                         ColumnCase{"NegativeDepth", {300}, -1, 220, 0, 184},
                                         ColumnCase{"BelowRange", {100, 600}, 0, 120, 0, 84},
                                         ColumnCase{"AboveRange", {100, 600}, 1, 480, 120, 444},
                                         ColumnCase{"PastStored", {100, 600}, 2, 220, 600, 184},
                                         ColumnCase{"InRange", {250, 300}, 1, 300, 250, 264}),
                         [](const auto& c) { return std::string(c.param.name); });

TEST(ColumnWidths, WidthClampsStoredEntriesOnly) {
    EXPECT_EQ(ColumnWidths::width(0, std::nullopt), 220);
    EXPECT_EQ(ColumnWidths::width(-1, std::vector<double>{300}), 220);
    EXPECT_EQ(ColumnWidths::width(0, std::vector<double>{90}), 120);
    EXPECT_EQ(ColumnWidths::width(1, std::vector<double>{300, 500}), 480);
    EXPECT_EQ(ColumnWidths::width(2, std::vector<double>{300, 500}), 220);
}

TEST(ColumnWidths, NotANumberFallsBackToTheStandardWidth) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(ColumnWidths::clamped(nan), 220);
    EXPECT_EQ(ColumnWidths::clamped(std::numeric_limits<double>::infinity()), 480);
    EXPECT_EQ(TreeLayout::columnOrigin(2, {nan, 130}), 350);
}

TEST(ColumnWidths, SettingFillsMissingColumns) {
    EXPECT_EQ(ColumnWidths::setting(std::nullopt, 2, 500, 300),
              (std::vector<double>{300, 220, 480}));
    EXPECT_EQ(ColumnWidths::setting(std::vector<double>{130}, 0, 90, 300),
              (std::vector<double>{120}));
    EXPECT_EQ(ColumnWidths::setting(std::vector<double>{}, 0, 200, 1000),
              (std::vector<double>{200}));
    // Entries other than the one set keep their stored value, even outside the range.
    EXPECT_EQ(ColumnWidths::setting(std::vector<double>{90, 700}, 2, 250, 300),
              (std::vector<double>{90, 700, 250}));
}

TEST(ColumnWidths, SettingOutsideTheShownDepthsChangesNothing) {
    EXPECT_EQ(ColumnWidths::setting(std::nullopt, -1, 200, 300), std::vector<double>{});
    EXPECT_EQ(ColumnWidths::setting(std::vector<double>{150}, -3, 200, 300),
              (std::vector<double>{150}));
    EXPECT_EQ(ColumnWidths::setting(std::vector<double>{150}, kMaxItemDepth + 1, 200, 300),
              (std::vector<double>{150}));
}

#include "core/layout/page_breaks.hpp"
#include "core/layout/print_layout.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <string>

using namespace velmora;

namespace {

// Rows stacked from `top` with the heights and a gap between them, as a printed list lays them.
std::vector<PageSpan> stacked(const std::vector<double>& heights, double top = 0, double gap = 6) {
    std::vector<PageSpan> rows;
    double y = top;
    for (double h : heights) {
        rows.push_back({y, y + h});
        y += h + gap;
    }
    return rows;
}

// Whether any page boundary lies strictly inside a row that is not taller than a page.
bool cutsAvoidableRow(const std::vector<PageSpan>& rows, const std::vector<PageSpan>& pages,
                      double pageLength) {
    for (std::size_t i = 0; i + 1 < pages.size(); ++i) {
        const double at = pages[i].end;
        for (const PageSpan& row : rows) {
            if (row.start < at && row.end > at && row.length() <= pageLength) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

// --- The break rule ------------------------------------------------------------------------

struct BreakCase {
    const char* name;
    std::vector<PageSpan> frames;
    double proposed;
    double limit;
    double expected;
};

void PrintTo(const BreakCase& c, std::ostream* os) {
    *os << c.name;
}

class PageBreakRule : public testing::TestWithParam<BreakCase> {};

TEST_P(PageBreakRule, MovesAboveTheFramesItWouldCut) {
    const auto& c = GetParam();
    EXPECT_EQ(PageBreaks::adjusted(c.frames, c.proposed, c.limit), c.expected);
    // A single cut frame: settling gives the same break.
    PageBreaks::Index index(c.frames);
    EXPECT_EQ(index.settle(c.proposed, c.limit), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    PageBreaks, PageBreakRule,
    testing::Values(
        BreakCase{"NoFrames", {}, 700, 0, 700},
        BreakCase{"BetweenRows", {{0, 17}, {23, 40}}, 20, 0, 20},
        BreakCase{"RowEndsOnTheBreak", {{0, 17}, {23, 40}}, 40, 0, 40},
        BreakCase{"RowStartsOnTheBreak", {{0, 17}, {23, 40}}, 23, 0, 23},
        BreakCase{"CutsOneRow", {{0, 17}, {23, 40}}, 30, 0, 23},
        BreakCase{"TallRowMovesToTheNextPage", {{10, 2000}}, 700, 0, 10},
        BreakCase{"RowTallerThanAPageIsCut", {{10, 2000}}, 710, 10, 710},
        BreakCase{"RowStartsOnTheLimit", {{100, 900}}, 700, 100, 700},
        BreakCase{"RowStartsJustBelowTheLimit", {{101, 900}}, 700, 100, 101},
        BreakCase{"SmallestTopOfSeveralCuts", {{50, 800}, {300, 750}, {600, 720}}, 700, 0, 50},
        BreakCase{"BoxesOfOtherColumnsUncut", {{600, 640}, {645, 675}, {680, 720}}, 700, 0, 680}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(PageBreaks, SettlingAvoidsABoxTheMovedBreakWouldCut) {
    // A tree: the break at 700 cuts the child box at 690…720; moving above it cuts the parent
    // box 670…695 of the column to the left, which ended above the proposed break.
    const std::vector<PageSpan> boxes{{670, 695}, {690, 720}};
    EXPECT_EQ(PageBreaks::adjusted(boxes, 700, 0), 690);
    EXPECT_EQ(PageBreaks::Index(boxes).settle(700, 0), 670);
    // When settling reaches a box it cannot move above, the break stays where it got to.
    EXPECT_EQ(PageBreaks::Index(boxes).settle(700, 680), 690);
}

TEST(PageBreaks, IndexIgnoresEmptyAndUnmeasurableFrames) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    PageBreaks::Index index({{100, 100}, {nan, 800}, {200, 150}, {650, 720}});
    EXPECT_EQ(index.size(), 1u);
    EXPECT_EQ(index.settle(700, 0), 650);
}

// --- Pagination ----------------------------------------------------------------------------

struct PaginationCase {
    const char* name;
    std::vector<double> rowHeights;
    double pageLength;
    std::vector<double> expectedBreaks; // the ends of every page but the last
};

void PrintTo(const PaginationCase& c, std::ostream* os) {
    *os << c.name;
}

class Pagination : public testing::TestWithParam<PaginationCase> {};

TEST_P(Pagination, BreaksBetweenRowsAndCoversEverything) {
    const auto& c = GetParam();
    const auto rows = stacked(c.rowHeights, 31);
    const double length = rows.empty() ? 31 : rows.back().end + 6;
    const auto pages = PageBreaks::paginate(rows, length, c.pageLength);

    std::vector<double> breaks;
    for (std::size_t i = 0; i + 1 < pages.size(); ++i) {
        breaks.push_back(pages[i].end);
    }
    EXPECT_EQ(breaks, c.expectedBreaks);
    // The pages follow one another from 0 to the end, none longer than a page.
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages.front().start, 0);
    EXPECT_EQ(pages.back().end, length);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_GT(pages[i].length(), 0);
        EXPECT_LE(pages[i].length(), c.pageLength + 1e-9);
        if (i > 0) {
            EXPECT_EQ(pages[i].start, pages[i - 1].end);
        }
    }
    EXPECT_FALSE(cutsAvoidableRow(rows, pages, c.pageLength));
}

INSTANTIATE_TEST_SUITE_P(
    PageBreaks, Pagination,
    testing::Values(
        // Rows 17 high with a gap of 6 start every 23 points below a header of 31.
        PaginationCase{"OnePage", {17, 17, 17}, 700, {}},
        PaginationCase{"EvenRows", std::vector<double>(60, 17), 400, {399, 790, 1181}},
        PaginationCase{"NotesMakeTallRows", {17, 60, 17, 120, 17, 200, 17}, 200, {143, 292, 492}},
        PaginationCase{"RowTallerThanAPageIsCut", {17, 500, 17}, 200, {54, 254, 454}},
        PaginationCase{"ShortPages", std::vector<double>(5, 17), 30, {30, 54, 77, 100, 123}}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(PageBreaks, ManyRowsOnManyPageSizesNeverCutAShortRow) {
    // Row heights cycling through one line, a wrapped title and titles with notes.
    std::vector<double> heights(2000);
    const double pattern[] = {17, 17, 34, 17, 52, 17, 17, 96, 17, 230};
    for (std::size_t i = 0; i < heights.size(); ++i) {
        heights[i] = pattern[i % std::size(pattern)];
    }
    const auto rows = stacked(heights, 40);
    const double length = rows.back().end + 6;
    for (double pageLength : {120.0, 233.5, 500.0, 648.0, 733.89, 1000.0}) {
        SCOPED_TRACE(pageLength);
        const auto pages = PageBreaks::paginate(rows, length, pageLength);
        EXPECT_FALSE(cutsAvoidableRow(rows, pages, pageLength));
        EXPECT_EQ(pages.back().end, length);
        EXPECT_LE(pages.size(), static_cast<std::size_t>(2 * length / pageLength) + 2);
    }
}

TEST(PageBreaks, DegenerateLengthsGiveOnePage) {
    const std::vector<PageSpan> rows{{0, 17}};
    EXPECT_EQ(PageBreaks::paginate(rows, 0, 100), (std::vector<PageSpan>{{0, 0}}));
    EXPECT_EQ(PageBreaks::paginate(rows, 50, 0), (std::vector<PageSpan>{{0, 50}}));
    EXPECT_EQ(PageBreaks::paginate(rows, 50, -3), (std::vector<PageSpan>{{0, 50}}));
    EXPECT_EQ(PageBreaks::paginate(rows, 50, std::numeric_limits<double>::infinity()),
              (std::vector<PageSpan>{{0, 50}}));
    EXPECT_EQ(PageBreaks::paginate(rows, std::numeric_limits<double>::quiet_NaN(), 100),
              (std::vector<PageSpan>{{0, 0}}));
}

TEST(PageBreaks, SpansOfRectangles) {
    const std::vector<LayoutRect> frames{{10, 20, 30, 40}};
    EXPECT_EQ(PageBreaks::verticalSpans(frames), (std::vector<PageSpan>{{20, 60}}));
    EXPECT_EQ(PageBreaks::horizontalSpans(frames), (std::vector<PageSpan>{{10, 40}}));
}

// --- Printed list geometry -----------------------------------------------------------------

struct ColumnsCase {
    const char* name;
    int depth;
    double width;
    bool dot;
    PrintLayout::RowColumns expected;
};

void PrintTo(const ColumnsCase& c, std::ostream* os) {
    *os << c.name;
}

class PrintedRowColumns : public testing::TestWithParam<ColumnsCase> {};

TEST_P(PrintedRowColumns, IndentMarkerDotAndTitle) {
    const auto& c = GetParam();
    EXPECT_EQ(PrintLayout::columns(c.depth, c.width, c.dot), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    PrintLayout, PrintedRowColumns,
    testing::Values(
        ColumnsCase{"Root", 0, 500, false, {0, 6, 9, std::nullopt, 16, 484}},
        ColumnsCase{"Depth3WithDot", 3, 500, true, {54, 60, 9, LayoutRect{70, 5, 8, 8}, 84, 416}},
        // The indent stops where 220 points would be left.
        ColumnsCase{"DeepRowKeepsRoom", 40, 500, false, {280, 286, 9, std::nullopt, 296, 204}},
        // A page 200 points wide has no room to indent at all.
        ColumnsCase{"NarrowPageNoIndent", 5, 200, false, {0, 6, 9, std::nullopt, 16, 184}},
        // The title is never narrower than 40 points.
        ColumnsCase{"TinyPage", 2, 30, true, {0, 6, 9, LayoutRect{16, 5, 8, 8}, 30, 40}}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(PrintLayout, HeightsAndHeader) {
    EXPECT_EQ(PrintLayout::titleHeight(15.1), 17);
    EXPECT_EQ(PrintLayout::titleHeight(30.2), 31);
    EXPECT_EQ(PrintLayout::titleHeight(std::numeric_limits<double>::quiet_NaN()), 17);
    EXPECT_EQ(PrintLayout::firstRowTop(21.3), 36);
    EXPECT_EQ(PrintLayout::firstRowTop(0), 14);
}

TEST(PrintLayout, FitScaleNeverEnlarges) {
    EXPECT_EQ(PrintLayout::fitScale({100, 100}, {500, 700}), 1);
    EXPECT_EQ(PrintLayout::fitScale({1000, 100}, {500, 700}), 0.5);
    EXPECT_EQ(PrintLayout::fitScale({100, 1400}, {500, 700}), 0.5);
    EXPECT_EQ(PrintLayout::fitScale({0, 0}, {500, 700}), 1);
    EXPECT_TRUE(PrintLayout::prefersLandscape({800, 300}));
    EXPECT_FALSE(PrintLayout::prefersLandscape({300, 300}));
}

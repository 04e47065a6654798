// Clipping, extension and hit testing of drawing-tool lines, and retracement levels;
// expected points worked out by hand on a 200 x 100 pane (inner box 1..198 x 1..98 for
// a one-pixel line).
#include "chart/ToolGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const CRect kPane(0, 0, 200, 100);
}

TEST(ToolGeometry, RaysRunToTheEdgeInTheirDirection)
{
    // A horizontal ray drawn right to left reaches the left edge.
    CPoint a(150, 50), b(100, 50);
    ASSERT_TRUE(ClipToolLine(a, b, kPane, kExtendRay, 1));
    EXPECT_EQ(CPoint(150, 50), a);
    EXPECT_EQ(CPoint(1, 50), b);
    // Left to right reaches the right edge.
    a = CPoint(100, 50), b = CPoint(150, 50);
    ASSERT_TRUE(ClipToolLine(a, b, kPane, kExtendRay, 1));
    EXPECT_EQ(CPoint(198, 50), b);
    // A vertical ray drawn downwards reaches the bottom, upwards the top.
    a = CPoint(50, 20), b = CPoint(50, 40);
    ASSERT_TRUE(ClipToolLine(a, b, kPane, kExtendRay, 1));
    EXPECT_EQ(CPoint(50, 20), a);
    EXPECT_EQ(CPoint(50, 98), b);
    a = CPoint(50, 40), b = CPoint(50, 20);
    ASSERT_TRUE(ClipToolLine(a, b, kPane, kExtendRay, 1));
    EXPECT_EQ(CPoint(50, 1), b);
    // A steep ray (slope 10) downwards: through y = 98 at x = (98 + 990) / 10 = 108.8.
    a = CPoint(100, 10), b = CPoint(101, 20);
    ASSERT_TRUE(ClipToolLine(a, b, kPane, kExtendRay, 1));
    EXPECT_EQ(CPoint(100, 10), a);
    EXPECT_EQ(CPoint(109, 98), b);
}

TEST(ToolGeometry, LinesRunEdgeToEdgeAndSegmentsStay)
{
    // Slope 0.5 through (50, 50): from the left edge (1, 25.5) to where it leaves the
    // bottom, y 98 at x 146.
    CPoint a(50, 50), b(60, 55);
    ASSERT_TRUE(ClipToolLine(a, b, kPane, kExtendLine, 1));
    EXPECT_EQ(CPoint(1, 26), a);
    EXPECT_EQ(CPoint(146, 98), b);
    // A vertical line runs from the bottom to the top.
    a = CPoint(70, 40), b = CPoint(70, 60);
    ASSERT_TRUE(ClipToolLine(a, b, kPane, kExtendLine, 1));
    EXPECT_EQ(CPoint(70, 98), a);
    EXPECT_EQ(CPoint(70, 1), b);
    // A segment inside stays as it is; one partly outside is cut at the edge.
    a = CPoint(20, 20), b = CPoint(80, 50);
    ASSERT_TRUE(ClipToolLine(a, b, kPane, kExtendSegment, 1));
    EXPECT_EQ(CPoint(20, 20), a);
    EXPECT_EQ(CPoint(80, 50), b);
    a = CPoint(-20, 10), b = CPoint(20, 30);
    ASSERT_TRUE(ClipToolLine(a, b, kPane, kExtendSegment, 1));
    EXPECT_EQ(CPoint(1, 21), a); // y = 0.5 x + 20 at x 1: 20.5 rounds away from zero
    // A segment wholly left of the pane is not visible; thicker lines shrink the box.
    a = CPoint(-50, 10), b = CPoint(-10, 40);
    EXPECT_FALSE(ClipToolLine(a, b, kPane, kExtendSegment, 1));
    a = CPoint(100, 5), b = CPoint(150, 5);
    EXPECT_FALSE(ClipToolLine(a, b, kPane, kExtendSegment, 15)); // half width 8: box starts at 8
    // A line that misses the pane entirely.
    a = CPoint(0, -50), b = CPoint(10, -40);
    EXPECT_FALSE(ClipToolLine(a, b, kPane, kExtendSegment, 1));
}

TEST(ToolGeometry, HitTesting)
{
    // A one-pixel line: t = 1 + 1 = 2.
    EXPECT_TRUE(HitsClippedLine(CPoint(100, 52), CPoint(10, 50), CPoint(190, 50), 1));
    EXPECT_FALSE(HitsClippedLine(CPoint(100, 53), CPoint(10, 50), CPoint(190, 50), 1));
    EXPECT_FALSE(HitsClippedLine(CPoint(193, 50), CPoint(10, 50), CPoint(190, 50), 1));
    EXPECT_TRUE(HitsClippedLine(CPoint(192, 50), CPoint(10, 50), CPoint(190, 50), 1));
    // Vertical lines use the horizontal distance.
    EXPECT_TRUE(HitsClippedLine(CPoint(72, 30), CPoint(70, 10), CPoint(70, 90), 1));
    EXPECT_FALSE(HitsClippedLine(CPoint(73, 30), CPoint(70, 10), CPoint(70, 90), 1));
    // y = x: from (10, 0) the foot is (5, 5), sqrt(50) away.
    EXPECT_NEAR(std::sqrt(50.0), DistanceToLine(10, 0, 1.0, 0.0), 1e-12);
    EXPECT_NEAR(2.0, DistanceToLine(100, 52, 0.0, 50.0), 1e-12);
    // Handles: x from a - h - 2 to a + h + 1, y from a - h - 1 to a + h + 2 (h = 1).
    EXPECT_TRUE(IsNearAnchorPoint(CPoint(47, 49), CPoint(50, 50), 1));
    EXPECT_FALSE(IsNearAnchorPoint(CPoint(46, 50), CPoint(50, 50), 1));
    EXPECT_TRUE(IsNearAnchorPoint(CPoint(52, 53), CPoint(50, 50), 1));
    EXPECT_FALSE(IsNearAnchorPoint(CPoint(53, 50), CPoint(50, 50), 1));
    EXPECT_FALSE(IsNearAnchorPoint(CPoint(50, 47), CPoint(50, 50), 1));
}

TEST(ToolGeometry, RetracementLevelsOfARise)
{
    // A rise from 100 to 200 drawn left to right rises on screen (negative pixel slope).
    const double percents[] = {38.2, 61.8, 70.7, 78.6, 84.1, 127.2, 161.8, 261.8};
    const double prices[] = {161.8, 138.2, 129.3, 121.4, 115.9, 72.8, 38.2, -61.8};
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(prices[i], RetracementLevelPrice(200, 100, percents[i], -2.0), 1e-9) << percents[i];
    // Flat (one bar) counts down from the high; a fall counts up from the low.
    EXPECT_NEAR(161.8, RetracementLevelPrice(200, 100, 38.2, 0.0), 1e-9);
    EXPECT_NEAR(138.2, RetracementLevelPrice(200, 100, 38.2, 0.5), 1e-9);
}

TEST(ToolGeometry, ShortFloatTexts)
{
    char text[32];
    FormatShortFloat(text, sizeof text, 2.50);
    EXPECT_STREQ("2.5", text);
    FormatShortFloat(text, sizeof text, 2.0);
    EXPECT_STREQ("2", text);
    FormatShortFloat(text, sizeof text, -2.0);
    EXPECT_STREQ("-2", text);
    FormatShortFloat(text, sizeof text, 38.2);
    EXPECT_STREQ("38.2", text);
    FormatShortFloat(text, sizeof text, 0.0);
    EXPECT_STREQ("0", text);
}

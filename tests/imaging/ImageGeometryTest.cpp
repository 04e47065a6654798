#include "imaging/CQxRect2.h"
#include "imaging/CQxRegion.h"
#include "imaging/QxResource.h"
#include "tests/imaging/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

TEST(ImageGeometry, CrossSectionOverlapTouchAndApart)
{
    const CQxRect2 a(0, 0, 2, 2);
    const CQxRect2 b(1, 1, 3, 3);
    const CQxRect2 ab = a.CrossSection(b);
    EXPECT_FLOAT_EQ(ab.botLeft.x, 1);
    EXPECT_FLOAT_EQ(ab.botLeft.y, 1);
    EXPECT_FLOAT_EQ(ab.topRight.x, 2);
    EXPECT_FLOAT_EQ(ab.topRight.y, 2);
    EXPECT_FLOAT_EQ(ab.Surface(), 1);

    const CQxRect2 touch = CQxRect2(0, 0, 1, 1).CrossSection(CQxRect2(1, 0, 2, 1));
    EXPECT_FLOAT_EQ(touch.botLeft.x, 1);
    EXPECT_FLOAT_EQ(touch.topRight.x, 1);
    EXPECT_FLOAT_EQ(touch.topRight.y, 1);
    EXPECT_FLOAT_EQ(touch.Surface(), 0);

    const CQxRect2 apart = CQxRect2(0, 0, 1, 1).CrossSection(CQxRect2(2, 2, 3, 3));
    EXPECT_FLOAT_EQ(apart.botLeft.x, 0);
    EXPECT_FLOAT_EQ(apart.topRight.y, 0);
}

TEST(ImageGeometry, PointDistanceAndRectMeasures)
{
    EXPECT_FLOAT_EQ(CQxPoint2(0, 0).Distance(CQxPoint2(3, 4)), 5);
    EXPECT_FLOAT_EQ(CQxPoint2(1, 1).Distance(4, 5), 5);
    const CQxRect2 r(4, 1, 2, 5);
    EXPECT_FLOAT_EQ(r.Width(), -2);
    EXPECT_FLOAT_EQ(r.Height(), 4);
    EXPECT_FLOAT_EQ(r.Center().x, 3);
    EXPECT_FLOAT_EQ(r.Center().y, 3);
}

TEST(ImageRegion, RowsMergeOverlappingAndAdjacentSpans)
{
    CQxRegion rgn;
    EXPECT_TRUE(rgn.IsEmpty());
    rgn.CombineRect(RECT{5, 0, 8, 1});
    rgn.CombineRect(RECT{0, 0, 2, 1});
    rgn.CombineRect(RECT{2, 0, 3, 1});   // touches [0,2): merges
    rgn.CombineRect(RECT{7, 0, 10, 2});  // overlaps [5,8) on row 0, new on row 1
    rgn.CombineRect(RECT{4, 4, 4, 9});   // empty: ignored
    const std::vector<RECT> rects = rgn.GetRects();
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].left, 0);
    EXPECT_EQ(rects[0].right, 3);
    EXPECT_EQ(rects[1].left, 5);
    EXPECT_EQ(rects[1].right, 10);
    EXPECT_EQ(rects[2].top, 1);
    EXPECT_EQ(rects[2].left, 7);
    EXPECT_TRUE(rgn.PtInRegion(9, 1));
    EXPECT_FALSE(rgn.PtInRegion(3, 0));
    EXPECT_FALSE(rgn.PtInRegion(0, 5));
    const RECT box = rgn.GetBox();
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.bottom, 2);
}

TEST(ImageRegion, SpanSwallowsSeveralNeighbours)
{
    CQxRegion rgn;
    rgn.CombineRect(RECT{0, 0, 1, 1});
    rgn.CombineRect(RECT{2, 0, 3, 1});
    rgn.CombineRect(RECT{4, 0, 5, 1});
    rgn.CombineRect(RECT{1, 0, 4, 1});
    ASSERT_EQ(rgn.GetRects().size(), 1u);
    EXPECT_EQ(rgn.GetRects()[0].right, 5);
}

// Resources embedded by the build: this test's own source file.
extern const QxResourceModule qx_imaging_test_resources;

TEST(ImageResource, EmbeddedBytesMatchTheFile)
{
    HRSRC res = QxFindResource(&qx_imaging_test_resources, "ImageGeometryTest.cpp");
    ASSERT_NE(res, nullptr);
    std::ifstream in(qx_imaging_test::TestSourceDir() + "/ImageGeometryTest.cpp", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(QxSizeofResource(&qx_imaging_test_resources, res), text.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(QxLockResource(res)), text.size()), text);
    EXPECT_EQ(QxFindResource(&qx_imaging_test_resources, "nothing"), nullptr);
    EXPECT_EQ(QxSizeofResource(nullptr, nullptr), 0u);
}

// Drawing through CDC on memory contexts.
#include "platform/ui/CBitmap.h"
#include "platform/ui/CBrush.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CPen.h"
#include "platform/ui/CRgn.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A white memory context with a fixed pixel font.
struct Canvas {
    CBitmap bitmap;
    CDC dc;
    CFont font;
    Canvas(int w, int h)
    {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bitmap);
        font.CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
        dc.SelectObject(&font);
        dc.FillSolidRect(0, 0, w, h, kWhite);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(kBlack);
    }
    // Bounding box of the non-white pixels.
    CRect Ink() const
    {
        const QImage& img = *bitmap.Image();
        CRect box(img.width(), img.height(), -1, -1);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }
    void Clear() { dc.FillSolidRect(0, 0, bitmap.Image()->width(), bitmap.Image()->height(), kWhite); }
};

}  // namespace

TEST(Drawing, DrawTextAlignsLeftCentreRightAndVertically)
{
    Canvas c(300, 60);
    CRect r(0, 0, 300, 60);
    c.dc.DrawText("Quote", &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    const CRect left = c.Ink();
    ASSERT_LT(left.left, 5);
    EXPECT_LT(left.right, 150);
    const int middle = (left.top + left.bottom) / 2;
    EXPECT_NEAR(middle, 30, 5);

    c.Clear();
    c.dc.DrawText("Quote", &r, DT_RIGHT | DT_SINGLELINE | DT_BOTTOM);
    const CRect right = c.Ink();
    EXPECT_GT(right.right, 290);
    EXPECT_GT(right.bottom, 50);
    EXPECT_EQ(right.Width(), left.Width());

    c.Clear();
    c.dc.DrawText("Quote", &r, DT_CENTER | DT_SINGLELINE | DT_TOP);
    const CRect centre = c.Ink();
    EXPECT_NEAR((centre.left + centre.right) / 2, 150, 3);
    EXPECT_LT(centre.top, 10);
}

TEST(Drawing, CalcRectMeasuresWithoutDrawing)
{
    Canvas c(300, 60);
    CRect r(10, 5, 300, 60);
    const int height = c.dc.DrawText("Measured text", &r, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(c.Ink().right, -1);  // nothing drawn
    const CSize extent = c.dc.GetTextExtent("Measured text");
    EXPECT_EQ(r.Width(), extent.cx);
    EXPECT_EQ(r.Height(), height);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 5);
    TEXTMETRIC tm;
    ASSERT_TRUE(c.dc.GetTextMetrics(&tm));
    EXPECT_EQ(tm.tmHeight, height);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);

    CRect wrapped(0, 0, 60, 0);
    const int lines = c.dc.DrawText("one two three four five", &wrapped, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GT(lines, 2 * tm.tmHeight);
    EXPECT_LE(wrapped.Width(), 60);
}

TEST(Drawing, EndEllipsisKeepsTextInsideItsRectangle)
{
    Canvas c(300, 30);
    const CString text = "A long symbol description that does not fit";
    CRect narrow(0, 0, 120, 30);
    c.dc.DrawText(text, &narrow, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    const CRect ellipsis = c.Ink();
    EXPECT_LE(ellipsis.right, 120);
    EXPECT_GT(ellipsis.right, 80);

    // Without the ellipsis and without clipping the text runs past the rectangle.
    c.Clear();
    c.dc.DrawText(text, &narrow, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(c.Ink().right, 120);

    // Clipped without ellipsis: nothing outside either, but the pictures differ.
    c.Clear();
    c.dc.DrawText(text, &narrow, DT_SINGLELINE);
    EXPECT_LE(c.Ink().right, 120);
}

TEST(Drawing, TabsExpandAndPrefixesAreHidden)
{
    Canvas c(300, 30);
    CRect r1(0, 0, 300, 30);
    c.dc.DrawText("a\tb", &r1, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    CRect r2(0, 0, 300, 30);
    c.dc.DrawText("ab", &r2, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_GT(r1.Width(), r2.Width() + c.dc.GetTextExtent("a").cx);
    CRect withPrefix(0, 0, 300, 30);
    c.dc.DrawText("&File", &withPrefix, DT_SINGLELINE | DT_CALCRECT);
    CRect plain(0, 0, 300, 30);
    c.dc.DrawText("File", &plain, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(withPrefix.Width(), plain.Width());
}

TEST(Drawing, ShapesPixelsAndBlocksLandWhereAsked)
{
    Canvas c(100, 100);
    c.dc.SetPixel(3, 4, RGB(10, 20, 30));
    EXPECT_EQ(c.dc.GetPixel(3, 4), RGB(10, 20, 30));
    c.dc.FillSolidRect(10, 10, 20, 20, RGB(255, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(29, 29), RGB(255, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(30, 30), kWhite);  // the right and bottom edges are outside

    CPen pen(PS_SOLID, 1, RGB(0, 0, 255));
    CBrush brush(RGB(0, 255, 0));
    CPen* oldPen = c.dc.SelectObject(&pen);
    CBrush* oldBrush = c.dc.SelectObject(&brush);
    c.dc.Rectangle(40, 40, 50, 50);
    EXPECT_EQ(c.dc.GetPixel(40, 40), RGB(0, 0, 255));
    EXPECT_EQ(c.dc.GetPixel(49, 49), RGB(0, 0, 255));
    EXPECT_EQ(c.dc.GetPixel(45, 45), RGB(0, 255, 0));
    EXPECT_EQ(c.dc.GetPixel(50, 50), kWhite);
    c.dc.MoveTo(0, 90);
    c.dc.LineTo(60, 90);
    EXPECT_EQ(c.dc.GetPixel(30, 90), RGB(0, 0, 255));
    EXPECT_EQ(c.dc.GetCurrentPosition(), CPoint(60, 90));
    c.dc.Draw3dRect(60, 0, 10, 10, RGB(255, 255, 0), RGB(0, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(60, 0), RGB(255, 255, 0));
    EXPECT_EQ(c.dc.GetPixel(69, 9), kBlack);
    c.dc.SelectObject(oldPen);
    c.dc.SelectObject(oldBrush);

    Canvas target(100, 100);
    target.dc.BitBlt(0, 0, 30, 30, &c.dc, 10, 10, SRCCOPY);
    EXPECT_EQ(target.dc.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(target.dc.GetPixel(29, 29), kWhite);  // source (39, 39)
    EXPECT_EQ(target.dc.GetPixel(19, 19), RGB(255, 0, 0));
}

TEST(Drawing, StateSavesRestoresAndClips)
{
    Canvas c(100, 100);
    const int saved = c.dc.SaveDC();
    c.dc.SetTextColor(RGB(1, 2, 3));
    c.dc.SetBkMode(OPAQUE);
    c.dc.IntersectClipRect(0, 0, 50, 50);
    c.dc.FillSolidRect(0, 0, 100, 100, RGB(9, 9, 9));
    EXPECT_EQ(c.dc.GetPixel(49, 49), RGB(9, 9, 9));
    EXPECT_EQ(c.dc.GetPixel(50, 50), kWhite);
    CRect box;
    c.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 50, 50));
    ASSERT_TRUE(c.dc.RestoreDC(saved));
    EXPECT_EQ(c.dc.GetTextColor(), kBlack);
    EXPECT_EQ(c.dc.GetBkMode(), TRANSPARENT);
    c.dc.FillSolidRect(60, 60, 10, 10, RGB(9, 9, 9));
    EXPECT_EQ(c.dc.GetPixel(65, 65), RGB(9, 9, 9));
    EXPECT_FALSE(c.dc.RestoreDC(saved));

    c.dc.SetViewportOrg(20, 20);
    c.dc.SetPixel(0, 0, RGB(7, 7, 7));
    c.dc.SetViewportOrg(0, 0);
    EXPECT_EQ(c.dc.GetPixel(20, 20), RGB(7, 7, 7));
}

TEST(Drawing, FontsCarryWeightAndStrikeOut)
{
    CFont bold;
    bold.CreateFont(-20, 0, 0, 0, FW_BOLD, 0, 0, TRUE, ANSI_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
    LOGFONT lf;
    ASSERT_GT(bold.GetLogFont(&lf), 0);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(bold.ToQFont().strikeOut());
    EXPECT_TRUE(bold.ToQFont().bold());
    EXPECT_EQ(bold.ToQFont().pixelSize(), 20);

    Canvas normal(200, 40);
    Canvas heavy(200, 40);
    heavy.dc.SelectObject(&bold);
    CFont regular;
    regular.CreateFont(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
    normal.dc.SelectObject(&regular);
    EXPECT_GT(heavy.dc.GetTextExtent("WWWW").cx, normal.dc.GetTextExtent("WWWW").cx - 1);
}

TEST(Drawing, RegionsCombineAndClip)
{
    CRgn a;
    CRgn b;
    CRgn both;
    a.CreateRectRgn(0, 0, 10, 10);
    b.CreateRectRgn(5, 5, 15, 15);
    EXPECT_EQ(both.CombineRgn(&a, &b, RGN_AND), SIMPLEREGION);
    EXPECT_TRUE(both.PtInRegion(7, 7));
    EXPECT_FALSE(both.PtInRegion(2, 2));
    Canvas c(20, 20);
    c.dc.SelectClipRgn(&both);
    c.dc.FillSolidRect(0, 0, 20, 20, kBlack);
    EXPECT_EQ(c.dc.GetPixel(7, 7), kBlack);
    EXPECT_EQ(c.dc.GetPixel(2, 2), kWhite);
}

TEST(Drawing, TextOutAlignsToItsReferencePoint)
{
    Canvas c(300, 80);
    TEXTMETRIC tm;
    c.dc.GetTextMetrics(&tm);
    const int width = c.dc.GetTextExtent("Bid").cx;
    c.dc.SetTextAlign(TA_RIGHT | TA_BASELINE);
    c.dc.TextOut(200, 50, "Bid");
    const CRect ink = c.Ink();
    EXPECT_LE(ink.right, 201);
    EXPECT_GE(ink.left, 200 - width - 1);
    EXPECT_LE(ink.bottom, 50 + tm.tmDescent + 1);
    EXPECT_LT(ink.top, 50);

    c.Clear();
    c.dc.SetTextAlign(TA_CENTER | TA_TOP);
    c.dc.TextOut(150, 10, "Bid");
    const CRect centred = c.Ink();
    EXPECT_NEAR((centred.left + centred.right) / 2, 150, 3);
    EXPECT_GE(centred.top, 10);

    // An opaque background fills the text cell with the background colour.
    c.Clear();
    c.dc.SetTextAlign(TA_LEFT | TA_TOP);
    c.dc.SetBkMode(OPAQUE);
    c.dc.SetBkColor(RGB(0, 0, 255));
    c.dc.TextOut(10, 10, "Bid");
    EXPECT_EQ(c.dc.GetPixel(10 + width - 1, 10 + tm.tmHeight - 1), RGB(0, 0, 255));
    EXPECT_EQ(c.dc.GetPixel(10 + width + 1, 10), kWhite);
}

TEST(Drawing, MapModesScaleAndFlipLogicalUnits)
{
    Canvas c(200, 200);
    c.dc.SetMapMode(MM_ANISOTROPIC);
    c.dc.SetWindowExt(100, 100);
    c.dc.SetViewportExt(200, 200);
    c.dc.FillSolidRect(0, 0, 10, 10, kBlack);
    c.dc.SetMapMode(MM_TEXT);
    EXPECT_EQ(c.dc.GetPixel(19, 19), kBlack);
    EXPECT_EQ(c.dc.GetPixel(21, 21), kWhite);

    c.dc.SetMapMode(MM_ANISOTROPIC);
    c.dc.SetWindowExt(100, 100);
    c.dc.SetViewportExt(200, 200);
    c.dc.SetViewportOrg(10, 10);
    CPoint p(5, 5);
    c.dc.LPtoDP(&p);
    EXPECT_EQ(p, CPoint(20, 20));
    c.dc.DPtoLP(&p);
    EXPECT_EQ(p, CPoint(5, 5));

    c.dc.SetMapMode(MM_LOENGLISH);  // hundredths of an inch, y up
    c.dc.SetViewportOrg(0, 0);
    CPoint down(0, 96);
    c.dc.DPtoLP(&down);
    EXPECT_EQ(down.y, -100);
    EXPECT_EQ(c.dc.GetMapMode(), MM_LOENGLISH);
}

TEST(Drawing, PolygonsAndEllipsesFillTheirInside)
{
    Canvas c(100, 100);
    CBrush brush(RGB(0, 128, 0));
    CPen none(PS_NULL, 0, 0);
    c.dc.SelectObject(&brush);
    c.dc.SelectObject(&none);
    const POINT triangle[] = {{10, 10}, {60, 10}, {10, 60}};
    c.dc.Polygon(triangle, 3);
    EXPECT_EQ(c.dc.GetPixel(20, 20), RGB(0, 128, 0));
    EXPECT_EQ(c.dc.GetPixel(55, 55), kWhite);
    c.dc.Ellipse(60, 60, 100, 100);
    EXPECT_EQ(c.dc.GetPixel(80, 80), RGB(0, 128, 0));
    EXPECT_EQ(c.dc.GetPixel(61, 61), kWhite);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    c.dc.SelectObject(&red);
    const POINT line[] = {{0, 95}, {50, 95}, {50, 70}};
    c.dc.Polyline(line, 3);
    EXPECT_EQ(c.dc.GetPixel(25, 95), RGB(255, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(50, 80), RGB(255, 0, 0));
}

TEST(Drawing, BlocksStretchInvertAndExcludeClips)
{
    Canvas src(10, 10);
    src.dc.FillSolidRect(0, 0, 5, 10, kBlack);
    Canvas dst(40, 40);
    ASSERT_TRUE(dst.dc.StretchBlt(0, 0, 20, 20, &src.dc, 0, 0, 10, 10, SRCCOPY));
    EXPECT_EQ(dst.dc.GetPixel(8, 15), kBlack);   // left half scaled twice
    EXPECT_EQ(dst.dc.GetPixel(12, 15), kWhite);
    CDC notMemory;
    EXPECT_FALSE(dst.dc.BitBlt(0, 0, 5, 5, &notMemory, 0, 0, SRCCOPY));

    dst.dc.InvertRect(CRect(30, 30, 35, 35));
    EXPECT_EQ(dst.dc.GetPixel(32, 32), kBlack);
    EXPECT_TRUE(dst.dc.PatBlt(0, 30, 5, 5, BLACKNESS));
    EXPECT_EQ(dst.dc.GetPixel(2, 32), kBlack);

    Canvas clip(20, 20);
    clip.dc.ExcludeClipRect(5, 5, 10, 10);
    clip.dc.FillSolidRect(0, 0, 20, 20, kBlack);
    EXPECT_EQ(clip.dc.GetPixel(7, 7), kWhite);
    EXPECT_EQ(clip.dc.GetPixel(12, 12), kBlack);
    EXPECT_FALSE(clip.dc.PtVisible(7, 7));
    EXPECT_TRUE(clip.dc.PtVisible(12, 12));
    EXPECT_EQ(clip.dc.GetDeviceCaps(HORZRES), 20);
}

TEST(Drawing, StockObjectsAndPointFonts)
{
    Canvas c(30, 30);
    CGdiObject* old = c.dc.SelectStockObject(NULL_BRUSH);
    ASSERT_NE(old, nullptr);
    c.dc.SelectStockObject(BLACK_PEN);
    c.dc.Rectangle(5, 5, 25, 25);
    EXPECT_EQ(c.dc.GetPixel(15, 15), kWhite);  // hollow
    EXPECT_EQ(c.dc.GetPixel(5, 15), kBlack);
    CFont points;
    ASSERT_TRUE(points.CreatePointFont(120, "DejaVu Sans", &c.dc));
    LOGFONT lf;
    points.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -c.dc.GetDeviceCaps(LOGPIXELSY) / 6);  // 12 points
    CFont* previous = c.dc.SelectObject(&points);
    EXPECT_NE(previous, nullptr);
    EXPECT_EQ(c.dc.GetCurrentFont(), &points);
    c.dc.SelectObject(previous);
    EXPECT_EQ(c.dc.GetCurrentFont(), previous);
}

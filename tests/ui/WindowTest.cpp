// Painting, scroll bars, capture, cursors and helpers of plain windows.
#include "UiTestSupport.h"

#include "platform/ui/CBitmap.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CPen.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CWnd.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QScrollBar>

namespace {

class Painted : public CWnd {
public:
    int paints = 0;
    std::vector<std::pair<UINT, UINT>> vscroll;
    int captureLost = 0;

protected:
    void OnPaint() override
    {
        CPaintDC dc(this);
        ++paints;
        dc.FillSolidRect(10, 10, 20, 20, RGB(200, 0, 0));
        CRect r(0, 40, 100, 60);
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText("Level II", &r, DT_LEFT | DT_SINGLELINE);
    }
    void OnVScroll(UINT code, UINT pos, CWnd*) override { vscroll.emplace_back(code, pos); }
    void OnCaptureChanged(CWnd*) override { ++captureLost; }
};

}  // namespace

TEST(Windows, PaintEraseThenOnPaintIntoTheWidget)
{
    Painted w;
    ASSERT_TRUE(w.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 120, 80), nullptr, 1));
    w.SetBackgroundColor(RGB(0, 0, 90));
    const QImage shot = w.GetWidget()->grab().toImage();
    EXPECT_GE(w.paints, 1);
    EXPECT_EQ(shot.pixelColor(15, 15), QColor(200, 0, 0));
    EXPECT_EQ(shot.pixelColor(100, 5), QColor(0, 0, 90));  // erased with the background
    // The window can be captured for printing.
    CBitmap picture;
    ASSERT_TRUE(w.CaptureToBitmap(picture));
    BITMAP info;
    picture.GetBitmap(&info);
    EXPECT_EQ(info.bmWidth, 120);
    EXPECT_EQ(picture.Image()->pixelColor(15, 15), QColor(200, 0, 0));
    // Painting outside the paint event is refused quietly.
    CPaintDC outside(&w);
    EXPECT_FALSE(outside.IsValid());
}

TEST(Windows, WindowContextsDrawBetweenPaintsWithoutOnPaint)
{
    Painted w;
    ASSERT_TRUE(w.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 120, 80), nullptr, 1));
    w.SetBackgroundColor(RGB(255, 255, 255));
    w.GetWidget()->grab();
    const int paints = w.paints;
    {
        CClientDC dc(&w);
        ASSERT_TRUE(dc.IsValid());
        dc.FillSolidRect(50, 50, 10, 10, RGB(0, 160, 0));
        // A cross-hair drawn twice in the inverting mode leaves the picture as it was.
        CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
        dc.SelectObject(&pen);
        dc.SetROP2(R2_NOT);
        dc.MoveTo(0, 70);
        dc.LineTo(120, 70);
    }
    QImage shot = w.GetWidget()->grab().toImage();
    EXPECT_EQ(w.paints, paints);  // shown without the window's own paint
    EXPECT_EQ(shot.pixelColor(55, 55), QColor(0, 160, 0));
    EXPECT_EQ(shot.pixelColor(100, 70), QColor(0, 0, 0));  // white inverted
    {
        CClientDC dc(&w);
        CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
        dc.SelectObject(&pen);
        dc.SetROP2(R2_NOT);
        dc.MoveTo(0, 70);
        dc.LineTo(120, 70);
    }
    shot = w.GetWidget()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(100, 70), QColor(255, 255, 255));
    // Invalidating brings the window's own picture back.
    w.Invalidate();
    shot = w.GetWidget()->grab().toImage();
    EXPECT_EQ(w.paints, paints + 1);
    EXPECT_EQ(shot.pixelColor(55, 55), QColor(255, 255, 255));
    EXPECT_EQ(shot.pixelColor(15, 15), QColor(200, 0, 0));
}

TEST(Windows, ScrollBarsShrinkTheClientAndReportActions)
{
    Painted w;
    ASSERT_TRUE(w.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 1));
    CRect before;
    w.GetClientRect(&before);
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = 99;
    si.nPage = 10;
    si.nPos = 5;
    ASSERT_TRUE(w.SetScrollInfo(SB_VERT, &si));
    CRect after;
    w.GetClientRect(&after);
    EXPECT_LT(after.Width(), before.Width());
    EXPECT_EQ(after.Height(), before.Height());
    SCROLLINFO back;
    ASSERT_TRUE(w.GetScrollInfo(SB_VERT, &back));
    EXPECT_EQ(back.nPos, 5);
    EXPECT_EQ(back.nMax, 99);
    EXPECT_EQ(back.nPage, 10u);
    auto* bar = w.GetWidget()->findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_FALSE(w.vscroll.empty());
    EXPECT_EQ(w.vscroll.back().first, SB_LINEDOWN);
    // The window decides: the position stays until it sets it.
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 5);
    EXPECT_EQ(w.SetScrollPos(SB_VERT, 6), 5);
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 6);
    w.ShowScrollBar(SB_VERT, FALSE);
    w.GetClientRect(&after);
    EXPECT_EQ(after.Width(), before.Width());
}

TEST(Windows, CaptureCursorsAndHelpers)
{
    Painted a;
    Painted b;
    ASSERT_TRUE(a.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 1));
    ASSERT_TRUE(b.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 2));
    EXPECT_EQ(a.SetCapture(), nullptr);
    EXPECT_EQ(CWnd::GetCapture(), &a);
    EXPECT_EQ(b.SetCapture(), &a);
    EXPECT_TRUE(CWnd::ReleaseCapture());
    EXPECT_EQ(b.captureLost, 1);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_FALSE(CWnd::ReleaseCapture());

    {
        CWaitCursor wait;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    a.SetWindowCursor(IDC_SIZENS);
    EXPECT_EQ(a.GetWidget()->cursor().shape(), Qt::SizeVerCursor);

    const UINT id = RegisterWindowMessage("QX_SYMBOL_CHANGED");
    EXPECT_GE(id, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("QX_SYMBOL_CHANGED"), id);
    EXPECT_NE(RegisterWindowMessage("QX_OTHER"), id);

    CDC* dc = a.GetDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_GT(dc->GetTextExtent("ABC").cx, 0);
    EXPECT_EQ(a.ReleaseDC(dc), 1);
    EXPECT_EQ(a.ReleaseDC(dc), 0);
}

TEST(Windows, BitmapsComeFromTheResourceStore)
{
    QImage img(4, 3, QImage::Format_RGB32);
    img.fill(QColor(1, 2, 3));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(img.save(&buffer, "PNG"));
    CResourceStore::Instance().AddBitmapData("window-test.png", png.toStdString());
    ASSERT_TRUE(CResourceStore::Instance().LoadText("window-test", "bitmap 9400 \"window-test.png\"\n"));
    CBitmap bmp;
    ASSERT_TRUE(bmp.LoadBitmap(9400));
    BITMAP info;
    ASSERT_GT(bmp.GetBitmap(&info), 0);
    EXPECT_EQ(info.bmWidth, 4);
    EXPECT_EQ(info.bmHeight, 3);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bmp);
    EXPECT_EQ(dc.GetPixel(2, 1), RGB(1, 2, 3));
    CBitmap missing;
    EXPECT_FALSE(missing.LoadBitmap(9401));

    ASSERT_TRUE(CResourceStore::Instance().LoadText("window-test-cursor", "cursor 9402 \"window-test.png\" 1 2\n"));
    const HCURSOR hand = LoadCursorResource(9402);
    ASSERT_NE(hand, 0);
    EXPECT_EQ(LoadCursorResource(9403), 0);
    Painted w;
    ASSERT_TRUE(w.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 1));
    w.SetWindowCursor(hand);
    EXPECT_EQ(w.GetWidget()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(w.GetWidget()->cursor().hotSpot(), QPoint(1, 2));
}

TEST(Windows, WindowFromPointFindsTheInnermostWindow)
{
    Painted outer;
    ASSERT_TRUE(outer.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 200, 200), nullptr, 1));
    Painted inner;
    ASSERT_TRUE(inner.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(50, 50, 100, 100), &outer, 2));
    CPoint p(75, 75);
    outer.ClientToScreen(&p);
    EXPECT_EQ(CWnd::WindowFromPoint(p), &inner);
    CPoint q(10, 10);
    outer.ClientToScreen(&q);
    EXPECT_EQ(CWnd::WindowFromPoint(q), &outer);
    EXPECT_EQ(inner.GetParent(), &outer);
    EXPECT_TRUE(outer.IsChild(&inner));
}

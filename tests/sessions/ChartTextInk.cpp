#include "tests/sessions/ChartTextInk.h"

#include "chart/ui/CGraphsDoc.h"
#include "platform/ui/CBitmap.h"
#include "platform/ui/CDC.h"

namespace qx::sessions {

namespace {

QRgb ToRgb(COLORREF c)
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

QImage ChartTextPicture(CGraphsDoc& doc, const CString& text, COLORREF color, COLORREF ground)
{
    CBitmap bitmap; // outlives the context it is selected into
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&doc.GetChartFont());
    const CSize size = dc.GetTextExtent(text);
    bitmap.CreateCompatibleBitmap(&dc, size.cx + 8, size.cy + 8);
    dc.SelectObject(&bitmap);
    dc.SelectObject(&doc.GetChartFont());
    dc.FillSolidRect(0, 0, size.cx + 8, size.cy + 8, ground);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(color);
    dc.TextOut(4, 4, text);
    QImage picture(size.cx + 8, size.cy + 8, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, ToRgb(dc.GetPixel(x, y)));
    return picture;
}

qx::testsupport::CInkMask ChartTextInk(CGraphsDoc& doc, const CString& text, COLORREF color, COLORREF ground)
{
    const QRgb g = ToRgb(ground);
    return qx::testsupport::CInkMask(ChartTextPicture(doc, text, color, ground), [g](int) { return g; }).Cut();
}

} // namespace qx::sessions

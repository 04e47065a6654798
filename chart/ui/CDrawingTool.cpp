#include "chart/ui/CDrawingTool.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CPen.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CPropertySheet.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"

#include <cmath>

CDrawingTool::~CDrawingTool() = default;

int CDrawingTool::AnchorBar(const CToolAnchor& anchor) const
{
    int bar = 0;
    if (m_pPlot)
        m_pPlot->FindBarByTime(anchor.time, bar);
    return bar;
}

void CDrawingTool::AnchorsToPixels(CPoint& p1, CPoint& p2, const CToolGeometry& geometry,
                                   const CPriceScale* scale) const
{
    if (AnchorsArePixels()) {
        p1 = CPoint(static_cast<int>(m_anchor1.time), static_cast<int>(m_anchor1.price));
        p2 = CPoint(static_cast<int>(m_anchor2.time), static_cast<int>(m_anchor2.price));
        return;
    }
    p1 = CPoint(BarIndexToX(geometry.spacing, AnchorBar(m_anchor1), geometry.firstBar, geometry.plot.left),
                scale->PriceToY(m_anchor1.price));
    p2 = CPoint(BarIndexToX(geometry.spacing, AnchorBar(m_anchor2), geometry.firstBar, geometry.plot.left),
                scale->PriceToY(m_anchor2.price));
}

void CDrawingTool::SetAnchorFromPixel(bool first, CPoint point, const CToolGeometry& geometry,
                                      const CPriceScale* scale)
{
    CToolAnchor& anchor = first ? m_anchor1 : m_anchor2;
    if (AnchorsArePixels()) {
        anchor.time = static_cast<DWORD>(std::max(0, static_cast<int>(point.x)));
        anchor.price = point.y;
        return;
    }
    if (!m_pPlot)
        return;
    const int bar = XToBarIndex(geometry.spacing, point.x, geometry.firstBar, geometry.plot.left);
    DWORD time = 0;
    if (m_pPlot->GetBarTime(bar, CStudyPlot::kBarStart, time))
        anchor.time = time;
    anchor.price = scale->YToPrice(point.y);
}

bool CDrawingTool::IsNearAnchor(CPoint point, CPoint anchor) const
{
    return IsNearAnchorPoint(point, anchor, GetThickness());
}

void DrawToolHandle(CDC* dc, int x, int y, const CRect& rect, int thickness)
{
    const int reach = HalfThickness(thickness) + 2;
    if (x - reach < rect.left || x + reach >= rect.right || y - reach < rect.top || y + reach >= rect.bottom)
        return;
    CPen black(PS_SOLID, 1, RGB(0, 0, 0));
    CPen* old = dc->SelectObject(&black);
    const POINT square[] = {{x - reach, y - reach}, {x + reach, y - reach}, {x + reach, y + reach},
                            {x - reach, y + reach}, {x - reach, y - reach}};
    dc->Polyline(square, 5);
    dc->SelectObject(old);
}

void CDrawingTool::DrawHandles(CDC* dc, const CToolGeometry& geometry, const CPriceScale* scale) const
{
    if (m_nState != kToolPlacing && m_nState != kToolSelected)
        return;
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    DrawToolHandle(dc, p1.x, p1.y, geometry.plot, GetThickness());
    DrawToolHandle(dc, p2.x, p2.y, geometry.plot, GetThickness());
}

void CDrawingTool::DrawClippedLine(CDC* dc, const CRect& pane, CPoint p1, CPoint p2, int extendMode, COLORREF color,
                                   int thickness) const
{
    if (!ClipToolLine(p1, p2, pane, extendMode, thickness))
        return;
    CPen pen(PS_SOLID, thickness, color);
    CPen* old = dc->SelectObject(&pen);
    const POINT line[] = {{p1.x, p1.y}, {p2.x, p2.y}};
    dc->Polyline(line, 2);
    dc->SelectObject(old);
}

bool CDrawingTool::HitsLine(CPoint point, const CRect& pane, CPoint p1, CPoint p2, int extendMode,
                            int thickness) const
{
    if (!ClipToolLine(p1, p2, pane, extendMode, thickness))
        return false;
    return HitsClippedLine(point, p1, p2, thickness);
}

bool CDrawingTool::HitTest(CPoint point, const CToolGeometry& geometry, const CPriceScale* scale)
{
    if (!CanConvert())
        return false;
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    return HitsLine(point, geometry.plot, p1, p2, GetExtendMode(), GetThickness());
}

void CDrawingTool::ToStored(CStoredTool& stored) const
{
    stored.tag = GetTag();
    stored.anchor1 = m_anchor1;
    stored.anchor2 = m_anchor2;
    stored.state = m_nState;
    stored.following = m_nFollowing;
}

void CDrawingTool::FromStored(const CStoredTool& stored)
{
    m_anchor1 = stored.anchor1;
    m_anchor2 = stored.anchor2;
    m_nState = stored.state;
    m_nFollowing = stored.following;
}

void CDrawingTool::AddMenuItems(CMenu&) {}

int CDrawingTool::AddAlerts(const CToolGeometry&, const CPriceScale*)
{
    return 0;
}

bool RunToolPage(CPropertySheet& sheet, CPropertyPage& page)
{
    sheet.AddPage(&page);
    const INT_PTR result = sheet.DoModal();
    // The page is the caller's: the sheet lets go of it before either goes.
    for (int i = 0; i < sheet.GetPageCount(); ++i)
        if (sheet.GetPage(i) == &page) {
            sheet.RemovePage(i);
            break;
        }
    return result == IDOK;
}

#include "chart/ui/CRetracementTool.h"

#include "alerts/CPriceAlert.h"
#include "chart/ui/ToolAlerts.h"
#include "chart/ui/ToolPreferencePages.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CPropertySheet.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"

#include <algorithm>
#include <cmath>

CRetracementTool::CRetracementTool(const CRetracementSettings& settings) : m_settings(settings) {}

double CRetracementTool::LevelPrice(int level, const CToolGeometry& geometry, const CPriceScale* scale) const
{
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    const double slope = p1.x == p2.x ? 0.0 : static_cast<double>(p2.y - p1.y) / (p2.x - p1.x);
    return RetracementLevelPrice(std::max(m_anchor1.price, m_anchor2.price), std::min(m_anchor1.price, m_anchor2.price),
                                 m_settings.levels[static_cast<size_t>(level)].percent, slope);
}

CString CRetracementTool::LevelLabel(int level, double price) const
{
    const DWORD bits = m_settings.displayBits;
    char percent[64];
    FormatShortFloat(percent, sizeof percent, m_settings.levels[static_cast<size_t>(level)].percent);
    CString priceText;
    priceText.Format(std::fabs(price) < 1 ? "%.4f" : "%.2f", price);
    const bool showPercent = (bits >> 9) & 1;
    const bool showPrice = (bits >> 10) & 1;
    if (showPercent && showPrice)
        return CString(percent) + "% (" + priceText + ")";
    if (showPercent)
        return CString(percent) + "%";
    if (showPrice)
        return priceText;
    return CString();
}

void CRetracementTool::Draw(CDC* dc, const CToolGeometry& geometry, const CPriceScale* scale)
{
    if (!m_pPlot)
        return;
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    DrawClippedLine(dc, geometry.plot, p1, p2, kExtendSegment, m_settings.anchorColor, m_settings.anchorThickness);
    const DWORD bits = m_settings.displayBits;
    if ((bits >> 8) & 1) {
        const int x = std::max(p1.x, p2.x);
        DrawClippedLine(dc, geometry.plot, CPoint(x, p1.y), CPoint(x, p2.y), kExtendSegment, m_settings.verticalColor,
                        m_settings.verticalThickness);
    }
    const int left = std::min(p1.x, p2.x);
    const double length = std::hypot(p2.x - p1.x, p2.y - p1.y);
    int right = geometry.plot.right - 1;
    if (!m_settings.extendForever)
        right = std::min(right, left + static_cast<int>(m_settings.extension * length));
    const int saved = dc->SaveDC();
    if (geometry.font)
        dc->SelectObject(geometry.font);
    dc->SetBkMode(TRANSPARENT);
    for (int i = 0; i < 8; ++i) {
        if (!((bits >> i) & 1))
            continue;
        const CRetracementLevel& level = m_settings.levels[static_cast<size_t>(i)];
        const double price = LevelPrice(i, geometry, scale);
        const int y = scale->PriceToY(price);
        DrawClippedLine(dc, geometry.plot, CPoint(left, y), CPoint(right, y), kExtendSegment, level.color,
                        level.thickness);
        const CString label = LevelLabel(i, price);
        if (label.IsEmpty() || y < geometry.plot.top || y >= geometry.plot.bottom)
            continue;
        dc->SetTextColor(level.color);
        const CSize extent = dc->GetTextExtent(label);
        const int x = (bits >> 12) & 1 ? right - extent.cx - 2 : left + 2;
        dc->TextOut(x, y - extent.cy, label);
    }
    dc->RestoreDC(saved);
    DrawHandles(dc, geometry, scale);
}

bool CRetracementTool::HitTest(CPoint point, const CToolGeometry& geometry, const CPriceScale* scale)
{
    if (!m_pPlot)
        return false;
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    return point.x >= std::min(p1.x, p2.x) && point.x <= std::max(p1.x, p2.x) && point.y >= std::min(p1.y, p2.y) &&
           point.y <= std::max(p1.y, p2.y);
}

std::unique_ptr<CDrawingTool> CRetracementTool::CreateLike(CPoint p1, CPoint p2, DWORD state,
                                                           const CToolGeometry& geometry, const CPriceScale* scale) const
{
    auto tool = std::make_unique<CRetracementTool>(m_settings);
    tool->SetPricePlot(m_pPlot);
    tool->SetAnchorFromPixel(true, p1, geometry, scale);
    tool->SetAnchorFromPixel(false, p2, geometry, scale);
    tool->m_nState = state;
    return tool;
}

bool CRetracementTool::EditPreferences(CPropertySheet& sheet)
{
    CRetracementsPreferences page(m_settings);
    if (!RunToolPage(sheet, page))
        return false;
    m_settings = page.GetValues();
    return true;
}

void CRetracementTool::AddMenuItems(CMenu& menu)
{
    menu.AppendMenu(MF_STRING, ID_TOOL_ADD_ALERT, "Add Alert");
}

int CRetracementTool::AddAlerts(const CToolGeometry& geometry, const CPriceScale* scale)
{
    if (!m_pPlot)
        return 0;
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    const CPoint& low = p1.y > p2.y ? p1 : p2;   // the lower anchor on screen
    const CPoint& high = p1.y > p2.y ? p2 : p1;
    const double slope = p1.x == p2.x ? 0.0 : static_cast<double>(p2.y - p1.y) / (p2.x - p1.x);
    const int span = low.y - high.y;
    int bar = 0;
    const double last = m_pPlot->GetLastClose(bar);
    int made = 0;
    for (int i = 0; i < 8; ++i) {
        if (!((m_settings.alertBits >> i) & 1))
            continue;
        const int offset = static_cast<int>(span * m_settings.levels[static_cast<size_t>(i)].percent * 0.01);
        const int y = slope <= 0 ? high.y + offset : low.y - offset;
        const double price = scale->YToPrice(y);
        if (!(price > 0))
            continue;
        auto alert = std::make_unique<CPriceAlert>();
        alert->m_symbol = m_pPlot->GetSymbol();
        alert->m_nColumn = 3;
        alert->m_target = price;
        alert->m_nDirection = last > price ? 1 : 0;
        made += AddToAlertList(std::move(alert)) ? 1 : 0;
    }
    return made;
}

void CRetracementTool::ToStored(CStoredTool& stored) const
{
    CDrawingTool::ToStored(stored);
    stored.retracement = m_settings;
}

void CRetracementTool::FromStored(const CStoredTool& stored)
{
    CDrawingTool::FromStored(stored);
    m_settings = stored.retracement;
}

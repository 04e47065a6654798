#include "chart/ui/CRegressionTool.h"

#include "alerts/CFormulaAlert.h"
#include "chart/ui/ToolAlerts.h"
#include "chart/ui/ToolPreferencePages.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CPropertySheet.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"


CRegressionTool::CRegressionTool(const CRegressionSettings& settings) : m_settings(settings) {}

void CRegressionTool::Fit(double& upperOffset, double& lowerOffset)
{
    upperOffset = lowerOffset = 0;
    if (!m_pPlot)
        return;
    const int barA = AnchorBar(m_anchor1);
    const int barB = AnchorBar(m_anchor2);
    m_pPlot->GetRegressionLine(barA, barB, m_anchor1.price, m_anchor2.price);
    const double deviation = m_pPlot->GetFieldStdDev(barA, barB, m_settings.sourceField);
    if (deviation < 0)
        return;
    const double d = deviation * 0.5;
    upperOffset = d * m_settings.upperStdDevs;
    lowerOffset = d * m_settings.lowerStdDevs;
}

void CRegressionTool::Draw(CDC* dc, const CToolGeometry& geometry, const CPriceScale* scale)
{
    if (!m_pPlot)
        return;
    double upper = 0, lower = 0;
    Fit(upper, lower);
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    DrawClippedLine(dc, geometry.plot, p1, p2, kExtendSegment, m_settings.lineColor, m_settings.lineThickness);
    if (m_settings.displayBits & 1)
        DrawClippedLine(dc, geometry.plot, CPoint(p1.x, scale->PriceToY(m_anchor1.price + upper)),
                        CPoint(p2.x, scale->PriceToY(m_anchor2.price + upper)), kExtendSegment, m_settings.upperColor,
                        m_settings.upperThickness);
    if (m_settings.displayBits & 2)
        DrawClippedLine(dc, geometry.plot, CPoint(p1.x, scale->PriceToY(m_anchor1.price + lower)),
                        CPoint(p2.x, scale->PriceToY(m_anchor2.price + lower)), kExtendSegment, m_settings.lowerColor,
                        m_settings.lowerThickness);
    DrawHandles(dc, geometry, scale);
}

bool CRegressionTool::HitTest(CPoint point, const CToolGeometry& geometry, const CPriceScale* scale)
{
    if (!m_pPlot)
        return false;
    double upper = 0, lower = 0;
    Fit(upper, lower);
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    if (HitsLine(point, geometry.plot, p1, p2, kExtendSegment, m_settings.lineThickness))
        return true;
    if ((m_settings.displayBits & 1) &&
        HitsLine(point, geometry.plot, CPoint(p1.x, scale->PriceToY(m_anchor1.price + upper)),
                 CPoint(p2.x, scale->PriceToY(m_anchor2.price + upper)), kExtendSegment, m_settings.upperThickness))
        return true;
    return (m_settings.displayBits & 2) &&
           HitsLine(point, geometry.plot, CPoint(p1.x, scale->PriceToY(m_anchor1.price + lower)),
                    CPoint(p2.x, scale->PriceToY(m_anchor2.price + lower)), kExtendSegment, m_settings.lowerThickness);
}

std::unique_ptr<CDrawingTool> CRegressionTool::CreateLike(CPoint p1, CPoint p2, DWORD state,
                                                          const CToolGeometry& geometry, const CPriceScale* scale) const
{
    auto tool = std::make_unique<CRegressionTool>(m_settings);
    tool->SetPricePlot(m_pPlot);
    tool->SetAnchorFromPixel(true, p1, geometry, scale);
    tool->SetAnchorFromPixel(false, p2, geometry, scale);
    tool->m_nState = state;
    return tool;
}

bool CRegressionTool::EditPreferences(CPropertySheet& sheet)
{
    CRegressionPreferences page(m_settings);
    if (!RunToolPage(sheet, page))
        return false;
    m_settings = page.GetValues();
    return true;
}

void CRegressionTool::AddMenuItems(CMenu& menu)
{
    menu.AppendMenu(MF_STRING, ID_TOOL_ADD_ALERT, "Add Alert");
}

void CRegressionTool::ToStored(CStoredTool& stored) const
{
    CDrawingTool::ToStored(stored);
    stored.regression = m_settings;
}

void CRegressionTool::FromStored(const CStoredTool& stored)
{
    CDrawingTool::FromStored(stored);
    m_settings = stored.regression;
}

int CRegressionTool::AddAlerts(const CToolGeometry& geometry, const CPriceScale* scale)
{
    if (!m_pPlot)
        return 0;
    double upper = 0, lower = 0;
    Fit(upper, lower);
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    CString formula;
    if (!BuildLineAlert(*m_pPlot, p1, p2, kExtendSegment, m_settings.lineThickness, geometry, *scale, formula))
        return 0;
    auto alert = std::make_unique<CFormulaAlert>(formula);
    alert->m_symbol = m_pPlot->GetSymbol();
    return AddToAlertList(std::move(alert)) ? 1 : 0;
}

#include "chart/ui/CTrendLineTool.h"

#include "alerts/CFormulaAlert.h"
#include "chart/ui/ToolAlerts.h"
#include "chart/ui/ToolPreferencePages.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CPropertySheet.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"


CTrendLineTool::CTrendLineTool(EToolTag tag, const CLineToolSettings& settings) : m_settings(settings), m_tag(tag) {}

int CTrendLineTool::GetExtendMode() const
{
    return m_tag == kTagRay ? kExtendRay : m_tag == kTagLine ? kExtendLine : kExtendSegment;
}

void CTrendLineTool::Draw(CDC* dc, const CToolGeometry& geometry, const CPriceScale* scale)
{
    if (!m_pPlot)
        return;
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    DrawClippedLine(dc, geometry.plot, p1, p2, GetExtendMode(), m_settings.color, m_settings.thickness);
    DrawHandles(dc, geometry, scale);
}

std::unique_ptr<CDrawingTool> CTrendLineTool::CreateLike(CPoint p1, CPoint p2, DWORD state,
                                                         const CToolGeometry& geometry, const CPriceScale* scale) const
{
    auto tool = std::make_unique<CTrendLineTool>(m_tag, m_settings);
    tool->SetPricePlot(m_pPlot);
    tool->SetAnchorFromPixel(true, p1, geometry, scale);
    tool->SetAnchorFromPixel(false, p2, geometry, scale);
    tool->m_nState = state;
    return tool;
}

bool CTrendLineTool::EditPreferences(CPropertySheet& sheet)
{
    const UINT caption = m_tag == kTagRay ? IDS_RAY : m_tag == kTagLine ? IDS_LINE : IDS_SEGMENT;
    CLinePreferences page(m_settings, caption);
    if (!RunToolPage(sheet, page))
        return false;
    m_settings = page.GetValues();
    return true;
}

void CTrendLineTool::ToStored(CStoredTool& stored) const
{
    CDrawingTool::ToStored(stored);
    stored.line = m_settings;
}

void CTrendLineTool::FromStored(const CStoredTool& stored)
{
    CDrawingTool::FromStored(stored);
    m_settings = stored.line;
}

void CTrendLineTool::AddMenuItems(CMenu& menu)
{
    menu.AppendMenu(MF_STRING, ID_TOOL_ADD_ALERT, "Add Alert");
}

bool CTrendLineTool::BuildAlert(const CToolGeometry& geometry, const CPriceScale* scale, CString& formula) const
{
    if (!m_pPlot)
        return false;
    CPoint p1, p2;
    AnchorsToPixels(p1, p2, geometry, scale);
    return BuildLineAlert(*m_pPlot, p1, p2, GetExtendMode(), m_settings.thickness, geometry, *scale, formula);
}

int CTrendLineTool::AddAlerts(const CToolGeometry& geometry, const CPriceScale* scale)
{
    CString formula;
    if (!BuildAlert(geometry, scale, formula))
        return 0;
    auto alert = std::make_unique<CFormulaAlert>(formula);
    alert->m_symbol = m_pPlot->GetSymbol();
    return AddToAlertList(std::move(alert)) ? 1 : 0;
}

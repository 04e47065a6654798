#include "chart/ui/CNoteTool.h"

#include "chart/ui/ToolPreferencePages.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CPropertySheet.h"

#include <algorithm>

CNoteTool::CNoteTool(const CNoteSettings& settings) : m_settings(settings) {}

CRect CNoteTool::GetBox() const
{
    const int x1 = static_cast<int>(m_anchor1.time), y1 = static_cast<int>(m_anchor1.price);
    if (m_settings.minimized)
        return CRect(x1, y1, x1 + kMinimizedSize, y1 + kMinimizedSize);
    CRect box(x1, y1, static_cast<int>(m_anchor2.time), static_cast<int>(m_anchor2.price));
    box.NormalizeRect();
    return box;
}

void CNoteTool::Draw(CDC* dc, const CToolGeometry& geometry, const CPriceScale*)
{
    const CRect box = GetBox();
    dc->FillSolidRect(&box, RGB(255, 255, 0));
    dc->Draw3dRect(&box, RGB(255, 255, 0), RGB(128, 128, 128));
    if (!m_settings.minimized && !m_settings.text.IsEmpty()) {
        const int saved = dc->SaveDC();
        if (geometry.font)
            dc->SelectObject(geometry.font);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(m_settings.color);
        CRect text = box;
        text.DeflateRect(3, 2);
        dc->DrawText(m_settings.text, &text, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        dc->RestoreDC(saved);
    }
    if (m_nState == kToolSelected) {
        CRect frame = box;
        frame.InflateRect(1, 1);
        dc->Draw3dRect(&frame, RGB(0, 0, 0), RGB(0, 0, 0));
    }
}

bool CNoteTool::HitTest(CPoint point, const CToolGeometry&, const CPriceScale*)
{
    const CRect box = GetBox();
    return point.x >= box.left && point.x <= box.right && point.y >= box.top && point.y <= box.bottom;
}

std::unique_ptr<CDrawingTool> CNoteTool::CreateLike(CPoint p1, CPoint p2, DWORD state, const CToolGeometry& geometry,
                                                    const CPriceScale* scale) const
{
    auto tool = std::make_unique<CNoteTool>(m_settings);
    tool->SetAnchorFromPixel(true, p1, geometry, scale);
    tool->SetAnchorFromPixel(false, p2, geometry, scale);
    tool->m_nState = state;
    return tool;
}

bool CNoteTool::EditPreferences(CPropertySheet& sheet)
{
    CNotePreferences page(m_settings);
    if (!RunToolPage(sheet, page))
        return false;
    m_settings = page.GetValues();
    m_nState = m_settings.text.IsEmpty() ? kToolRemoved : kToolNormal;
    return true;
}

void CNoteTool::ToStored(CStoredTool& stored) const
{
    CDrawingTool::ToStored(stored);
    stored.note = m_settings;
}

void CNoteTool::FromStored(const CStoredTool& stored)
{
    CDrawingTool::FromStored(stored);
    m_settings = stored.note;
}

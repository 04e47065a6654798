#include "views/ui/CTrackingFieldPanel.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/TitleBarRoom.h"

#include <QWidget>

#include <algorithm>

void CTrackingFieldPanel::SetRows(std::vector<CTrackingRow> rows)
{
    if (rows == m_rows)
        return;
    m_rows = std::move(rows);
    Refresh();
}

void CTrackingFieldPanel::LayOut()
{
    m_nRowHeight = TextHeight("0");
    CSize size = LayOutTrackingRows(m_rows, m_nRowHeight, [this](const CString& text) { return TextWidth(text); });
    // Never narrower than the window manager needs to show the title whole.
    if (CWnd* wnd = GetWnd())
        if (const QWidget* outer = wnd->GetOuterWidget())
            size.cx = std::max<LONG>(size.cx, TitleBarRoom(*outer, outer->windowTitle()));
    Resize(size);
}

void CTrackingFieldPanel::Paint(CDC& dc)
{
    const CRect client(CPoint(0, 0), GetRect().Size());
    dc.FillSolidRect(&client, GetLook().face);
    CFont* old = dc.SelectObject(const_cast<CFont*>(&GetFont()));
    dc.SetBkMode(TRANSPARENT);
    if (m_rows.empty()) {
        dc.SetTextColor(GetLook().text);
        dc.TextOut(2, 0, "None");
    }
    int y = 0;
    for (const CTrackingRow& row : m_rows) {
        dc.SetTextColor(row.color);
        dc.TextOut(2, y, row.name + ":");
        const int valueWidth = TextWidth(row.value);
        dc.TextOut(client.right - 2 - valueWidth, y, row.value);
        y += m_nRowHeight;
    }
    dc.SelectObject(old);
}

#include "views/ui/CTrackingFieldPanel.h"

#include "platform/ui/CDC.h"

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
    Resize(LayOutTrackingRows(m_rows, m_nRowHeight, [this](const CString& text) { return TextWidth(text); }));
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

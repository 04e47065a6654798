#include "common/windows/CListPrinter.h"

#include "common/windows/CColumnListCtrl.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CListCtrl.h"
#include "platform/ui/CPrintInfo.h"
#include "platform/ui/CView.h"

#include <algorithm>

namespace {
constexpr int kHeaderLines = 3;  // title, second title, column headings
constexpr int kFooterLines = 2;
}  // namespace

int CListPrinter::GetPageCount() const
{
    const int rows = m_pList ? m_pList->GetItemCount() : 0;
    return std::max(1, (rows + m_nRowsPerPage - 1) / m_nRowsPerPage);
}

BOOL CListPrinter::PreparePrinting(CPrintInfo* info, CView* view, CListCtrl* list)
{
    m_pList = list;
    m_nRowsPerPage = 50;
    info->SetMinPage(1);
    info->SetMaxPage(static_cast<UINT>(GetPageCount()));
    return view ? view->DoPreparePrinting(info) : TRUE;
}

void CListPrinter::BeginPrinting(CDC* dc, CPrintInfo* info, const char* title, const char* secondTitle)
{
    m_title = title ? title : "";
    m_secondTitle = secondTitle ? secondTitle : "";
    LOGFONT lf{};
    if (m_pList && m_pList->GetFont())
        m_pList->GetFont()->GetLogFont(&lf);
    else
        lf.lfHeight = -12;
    // The list's font at printer resolution (the screen is taken as 96 dots per inch).
    const int dpi = dc ? std::max(72, dc->GetDeviceCaps(LOGPIXELSY)) : 96;
    lf.lfHeight = lf.lfHeight * dpi / 96;
    if (lf.lfHeight == 0)
        lf.lfHeight = -12 * dpi / 96;
    m_font = std::make_unique<CFont>();
    m_font->CreateFontIndirect(&lf);
    lf.lfWeight = 700;
    m_boldFont = std::make_unique<CFont>();
    m_boldFont->CreateFontIndirect(&lf);

    m_nLineHeight = std::abs(lf.lfHeight) * 5 / 4;
    if (dc) {
        CFont* old = dc->SelectObject(m_font.get());
        TEXTMETRIC tm{};
        if (dc->GetTextMetrics(&tm))
            m_nLineHeight = tm.tmHeight + tm.tmExternalLeading + 2;
        dc->SelectObject(old);
    }
    const int height = info ? info->m_rectDraw.Height() : 0;
    if (height > 0 && m_nLineHeight > 0)
        m_nRowsPerPage = std::max(1, height / m_nLineHeight - kHeaderLines - kFooterLines);
    if (info)
        info->SetMaxPage(static_cast<UINT>(GetPageCount()));
}

void CListPrinter::PrintPage(CDC* dc, CPrintInfo* info, BOOL)
{
    if (!dc || !info || !m_pList || !m_font)
        return;
    const CRect page = info->m_rectDraw;
    int y = page.top;
    CFont* old = dc->SelectObject(m_boldFont.get());
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(0, 0, 0));
    dc->TextOut(page.left, y, m_title);
    y += m_nLineHeight;
    dc->SelectObject(m_font.get());
    dc->TextOut(page.left, y, m_secondTitle);
    y += m_nLineHeight;

    std::vector<int> order(static_cast<size_t>(m_pList->GetColumnCount()));
    if (!order.empty())
        m_pList->GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
    int totalWidth = 0;
    for (int c : order)
        totalWidth += std::max(1, m_pList->GetColumnWidth(c));
    const double scale = totalWidth > 0 ? static_cast<double>(page.Width()) / totalWidth : 1.0;
    std::vector<int> lefts;
    int x = page.left;
    for (int c : order) {
        lefts.push_back(x);
        x += static_cast<int>(std::max(1, m_pList->GetColumnWidth(c)) * scale);
    }
    lefts.push_back(page.right);

    dc->SelectObject(m_boldFont.get());
    for (size_t i = 0; i < order.size(); ++i) {
        LVCOLUMN col{};
        char heading[256] = "";
        col.mask = LVCF_TEXT;
        col.pszText = heading;
        col.cchTextMax = sizeof(heading);
        m_pList->GetColumn(order[i], &col);
        CRect cell(lefts[i], y, lefts[i + 1] - 4, y + m_nLineHeight);
        dc->DrawText(heading, &cell, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    y += m_nLineHeight;
    dc->MoveTo(page.left, y - 2);
    dc->LineTo(page.right, y - 2);

    dc->SelectObject(m_font.get());
    const int first = static_cast<int>(info->m_nCurPage - 1) * m_nRowsPerPage;
    const int last = std::min(m_pList->GetItemCount(), first + m_nRowsPerPage);
    for (int row = first; row < last; ++row) {
        for (size_t i = 0; i < order.size(); ++i) {
            CRect cell(lefts[i], y, lefts[i + 1] - 4, y + m_nLineHeight);
            dc->DrawText(m_pList->GetItemText(row, order[i]), &cell, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
        }
        y += m_nLineHeight;
    }
    CString footer;
    footer.Format("Page %u of %d", info->m_nCurPage, GetPageCount());
    CRect foot(page.left, page.bottom - m_nLineHeight, page.right, page.bottom);
    dc->DrawText(footer, &foot, DT_CENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

void CListPrinter::EndPrinting(CDC*, CPrintInfo*)
{
    m_font.reset();
    m_boldFont.reset();
}

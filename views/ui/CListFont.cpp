#include "views/ui/CListFont.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CWnd.h"

#include <algorithm>
#include <cstdlib>

void CListFont::Create(const CFontInfo& info, CWnd& measureIn)
{
    m_font.DeleteObject();
    m_font.CreateFont(-std::abs(info.height), 0, 0, 0, info.weight, info.italic ? 1 : 0, 0, info.strikeOut ? 1 : 0, 0,
                      0, 0, 0, 0, info.face);
    m_bValid = true;
    if (!measureIn.m_hWnd)
        return;
    CClientDC dc(&measureIn);
    CFont* old = dc.SelectObject(&m_font);
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    m_nBlankWidth = std::max(static_cast<int>(dc.GetTextExtent(" ").cx), 1);
    dc.SelectObject(old);
    m_nCharHeight = std::max(static_cast<int>(tm.tmHeight), 6);
    m_nRowHeight = std::max(static_cast<int>(tm.tmHeight + tm.tmExternalLeading + 1), 8);
}

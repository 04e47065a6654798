#include "common/windows/CSheetsWnd.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CFrameWnd.h"

namespace {
constexpr DWORD kMaxTabs = 256;
}

BOOL CSheetsWnd::Create(CFrameWnd* frame, BOOL flag, COLORREF buttonFace)
{
    if (!CTabCtrl::Create(WS_CHILD | (flag ? WS_VISIBLE : 0), CRect(0, 0, 400, 24), frame, 0xE910))
        return FALSE;
    SetBackgroundColor(buttonFace);
    m_bAttached = flag != FALSE;
    return TRUE;
}

int CSheetsWnd::AddTab(const char* name)
{
    return InsertItem(GetItemCount(), name);
}

std::vector<CString> CSheetsWnd::GetTabNames() const
{
    std::vector<CString> names;
    for (int i = 0; i < GetItemCount(); ++i)
        names.push_back(GetItemText(i));
    return names;
}

bool CSheetsWnd::SaveTabs(CArchive& ar) const
{
    try {
        ar << static_cast<DWORD>(GetItemCount());
        for (int i = 0; i < GetItemCount(); ++i)
            ar << GetItemText(i);
        ar << static_cast<DWORD>(GetCurSel() < 0 ? 0 : GetCurSel());
    } catch (CException&) {
        return false;
    }
    return true;
}

bool CSheetsWnd::LoadTabs(CArchive& ar)
{
    std::vector<CString> names;
    DWORD selected = 0;
    try {
        const DWORD count = ar.ReadBoundedCount(1);
        if (count > kMaxTabs)
            return false;
        names.resize(count);
        for (CString& name : names)
            ar >> name;
        ar >> selected;
    } catch (CException&) {
        return false;
    }
    if (!names.empty() && selected >= names.size())
        return false;
    DeleteAllItems();
    for (const CString& name : names)
        AddTab(name);
    if (!names.empty())
        SetCurSel(static_cast<int>(selected));
    return true;
}

void CSheetsWnd::Attach(BOOL flag, CFrameWnd* frame)
{
    m_bAttached = flag != FALSE;
    ShowWindow(m_bAttached ? SW_SHOW : SW_HIDE);
    if (frame)
        frame->RecalcLayout();
}

bool CSheetsWnd::SelectTab(const char* name)
{
    for (int i = 0; i < GetItemCount(); ++i)
        if (GetItemText(i) == name) {
            SetCurSel(i);
            return true;
        }
    return false;
}

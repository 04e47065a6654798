// Control helpers of CWnd and data exchange entry.
#include "platform/ui/CButton.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CWnd.h"

#include <cstdlib>

void CWnd::SetDlgItemText(int id, const char* text)
{
    if (CWnd* c = GetDlgItem(id))
        c->SetWindowText(text);
}

int CWnd::GetDlgItemText(int id, CString& text) const
{
    CWnd* c = GetDlgItem(id);
    text = c ? c->GetWindowText() : CString();
    return text.GetLength();
}

CString CWnd::GetDlgItemText(int id) const
{
    CString t;
    GetDlgItemText(id, t);
    return t;
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned)
{
    CString t;
    if (isSigned)
        t.Format("%d", static_cast<int>(value));
    else
        t.Format("%u", value);
    SetDlgItemText(id, t);
}

UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const
{
    CString t = GetDlgItemText(id);
    t.Trim();
    char* end = nullptr;
    const long long v = std::strtoll(t.GetString(), &end, 10);
    const bool ok = !t.IsEmpty() && end && *end == '\0' && (isSigned || v >= 0) && v <= 0xFFFFFFFFLL && v >= -0x80000000LL;
    if (translated)
        *translated = ok ? TRUE : FALSE;
    return ok ? static_cast<UINT>(v) : 0;
}

void CWnd::CheckDlgButton(int id, UINT check)
{
    if (auto* b = dynamic_cast<CButton*>(GetDlgItem(id)))
        b->SetCheck(static_cast<int>(check));
}

UINT CWnd::IsDlgButtonChecked(int id) const
{
    auto* b = dynamic_cast<CButton*>(GetDlgItem(id));
    return b ? static_cast<UINT>(b->GetCheck()) : 0;
}

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId)
{
    for (int id = firstId; id <= lastId; ++id)
        if (auto* b = dynamic_cast<CButton*>(GetDlgItem(id)))
            b->SetCheck(id == checkId ? BST_CHECKED : BST_UNCHECKED);
}

int CWnd::GetCheckedRadioButton(int firstId, int lastId) const
{
    for (int id = firstId; id <= lastId; ++id)
        if (auto* b = dynamic_cast<CButton*>(GetDlgItem(id)); b && b->GetCheck() == BST_CHECKED)
            return id;
    return 0;
}

BOOL CWnd::UpdateData(BOOL save)
{
    CDataExchange dx(this, save);
    try {
        DoDataExchange(&dx);
    } catch (const CDataExchangeFailure&) {
        if (CWnd* c = dx.LastControl())
            c->SetFocus();
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

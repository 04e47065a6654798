#include "common/windows/CEnterTitleDlg.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CDataExchange.h"

CEnterTitleDlg::CEnterTitleDlg(const char* title, const char* prompt, const char* text, CWnd* parent)
    : CDialog(IDD_ENTER_TITLE, parent), m_text(text), m_title(title), m_prompt(prompt)
{
}

BOOL CEnterTitleDlg::OnInitDialog()
{
    SetWindowText(m_title);
    SetDlgItemText(1060, m_prompt);
    return CDialog::OnInitDialog();
}

void CEnterTitleDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, 1061, m_text);
}

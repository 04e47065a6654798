#include "common/windows/CSymbolsDlg.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CEdit.h"

namespace {

constexpr int kSymbolsEdit = 1070;

}  // namespace

CSymbolsDlg::CSymbolsDlg(const char* text, BOOL flag, CWnd* parent)
    : CDialog(IDD_SYMBOLS, parent), m_text(text), m_bFlag(flag)
{
}

BOOL CSymbolsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto* edit = dynamic_cast<CEdit*>(GetDlgItem(kSymbolsEdit));
    if (!edit)
        return TRUE;
    GotoDlgCtrl(edit);
    if (m_bFlag)
        edit->SetSel(0, -1);
    else
        edit->SetSel(m_text.GetLength(), m_text.GetLength());
    return FALSE;
}

void CSymbolsDlg::Type(char c)
{
    const char text[2] = {c, '\0'};
    if (auto* edit = dynamic_cast<CEdit*>(GetDlgItem(kSymbolsEdit)))
        edit->ReplaceSel(text);
}

void CSymbolsDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, kSymbolsEdit, m_text);
}

std::vector<CString> SplitSymbols(const CString& text)
{
    std::vector<CString> symbols;
    int pos = 0;
    for (;;) {
        CString token = text.Tokenize(" ,\t\r\n", pos);
        if (pos < 0)
            break;
        token.Trim();
        if (!token.IsEmpty())
            symbols.push_back(token.MakeUpper());
    }
    return symbols;
}

#include "common/windows/CSymbolsDlg.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CDataExchange.h"

CSymbolsDlg::CSymbolsDlg(const char* text, BOOL flag, CWnd* parent)
    : CDialog(IDD_SYMBOLS, parent), m_text(text), m_bFlag(flag)
{
}

void CSymbolsDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, 1070, m_text);
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

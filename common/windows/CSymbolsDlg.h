// A list of symbols to edit; OK gives the text, which SplitSymbols turns into symbols.
#pragma once

#include "platform/ui/CDialog.h"

#include <vector>

class CSymbolsDlg : public CDialog {
public:
    // flag: the text starts selected; otherwise the caret follows it (a typed first
    // character that the keys typed next add to).
    CSymbolsDlg(const char* text, BOOL flag, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    // A character typed at the caret, while the dialog shows.
    void Type(char c);
    void DoDataExchange(CDataExchange* dx) override;

    CString m_text;
    BOOL m_bFlag;
};

// Symbols separated by blanks, commas or line ends, upper-cased, empty ones dropped.
std::vector<CString> SplitSymbols(const CString& text);

// One line of text with a title and a prompt.
#pragma once

#include "platform/ui/CDialog.h"

class CEnterTitleDlg : public CDialog {
public:
    CEnterTitleDlg(const char* title, const char* prompt, const char* text, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

    CString m_text;

private:
    CString m_title;
    CString m_prompt;
};

// Edit control: one line, or several with ES_MULTILINE (Return starts a line, Tab moves the
// focus on). Sends EN_CHANGE on every change of its text and EN_SETFOCUS / EN_KILLFOCUS.
#pragma once

#include "platform/ui/CWnd.h"
#include "platform/ui/WinCtrl.h"

class CEdit : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(const char* text, BOOL canUndo = FALSE);
    void SetLimitText(UINT max);
    void LimitText(UINT max) { SetLimitText(max); }
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    int GetLineCount() const;
    void Clear();
    void Copy();
    void Paste();

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    void SetTextOfWidget(const CString& text) override;
    CString GetTextOfWidget() const override;
    void OnSetFocus(CWnd* old) override;
    void OnKillFocus(CWnd* next) override;
};

// Push button, check box, radio button or group box (BS_* style).
#pragma once

#include "platform/ui/CWnd.h"
#include "platform/ui/WinCtrl.h"

class CButton : public CWnd {
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int GetCheck() const;
    void SetCheck(int check);
    DWORD GetButtonStyle() const { return m_style & BS_TYPEMASK; }
    void SetDefault(BOOL isDefault);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    void SetTextOfWidget(const CString& text) override;
    CString GetTextOfWidget() const override;
};

// Static text (or picture) control.
#pragma once

#include "platform/ui/CWnd.h"

class CBitmap;

class CStatic : public CWnd {
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
    void SetBitmap(const CBitmap* bitmap);
    void SetTextColor(COLORREF color);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    void SetTextOfWidget(const CString& text) override;
    CString GetTextOfWidget() const override;
};

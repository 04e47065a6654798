// Up-down control with a 32-bit range and an optional buddy window. A click sends
// UDN_DELTAPOS (reflected first; a non-zero result cancels), then moves the position,
// writes it into the buddy (UDS_SETBUDDYINT) and sends WM_VSCROLL / WM_HSCROLL.
#pragma once

#include "platform/ui/CWnd.h"
#include "platform/ui/WinCtrl.h"

class CSpinButtonCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    CWnd* SetBuddy(CWnd* buddy);
    CWnd* GetBuddy() const;
    void SetRange(short lower, short upper) { SetRange32(lower, upper); }
    void SetRange32(int lower, int upper);
    void GetRange32(int& lower, int& upper) const;
    int SetPos32(int pos);
    // The position; with UDS_SETBUDDYINT it is read from the buddy's text.
    int GetPos32(BOOL* error = nullptr) const;
    int SetPos(int pos) { return SetPos32(pos); }
    int GetPos() const { return GetPos32(); }
    // One click: +1 up (or right), -1 down (or left).
    void Step(int delta);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }

private:
    void WriteBuddy();
    HWND m_buddy;
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
};

// Track bar. Moving it sends WM_HSCROLL (WM_VSCROLL when vertical) to the parent.
#pragma once

#include "platform/ui/CWnd.h"

inline constexpr DWORD TBS_VERT = 0x2;

class CSliderCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetRange(int minPos, int maxPos, BOOL redraw = FALSE);
    void GetRange(int& minPos, int& maxPos) const;
    void SetPos(int pos);
    int GetPos() const;
    void SetTicFreq(int frequency);
    int SetPageSize(int size);
    int SetLineSize(int size);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
};

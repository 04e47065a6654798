// The column header of a report list. It lives and dies with its list; its
// notifications (NM_RCLICK, HDN_ENDDRAG, HDN_ENDTRACK) carry control id 0 and go to the
// list first and then to the list's parent.
#pragma once

#include "platform/ui/CWnd.h"

class CBitmap;

class CHeaderCtrl : public CWnd {
public:
    int GetItemCount() const;
    BOOL GetItemRect(int index, LPRECT rect) const;
    int OrderToIndex(int order) const;
    BOOL GetOrderArray(int* order, int count) const;
    BOOL SetOrderArray(int count, const int* order);
    // Column index under the client point, -1 when none.
    int HitTest(CPoint point) const;
    BOOL DestroyWindow() override;

protected:
    bool PaintsItself() const override { return false; }
    void PostNcDestroy() override;
};

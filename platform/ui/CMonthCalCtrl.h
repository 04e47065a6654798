// Month calendar. Sends MCN_SELCHANGE when the user changes the day and MCN_SELECT when
// the user picks one.
#pragma once

#include "platform/core/CTime.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/WinCtrl.h"

class CMonthCalCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    BOOL SetCurSel(const CTime& time);
    // The selected day at local midnight.
    BOOL GetCurSel(CTime& time) const;
    BOOL GetCurSel(SYSTEMTIME* time) const;
    BOOL SetRange(const CTime* minTime, const CTime* maxTime);
    void SetToday(const CTime& time);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
};

// Date and time picker (DTS_SHORTDATEFORMAT, DTS_LONGDATEFORMAT or DTS_TIMEFORMAT;
// DTS_UPDOWN for arrows instead of a calendar). Sends DTN_DATETIMECHANGE on user change.
// It holds a wall-clock date and time in no zone: a SYSTEMTIME is shown and read as it
// stands; a CTime is shown by its local fields and read back as the local time they name.
#pragma once

#include "platform/core/CTime.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/WinCtrl.h"

class CDateTimeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    BOOL SetTime(const CTime& time);
    BOOL SetTime(const SYSTEMTIME* time);
    DWORD GetTime(CTime& time) const;
    DWORD GetTime(SYSTEMTIME* time) const;
    // Format in the picker's notation: d dd ddd dddd M MM MMM MMMM yy yyyy h hh H HH m mm
    // s ss t tt, literal text in single quotes.
    BOOL SetFormat(const char* format);
    BOOL SetRange(const CTime* minTime, const CTime* maxTime);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    CString GetTextOfWidget() const override;
};

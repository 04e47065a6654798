// "Export Data Range": From and To dates and times on a wall clock (the exchange's), shown
// and read as they stand with no time zone between; the end must be after the start.
#pragma once

#include "platform/core/SystemTime.h"
#include "platform/ui/CDialog.h"

class CExportRangeDlg : public CDialog {
public:
    CExportRangeDlg(const SYSTEMTIME& start, const SYSTEMTIME& end, CWnd* parent = nullptr);

    void GetRange(SYSTEMTIME& start, SYSTEMTIME& end) const;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

private:
    SYSTEMTIME m_fromDate;
    SYSTEMTIME m_fromTime;
    SYSTEMTIME m_toDate;
    SYSTEMTIME m_toTime;
    SYSTEMTIME m_start;
    SYSTEMTIME m_end;
};

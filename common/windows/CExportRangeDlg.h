// "Export Data Range": From and To dates and times; the end must be after the start.
#pragma once

#include "platform/core/CTime.h"
#include "platform/ui/CDialog.h"

class CExportRangeDlg : public CDialog {
public:
    CExportRangeDlg(const CTime& start, const CTime& end, CWnd* parent = nullptr);

    void GetRange(CTime& start, CTime& end) const;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

private:
    static CTime Combine(const CTime& date, const CTime& time);

    CTime m_fromDate;
    CTime m_fromTime;
    CTime m_toDate;
    CTime m_toTime;
    CTime m_start;
    CTime m_end;
};

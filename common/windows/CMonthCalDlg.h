// Modal month-calendar date choice; after IDOK m_year, m_month and m_day hold the date.
#pragma once

#include "platform/core/CTime.h"
#include "platform/ui/CDialog.h"

class CMonthCalDlg : public CDialog {
public:
    CMonthCalDlg(CWnd* parent, const CTime& start, const RECT* placement = nullptr);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    int m_year = 0;
    int m_month = 0;
    int m_day = 0;

private:
    CTime m_date;
    CRect m_placement;
    bool m_bPlaced = false;
};

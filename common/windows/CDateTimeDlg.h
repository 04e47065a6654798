// Modal date and time choice; after IDOK m_time holds the chosen local time.
#pragma once

#include "platform/core/CTime.h"
#include "platform/ui/CDialog.h"

class CDateTimeDlg : public CDialog {
public:
    explicit CDateTimeDlg(const CTime& start, CWnd* parent = nullptr);
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    CTime m_time;

private:
    CTime m_date;
    CTime m_clock;
};

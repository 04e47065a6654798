// Modal date and time choice on a wall clock (the exchange's, for Go to): the fields show
// the start as it stands and after IDOK m_time holds the date and time chosen, with no time
// zone between them, so an hour this computer's clock skips or repeats is shown and chosen
// as any other.
#pragma once

#include "platform/core/SystemTime.h"
#include "platform/ui/CDialog.h"

class CDateTimeDlg : public CDialog {
public:
    explicit CDateTimeDlg(const SYSTEMTIME& start, CWnd* parent = nullptr);
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    SYSTEMTIME m_time;

private:
    SYSTEMTIME m_date;
    SYSTEMTIME m_clock;
};

// "Order Status Filter": which statuses, order types and dates the order status window
// lists. Works on a copy of the window's filter; the window takes it back after OK.
#pragma once

#include "broker/session/COrderStatusListHandle.h"
#include "platform/ui/CDialog.h"
#include "trading/OrderFilterInput.h"

class COrderStatusFilterDlg : public CDialog {
public:
    COrderStatusFilterDlg(const COrderListFilter& filter, CWnd* parent = nullptr);

    const COrderListFilter& GetFilter() const { return m_filter; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    const CMessageMap& GetMessageMap() const override;

private:
    void OnDateMode(UINT id);
    void EnableDateControls();
    COrderFilterInput ReadControls() const;
    void ShowDate(UINT monthId, UINT dayId, UINT yearId, int64_t time);

    COrderListFilter m_filter;
};

// "Integrated Trading Settings": one row of the trading-defaults table — the order type,
// expire, route and instructions of the three order-entry groups, the Level II and INET
// Book order-entry switches, order confirmation and what an alert's order does.
#pragma once

#include "platform/ui/CDialog.h"
#include "trading/ui/CDialogControls.h"

class CTradingDefaults;

class CApiSettingsDlg : public CDialog {
public:
    // Edits row `row` of the table (the settings object's when none is given).
    CApiSettingsDlg(int row, CWnd* owner, CTradingDefaults* table = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    const CMessageMap& GetMessageMap() const override;

    int m_bLevel2Entry;
    int m_bInetBookEntry;
    int m_nConfirmation;   // 0 popup a confirmation, 1 none
    int m_nProgramTrading; // 0 add to saved orders, 1 place the order

private:
    void OnChoiceChanged(UINT id);
    void Refill(int group);

    int m_nRow;
    CTradingDefaults* m_pTable;
    CDialogControls m_controls;
};

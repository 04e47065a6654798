// "Actives": the market, ranking type and interval of an actives list.
#pragma once

#include "platform/ui/CDialog.h"

class CActivesHandle;

class CActivesDlg : public CDialog {
public:
    // Starts on NASDAQ, Trades, 1 min, or on the handle's list.
    explicit CActivesDlg(const CActivesHandle* current = nullptr, CWnd* parent = nullptr);

    // The actives key of the choice; "" when an index lies outside the tables.
    CString GetKey() const;

    BOOL OnInitDialog() override;
    void OnOK() override;
    const CMessageMap& GetMessageMap() const override;

    int m_nExchange = 1;
    int m_nType = 1;
    int m_nInterval = 0;

private:
    void FillTypes(int select);
    void OnExchange();
};

// "Symbol Settings": one position of a local portfolio.
#pragma once

#include "platform/ui/CDialog.h"
#include "views/CPortfolio.h"

class CSymbolSettingsDlg : public CDialog {
public:
    explicit CSymbolSettingsDlg(const CPortfolioPosition& position, CWnd* parent = nullptr);

    const CPortfolioPosition& GetPosition() const { return m_position; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    const CMessageMap& GetMessageMap() const override;
    // The Split button: shares x n / m and price x m / n with the ratio fields.
    void OnSplit();

private:
    // Reads and checks the fields into m_position; false after telling the user.
    bool ReadFields(bool needSymbol);
    void ShowFields();

    CPortfolioPosition m_position;
};

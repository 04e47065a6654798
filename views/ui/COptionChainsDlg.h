// "Option Chains": the underlying, chain type, range, expiration and strike of a chain;
// after OK the caller asks for the definition text.
#pragma once

#include "platform/core/CTime.h"
#include "platform/ui/CDialog.h"
#include "views/OptionChainDefinition.h"

class COptionChainsDlg : public CDialog {
public:
    // definition: the chain to edit ("" for a new one); now: the first month of the list.
    explicit COptionChainsDlg(const CString& definition = "", CWnd* parent = nullptr,
                              const CTime& now = CTime::GetCurrentTime());

    void SetSymbol(const CString& symbol) { m_choice.symbol = symbol; }
    CString BuildDefinition() const;
    const COptionChainChoice& GetChoice() const { return m_choice; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    const CMessageMap& GetMessageMap() const override;

private:
    void FillTypeLists();
    void OnChainType();
    void OnDisclaimer();
    void ReadControls();

    COptionChainChoice m_choice;
    CTime m_now;
};

// A page of the trade ticket: the dialog of one order form whose controls drive an order
// form logic. COrderForm holds a single order, CConditionalOrderForm a conditional one.
#pragma once

#include "platform/ui/CPropertyPage.h"
#include "trading/COrderFormLogic.h"
#include "trading/ui/CDialogControls.h"
#include "trading/ui/CNumericSpinButton.h"
#include "trading/ui/COrderEdit.h"

#include <array>
#include <memory>
#include <vector>

class COrderPropertySheet;

class COrderPage : public CPropertyPage, public CDialogControls {
public:
    COrderPage(UINT templateId, int conditional);
    ~COrderPage() override;

    COrderFormLogic& GetLogic() { return *m_logic; }
    const COrderFormLogic& GetLogic() const { return *m_logic; }
    COrderPropertySheet* GetOrderSheet() const;
    // The size the page needs for the legs in use (client pixels).
    virtual CSize GetWantedSize() const = 0;

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    // "Apply" (and Enter on the sheet) places the order of the active page.
    BOOL OnApply() override;
    void OnCancel() override {}

    // IOrderFormControls: the sheet.
    bool IsSheetModal() const override;
    void CloseSheet(bool ok) override;
    void LegsInUseChanged() override;

    const CMessageMap& GetMessageMap() const override;

protected:
    void OnPlace();
    void OnSave();
    void OnClear();
    void OnQuantityMode(UINT id);
    void OnPriceSource(UINT id);
    void OnOptionChain(UINT id);
    void OnSymbolKillFocus(UINT id);
    void OnOrderTypeChange(UINT id);
    void OnExpireChange(UINT id);
    void OnDisclaimerClicked();
    void OnAccountsClicked();
    void OnAccountChange();
    LRESULT OnSetSymbolInterval(WPARAM group, LPARAM message);
    LRESULT OnLegQuote(WPARAM leg, LPARAM);
    LRESULT OnFormEnter(WPARAM id, LPARAM);
    int LegCount() const { return m_bConditional ? COrderFormLogic::kLegCount : 1; }

    bool m_bConditional;
    std::unique_ptr<COrderFormLogic> m_logic;
    std::array<CNumericSpinButton, 3 * COrderFormLogic::kLegCount> m_spins;
    std::vector<std::unique_ptr<COrderEdit>> m_edits;
};

// "Stock" and "Option": one order (dialog 220).
class COrderForm : public COrderPage {
public:
    COrderForm();
    CSize GetWantedSize() const override;
};

// "Conditional": two or three legs of a conditional order (dialog 272).
class CConditionalOrderForm : public COrderPage {
public:
    CConditionalOrderForm();
    CSize GetWantedSize() const override;
    const CMessageMap& GetMessageMap() const override;

private:
    void OnActionChange(UINT id);
    void OnQuantityKillFocus(UINT id);
    void OnDateKillFocus(UINT id);
    void OnConditionalType();
    void OnStock();
    void OnOption();
};

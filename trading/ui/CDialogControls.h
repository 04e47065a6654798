// The order form controls of a dialog or page, found by id: what the order form logic
// reads and changes, and the dialogs and menus it opens.
#pragma once

#include "trading/IOrderFormControls.h"

class CComboBox;
class CNumericSpinButton;
class CWnd;

class CDialogControls : public IOrderFormControls {
public:
    explicit CDialogControls(CWnd& dialog) : m_dialog(dialog) {}

    bool HasControl(UINT id) const override;
    void ShowControl(UINT id, bool shown) override;
    bool IsControlShown(UINT id) const override;
    void EnableControl(UINT id, bool enabled) override;
    bool IsControlEnabled(UINT id) const override;
    void SetControlText(UINT id, const CString& text) override;
    CString GetControlText(UINT id) const override;
    void FocusControl(UINT id) override;
    void SetCheck(UINT id, bool checked) override;
    bool GetCheck(UINT id) const override;
    void SetComboItems(UINT id, const std::vector<CString>& items) override;
    std::vector<CString> GetComboItems(UINT id) const override;
    int GetComboSelection(UINT id) const override;
    void SetComboSelection(UINT id, int index) override;
    void SetSpinRange(UINT id, double minimum, double maximum, double step) override;
    void SetSpinDecimals(UINT id, int decimals, bool trimZeros) override;
    void ShowMessage(const CString& text) override;
    int ChoosePriceSource(UINT buttonId, int checkedItem) override;
    bool EditPriceOffset(int& source, double& offset) override;
    bool ChooseAccounts(int& mode, std::vector<CString>& names) override;
    void OpenOptionChain() override;
    void OpenDisclaimer() override;
    bool IsSheetModal() const override { return false; }
    void CloseSheet(bool) override {}
    CWnd* GetOwnerWindow() override { return &m_dialog; }
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    // Posts WM_APP+11 with the leg to the dialog's window.
    std::function<void(int leg)> QuoteNotifier() override;
    // The first popup of a menu resource under a button of the dialog, with one command
    // checked: the command chosen, or 0.
    UINT TrackButtonMenu(UINT menuId, UINT buttonId, UINT checkedCommand);

protected:
    CWnd* Item(UINT id) const;
    CComboBox* Combo(UINT id) const;
    CNumericSpinButton* Spin(UINT id) const;

    CWnd& m_dialog;
    int m_nWaits = 0;
};

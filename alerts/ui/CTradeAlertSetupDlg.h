// The formula wizard ("Trade Alert Setup"): the one dialog in which a formula of the
// program's language is written, and, by mode, an alert with its order and sound, a
// screener, a custom field, a custom study, a named formula or a strategy's alert is set
// up. It only collects: after OK the caller reads the CAlertSetup fields (the formula,
// the symbols or name, the price condition, the order, the sound) and makes its objects.
//
//   CTradeAlertSetupDlg dlg(nullptr, kSetupCustomStudy, this);
//   dlg.m_symbols = "My Study";    // the name in modes 2 to 5
//   dlg.m_formula = "RSI[RSI,14,D] > 70";
//   if (dlg.DoModal() == IDOK) { use dlg.m_symbols and dlg.m_formula }
#pragma once

#include "alerts/CAlertSetup.h"
#include "platform/ui/CDialog.h"
#include "trading/COrderFormLogic.h"
#include "trading/ui/CDialogControls.h"
#include "trading/ui/CNumericSpinButton.h"

#include <array>
#include <memory>

class CAlert;

class CTradeAlertSetupDlg : public CDialog, public CAlertSetup {
public:
    // alert: the alert being edited (its type cannot be changed), or null for a new one.
    CTradeAlertSetupDlg(const CAlert* alert, int mode, CWnd* parent);
    ~CTradeAlertSetupDlg() override;

    // Parses the formula edit's text: with showSuccess a message says it is valid,
    // without the text becomes m_formula. False after showing why not.
    bool Validate(bool showSuccess);
    // The library reader behind "Browse Library..." and "Append from Library": an open
    // dialog for a .qxf file, then its name and expression. False when cancelled or the
    // file cannot be used (after saying why).
    bool LoadFormulaFile(CString& name, CString& expression);

    COrderFormLogic& GetOrderForm() { return *m_orderForm; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    const CMessageMap& GetMessageMap() const override;

private:
    // The order part's controls: the wizard itself.
    class COrderControls : public CDialogControls {
    public:
        explicit COrderControls(CTradeAlertSetupDlg& dlg) : CDialogControls(dlg) {}
    };

    void ShowType();
    void FillFunctionCombo();
    void OnTypeChanged();
    void OnFunctionChanged();
    void ClearParameters();
    void ShowParameter(UINT labelId, UINT fieldId, const char* label, const char* text);
    void OnCategoryButton();
    void OnAdd();
    void OnGuideMe();
    void OnFormulaBuilder();
    void OnHelp();
    void OnKeypad(UINT id);
    void OnAddComment();
    void OnValidateClicked();
    void OnSaveToLibrary();
    void OnAppendFromLibrary();
    void OnBrowseLibrary();
    void OnSymbolLists();
    void OnPlaceOrderClicked();
    void OnStockClicked();
    void OnOptionClicked();
    void OnConditionalClicked();
    void OnEditConditional();
    void OnPlaySoundClicked();
    void OnBrowseSound();
    void OnTestSound();
    void OnOrderTypeChange();
    void OnPriceSource();
    void OnQuantityMode();
    void OnAccounts();
    void OnAccountChange();
    LRESULT OnLegQuote(WPARAM, LPARAM);

    void InsertAtCaret(const CString& text);
    void RefillOrderSection();
    void UpdateOrderEnabling();
    void ShowOrderFields(bool shown);
    void ShowSummary();
    void UpdateSoundEnabling();
    bool IsOrderMode() const { return m_nMode == kSetupAlert || m_nMode == kSetupAlertWizard; }
    bool HasNameField() const { return m_nMode >= kSetupCustomField; }
    CString LibraryName() const;
    CString ProgramFolder() const;
    // A file that exists, asked for with the open dialog in a folder of the program folder
    // ("/Formulas"); false when none was chosen.
    bool ChooseFileToOpen(const char* extension, const char* filter, const char* folder, CString& path);
    void ReadCommonFields();

    bool m_bEditing;
    COrderControls m_controls;
    std::unique_ptr<COrderFormLogic> m_orderForm;
    std::array<CNumericSpinButton, 3> m_spins;
};

// The controls of an order form as the order form logic sees them: by control id, shown,
// enabled, texts, combo lists, check boxes and spins, and the questions it asks. The
// pages implement it over their dialog; tests implement it without a display.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <functional>
#include <vector>

class CWnd;

class IOrderFormControls {
public:
    virtual ~IOrderFormControls() = default;

    // A form without a control ignores what is asked of it.
    virtual bool HasControl(UINT id) const = 0;
    virtual void ShowControl(UINT id, bool shown) = 0;
    virtual bool IsControlShown(UINT id) const = 0;
    virtual void EnableControl(UINT id, bool enabled) = 0;
    virtual bool IsControlEnabled(UINT id) const = 0;
    // Window text: an edit's contents, a label's or button's caption, a combo's edit text.
    virtual void SetControlText(UINT id, const CString& text) = 0;
    virtual CString GetControlText(UINT id) const = 0;
    virtual void FocusControl(UINT id) = 0;
    virtual void SetCheck(UINT id, bool checked) = 0;
    virtual bool GetCheck(UINT id) const = 0;

    // Combo boxes: the items and the selected index (-1 none).
    virtual void SetComboItems(UINT id, const std::vector<CString>& items) = 0;
    virtual std::vector<CString> GetComboItems(UINT id) const = 0;
    virtual int GetComboSelection(UINT id) const = 0;
    virtual void SetComboSelection(UINT id, int index) = 0;

    // Numeric spins (their buddy is the edit before them).
    virtual void SetSpinRange(UINT id, double minimum, double maximum, double step) = 0;
    virtual void SetSpinDecimals(UINT id, int decimals, bool trimZeros) = 0;

    // A message box with an OK button on the form.
    virtual void ShowMessage(const CString& text) = 0;
    // The price-source menu under the button: 0..3 "&Manual", "&Bid", "&Ask", "&Last",
    // 4 "&Offset...", -1 when nothing was chosen. checkedItem is the item shown checked.
    virtual int ChoosePriceSource(UINT buttonId, int checkedItem) = 0;
    // The Price Offset dialog; false when cancelled.
    virtual bool EditPriceOffset(int& source, double& offset) = 0;
    // The Accounts dialog; false when cancelled.
    virtual bool ChooseAccounts(int& mode, std::vector<CString>& names) = 0;
    // The option chain list window (floating when the form's frame floats).
    virtual void OpenOptionChain() = 0;
    virtual void OpenDisclaimer() = 0;

    // The sheet that holds the form: modal or hosted in a window.
    virtual bool IsSheetModal() const = 0;
    // Ends a modal sheet (or the dialog that holds the form) with OK or Cancel.
    virtual void CloseSheet(bool ok) = 0;
    // The number of legs in use changed; the page sizes itself again.
    virtual void LegsInUseChanged() {}
    // The window that owns the messages of the order submission.
    virtual CWnd* GetOwnerWindow() = 0;
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
    // A function that tells the form, from any thread, that the quote of a leg changed
    // (the page posts itself WM_APP+11 with the leg); it must stay callable after the
    // form is gone.
    virtual std::function<void(int leg)> QuoteNotifier() = 0;
};

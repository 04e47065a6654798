// What a study's settings dialog offers the study that fills and reads it. The window
// layer's dialog implements it; tests use a plain record of controls.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class IStudyDialog {
public:
    virtual ~IStudyDialog() = default;

    virtual bool HasControl(int id) const = 0;
    // Text of an edit (empty for a missing control).
    virtual CString GetText(int id) const = 0;
    virtual void SetText(int id, const CString& text) = 0;
    // Check boxes and radio buttons.
    virtual bool IsChecked(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;

    // Colour combos (1019, 1022, 1026, 1027). False for a missing combo, no selection or
    // the "Other..." entry.
    virtual bool GetSelectedColor(int id, COLORREF& color) const = 0;
    // Refills the combo with color as its current colour; false without such a combo.
    virtual bool FillColors(int id, COLORREF color) = 0;

    // Drop-down lists (the source combo 1004).
    virtual void ResetCombo(int id) = 0;
    virtual void AddComboItem(int id, const CString& text) = 0;
    virtual void SelectComboItem(int id, int index) = 0;
    // Text of the selected item; false when nothing is selected.
    virtual bool GetComboSelection(int id, CString& text) const = 0;

    // A message box with an OK button over the dialog.
    virtual void ShowMessage(const CString& text) = 0;
    virtual void FocusDialog() = 0;
    virtual void FocusControl(int id) = 0;
};

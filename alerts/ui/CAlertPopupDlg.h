// The popup of a fired price or formula alert: what fired, at which price and time, and
// its order, which the user places unchanged or through the Trade Ticket; or the user
// dismisses this or every waiting popup, resets the alert, or edits it with or without
// its trigger state. The alert is held by its id only: each choice looks it up again.
#pragma once

#include "alerts/CAlert.h"
#include "alerts/CAlertEvent.h"
#include "alerts/ui/AlertUiIds.h"
#include "platform/ui/CDialog.h"

class CAlertPopupDlg : public CDialog {
public:
    // Fills the texts from the alert with that id (IsValid false when it is gone).
    CAlertPopupDlg(AlertId id, const CAlertEvent& event, CWnd* parent);

    bool IsValid() const { return m_bValid; }
    // Shows the popup modally and carries out the choice once it has closed: IDOK (Place
    // Order), IDCANCEL (Dismiss), IDC_POPUP_DISMISS_ALL (for the caller to clear its
    // queue), IDC_POPUP_RESET, IDC_POPUP_EDIT_RESET or IDC_POPUP_EDIT_NO_RESET.
    int Run();
    // Carries out a choice (the buttons, without the dialog).
    void Act(int choice);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    const CMessageMap& GetMessageMap() const override;

    CString m_symbol;
    CString m_condition;
    CString m_price;  // "Price: 501.50"
    CString m_order;
    CString m_date;   // "Date: 12/07/2026 10:31:05"
    CString m_strategyName;
    int m_bHasOrder = 0;
    int m_bEditBeforeSending = 0;

private:
    void OnDismissAll() { Close(IDC_POPUP_DISMISS_ALL); }
    void OnReset() { Close(IDC_POPUP_RESET); }
    void OnEditReset() { Close(IDC_POPUP_EDIT_RESET); }
    void OnEditNoReset() { Close(IDC_POPUP_EDIT_NO_RESET); }
    void Close(int choice);
    // The alert's id, or its strategy's; 0 (after telling the user) when it is gone or
    // is no price or formula alert.
    AlertId LookUp(bool owner);
    void PlaceOrder();
    void Reset();
    void Tell(const char* text);

    AlertId m_id;
    CAlertEvent m_event;
    CWnd* m_pParent;
    bool m_bValid = false;
};

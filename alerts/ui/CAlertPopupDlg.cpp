#include "alerts/ui/CAlertPopupDlg.h"

#include "alerts/AlertOrders.h"
#include "alerts/CAlertBook.h"
#include "alerts/CAlertTradeInfo.h"
#include "alerts/CStrategyAlert.h"
#include "alerts/IAlertHost.h"
#include "alerts/ui/AlertEditing.h"
#include "broker/core/Formatters.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CWinApp.h"
#include "trading/SendOrders.h"
#include "trading/ui/COrderPropertySheet.h"

#include <memory>

namespace {

constexpr const char* kGone = "Alert is no longer valid since it has been edited or deleted.";

bool IsPopupKind(const CAlert& alert)
{
    return alert.m_nType == kAlertPrice || alert.m_nType == kAlertFormula;
}

}  // namespace

CAlertPopupDlg::CAlertPopupDlg(AlertId id, const CAlertEvent& event, CWnd* parent)
    : CDialog(IDD_ALERT_POPUP, parent), m_id(id), m_event(event), m_pParent(parent)
{
    const CAlertBook* book = CAlertBook::Instance();
    if (!book)
        return;
    IAlertHost* host = GetAlertHost();
    m_bValid = book->WithAlert(id, [&](const CAlert& alert) {
        m_symbol = alert.m_symbol;
        const std::unique_ptr<CAlertTradeInfo> info = alert.CopyTradeInfo();
        m_bHasOrder = info ? 1 : 0;
        alert.GetOrderText(m_order, event.m_nTrigger);
        if (info && host)
            m_order += ", Account: " + host->GetAccountListText(info->m_nAcctType, info->m_accounts, 1);
        alert.GetConditionText(m_condition);
        if (const CStrategyAlert* strategy = alert.GetOwner()) {
            m_strategyName = strategy->m_strategyName;
            const CString& name =
                strategy->GetEntryAlert() == &alert ? strategy->m_entryFormula : strategy->m_exitFormula;
            if (!name.IsEmpty())
                m_condition = name + ": " + m_condition;
        }
    });
    m_price = "Price: " + FormatNumber(event.m_price, 2, 4);
    m_date = "Date: " + event.m_date;
    if (const CAppSettings* settings = CAppSettings::Instance())
        m_bEditBeforeSending = settings->m_bEditOrderBeforeSending ? 1 : 0;
}

BOOL CAlertPopupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_POPUP_SYMBOL, m_symbol);
    SetDlgItemText(IDC_POPUP_CONDITION, m_condition);
    SetDlgItemText(IDC_POPUP_ORDER, m_order);
    SetDlgItemText(IDC_POPUP_PRICE, m_price);
    SetDlgItemText(IDC_POPUP_DATE, m_date);
    CheckDlgButton(IDC_POPUP_EDIT_ORDER, m_bEditBeforeSending ? BST_CHECKED : BST_UNCHECKED);
    CString title = "Alert - " + m_symbol;
    if (!m_strategyName.IsEmpty())
        title += " - " + m_strategyName;
    SetWindowText(title);
    if (m_bHasOrder) {
        SetDefID(IDOK);
        GotoDlgCtrl(GetDlgItem(IDOK));
    } else {
        for (UINT id : {static_cast<UINT>(IDOK), IDC_POPUP_EDIT_ORDER})
            if (CWnd* control = GetDlgItem(static_cast<int>(id)))
                control->ShowWindow(SW_HIDE);
        SetDefID(IDCANCEL);
        GotoDlgCtrl(GetDlgItem(IDCANCEL));
    }
    return FALSE;  // the focus is set
}

void CAlertPopupDlg::Close(int choice)
{
    m_bEditBeforeSending = IsDlgButtonChecked(IDC_POPUP_EDIT_ORDER) == BST_CHECKED ? 1 : 0;
    EndDialog(choice);
}

void CAlertPopupDlg::OnOK()
{
    Close(IDOK);
}

void CAlertPopupDlg::OnCancel()
{
    Close(IDCANCEL);
}

int CAlertPopupDlg::Run()
{
    const int choice = static_cast<int>(DoModal());
    Act(choice);
    return choice;
}

void CAlertPopupDlg::Act(int choice)
{
    switch (choice) {
    case IDOK: PlaceOrder(); break;
    case IDC_POPUP_RESET: Reset(); break;
    case IDC_POPUP_EDIT_RESET:
    case IDC_POPUP_EDIT_NO_RESET:
        if (const AlertId target = LookUp(true))
            EditAlert(target, choice == IDC_POPUP_EDIT_RESET, m_pParent);
        break;
    default: break;  // Dismiss; Dismiss All is the caller's
    }
}

void CAlertPopupDlg::Tell(const char* text)
{
    if (m_pParent)
        m_pParent->MessageBox(text, nullptr, MB_OK);
    else
        AfxMessageBox(text, MB_OK);
}

AlertId CAlertPopupDlg::LookUp(bool owner)
{
    const CAlertBook* book = CAlertBook::Instance();
    AlertId target = 0;
    if (book)
        book->WithAlert(m_id, [&](const CAlert& alert) {
            if (!IsPopupKind(alert))
                return;
            const CStrategyAlert* strategy = owner ? alert.GetOwner() : nullptr;
            target = strategy ? strategy->GetId() : alert.GetId();
        });
    if (!target)
        Tell(kGone);
    return target;
}

void CAlertPopupDlg::PlaceOrder()
{
    if (CAppSettings* settings = CAppSettings::Instance())
        settings->m_bEditOrderBeforeSending = m_bEditBeforeSending != 0;
    if (!m_bHasOrder || !LookUp(false))
        return;
    const int trigger = m_event.m_nTrigger;
    if (!m_bEditBeforeSending) {
        if (PlaceAlertOrder(m_id, trigger, nullptr) == EAlertOrderResult::kGone)
            Tell(kGone);
        return;
    }
    // Through the Trade Ticket, which prices the legs live.
    std::vector<COrderRecord> legs;
    CAlertOrder order;
    bool found = false;
    if (const CAlertBook* book = CAlertBook::Instance())
        found = book->WithAlert(m_id, [&](const CAlert& alert) {
            if (BuildAlertOrder(alert, trigger, order))
                legs = AlertTicketLegs(alert, trigger);
        });
    if (!found || legs.empty()) {
        Tell(kGone);
        return;
    }
    COrderPropertySheet sheet(TRUE, m_pParent);
    sheet.InitPages(kOrderModeNew, order.symbolType, order.conditionType, &legs, order.accountMode, &order.accounts,
                    kOriginAlert);
    sheet.DoModal();
    int entryQuantity = order.entryQuantity;
    if (COrderPage* page = sheet.GetActiveOrderPage())
        if (const int computed = page->GetLogic().GetComputedQuantity(0); computed != 0)
            entryQuantity = computed;
    PassAlertEntryQuantity(m_id, entryQuantity);
}

void CAlertPopupDlg::Reset()
{
    const AlertId target = LookUp(true);
    const CAlertBook* book = CAlertBook::Instance();
    if (!target || !book)
        return;
    book->WithAlert(target, [](CAlert& alert) { alert.ResetTriggers(); });
    if (IAlertHost* host = GetAlertHost())
        host->AlertListsChanged(target, target);
}

const CMessageMap& CAlertPopupDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CAlertPopupDlg>(CDialog::GetMessageMap())
                                       .Command(IDC_POPUP_DISMISS_ALL, &CAlertPopupDlg::OnDismissAll)
                                       .Command(IDC_POPUP_RESET, &CAlertPopupDlg::OnReset)
                                       .Command(IDC_POPUP_EDIT_RESET, &CAlertPopupDlg::OnEditReset)
                                       .Command(IDC_POPUP_EDIT_NO_RESET, &CAlertPopupDlg::OnEditNoReset)
                                       .Build();
    return map;
}

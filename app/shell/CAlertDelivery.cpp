#include "app/shell/CAlertDelivery.h"

#include "alerts/CAlertBook.h"
#include "alerts/CColumnAlert.h"
#include "alerts/COrderFillAlert.h"
#include "app/shell/CWorkstationApp.h"
#include "app/shell/ShellIds.h"
#include "broker/core/Formatters.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CWinApp.h"

CAlertDelivery::CAlertDelivery(CMainFrame& frame) : m_frame(frame), m_hFrame(frame.m_hWnd) {}

bool CAlertDelivery::IsOwnedType(int type)
{
    return type == kAlertNews || type == kAlertColumn || type == kAlertOrderFill || type < 0;
}

void CAlertDelivery::DeliverAlert(std::unique_ptr<CAlertEvent> event, CAlert* alert)
{
    CAlertEvent* raw = event.get();
    if (PostMessage(m_hFrame, WM_ALERT_DELIVERY, reinterpret_cast<WPARAM>(raw), reinterpret_cast<LPARAM>(alert))) {
        (void)event.release();  // the main frame owns it now
        return;
    }
    if (alert && IsOwnedType(alert->m_nType))
        delete alert;
}

CString CAlertDelivery::GetAccountListText(int mode, const std::vector<CString>& names, int flag) const
{
    return IsWindow(m_hFrame) ? m_frame.GetAccountListText(mode, names, flag) : CString();
}

bool CAlertDelivery::OwnsAlert(LPARAM alert)
{
    const auto* a = reinterpret_cast<const CAlert*>(alert);
    return a && IsOwnedType(a->m_nType);
}

void CAlertDelivery::Present(WPARAM event, LPARAM alert)
{
    const auto* a = reinterpret_cast<const CAlert*>(alert);
    const auto* e = reinterpret_cast<const CAlertEvent*>(event);
    if (!a)
        return;
    CString text;
    switch (a->m_nType) {
    case kAlertNews:
        text.Format("New headline(s) for %s", a->m_symbol.GetString());
        m_frame.MessageBox(text, "News Alert", MB_OK | MB_ICONINFORMATION);
        break;
    case kAlertColumn:
        if (const auto* column = dynamic_cast<const CColumnAlert*>(a)) {
            text.Format("Symbol: %s\nColumn: %s\nValue: %s\n", column->m_symbol.GetString(),
                        column->m_columnName.GetString(), column->m_value.GetString());
            m_frame.MessageBox(text, "Level I Alert", MB_OK | MB_ICONINFORMATION);
        }
        break;
    case kAlertOrderFill:
        if (const auto* fill = dynamic_cast<const COrderFillAlert*>(a)) {
            m_frame.SetMessageText(fill->m_fillText);
            m_frame.GetTrayIcon().ShowBalloon("Order filled", fill->m_fillText);
        }
        break;
    case kAlertPrice:
    case kAlertFormula: {
        // Only while the alert is still the user's: it may have been deleted since it fired.
        CAlertBook* book = CAlertBook::Instance();
        if (book && book->FindAlertIndex(a) >= 0)
            PresentUserAlert(*a, e);
        break;
    }
    default:
        break;
    }
}

void CAlertDelivery::PresentUserAlert(const CAlert& alert, const CAlertEvent* event)
{
    if (CWorkstationApp* app = GetWorkstationApp())
        app->NotifyAlertViews(0, 0);
    CString condition;
    alert.GetConditionText(condition);
    CString order;
    alert.GetOrderText(order, event ? event->m_nTrigger : 1);
    const CString price = event ? FormatNumber(event->m_price, 2, 4) : CString();
    CString text;
    text.Format("%s: %s\nPrice: %s\nTime: %s\nOrder: %s", alert.m_symbol.GetString(), condition.GetString(),
                price.GetString(), event ? event->m_date.GetString() : "", order.GetString());
    CString title;
    title.Format("%s alert", alert.m_symbol.GetString());
    m_frame.GetTrayIcon().ShowBalloon(title, text);
    m_frame.MessageBox(text, "Alert", MB_OK | MB_ICONINFORMATION);
}

void CAlertDelivery::Free(WPARAM event, LPARAM alert, bool ownsAlert)
{
    delete reinterpret_cast<CAlertEvent*>(event);
    if (ownsAlert)
        delete reinterpret_cast<CAlert*>(alert);
}

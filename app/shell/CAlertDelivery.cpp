#include "app/shell/CAlertDelivery.h"

#include "alerts/AlertOrders.h"
#include "alerts/CAlertBook.h"
#include "alerts/CColumnAlert.h"
#include "alerts/COrderFillAlert.h"
#include "app/shell/CWorkstationApp.h"
#include "broker/core/Formatters.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CWinApp.h"

CAlertDelivery::CAlertDelivery(CMainFrame& frame) : m_frame(frame), m_hFrame(frame.m_hWnd) {}

bool CAlertDelivery::IsOwnedType(int type)
{
    return type == kAlertNews || type == kAlertColumn || type == kAlertOrderFill || type < 0;
}

void CAlertDelivery::DeliverAlert(std::unique_ptr<CAlertEvent> event, CAlert* alert)
{
    // The sender still holds the alert here, so its type can be read.
    const bool owned = alert && IsOwnedType(alert->m_nType);
    if (owned && !event)
        event = std::make_unique<CAlertEvent>();
    CAlertEvent* raw = event.get();
    if (owned) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_ownedDeliveries.insert(raw);
    }
    if (PostMessage(m_hFrame, WM_ALERT_DELIVERY, reinterpret_cast<WPARAM>(raw), reinterpret_cast<LPARAM>(alert))) {
        (void)event.release();  // the main frame owns it now
        return;
    }
    if (owned) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_ownedDeliveries.erase(raw);
        delete alert;
    }
}

CString CAlertDelivery::GetAccountListText(int mode, const std::vector<CString>& names, int flag) const
{
    return IsWindow(m_hFrame) ? m_frame.GetAccountListText(mode, names, flag) : CString();
}

bool CAlertDelivery::OwnsAlert(WPARAM event, LPARAM)
{
    std::lock_guard<std::mutex> lock(m_lock);
    return event && m_ownedDeliveries.count(reinterpret_cast<const CAlertEvent*>(event)) != 0;
}

void CAlertDelivery::Present(WPARAM event, LPARAM alert)
{
    const auto* e = reinterpret_cast<const CAlertEvent*>(event);
    const auto* a = reinterpret_cast<const CAlert*>(alert);
    if (!a)
        return;
    if (!OwnsAlert(event, alert)) {
        // A user alert: only while it is still in the global array (it may have been
        // deleted since it fired, so nothing of it is read before).
        (void)e;
        return;
    }
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
    auto* e = reinterpret_cast<CAlertEvent*>(event);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_ownedDeliveries.erase(e);
    }
    delete e;
    if (ownsAlert)
        delete reinterpret_cast<CAlert*>(alert);
}

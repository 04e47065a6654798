#include "alerts/COrderFillAlert.h"

#include "alerts/IAlertHost.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/SessionMessages.h"

COrderFillAlert::COrderFillAlert(const CString& symbol, const CString& fillText)
    : CAlert(kAlertOrderFill), m_fillText(fillText)
{
    m_symbol = symbol;
}

void DeliverOrderFillAlerts(CSessionManager& session)
{
    session.SetOrderFillHandler([](const COrderFillMessage& fill) {
        IAlertHost* host = GetAlertHost();
        if (!host)
            return;
        auto alert = std::make_unique<COrderFillAlert>(fill.m_symbol, fill.m_text);
        auto event = std::make_unique<CAlertEvent>();
        event->m_nTrigger = 1;
        event->m_date = ExchangeDateText();
        host->DeliverAlert(std::move(event), alert.release());
    });
}

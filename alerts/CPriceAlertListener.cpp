#include "alerts/CPriceAlertListener.h"

#include "alerts/CPriceAlert.h"
#include "broker/session/CSymbolHandle.h"

void CPriceAlertListener::OnQuoteChange(CSymbolHandle* handle, int, const BYTE*)
{
    if (!handle)
        return;
    m_alert.RememberQuote(*handle);
    m_alert.Check(*handle);
}

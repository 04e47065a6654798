// The listener of a price alert's quote handle: at every change of the record it checks
// the alert's condition (dispatcher thread, quote store lock held).
#pragma once

#include "broker/session/CQuoteListener.h"

class CPriceAlert;

class CPriceAlertListener : public CQuoteListener {
public:
    explicit CPriceAlertListener(CPriceAlert& alert) : m_alert(alert) {}

    void OnQuoteChange(CSymbolHandle* handle, int count, const BYTE* ids) override;

private:
    CPriceAlert& m_alert;
};

// The session's order questions as Yes/No message boxes; the confirmation switch comes
// from the active trading-defaults row.
#pragma once

#include "broker/session/CBrokerSession.h"

class CAppSettings;

class CShellOrderConfirm : public IOrderConfirm {
public:
    explicit CShellOrderConfirm(const CAppSettings& settings) : m_settings(settings) {}

    bool Confirm(const CString& question, void* ownerWindow) override;
    bool OrderConfirmationEnabled() override;

private:
    const CAppSettings& m_settings;
};

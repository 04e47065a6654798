#include "trading/COrderRecord.h"

#include "common/services/CAppSettings.h"

namespace {

const CAppSettings& SettingsOrDefaults()
{
    if (const CAppSettings* settings = CAppSettings::Instance())
        return *settings;
    static const CAppSettings defaults;
    return defaults;
}

} // namespace

COrderRecord::COrderRecord(int securityKind) : COrderRecord(securityKind, SettingsOrDefaults()) {}

COrderRecord::COrderRecord(int securityKind, const CAppSettings& settings)
{
    quantity = securityKind == 1 ? settings.m_nOptionContracts : settings.m_nStockShares;
    const CTradingDefaultsRow& row = settings.m_tradingDefaults.Row(settings.m_nBroker);
    orderType = row.orderTypes[0];
    expire = row.expires[0];
    instructions = row.instructions[0];
    route = row.routes[0];
    quantityMode = 1;
}

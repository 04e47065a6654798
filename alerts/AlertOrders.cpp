#include "alerts/AlertOrders.h"

#include "alerts/CAlert.h"
#include "alerts/CAlertTradeInfo.h"
#include "alerts/CStrategyAlert.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "trading/SendOrders.h"

std::vector<COrderRecord> AlertOrderLegs(CAlert& alert, int trigger, int& entryQuantity)
{
    std::vector<COrderRecord> legs;
    entryQuantity = 0;
    const CAlertTradeInfo* info = alert.GetTradeInfo();
    if (!info)
        return legs;
    for (int i = 0; i < info->GetLegCount(); ++i) {
        const int action = info->GetLegAction(i, trigger);
        double offset = 0;
        const int selection = info->GetLegOffset(i, trigger, offset);
        int quantity = 0;
        double price = 0;
        alert.GetLegPrice(i, action, selection, offset, quantity, price);
        if (i == 0)
            entryQuantity = quantity;
        COrderRecord leg = info->m_legs[static_cast<size_t>(i)];
        leg.symbol = alert.m_symbol;
        leg.action = action;
        leg.price = price;
        leg.quantity = quantity;
        legs.push_back(leg);
    }
    return legs;
}

bool PlaceAlertOrder(CAlert& alert, int trigger)
{
    const CAlertTradeInfo* info = alert.GetTradeInfo();
    if (!info)
        return false;
    int entryQuantity = 0;
    const std::vector<COrderRecord> legs = AlertOrderLegs(alert, trigger, entryQuantity);
    const CAppSettings* settings = CAppSettings::Instance();
    const int place = settings ? settings->m_tradingDefaults.Row(settings->m_nBroker).programTrading : 0;
    const int kind = GetSymbolKind(alert.m_symbol) == kSymbolOption ? 1 : 0;
    const bool sent = SendOrders(kOriginAlert, place, kind, info->m_nConditionType, legs, info->m_nAcctType,
                                 info->m_accounts, nullptr);
    if (CStrategyAlert* strategy = alert.GetOwner())
        strategy->PassEntryQuantity(entryQuantity, &alert);
    return sent;
}

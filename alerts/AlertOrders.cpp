#include "alerts/AlertOrders.h"

#include "alerts/CAlert.h"
#include "alerts/CAlertBook.h"
#include "alerts/CAlertTradeInfo.h"
#include "alerts/CStrategyAlert.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "trading/SendOrders.h"

#include <memory>

std::vector<COrderRecord> AlertOrderLegs(const CAlert& alert, int trigger, int& entryQuantity)
{
    std::vector<COrderRecord> legs;
    entryQuantity = 0;
    const std::unique_ptr<CAlertTradeInfo> info = alert.CopyTradeInfo();
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
        leg.quantityMode = 1;
        legs.push_back(leg);
    }
    return legs;
}

std::vector<COrderRecord> AlertTicketLegs(const CAlert& alert, int trigger)
{
    std::vector<COrderRecord> legs;
    const std::unique_ptr<CAlertTradeInfo> info = alert.CopyTradeInfo();
    if (!info)
        return legs;
    for (int i = 0; i < info->GetLegCount(); ++i) {
        COrderRecord leg = info->m_legs[static_cast<size_t>(i)];
        double offset = 0;
        leg.symbol = alert.m_symbol;
        leg.action = info->GetLegAction(i, trigger);
        leg.priceSource = info->GetLegOffset(i, trigger, offset);
        leg.priceOffset = offset;
        leg.quantityMode = leg.quantityMode != 0 ? 1 : 0;
        legs.push_back(leg);
    }
    return legs;
}

bool BuildAlertOrder(const CAlert& alert, int trigger, CAlertOrder& order)
{
    const std::unique_ptr<CAlertTradeInfo> info = alert.CopyTradeInfo();
    if (!info)
        return false;
    order.legs = AlertOrderLegs(alert, trigger, order.entryQuantity);
    order.symbolType = GetSymbolKind(alert.m_symbol) == kSymbolOption ? 1 : 0;
    order.conditionType = info->m_nConditionType;
    order.accountMode = info->m_nAcctType;
    order.accounts = info->m_accounts;
    return true;
}

EAlertOrderResult PlaceAlertOrder(std::uint64_t alertId, int trigger, CWnd* owner)
{
    const CAlertBook* book = CAlertBook::Instance();
    CAlertOrder order;
    bool hasOrder = false;
    if (!book || !book->WithAlert(alertId, [&](const CAlert& alert) { hasOrder = BuildAlertOrder(alert, trigger, order); }))
        return EAlertOrderResult::kGone;
    if (!hasOrder)
        return EAlertOrderResult::kNoOrder;
    const CAppSettings* settings = CAppSettings::Instance();
    const int place = settings ? settings->m_tradingDefaults.Row(settings->m_nBroker).programTrading : 0;
    const bool sent = SendOrders(kOriginAlert, place, order.symbolType, order.conditionType, order.legs,
                                 order.accountMode, order.accounts, owner);
    PassAlertEntryQuantity(alertId, order.entryQuantity);
    return sent ? EAlertOrderResult::kSent : EAlertOrderResult::kRefused;
}

void PassAlertEntryQuantity(std::uint64_t alertId, int quantity)
{
    if (const CAlertBook* book = CAlertBook::Instance())
        book->WithAlert(alertId, [&](CAlert& alert) {
            if (CStrategyAlert* strategy = alert.GetOwner())
                strategy->PassEntryQuantity(quantity, &alert);
        });
}

#include "trading/SendOrders.h"

#include "broker/core/Formatters.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "trading/ITradingHost.h"
#include "trading/OrderChoices.h"
#include "trading/OrderInput.h"
#include "broker/session/OrderRequest.h"

#include <cmath>

namespace {

const CAppSettings& Settings()
{
    if (const CAppSettings* settings = CAppSettings::Instance())
        return *settings;
    static const CAppSettings defaults;
    return defaults;
}

CString LegPrefix(size_t leg, size_t count)
{
    CString prefix;
    if (count > 1)
        prefix.Format("Order %d: ", static_cast<int>(leg + 1));
    return prefix;
}

bool NeedsPrice(const CString& orderType)
{
    return orderType.CompareNoCase("Limit") == 0 || orderType.CompareNoCase("StopLimit") == 0 ||
           IsTrailingStop(orderType);
}

bool NeedsActivationPrice(const CString& orderType)
{
    return orderType.CompareNoCase("StopMarket") == 0 || orderType.CompareNoCase("StopLimit") == 0;
}

bool Positive(double value)
{
    return std::isfinite(value) && value > 0;
}

}  // namespace

CString CheckOrderLegs(const std::vector<COrderRecord>& legs, int securityKind)
{
    if (legs.empty())
        return "There is no order to send.";
    for (size_t i = 0; i < legs.size(); ++i) {
        const COrderRecord& leg = legs[i];
        CString problem;
        if (!IsOrderSymbol(leg.symbol)) {
            problem.Format("\"%s\" is not a valid symbol; a symbol holds only letters, digits and . / - _.",
                           PrintableSymbol(leg.symbol).GetString());
        } else if (!std::isfinite(leg.quantity) || std::floor(leg.quantity) < 1 ||
                   std::floor(leg.quantity) > kMaxOrderQuantity) {
            problem = "The quantity must be a whole number from 1 to 2147483647.";
        } else if (NeedsPrice(leg.orderType) && !Positive(leg.price)) {
            problem.Format(IsTrailingStop(leg.orderType) ? "A %s order needs a trailing amount above 0."
                                                         : "A %s order needs a price above 0.",
                           leg.orderType.GetString());
        } else if (NeedsActivationPrice(leg.orderType) && !Positive(leg.activationPrice)) {
            problem.Format("A %s order needs an activation price above 0.", leg.orderType.GetString());
        } else {
            // Every text a leg carries is one the order string can hold.
            problem = CheckOrderLegFields(leg, securityKind);
        }
        if (!problem.IsEmpty())
            return LegPrefix(i, legs.size()) + problem;
    }
    return CString();
}

CString BuildOrderConfirmation(int securityKind, int conditionalType, const std::vector<COrderRecord>& legs,
                               int place, const CString& accountText)
{
    CString text;
    if (conditionalType >= 0 && conditionalType < kConditionalTypeCount) {
        text += ConditionalTypeText(conditionalType);
        text += "\r\n\r\n";
    }
    for (size_t i = 0; i < legs.size(); ++i) {
        const COrderRecord& leg = legs[i];
        const CString symbol = securityKind == 1 ? DescribeOptionSymbol(leg.symbol) : leg.symbol;
        text.AppendFormat("%s%s %d %s of %s, %s Order", LegPrefix(i, legs.size()).GetString(),
                          OrderActionWord(securityKind, leg.action), static_cast<int>(leg.quantity),
                          securityKind == 1 ? "contracts" : "shares", symbol.GetString(), leg.orderType.GetString());
        if (leg.price != 0)
            text.AppendFormat(", %s: %s", IsTrailingStop(leg.orderType) ? "Param" : "Price",
                              FormatNumber(leg.price, 2, 4).GetString());
        if (leg.activationPrice != 0)
            text.AppendFormat(", Act Price: %s", FormatNumber(leg.activationPrice, 2, 4).GetString());
        text.AppendFormat("\r\nExpiration: %s, Instructions: %s, Routing: %s\r\n\r\n", leg.expire.GetString(),
                          leg.instructions.GetString(), leg.route.GetString());
    }
    text += "Account: " + accountText + "\r\n";
    text += place ? "Place Order?" : "Save Order?";
    return text;
}

bool SendOrders(int origin, int place, int securityKind, int conditionalType, const std::vector<COrderRecord>& legs,
                int accountMode, const std::vector<CString>& accountNames, CWnd* owner)
{
    const CAppSettings& settings = Settings();
    ITradingHost* host = GetTradingHost();
    if (settings.m_nBroker != 1 || !host)
        return false;

    std::vector<COrderRecord> orders = legs;
    for (COrderRecord& leg : orders)
        leg.symbol = StripSymbolPrefix(leg.symbol);
    if (const CString problem = CheckOrderLegs(orders, securityKind); !problem.IsEmpty()) {
        host->ShowMessage(problem, owner);
        return false;
    }

    // The accounts are known before the question, so that a trader never confirms an
    // order that then has nowhere to go.
    std::vector<CAccountInfo> accounts;
    host->GetTargetAccounts(accountMode, accountNames, accounts);
    if (accounts.empty()) {
        host->ShowMessage("You are not logged-in into account specified for this order.", owner);
        return false;
    }
    if (settings.m_tradingDefaults.Row(settings.m_nBroker).confirmOrders) {
        const CString question = BuildOrderConfirmation(securityKind, conditionalType, orders, place,
                                                        host->GetAccountListText(accountMode, accountNames, 1));
        if (!host->AskYesNo(question, owner))
            return false;
    }

    const char* source = origin == kOriginTicket ? "QXVEL" : "Quorvantelix";
    const std::vector<COrderLeg> sent(orders.begin(), orders.end());
    bool ok = false;
    for (const CAccountInfo& account : accounts) {
        CString error;
        ok = host->SubmitOrder(sent, securityKind, conditionalType, place, source, account.number, error);
        if (ok)
            continue;
        CString message;
        if (error.IsEmpty() && !place && conditionalType >= 0 && conditionalType < kConditionalTypeCount)
            message = "Conditional orders can't be saved.";
        else if (error == "ORA-20002 LIMIT VIOLATION ORA-06512" && !place)
            message = "Error saving order: account already contains the maximum number of saved orders (max=200).";
        else if (error.IsEmpty())
            message = "The order was not accepted; the broker gave no reason.";
        else
            message = error;
        if (accounts.size() > 1)
            message += "\r\nAccount: " + account.name;
        host->ShowMessage(message, owner);
    }
    return ok;
}
